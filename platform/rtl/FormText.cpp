// FormText.cpp: the text form of component streams ("object Name: TClass …
// end"), its conversion to and from the binary form, and form resources.
#include "platform/rtl/Classes.h"

#include "platform/rtl/Contnrs.h"
#include "platform/rtl/ScopeExit.h"

#include <QLocale>

#include <cmath>
#include <cstring>
#include <mutex>

namespace {

constexpr int MaxNesting = 200;
constexpr int LineLength = 64;   // characters of a string before it is split with +

// ---------------------------------------------------------------------------
// Text to binary.

enum class TTok { Eof, Symbol, String, Integer, Float, Char };

class TTextParser {
public:
  explicit TTextParser(const String& Text) : FText(Text) { Next(); }

  TTok Token() const { return FToken; }
  int Line() const { return FTokenLine; }
  QChar Char() const { return FChar; }
  const String& Str() const { return FStr; }
  Int64 Int() const { return FInt; }
  double Float() const { return FFloat; }
  QChar FloatType() const { return FFloatType; }

  bool IsChar(char C) const { return FToken == TTok::Char && FChar == QLatin1Char(C); }
  bool IsSymbol(const char* S) const
  {
    return FToken == TTok::Symbol && FStr.compare(QLatin1String(S), Qt::CaseInsensitive) == 0;
  }

  [[noreturn]] void Error(const String& Message) const
  {
    throw EReadError(QStringLiteral("%1 on line %2").arg(Message).arg(FTokenLine));
  }
  void CheckChar(char C) const
  {
    if (!IsChar(C))
      Error(QStringLiteral("'%1' expected").arg(QLatin1Char(C)));
  }
  void CheckSymbol() const
  {
    if (FToken != TTok::Symbol)
      Error(QStringLiteral("Identifier expected"));
  }

  // Reads hexadecimal digits up to the closing brace (the brace is left as
  // the current token).
  QByteArray ReadHex()
  {
    QByteArray Out;
    int Half = -1;
    FPos = FTokenEnd;
    for (;;) {
      if (FPos >= FText.size())
        Error(QStringLiteral("'}' expected"));
      const QChar C = FText[FPos];
      if (C == QLatin1Char('}'))
        break;
      ++FPos;
      if (C == QLatin1Char('\n')) {
        ++FLine;
        continue;
      }
      if (C.isSpace())
        continue;
      const int D = HexDigit(C);
      if (D < 0)
        Error(QStringLiteral("Invalid binary value"));
      if (Half < 0) {
        Half = D;
      } else {
        Out.append(char((Half << 4) | D));
        Half = -1;
      }
    }
    if (Half >= 0)
      Error(QStringLiteral("Invalid binary value"));
    Next();
    return Out;
  }

  void Next()
  {
    SkipBlanks();
    FTokenLine = FLine;
    if (FPos >= FText.size()) {
      FToken = TTok::Eof;
      FTokenEnd = FPos;
      return;
    }
    const QChar C = FText[FPos];
    if (IsIdentStart(C)) {
      const qsizetype Start = FPos;
      while (FPos < FText.size() && IsIdentChar(FText[FPos]))
        ++FPos;
      FStr = FText.mid(Start, FPos - Start);
      FToken = TTok::Symbol;
    } else if (C == QLatin1Char('\'') || C == QLatin1Char('#')) {
      ReadString();
    } else if (C == QLatin1Char('$')) {
      ++FPos;
      const qsizetype Start = FPos;
      std::uint64_t V = 0;
      while (FPos < FText.size() && HexDigit(FText[FPos]) >= 0) {
        if (FPos - Start >= 16)
          Error(QStringLiteral("Number too large"));
        V = (V << 4) | std::uint64_t(HexDigit(FText[FPos]));
        ++FPos;
      }
      if (FPos == Start)
        Error(QStringLiteral("Invalid number"));
      FInt = Int64(V);
      FToken = TTok::Integer;
    } else if (C.isDigit() || ((C == QLatin1Char('-') || C == QLatin1Char('+')) && FPos + 1 < FText.size() &&
                               FText[FPos + 1].unicode() < 128 && FText[FPos + 1].isDigit())) {
      ReadNumber();
    } else {
      FChar = C;
      ++FPos;
      FToken = TTok::Char;
    }
    FTokenEnd = FPos;
  }

private:
  static bool IsIdentStart(QChar C)
  {
    return C == QLatin1Char('_') || (C.unicode() < 128 && C.isLetter());
  }
  static bool IsIdentChar(QChar C) { return IsIdentStart(C) || (C.unicode() < 128 && C.isDigit()); }
  static int HexDigit(QChar C)
  {
    const char16_t U = C.unicode();
    if (U >= '0' && U <= '9')
      return U - '0';
    if (U >= 'a' && U <= 'f')
      return U - 'a' + 10;
    if (U >= 'A' && U <= 'F')
      return U - 'A' + 10;
    return -1;
  }

  void SkipBlanks()
  {
    while (FPos < FText.size()) {
      const QChar C = FText[FPos];
      if (C == QLatin1Char('\n'))
        ++FLine;
      else if (!(C == QLatin1Char(' ') || C == QLatin1Char('\t') || C == QLatin1Char('\r') ||
                 C == QChar(0xFEFF)))
        return;
      ++FPos;
    }
  }

  // 'quoted' parts and #nnn character codes, joined without blanks.
  void ReadString()
  {
    FStr.clear();
    for (;;) {
      if (FPos >= FText.size())
        break;
      const QChar C = FText[FPos];
      if (C == QLatin1Char('\'')) {
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == QLatin1Char('\n') || FText[FPos] == QLatin1Char('\r'))
            Error(QStringLiteral("Unterminated string"));
          const QChar Q = FText[FPos++];
          if (Q == QLatin1Char('\'')) {
            if (FPos < FText.size() && FText[FPos] == QLatin1Char('\'')) {
              FStr += Q;
              ++FPos;
              continue;
            }
            break;
          }
          FStr += Q;
        }
      } else if (C == QLatin1Char('#')) {
        ++FPos;
        std::uint32_t Code = 0;
        const qsizetype Start = FPos;
        if (FPos < FText.size() && FText[FPos] == QLatin1Char('$')) {
          ++FPos;
          while (FPos < FText.size() && HexDigit(FText[FPos]) >= 0 && Code <= 0xFFFF)
            Code = (Code << 4) | std::uint32_t(HexDigit(FText[FPos++]));
        } else {
          while (FPos < FText.size() && FText[FPos].unicode() < 128 && FText[FPos].isDigit() && Code <= 0xFFFF)
            Code = Code * 10 + std::uint32_t(FText[FPos++].digitValue());
        }
        if (FPos == Start || Code > 0xFFFF)
          Error(QStringLiteral("Invalid character code"));
        FStr += QChar(char16_t(Code));
      } else {
        break;
      }
    }
    FToken = TTok::String;
  }

  void ReadNumber()
  {
    const qsizetype Start = FPos;
    if (FText[FPos] == QLatin1Char('-') || FText[FPos] == QLatin1Char('+'))
      ++FPos;
    auto Digits = [&] {
      while (FPos < FText.size() && FText[FPos].unicode() < 128 && FText[FPos].isDigit())
        ++FPos;
    };
    Digits();
    bool IsFloat = false;
    if (FPos < FText.size() && FText[FPos] == QLatin1Char('.')) {
      IsFloat = true;
      ++FPos;
      Digits();
    }
    if (FPos < FText.size() && (FText[FPos] == QLatin1Char('e') || FText[FPos] == QLatin1Char('E'))) {
      const qsizetype Save = FPos;
      ++FPos;
      if (FPos < FText.size() && (FText[FPos] == QLatin1Char('-') || FText[FPos] == QLatin1Char('+')))
        ++FPos;
      if (FPos < FText.size() && FText[FPos].unicode() < 128 && FText[FPos].isDigit()) {
        IsFloat = true;
        Digits();
      } else {
        FPos = Save;
      }
    }
    const String Number = FText.mid(Start, FPos - Start);
    FFloatType = QChar();
    if (FPos < FText.size()) {
      const QChar S = FText[FPos].toLower();
      if (S == QLatin1Char('s') || S == QLatin1Char('c') || S == QLatin1Char('d')) {
        FFloatType = S;
        IsFloat = true;
        ++FPos;
      }
    }
    bool Ok = false;
    if (IsFloat) {
      FFloat = Number.toDouble(&Ok);
      FToken = TTok::Float;
    } else {
      FInt = Number.toLongLong(&Ok);
      FToken = TTok::Integer;
    }
    if (!Ok)
      Error(QStringLiteral("Invalid number"));
  }

  String FText;
  qsizetype FPos = 0;
  qsizetype FTokenEnd = 0;
  int FLine = 1;
  int FTokenLine = 1;
  TTok FToken = TTok::Eof;
  QChar FChar;
  String FStr;
  Int64 FInt = 0;
  double FFloat = 0;
  QChar FFloatType;
};

class TTextToBinary {
public:
  TTextToBinary(const String& Text, TStream* Output, std::vector<std::pair<Int64, int>>* Lines)
    : FParser(Text), FOutput(Output), FWriter(Output), FLines(Lines)
  {
  }

  void Run()
  {
    FWriter.WriteSignature();
    ConvertObject();
    if (FParser.Token() != TTok::Eof)
      FParser.Error(QStringLiteral("Text after the last end"));
  }

private:
  void Mark()
  {
    if (FLines)
      FLines->emplace_back(FOutput->Position(), FParser.Line());
  }
  void Enter()
  {
    if (++FNesting > MaxNesting)
      FParser.Error(QStringLiteral("Nesting too deep"));
  }

  void ConvertObject()
  {
    Enter();
    TFilerFlags Flags;
    if (FParser.IsSymbol("inherited"))
      Flags.Include(ffInherited);
    else if (FParser.IsSymbol("inline"))
      Flags.Include(ffInline);
    else if (!FParser.IsSymbol("object"))
      FParser.Error(QStringLiteral("'object' expected"));
    Mark();
    FParser.Next();
    FParser.CheckSymbol();
    String ObjectName;
    String ClassName = FParser.Str();
    FParser.Next();
    if (FParser.IsChar(':')) {
      FParser.Next();
      FParser.CheckSymbol();
      ObjectName = ClassName;
      ClassName = FParser.Str();
      FParser.Next();
    }
    Integer ChildPos = 0;
    if (FParser.IsChar('[')) {
      FParser.Next();
      if (FParser.Token() != TTok::Integer || FParser.Int() < INT32_MIN || FParser.Int() > INT32_MAX)
        FParser.Error(QStringLiteral("Integer expected"));
      ChildPos = Integer(FParser.Int());
      Flags.Include(ffChildPos);
      FParser.Next();
      FParser.CheckChar(']');
      FParser.Next();
    }
    if (!Flags.Empty()) {
      const Byte B = Byte(0xF0 | Flags.Bits());
      FWriter.Write(&B, 1);
      if (Flags.Contains(ffChildPos))
        FWriter.WriteInteger(ChildPos);
    }
    FWriter.WriteStr(ClassName);
    FWriter.WriteStr(ObjectName);
    while (!IsObjectEnd() && !IsObjectStart())
      ConvertProperty();
    FWriter.WriteListEnd();
    while (!IsObjectEnd())
      ConvertObject();
    FWriter.WriteListEnd();
    FParser.Next();
    --FNesting;
  }

  bool IsObjectStart() const
  {
    return FParser.IsSymbol("object") || FParser.IsSymbol("inherited") || FParser.IsSymbol("inline");
  }
  bool IsObjectEnd() const
  {
    if (FParser.Token() == TTok::Eof)
      FParser.Error(QStringLiteral("'end' expected"));
    return FParser.IsSymbol("end");
  }

  void ConvertProperty()
  {
    Mark();
    FParser.CheckSymbol();
    String Name = FParser.Str();
    FParser.Next();
    while (FParser.IsChar('.')) {
      FParser.Next();
      FParser.CheckSymbol();
      Name += QLatin1Char('.') + FParser.Str();
      FParser.Next();
    }
    if (Name.toUtf8().size() > 255)
      FParser.Error(QStringLiteral("Property name too long"));
    FWriter.WriteStr(Name);
    FParser.CheckChar('=');
    FParser.Next();
    ConvertValue();
  }

  void ConvertValue()
  {
    switch (FParser.Token()) {
    case TTok::String: {
      String S = FParser.Str();
      FParser.Next();
      while (FParser.IsChar('+')) {
        FParser.Next();
        if (FParser.Token() != TTok::String)
          FParser.Error(QStringLiteral("String expected"));
        S += FParser.Str();
        FParser.Next();
      }
      FWriter.WriteString(S);
      return;
    }
    case TTok::Symbol: {
      String Ident = FParser.Str();
      FParser.Next();
      while (FParser.IsChar('.')) {
        FParser.Next();
        FParser.CheckSymbol();
        Ident += QLatin1Char('.') + FParser.Str();
        FParser.Next();
      }
      if (Ident.toUtf8().size() > 255)
        FParser.Error(QStringLiteral("Identifier too long"));
      FWriter.WriteIdent(Ident);
      return;
    }
    case TTok::Integer:
      FWriter.WriteInteger(FParser.Int());
      FParser.Next();
      return;
    case TTok::Float: {
      const double V = FParser.Float();
      const QChar T = FParser.FloatType();
      if (T == QLatin1Char('s'))
        FWriter.WriteSingle(Single(V));
      else if (T == QLatin1Char('c'))
        FWriter.WriteCurrency(std::llround(V * 10000.0));
      else if (T == QLatin1Char('d'))
        FWriter.WriteDate(V);
      else
        FWriter.WriteFloat(V);
      FParser.Next();
      return;
    }
    case TTok::Char:
      break;
    case TTok::Eof:
      FParser.Error(QStringLiteral("Value expected"));
    }
    if (FParser.IsChar('['))
      ConvertSet();
    else if (FParser.IsChar('('))
      ConvertList();
    else if (FParser.IsChar('{'))
      ConvertBinary();
    else if (FParser.IsChar('<'))
      ConvertCollection();
    else
      FParser.Error(QStringLiteral("Invalid property value"));
  }

  void ConvertSet()
  {
    FParser.Next();
    FWriter.WriteValue(vaSet);
    if (!FParser.IsChar(']')) {
      for (;;) {
        FParser.CheckSymbol();
        FWriter.WriteStr(FParser.Str());
        FParser.Next();
        if (FParser.IsChar(']'))
          break;
        FParser.CheckChar(',');
        FParser.Next();
      }
    }
    FWriter.WriteStr(QString());
    FParser.Next();
  }

  void ConvertList()
  {
    Enter();
    FParser.Next();
    FWriter.WriteListBegin();
    while (!FParser.IsChar(')')) {
      if (FParser.Token() == TTok::Eof)
        FParser.Error(QStringLiteral("')' expected"));
      ConvertValue();
    }
    FParser.Next();
    FWriter.WriteListEnd();
    --FNesting;
  }

  void ConvertBinary()
  {
    FWriter.WriteBinary(FParser.ReadHex());
    FParser.CheckChar('}');
    FParser.Next();
  }

  void ConvertCollection()
  {
    Enter();
    FParser.Next();
    FWriter.WriteValue(vaCollection);
    while (!FParser.IsChar('>')) {
      if (!FParser.IsSymbol("item"))
        FParser.Error(QStringLiteral("'item' expected"));
      Mark();
      FParser.Next();
      if (FParser.IsChar('[')) {
        FParser.Next();
        if (FParser.Token() != TTok::Integer || FParser.Int() < INT32_MIN || FParser.Int() > INT32_MAX)
          FParser.Error(QStringLiteral("Integer expected"));
        FWriter.WriteInteger(FParser.Int());
        FParser.Next();
        FParser.CheckChar(']');
        FParser.Next();
      }
      FWriter.WriteListBegin();
      while (!FParser.IsSymbol("end")) {
        if (FParser.Token() == TTok::Eof)
          FParser.Error(QStringLiteral("'end' expected"));
        ConvertProperty();
      }
      FWriter.WriteListEnd();
      FParser.Next();
    }
    FWriter.WriteListEnd();
    FParser.Next();
    --FNesting;
  }

  TTextParser FParser;
  TStream* FOutput;
  TWriter FWriter;
  std::vector<std::pair<Int64, int>>* FLines;
  int FNesting = 0;
};

// ---------------------------------------------------------------------------
// Binary to text.

// A float as 16 significant digits with 18 decimals ("47.625000000000000000").
String ExtendedText(double V)
{
  if (std::isnan(V))
    return QStringLiteral("NAN");
  if (std::isinf(V))
    return V < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (V == 0)
    return QStringLiteral("0.000000000000000000");
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, "%.15e", V);   // d.ddddddddddddddde±XX: 16 significant digits
  String S = QString::fromLatin1(Buf);
  const bool Negative = S.startsWith(QLatin1Char('-'));
  if (Negative)
    S.remove(0, 1);
  const qsizetype EPos = S.indexOf(QLatin1Char('e'));
  const int Exp = S.mid(EPos + 1).toInt();
  String Digits = S.left(EPos);
  Digits.remove(QLatin1Char('.'));
  if (Exp > 18 || Exp < -5) {
    String M = Digits.left(1) + QLatin1Char('.') + Digits.mid(1);
    return (Negative ? QStringLiteral("-") : QString()) + M + QStringLiteral("E") + (Exp < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
           QString::number(std::abs(Exp));
  }
  String Int, Frac;
  if (Exp >= 0) {
    Digits = Digits.leftJustified(Exp + 1, QLatin1Char('0'));
    Int = Digits.left(Exp + 1);
    Frac = Digits.mid(Exp + 1);
  } else {
    Int = QStringLiteral("0");
    Frac = String(-Exp - 1, QLatin1Char('0')) + Digits;
  }
  Frac = Frac.leftJustified(18, QLatin1Char('0'));
  return (Negative ? QStringLiteral("-") : QString()) + Int + QLatin1Char('.') + Frac;
}

// A float in its shortest exact form with a decimal point ("1.5", "2"):
// fifteen digits lose the milliseconds of a date and the last bits of others.
String ShortFloatText(double V)
{
  return QString::number(V, 'g', QLocale::FloatingPointShortest);
}

class TBinaryToText {
public:
  TBinaryToText(TStream* Input, bool Utf8) : FReader(Input), FUtf8(Utf8) {}

  String Run()
  {
    FReader.ReadSignature();
    ConvertObject();
    return FOut;
  }

private:
  void WriteIndent() { FOut += String(FNesting * 2, QLatin1Char(' ')); }
  void NewLine()
  {
    FOut += QLatin1Char('\n');
    WriteIndent();
  }
  void Enter()
  {
    if (FNesting > MaxNesting)
      FReader.Error(QStringLiteral("Nesting too deep"));
  }

  void ConvertObject()
  {
    Enter();
    TFilerFlags Flags;
    Integer ChildPos;
    FReader.ReadPrefix(Flags, ChildPos);
    const String ClassName = FReader.ReadStr();
    const String ObjectName = FReader.ReadStr();
    WriteIndent();
    if (Flags.Contains(ffInherited))
      FOut += QStringLiteral("inherited ");
    else if (Flags.Contains(ffInline))
      FOut += QStringLiteral("inline ");
    else
      FOut += QStringLiteral("object ");
    if (!ObjectName.isEmpty())
      FOut += ObjectName + QStringLiteral(": ");
    FOut += ClassName;
    if (Flags.Contains(ffChildPos))
      FOut += QStringLiteral(" [%1]").arg(ChildPos);
    FOut += QLatin1Char('\n');
    ++FNesting;
    while (!FReader.EndOfList())
      ConvertProperty();
    FReader.ReadListEnd();
    while (!FReader.EndOfList())
      ConvertObject();
    FReader.ReadListEnd();
    --FNesting;
    WriteIndent();
    FOut += QStringLiteral("end\n");
  }

  void ConvertProperty()
  {
    WriteIndent();
    FOut += FReader.ReadStr() + QStringLiteral(" = ");
    ConvertValue();
    FOut += QLatin1Char('\n');
  }

  bool Printable(QChar C) const
  {
    return C.unicode() >= ' ' && C != QLatin1Char('\'') && (C.unicode() <= 127 || (FUtf8 && !C.isSurrogate()));
  }

  void ConvertString(const String& W)
  {
    const qsizetype L = W.size();
    if (L == 0) {
      FOut += QStringLiteral("''");
      return;
    }
    ++FNesting;
    ScopeExit Leave([&] { --FNesting; });
    if (L > LineLength)
      NewLine();
    qsizetype I = 0, K = 0;
    while (I < L) {
      bool LineBreak = false;
      if (Printable(W[I])) {
        const qsizetype J = I;
        do
          ++I;
        while (I < L && Printable(W[I]) && (I - K) < LineLength);
        if (I - K >= LineLength)
          LineBreak = true;
        FOut += QLatin1Char('\'') + W.mid(J, I - J) + QLatin1Char('\'');
      } else {
        FOut += QLatin1Char('#') + QString::number(W[I].unicode());
        ++I;
        if (I - K >= LineLength)
          LineBreak = true;
      }
      if (LineBreak && I < L) {
        FOut += QStringLiteral(" +");
        NewLine();
        K = I;
      }
    }
  }

  void ConvertValue()
  {
    Enter();
    const TValueType V = FReader.NextValue();
    switch (V) {
    case vaList: {
      FReader.ReadValue();
      FOut += QLatin1Char('(');
      ++FNesting;
      while (!FReader.EndOfList()) {
        NewLine();
        ConvertValue();
      }
      FReader.ReadListEnd();
      --FNesting;
      FOut += QLatin1Char(')');
      return;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      FOut += QString::number(FReader.ReadInt64());
      return;
    case vaExtended:
    case vaDouble:
      FOut += ExtendedText(FReader.ReadFloat());
      return;
    case vaSingle:
      FOut += ShortFloatText(FReader.ReadFloat()) + QLatin1Char('s');
      return;
    case vaCurrency:
      FOut += ShortFloatText(double(FReader.ReadCurrency()) / 10000.0) + QLatin1Char('c');
      return;
    case vaDate:
      FOut += ShortFloatText(FReader.ReadFloat()) + QLatin1Char('d');
      return;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      ConvertString(FReader.ReadString());
      return;
    case vaIdent:
    case vaFalse:
    case vaTrue:
    case vaNil:
    case vaNull:
      FOut += FReader.ReadIdent();
      return;
    case vaBinary: {
      const QByteArray B = FReader.ReadBinary();
      FOut += QLatin1Char('{');
      ++FNesting;
      for (qsizetype P = 0; P < B.size(); P += 32) {
        NewLine();
        FOut += QString::fromLatin1(B.mid(P, 32).toHex().toUpper());
      }
      --FNesting;
      FOut += QLatin1Char('}');
      return;
    }
    case vaSet: {
      FReader.ReadValue();
      FOut += QLatin1Char('[');
      bool First = true;
      for (;;) {
        const String S = FReader.ReadStr();
        if (S.isEmpty())
          break;
        if (!First)
          FOut += QStringLiteral(", ");
        FOut += S;
        First = false;
      }
      FOut += QLatin1Char(']');
      return;
    }
    case vaCollection: {
      FReader.ReadValue();
      FOut += QLatin1Char('<');
      ++FNesting;
      while (!FReader.EndOfList()) {
        NewLine();
        FOut += QStringLiteral("item");
        const TValueType N = FReader.NextValue();
        if (N == vaInt8 || N == vaInt16 || N == vaInt32) {
          FOut += QStringLiteral(" [");
          ConvertValue();
          FOut += QLatin1Char(']');
        }
        FOut += QLatin1Char('\n');
        FReader.ReadListBegin();
        ++FNesting;
        while (!FReader.EndOfList())
          ConvertProperty();
        FReader.ReadListEnd();
        --FNesting;
        WriteIndent();
        FOut += QStringLiteral("end");
      }
      FReader.ReadListEnd();
      --FNesting;
      FOut += QLatin1Char('>');
      return;
    }
    default:
      FReader.Error(QStringLiteral("Invalid property value"));
    }
  }

  TReader FReader;
  bool FUtf8;
  String FOut;
  int FNesting = 0;
};

String DecodeText(const QByteArray& Bytes)
{
  if (Bytes.startsWith("\xEF\xBB\xBF"))
    return QString::fromUtf8(Bytes.mid(3));
  return QString::fromUtf8(Bytes);
}

QByteArray ReadRest(TStream* Stream)
{
  const Int64 Count = Stream->Size() - Stream->Position();
  QByteArray B(qsizetype(std::max<Int64>(Count, 0)), Qt::Uninitialized);
  Stream->ReadBuffer(B.data(), Integer(B.size()));
  return B;
}

// Reads a text description with errors naming its lines.
TComponent* ReadTextInto(const String& Text, TComponent* Instance)
{
  TMemoryStream Binary;
  std::vector<std::pair<Int64, int>> Lines;
  TTextToBinary(Text, &Binary, &Lines).Run();
  Binary.SetPosition(0);
  TReader Reader(&Binary);
  Reader.LineOfOffset = [&Lines](Int64 Offset) {
    auto It = std::upper_bound(Lines.begin(), Lines.end(), Offset,
                               [](Int64 O, const std::pair<Int64, int>& E) { return O < E.first; });
    return It == Lines.begin() ? 1 : std::prev(It)->second;
  };
  return Reader.ReadRootComponent(Instance);
}

} // namespace

TStreamOriginalFormat TestStreamFormat(TStream* Stream)
{
  const Int64 Pos = Stream->Position();
  Byte B[4] = {0, 0, 0, 0};
  const Integer N = Stream->Read(B, 4);
  Stream->SetPosition(Pos);
  if (N >= 1 && B[0] == 0xFF)
    return sofBinary;
  if (N == 4 && std::memcmp(B, "TPF0", 4) == 0)
    return sofBinary;
  if (N == 4 && B[0] == 0 && B[1] == 0 && B[2] == 0 && B[3] == 0)
    return sofBinary;
  auto TextStart = [](Byte C) {
    return C == 'o' || C == 'O' || C == 'i' || C == 'I' || C == ' ' || C == '\r' || C == '\n' || C == '\t';
  };
  if (N == 4 && B[0] == 0xEF && B[1] == 0xBB && B[2] == 0xBF && TextStart(B[3]))
    return sofUTF8Text;
  if (N >= 1 && TextStart(B[0]))
    return sofText;
  return sofUnknown;
}

void ObjectTextToBinary(TStream* Input, TStream* Output)
{
  TTextToBinary(DecodeText(ReadRest(Input)), Output, nullptr).Run();
}

void ObjectBinaryToText(TStream* Input, TStream* Output, TStreamOriginalFormat OutputFormat)
{
  const String Text = TBinaryToText(Input, OutputFormat != sofText).Run();
  Output->WriteBuffer(Text.toUtf8());
}

TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance)
{
  switch (TestStreamFormat(Stream)) {
  case sofBinary:
    return Stream->ReadComponent(Instance);
  case sofText:
  case sofUTF8Text:
    return ReadTextInto(DecodeText(ReadRest(Stream)), Instance);
  default:
    throw EReadError(QStringLiteral("Invalid stream format"));
  }
}

TComponent* ReadComponentFromText(const String& Text, TComponent* Instance)
{
  return ReadTextInto(Text, Instance);
}

QByteArray WriteComponentToBinary(TComponent* Instance)
{
  TMemoryStream Stream;
  Stream.WriteComponent(Instance);
  return Stream.Bytes();
}

String WriteComponentToText(TComponent* Instance, TStreamOriginalFormat Format)
{
  TMemoryStream Binary;
  Binary.WriteComponent(Instance);
  Binary.SetPosition(0);
  return TBinaryToText(&Binary, Format != sofText).Run();
}

bool ReadComponentResource(TComponent* Instance, const String& ResName)
{
  if (!TResourceStream::Exists(ResName))
    return false;
  TResourceStream Stream(ResName);
  ReadComponentFromStream(&Stream, Instance);
  return true;
}

void ReadFormResource(TComponent* Instance, const String& ClassName)
{
  TResourceStream Stream(ClassName);
  ReadComponentFromStream(&Stream, Instance);
}

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor)
{
  std::vector<TClass> Chain;
  for (TClass C = Instance->ClassType(); C && C != RootAncestor; C = C->Parent)
    Chain.push_back(C);
  bool Any = false;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    if (ReadComponentResource(Instance, (*It)->Name))
      Any = true;
  return Any;
}

void RegisterRtlClasses()
{
  static std::once_flag Once;
  std::call_once(Once, [] {
    RegisterEnum<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    RegisterClassInfo<TPersistent, TObject>("TPersistent");
    RegisterClassInfo<TComponent, TPersistent>("TComponent")
      .Property("Name", &TComponent::Name, &TComponent::SetName)
      .Stored(false)
      .Property("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
    RegisterClassInfo<TStrings, TPersistent>("TStrings");
    RegisterClassInfo<TStringList, TStrings>("TStringList");
    RegisterClassInfo<TCollectionItem, TPersistent>("TCollectionItem");
    RegisterClassInfo<TCollection, TPersistent>("TCollection");
    RegisterClassInfo<TOwnedCollection, TCollection>("TOwnedCollection");
    RegisterClassInfo<TList, TObject>("TList");
    RegisterClassInfo<TObjectList, TList>("TObjectList");
    RegisterClassInfo<TComponentList, TObjectList>("TComponentList");
    RegisterClassInfo<TStream, TObject>("TStream");
    RegisterClassInfo<TCustomMemoryStream, TStream>("TCustomMemoryStream");
    RegisterClassInfo<TMemoryStream, TCustomMemoryStream>("TMemoryStream");
  });
}
