// Classes.cpp: lists, string lists, streams, persistent objects, collections
// and components. The component-stream reader and writer are in Filers.cpp.
#include "platform/rtl/Classes.h"

#include "platform/rtl/ScopeExit.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unistd.h>

// ---------------------------------------------------------------------------
// Encodings

namespace {

class TUtf8Encoding : public TEncoding {
public:
  explicit TUtf8Encoding(bool Bom) : FBom(Bom) {}
  String EncodingName() const override { return QStringLiteral("UTF-8"); }
  QByteArray GetPreamble() const override { return FBom ? QByteArray("\xEF\xBB\xBF", 3) : QByteArray(); }
  QByteArray GetBytes(const String& S) const override { return S.toUtf8(); }
  String GetString(const QByteArray& Bytes) const override { return QString::fromUtf8(Bytes); }

private:
  bool FBom;
};

class TUtf16Encoding : public TEncoding {
public:
  explicit TUtf16Encoding(bool BigEndian) : FBigEndian(BigEndian) {}
  String EncodingName() const override { return FBigEndian ? QStringLiteral("UTF-16BE") : QStringLiteral("UTF-16LE"); }
  QByteArray GetPreamble() const override { return FBigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2); }
  QByteArray GetBytes(const String& S) const override
  {
    QByteArray B(S.size() * 2, Qt::Uninitialized);
    for (qsizetype I = 0; I < S.size(); ++I) {
      const char16_t C = S[I].unicode();
      B[2 * I + (FBigEndian ? 1 : 0)] = char(C & 0xFF);
      B[2 * I + (FBigEndian ? 0 : 1)] = char(C >> 8);
    }
    return B;
  }
  String GetString(const QByteArray& Bytes) const override
  {
    QString S(Bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype I = 0; I < S.size(); ++I) {
      const Byte Lo = Byte(Bytes[2 * I + (FBigEndian ? 1 : 0)]);
      const Byte Hi = Byte(Bytes[2 * I + (FBigEndian ? 0 : 1)]);
      S[I] = QChar(char16_t(Lo | (Hi << 8)));
    }
    return S;
  }

private:
  bool FBigEndian;
};

// An 8-bit code page through Qt's converters (ICU names such as windows-1251).
class TCodePageEncoding : public TEncoding {
public:
  TCodePageEncoding(int CodePage, QByteArray QtName) : FCodePage(CodePage), FQtName(std::move(QtName)) {}
  String EncodingName() const override { return QString::fromLatin1(FQtName); }
  QByteArray GetPreamble() const override { return {}; }
  QByteArray GetBytes(const String& S) const override
  {
    QStringEncoder Enc(FQtName.constData());
    return Enc.isValid() ? QByteArray(Enc(S)) : S.toLatin1();
  }
  String GetString(const QByteArray& Bytes) const override
  {
    QStringDecoder Dec(FQtName.constData());
    return Dec.isValid() ? QString(Dec(Bytes)) : QString::fromLatin1(Bytes);
  }
  int CodePage() const { return FCodePage; }

private:
  int FCodePage;
  QByteArray FQtName;
};

} // namespace

TEncoding* TEncoding::UTF8()
{
  static TUtf8Encoding E(true);
  return &E;
}

TEncoding* TEncoding::Unicode()
{
  static TUtf16Encoding E(false);
  return &E;
}

TEncoding* TEncoding::BigEndianUnicode()
{
  static TUtf16Encoding E(true);
  return &E;
}

TEncoding* TEncoding::ANSI()
{
  static TUtf8Encoding E(false);
  return &E;
}

TEncoding* TEncoding::Default() { return ANSI(); }

TEncoding* TEncoding::GetEncoding(int CodePage)
{
  switch (CodePage) {
  case 65001:
    return ANSI();
  case 1200:
    return Unicode();
  case 1201:
    return BigEndianUnicode();
  default:
    break;
  }
  static std::mutex Guard;
  static std::vector<std::unique_ptr<TCodePageEncoding>> Cache;
  std::lock_guard Lock(Guard);
  for (auto& E : Cache)
    if (E->CodePage() == CodePage)
      return E.get();
  QByteArray Name;
  if (CodePage >= 1250 && CodePage <= 1258)
    Name = "windows-" + QByteArray::number(CodePage);
  else if (CodePage == 866)
    Name = "IBM866";
  else if (CodePage == 20866)
    Name = "KOI8-R";
  else if (CodePage == 28591)
    Name = "ISO-8859-1";
  else if (CodePage == 28595)
    Name = "ISO-8859-5";
  else
    return nullptr;
  QStringEncoder Probe(Name.constData());
  if (!Probe.isValid())
    return nullptr;
  Cache.push_back(std::make_unique<TCodePageEncoding>(CodePage, Name));
  return Cache.back().get();
}

int TEncoding::GetBufferEncoding(const QByteArray& Buffer, TEncoding*& Encoding, TEncoding* DefaultEncoding)
{
  auto Starts = [&](TEncoding* E) {
    const QByteArray P = E->GetPreamble();
    return !P.isEmpty() && Buffer.startsWith(P);
  };
  if (!Encoding) {
    for (TEncoding* E : {UTF8(), Unicode(), BigEndianUnicode()})
      if (Starts(E)) {
        Encoding = E;
        return int(E->GetPreamble().size());
      }
    Encoding = DefaultEncoding ? DefaultEncoding : Default();
    return 0;
  }
  return Starts(Encoding) ? int(Encoding->GetPreamble().size()) : 0;
}

// ---------------------------------------------------------------------------
// TList

TList::~TList()
{
  Clear();
}

void TList::Error(const String& Msg, Integer Data)
{
  throw EListError(Msg.arg(Data));
}

Integer TList::Add(void* Item)
{
  FList.push_back(Item);
  if (Item)
    Notify(Item, lnAdded);
  return Integer(FList.size()) - 1;
}

void TList::Insert(Integer Index, void* Item)
{
  if (Index < 0 || Index > Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
  FList.insert(FList.begin() + Index, Item);
  if (Item)
    Notify(Item, lnAdded);
}

void TList::Delete(Integer Index)
{
  if (Index < 0 || Index >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
  void* Item = FList[std::size_t(Index)];
  FList.erase(FList.begin() + Index);
  if (Item)
    Notify(Item, lnDeleted);
}

Integer TList::Remove(void* Item)
{
  const Integer I = IndexOf(Item);
  if (I >= 0)
    Delete(I);
  return I;
}

void* TList::Extract(void* Item)
{
  const Integer I = IndexOf(Item);
  if (I < 0)
    return nullptr;
  FList.erase(FList.begin() + I);
  Notify(Item, lnExtracted);
  return Item;
}

void TList::Clear()
{
  // Items are taken out one by one from the end so that Notify sees a
  // consistent list (an owning list frees each item as it goes).
  while (!FList.empty()) {
    void* Item = FList.back();
    FList.pop_back();
    if (Item)
      Notify(Item, lnDeleted);
  }
  FList.shrink_to_fit();
}

Integer TList::IndexOf(void* Item) const
{
  auto It = std::find(FList.begin(), FList.end(), Item);
  return It == FList.end() ? -1 : Integer(It - FList.begin());
}

void TList::Exchange(Integer Index1, Integer Index2)
{
  if (Index1 < 0 || Index1 >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index1);
  if (Index2 < 0 || Index2 >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index2);
  std::swap(FList[std::size_t(Index1)], FList[std::size_t(Index2)]);
}

void TList::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  if (NewIndex < 0 || NewIndex >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), NewIndex);
  if (CurIndex < 0 || CurIndex >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), CurIndex);
  void* Item = FList[std::size_t(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Pack()
{
  FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Sort(const TListSortCompare& Compare)
{
  if (FList.size() < 2)
    return;
  std::stable_sort(FList.begin(), FList.end(), [&](void* A, void* B) { return Compare(A, B) < 0; });
}

void* TList::First() const
{
  if (FList.empty())
    Error(QStringLiteral("List index out of bounds (%1)"), 0);
  return FList.front();
}

void* TList::Last() const
{
  if (FList.empty())
    Error(QStringLiteral("List index out of bounds (%1)"), -1);
  return FList.back();
}

void TList::Assign(TList* ListA, TListAssignOp AOperator, TList* ListB)
{
  TList* Source = ListA;
  if (ListB) {
    Assign(ListA);
    Source = ListB;
  }
  switch (AOperator) {
  case laCopy:
    Clear();
    for (void* P : Source->FList)
      Add(P);
    break;
  case laAnd:
    for (Integer I = Count() - 1; I >= 0; --I)
      if (Source->IndexOf(Items(I)) < 0)
        Delete(I);
    break;
  case laOr:
    for (void* P : Source->FList)
      if (IndexOf(P) < 0)
        Add(P);
    break;
  case laXor: {
    std::vector<void*> Add2;
    for (void* P : Source->FList) {
      const Integer I = IndexOf(P);
      if (I < 0)
        Add2.push_back(P);
      else
        Delete(I);
    }
    for (void* P : Add2)
      Add(P);
    break;
  }
  case laSrcUnique: {
    std::vector<void*> Keep;
    for (void* P : Source->FList)
      if (IndexOf(P) < 0)
        Keep.push_back(P);
    Clear();
    for (void* P : Keep)
      Add(P);
    break;
  }
  case laDestUnique:
    for (Integer I = Count() - 1; I >= 0; --I)
      if (Source->IndexOf(Items(I)) >= 0)
        Delete(I);
    break;
  }
}

void TList::SetCount(Integer Value)
{
  if (Value < 0)
    Error(QStringLiteral("List count out of bounds (%1)"), Value);
  while (Count() > Value)
    Delete(Count() - 1);
  FList.resize(std::size_t(Value), nullptr);
}

void TList::SetCapacity(Integer Value)
{
  if (Value < Count())
    Error(QStringLiteral("List capacity out of bounds (%1)"), Value);
  FList.reserve(std::size_t(Value));
}

void* TList::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
  return FList[std::size_t(Index)];
}

void TList::SetItems(Integer Index, void* Item)
{
  if (Index < 0 || Index >= Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
  void* Old = FList[std::size_t(Index)];
  if (Old == Item)
    return;
  FList[std::size_t(Index)] = Item;
  if (Old)
    Notify(Old, lnDeleted);
  if (Item)
    Notify(Item, lnAdded);
}

void TList::Notify(void* Ptr, TListNotification Action)
{
  (void)Ptr;
  (void)Action;
}

// ---------------------------------------------------------------------------
// TPersistent

TPersistent::~TPersistent() = default;

void TPersistent::Assign(TPersistent* Source)
{
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
  Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source)
{
  const String SourceName = Source ? Source->ClassName() : QStringLiteral("nil");
  throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(SourceName, ClassName()));
}

void TPersistent::DefineProperties(TFiler& Filer)
{
  (void)Filer;
}

String TPersistent::GetNamePath() const
{
  return ClassName();
}

String TPersistent::EventHandlerName(const String& EventName) const
{
  if (!FEventNames)
    return {};
  for (const auto& [Event, Handler] : *FEventNames)
    if (Event.compare(EventName, Qt::CaseInsensitive) == 0)
      return Handler;
  return {};
}

void TPersistent::SetEventHandlerName(const String& EventName, const String& HandlerName)
{
  if (!FEventNames)
    FEventNames = std::make_unique<std::vector<std::pair<String, String>>>();
  for (auto It = FEventNames->begin(); It != FEventNames->end(); ++It)
    if (It->first.compare(EventName, Qt::CaseInsensitive) == 0) {
      if (HandlerName.isEmpty())
        FEventNames->erase(It);
      else
        It->second = HandlerName;
      return;
    }
  if (!HandlerName.isEmpty())
    FEventNames->emplace_back(EventName, HandlerName);
}

// ---------------------------------------------------------------------------
// TStrings

namespace {

bool IsSpaceOrControl(QChar C) { return C.unicode() <= ' '; }

// Reads a quoted part starting at S[P] (the quote) with doubled quotes for
// one; P ends after the closing quote (or at the end when it is missing).
String ExtractQuoted(const String& S, qsizetype& P, QChar Quote)
{
  String R;
  ++P;
  while (P < S.size()) {
    if (S[P] == Quote) {
      if (P + 1 < S.size() && S[P + 1] == Quote) {
        R += Quote;
        P += 2;
        continue;
      }
      ++P;
      return R;
    }
    R += S[P++];
  }
  return R;
}

String QuotedWith(const String& S, QChar Quote)
{
  String R;
  R.reserve(S.size() + 2);
  R += Quote;
  for (QChar C : S) {
    R += C;
    if (C == Quote)
      R += Quote;
  }
  R += Quote;
  return R;
}

} // namespace

TStrings::TStrings() = default;
TStrings::~TStrings() = default;

void TStrings::Error(const String& Msg, Integer Data) const
{
  throw EStringListError(Msg.arg(Data));
}

void TStrings::Put(Integer Index, const String& S)
{
  TObject* Obj = GetObject(Index);
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Delete(Index);
  InsertObject(Index, S, Obj);
}

TObject* TStrings::GetObject(Integer Index) const
{
  (void)Index;
  return nullptr;
}

void TStrings::PutObject(Integer Index, TObject* AObject)
{
  (void)Index;
  (void)AObject;
}

Integer TStrings::Add(const String& S)
{
  const Integer Result = GetCount();
  Insert(Result, S);
  return Result;
}

Integer TStrings::AddObject(const String& S, TObject* AObject)
{
  const Integer Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject)
{
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(TStrings* Strings)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  for (Integer I = 0; I < Strings->Count(); ++I)
    AddObject(Strings->Get(I), Strings->GetObject(I));
}

void TStrings::AddStrings(const QStringList& Strings)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  for (const String& S : Strings)
    Add(S);
}

void TStrings::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TStrings*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  if (Src == this)
    return;
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  FDelimiter = Src->FDelimiter;
  FQuoteChar = Src->FQuoteChar;
  FNameValueSeparator = Src->FNameValueSeparator;
  FLineBreak = Src->FLineBreak;
  FOptions = Src->FOptions;
  AddStrings(Src);
}

Integer TStrings::CompareStrings(const String& S1, const String& S2) const
{
  return CollateText(S1, S2, false);
}

Integer TStrings::IndexOf(const String& S) const
{
  for (Integer I = 0; I < GetCount(); ++I)
    if (CompareStrings(Get(I), S) == 0)
      return I;
  return -1;
}

String TStrings::ExtractName(const String& S) const
{
  const qsizetype P = S.indexOf(FNameValueSeparator);
  return P < 0 ? String() : S.left(P);
}

Integer TStrings::IndexOfName(const String& Name) const
{
  for (Integer I = 0; I < GetCount(); ++I) {
    const String S = Get(I);
    const qsizetype P = S.indexOf(FNameValueSeparator);
    if (P >= 0 && CompareStrings(S.left(P), Name) == 0)
      return I;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) const
{
  for (Integer I = 0; I < GetCount(); ++I)
    if (GetObject(I) == AObject)
      return I;
  return -1;
}

void TStrings::Exchange(Integer Index1, Integer Index2)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  const String S1 = Get(Index1);
  TObject* O1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, S1);
  PutObject(Index2, O1);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  const String S = Get(CurIndex);
  TObject* Obj = GetObject(CurIndex);
  PutObject(CurIndex, nullptr);   // an owning list must not free it
  Delete(CurIndex);
  InsertObject(NewIndex, S, Obj);
}

bool TStrings::Equals(TStrings* Strings) const
{
  if (Strings->Count() != Count())
    return false;
  for (Integer I = 0; I < Count(); ++I)
    if (Get(I) != Strings->Get(I))
      return false;
  return true;
}

String TStrings::Names(Integer Index) const
{
  return ExtractName(Get(Index));
}

String TStrings::ValueFromIndex(Integer Index) const
{
  const String S = Get(Index);
  const qsizetype P = S.indexOf(FNameValueSeparator);
  return P < 0 ? String() : S.mid(P + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value)
{
  if (Value.isEmpty() && Index >= 0) {
    Delete(Index);
    return;
  }
  if (Index < 0)
    Index = Add(QString());
  Put(Index, Names(Index) + FNameValueSeparator + Value);
}

String TStrings::Values(const String& Name) const
{
  const Integer I = IndexOfName(Name);
  return I < 0 ? String() : Get(I).mid(Name.size() + 1);
}

void TStrings::SetValues(const String& Name, const String& Value)
{
  const Integer I = IndexOfName(Name);
  if (!Value.isEmpty()) {
    const String Line = Name + FNameValueSeparator + Value;
    if (I < 0)
      Add(Line);
    else
      Put(I, Line);
  } else if (I >= 0) {
    Delete(I);
  }
}

String TStrings::Text() const
{
  String R;
  const Integer N = GetCount();
  for (Integer I = 0; I < N; ++I) {
    R += Get(I);
    if (I < N - 1 || TrailingLineBreak())
      R += FLineBreak;
  }
  return R;
}

void TStrings::SetText(const String& Value)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  // Lines end at CR, LF or CR LF (or at the line-break text when it is
  // another one); a final line break opens no empty line.
  const bool Custom = FLineBreak != QLatin1String("\r\n") && FLineBreak != QLatin1String("\n") &&
                      FLineBreak != QLatin1String("\r") && !FLineBreak.isEmpty();
  qsizetype P = 0;
  const qsizetype N = Value.size();
  while (P < N) {
    qsizetype Start = P;
    if (Custom) {
      qsizetype E = Value.indexOf(FLineBreak, P);
      if (E < 0)
        E = N;
      Add(Value.mid(Start, E - Start));
      P = E < N ? E + FLineBreak.size() : N;
      continue;
    }
    while (P < N && Value[P] != QLatin1Char('\r') && Value[P] != QLatin1Char('\n'))
      ++P;
    Add(Value.mid(Start, P - Start));
    if (P < N && Value[P] == QLatin1Char('\r'))
      ++P;
    if (P < N && Value[P] == QLatin1Char('\n'))
      ++P;
  }
}

String TStrings::DelimitedText() const
{
  const Integer N = GetCount();
  if (N == 1 && Get(0).isEmpty())
    return String(2, FQuoteChar);
  String R;
  const bool Strict = StrictDelimiter();
  for (Integer I = 0; I < N; ++I) {
    const String S = Get(I);
    bool Quote = false;
    for (QChar C : S)
      if (C == FQuoteChar || C == FDelimiter || (!Strict && IsSpaceOrControl(C)) || C.unicode() == 0) {
        Quote = true;
        break;
      }
    if (I > 0)
      R += FDelimiter;
    R += Quote ? QuotedWith(S, FQuoteChar) : S;
  }
  return R;
}

void TStrings::SetDelimitedText(const String& Value)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  const bool Strict = StrictDelimiter();
  const qsizetype N = Value.size();
  auto SkipBlanks = [&](qsizetype& P) {
    if (!Strict)
      while (P < N && Value[P].unicode() >= 1 && Value[P].unicode() <= ' ')
        ++P;
  };
  qsizetype P = 0;
  SkipBlanks(P);
  while (P < N) {
    String S;
    if (Value[P] == FQuoteChar) {
      S = ExtractQuoted(Value, P, FQuoteChar);
    } else {
      const qsizetype Start = P;
      while (P < N && Value[P] != FDelimiter && (Strict || Value[P].unicode() > ' '))
        ++P;
      S = Value.mid(Start, P - Start);
    }
    Add(S);
    SkipBlanks(P);
    if (P < N && Value[P] == FDelimiter) {
      if (P + 1 == N)
        Add(QString());
      ++P;
      SkipBlanks(P);
    }
  }
}

String TStrings::CommaText() const
{
  auto* Self = const_cast<TStrings*>(this);
  const QChar OldDelimiter = FDelimiter, OldQuote = FQuoteChar;
  const TStringsOptions OldOptions = FOptions;
  Self->FDelimiter = QLatin1Char(',');
  Self->FQuoteChar = QLatin1Char('"');
  Self->FOptions.Exclude(soStrictDelimiter);
  ScopeExit Restore([&] {
    Self->FDelimiter = OldDelimiter;
    Self->FQuoteChar = OldQuote;
    Self->FOptions = OldOptions;
  });
  return DelimitedText();
}

void TStrings::SetCommaText(const String& Value)
{
  const QChar OldDelimiter = FDelimiter, OldQuote = FQuoteChar;
  const TStringsOptions OldOptions = FOptions;
  FDelimiter = QLatin1Char(',');
  FQuoteChar = QLatin1Char('"');
  FOptions.Exclude(soStrictDelimiter);
  ScopeExit Restore([&] {
    FDelimiter = OldDelimiter;
    FQuoteChar = OldQuote;
    FOptions = OldOptions;
  });
  SetDelimitedText(Value);
}

void TStrings::SetStrictDelimiter(bool Value)
{
  if (Value)
    FOptions.Include(soStrictDelimiter);
  else
    FOptions.Exclude(soStrictDelimiter);
}

void TStrings::SetTrailingLineBreak(bool Value)
{
  if (Value)
    FOptions.Include(soTrailingLineBreak);
  else
    FOptions.Exclude(soTrailingLineBreak);
}

void TStrings::SetWriteBOM(bool Value)
{
  if (Value)
    FOptions.Include(soWriteBOM);
  else
    FOptions.Exclude(soWriteBOM);
}

void TStrings::SetTextLineBreakStyle(TTextLineBreakStyle Value)
{
  switch (Value) {
  case tlbsLF:
    FLineBreak = QStringLiteral("\n");
    break;
  case tlbsCRLF:
    FLineBreak = QStringLiteral("\r\n");
    break;
  case tlbsCR:
    FLineBreak = QStringLiteral("\r");
    break;
  }
}

void TStrings::SetDefaultEncoding(TEncoding* Value)
{
  FDefaultEncoding = Value;
}

QStringList TStrings::ToStringList() const
{
  QStringList R;
  R.reserve(GetCount());
  for (Integer I = 0; I < GetCount(); ++I)
    R << Get(I);
  return R;
}

void TStrings::BeginUpdate()
{
  if (FUpdateCount == 0)
    SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate()
{
  --FUpdateCount;
  if (FUpdateCount == 0)
    SetUpdateState(false);
}

void TStrings::SetUpdateState(bool Updating)
{
  (void)Updating;
}

void TStrings::LoadFromFile(const String& FileName, TEncoding* Encoding)
{
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream, Encoding);
}

void TStrings::LoadFromStream(TStream* Stream, TEncoding* Encoding)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  const Int64 Size = Stream->Size() - Stream->Position();
  QByteArray Buffer(qsizetype(std::max<Int64>(Size, 0)), Qt::Uninitialized);
  Stream->ReadBuffer(Buffer.data(), Integer(Buffer.size()));
  const int Skip = TEncoding::GetBufferEncoding(Buffer, Encoding, FDefaultEncoding);
  FEncoding = Encoding;
  SetText(Encoding->GetString(Buffer.mid(Skip)));
}

void TStrings::SaveToFile(const String& FileName, TEncoding* Encoding) const
{
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream, Encoding);
}

void TStrings::SaveToStream(TStream* Stream, TEncoding* Encoding) const
{
  if (!Encoding)
    Encoding = FEncoding ? FEncoding : (FDefaultEncoding ? FDefaultEncoding : TEncoding::Default());
  if (WriteBOM())
    Stream->WriteBuffer(Encoding->GetPreamble());
  Stream->WriteBuffer(Encoding->GetBytes(Text()));
}

void TStrings::DefineProperties(TFiler& Filer)
{
  bool HasData = Count() > 0;
  if (auto* Ancestor = dynamic_cast<TStrings*>(Filer.Ancestor()))
    HasData = !Equals(Ancestor);
  Filer.DefineProperty(
    QStringLiteral("Strings"), [this](TReader& R) { ReadData(R); }, [this](TWriter& W) { WriteData(W); }, HasData);
}

void TStrings::ReadData(TReader& Reader)
{
  Reader.ReadListBegin();
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  while (!Reader.EndOfList())
    Add(Reader.ReadString());
  Reader.ReadListEnd();
}

void TStrings::WriteData(TWriter& Writer)
{
  Writer.WriteListBegin();
  for (Integer I = 0; I < Count(); ++I)
    Writer.WriteString(Get(I));
  Writer.WriteListEnd();
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::TStringList() = default;

TStringList::TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}

TStringList::~TStringList()
{
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (TStringItem& Item : FList)
      delete std::exchange(Item.FObject, nullptr);
}

void TStringList::CheckIndex(Integer Index) const
{
  if (Index < 0 || Index >= Integer(FList.size()))
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
}

String TStringList::Get(Integer Index) const
{
  CheckIndex(Index);
  return FList[std::size_t(Index)].FString;
}

Integer TStringList::GetCount() const
{
  return Integer(FList.size());
}

void TStringList::Put(Integer Index, const String& S)
{
  if (FSorted)
    Error(QStringLiteral("Operation not allowed on sorted list"), 0);
  CheckIndex(Index);
  Changing();
  FList[std::size_t(Index)].FString = S;
  Changed();
}

TObject* TStringList::GetObject(Integer Index) const
{
  CheckIndex(Index);
  return FList[std::size_t(Index)].FObject;
}

void TStringList::PutObject(Integer Index, TObject* AObject)
{
  CheckIndex(Index);
  Changing();
  FList[std::size_t(Index)].FObject = AObject;
  Changed();
}

void TStringList::Insert(Integer Index, const String& S)
{
  if (FSorted)
    Error(QStringLiteral("Operation not allowed on sorted list"), 0);
  if (Index < 0 || Index > Count())
    Error(QStringLiteral("List index out of bounds (%1)"), Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject)
{
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Delete(Integer Index)
{
  CheckIndex(Index);
  Changing();
  TObject* Obj = FList[std::size_t(Index)].FObject;
  FList.erase(FList.begin() + Index);
  if (FOwnsObjects)
    delete Obj;
  Changed();
}

void TStringList::Clear()
{
  if (FList.empty())
    return;
  Changing();
  std::vector<TStringItem> Old;
  Old.swap(FList);
  if (FOwnsObjects)
    for (TStringItem& Item : Old)
      delete Item.FObject;
  Changed();
}

Integer TStringList::Add(const String& S)
{
  return AddObject(S, nullptr);
}

Integer TStringList::AddObject(const String& S, TObject* AObject)
{
  Integer Index;
  if (!FSorted) {
    Index = Count();
  } else if (Find(S, Index)) {
    switch (FDuplicates) {
    case dupIgnore:
      return Index;
    case dupError:
      Error(QStringLiteral("String list does not allow duplicates"), 0);
    case dupAccept:
      break;
    }
  }
  InsertItem(Index, S, AObject);
  return Index;
}

void TStringList::Exchange(Integer Index1, Integer Index2)
{
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[std::size_t(Index1)], FList[std::size_t(Index2)]);
  Changed();
}

Integer TStringList::IndexOf(const String& S) const
{
  if (!FSorted)
    return TStrings::IndexOf(S);
  Integer Index;
  return Find(S, Index) ? Index : -1;
}

void TStringList::Assign(TPersistent* Source)
{
  if (auto* Src = dynamic_cast<TStringList*>(Source)) {
    FCaseSensitive = Src->FCaseSensitive;
    FDuplicates = Src->FDuplicates;
    FSorted = Src->FSorted;
  }
  TStrings::Assign(Source);
}

bool TStringList::Find(const String& S, Integer& Index) const
{
  bool Result = false;
  Integer L = 0, H = Count() - 1;
  while (L <= H) {
    const Integer I = (L + H) / 2;
    const Integer C = CompareStrings(FList[std::size_t(I)].FString, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Result = true;
        if (FDuplicates != dupAccept)
          L = I;
      }
    }
  }
  Index = L;
  return Result;
}

void TStringList::QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare)
{
  while (L < R) {
    Integer I = L, J = R, P = (L + R) / 2;
    do {
      while (Compare(this, I, P) < 0)
        ++I;
      while (Compare(this, J, P) > 0)
        --J;
      if (I <= J) {
        if (I != J)
          std::swap(FList[std::size_t(I)], FList[std::size_t(J)]);
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J)
      QuickSort(L, J, Compare);
    L = I;
  }
}

void TStringList::Sort()
{
  CustomSort([](TStringList* List, Integer A, Integer B) {
    return List->CompareStrings(List->FList[std::size_t(A)].FString, List->FList[std::size_t(B)].FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare)
{
  if (Count() < 2)
    return;
  Changing();
  QuickSort(0, Count() - 1, Compare);
  Changed();
}

void TStringList::SetSorted(bool Value)
{
  if (FSorted == Value)
    return;
  if (Value)
    Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
  if (FCaseSensitive == Value)
    return;
  FCaseSensitive = Value;
  if (FSorted)
    Sort();
}

Integer TStringList::CompareStrings(const String& S1, const String& S2) const
{
  if (!Options().Contains(soUseLocale))
    return FCaseSensitive ? S1.compare(S2) : S1.compare(S2, Qt::CaseInsensitive);
  return CollateText(S1, S2, FCaseSensitive);
}

void TStringList::Changed()
{
  if (UpdateCount() == 0 && OnChange)
    OnChange(this);
}

void TStringList::Changing()
{
  if (UpdateCount() == 0 && OnChanging)
    OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating)
{
  if (Updating) {
    if (OnChanging)
      OnChanging(this);
  } else if (OnChange) {
    OnChange(this);
  }
}

// ---------------------------------------------------------------------------
// Streams

void TStream::ReadBuffer(void* Buffer, Integer Count)
{
  if (Count != 0 && Read(Buffer, Count) != Count)
    throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* Buffer, Integer Count)
{
  if (Count != 0 && Write(Buffer, Count) != Count)
    throw EWriteError(QStringLiteral("Stream write error"));
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count)
{
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const Int64 Result = Count;
  constexpr Integer ChunkSize = 64 * 1024;
  std::vector<char> Buffer(std::size_t(std::min<Int64>(Count, ChunkSize)));
  while (Count > 0) {
    const Integer N = Integer(std::min<Int64>(Count, ChunkSize));
    Source->ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Count -= N;
  }
  return Result;
}

QByteArray TStream::ReadBytes(Integer Count)
{
  QByteArray B(qsizetype(std::max(Count, 0)), Qt::Uninitialized);
  const Integer N = Read(B.data(), Count);
  B.resize(std::max(N, 0));
  return B;
}

Int64 TStream::Size() const
{
  auto* Self = const_cast<TStream*>(this);
  const Int64 Pos = Self->Seek(0, soCurrent);
  const Int64 Result = Self->Seek(0, soEnd);
  Self->Seek(Pos, soBeginning);
  return Result;
}

void TStream::SetSize(Int64 NewSize)
{
  (void)NewSize;
}

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count)
{
  if (FPosition < 0 || Count <= 0)
    return 0;
  const Int64 N = std::min<Int64>(FSize - FPosition, Count);
  if (N <= 0)
    return 0;
  std::memcpy(Buffer, static_cast<const char*>(FMemory) + FPosition, std::size_t(N));
  FPosition += N;
  return Integer(N);
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
  switch (Origin) {
  case soBeginning:
    FPosition = Offset;
    break;
  case soCurrent:
    FPosition += Offset;
    break;
  case soEnd:
    FPosition = FSize + Offset;
    break;
  }
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) const
{
  if (FSize > 0)
    Stream->WriteBuffer(FMemory, Integer(FSize));
}

void TCustomMemoryStream::SaveToFile(const String& FileName) const
{
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size)
{
  FMemory = Ptr;
  FSize = Size;
}

TMemoryStream::~TMemoryStream()
{
  std::free(FMemory);
  FMemory = nullptr;
}

void* TMemoryStream::Realloc(Int64& NewCapacity)
{
  constexpr Int64 MemoryDelta = 0x2000;
  if (NewCapacity > 0 && NewCapacity != FSize)
    NewCapacity = (NewCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
  if (NewCapacity == FCapacity)
    return FMemory;
  if (NewCapacity == 0) {
    std::free(FMemory);
    return nullptr;
  }
  void* P = std::realloc(FMemory, std::size_t(NewCapacity));
  if (!P)
    throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
  return P;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity)
{
  void* P = Realloc(NewCapacity);
  SetPointer(P, FSize);
  FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(Int64 NewSize)
{
  const Int64 OldPosition = FPosition;
  const Int64 OldSize = FSize;
  SetCapacity(NewSize);
  if (NewSize > OldSize)
    std::memset(static_cast<char*>(FMemory) + OldSize, 0, std::size_t(NewSize - OldSize));
  FSize = NewSize;
  if (OldPosition > NewSize)
    Seek(0, soEnd);
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count)
{
  if (FPosition < 0 || Count <= 0)
    return 0;
  const Int64 Pos = FPosition + Count;
  if (Pos > FSize) {
    if (Pos > FCapacity)
      SetCapacity(Pos);
    // A write past the end leaves no stale memory in the gap.
    if (FPosition > FSize)
      std::memset(static_cast<char*>(FMemory) + FSize, 0, std::size_t(FPosition - FSize));
    FSize = Pos;
  }
  std::memcpy(static_cast<char*>(FMemory) + FPosition, Buffer, std::size_t(Count));
  FPosition = Pos;
  return Count;
}

void TMemoryStream::Clear()
{
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
  Stream->SetPosition(0);
  const Int64 Count = Stream->Size();
  SetSize(Count);
  if (Count != 0)
    Stream->ReadBuffer(FMemory, Integer(Count));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& FileName)
{
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

QByteArray TMemoryStream::Bytes() const
{
  return FSize > 0 ? QByteArray(static_cast<const char*>(FMemory), qsizetype(FSize)) : QByteArray();
}

TBytesStream::TBytesStream(const QByteArray& Bytes)
{
  if (!Bytes.isEmpty())
    WriteBuffer(Bytes);
  SetPosition(0);
}

TStringStream::TStringStream() : FEncoding(TEncoding::Default()) {}

TStringStream::TStringStream(const String& AString, TEncoding* AEncoding)
  : TBytesStream((AEncoding ? AEncoding : TEncoding::Default())->GetBytes(AString)),
    FEncoding(AEncoding ? AEncoding : TEncoding::Default())
{
}

TStringStream::TStringStream(const QByteArray& Bytes) : TBytesStream(Bytes), FEncoding(TEncoding::Default()) {}

String TStringStream::DataString() const
{
  return FEncoding->GetString(Bytes());
}

String TStringStream::ReadString(Integer Count)
{
  return FEncoding->GetString(ReadBytes(Count));
}

void TStringStream::WriteString(const String& AString)
{
  WriteBuffer(FEncoding->GetBytes(AString));
}

TFileStream::TFileStream(const String& AFileName, Word Mode) : FFileName(AFileName)
{
  const QByteArray Path = QFile::encodeName(AFileName);
  if ((Mode & fmCreate) == fmCreate) {
    FFile = std::fopen(Path.constData(), "w+b");
    if (!FFile)
      throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(AFileName, QString::fromLocal8Bit(std::strerror(errno))));
    return;
  }
  const char* FMode = (Mode & 3) == fmOpenRead ? "rb" : "r+b";
  FFile = std::fopen(Path.constData(), FMode);
  if (!FFile)
    throw EFOpenError(
      QStringLiteral("Cannot open file \"%1\". %2").arg(AFileName, QString::fromLocal8Bit(std::strerror(errno))));
}

TFileStream::~TFileStream()
{
  if (FFile)
    std::fclose(FFile);   // nothing is left buffered to fail here: Write flushes
}

Integer TFileStream::Read(void* Buffer, Integer Count)
{
  if (Count <= 0)
    return 0;
  return Integer(std::fread(Buffer, 1, std::size_t(Count), FFile));
}

// Each write reaches the file before it returns, so a full disk fails the
// write that the caller sees rather than the close that cannot report it.
Integer TFileStream::Write(const void* Buffer, Integer Count)
{
  if (Count <= 0)
    return 0;
  const std::size_t Done = std::fwrite(Buffer, 1, std::size_t(Count), FFile);
  if (std::fflush(FFile) != 0)
    return 0;
  return Integer(Done);
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
  const int Whence = Origin == soBeginning ? SEEK_SET : (Origin == soCurrent ? SEEK_CUR : SEEK_END);
  if (fseeko(FFile, off_t(Offset), Whence) != 0)
    return -1;
  return Int64(ftello(FFile));
}

Int64 TFileStream::Size() const
{
  const off_t Pos = ftello(FFile);
  fseeko(FFile, 0, SEEK_END);
  const off_t End = ftello(FFile);
  fseeko(FFile, Pos, SEEK_SET);
  return Int64(End);
}

void TFileStream::SetSize(Int64 NewSize)
{
  std::fflush(FFile);
  const Int64 Pos = Position();
  if (ftruncate(fileno(FFile), off_t(NewSize)) != 0)
    throw EStreamError(QStringLiteral("Stream write error"));
  Seek(std::min(Pos, NewSize), soBeginning);
}

String TResourceStream::PathOf(const String& ResName)
{
  return QStringLiteral(":/forms/") + ResName;
}

bool TResourceStream::Exists(const String& ResName)
{
  return QFile::exists(PathOf(ResName));
}

QStringList TResourceStream::Names()
{
  return QDir(PathOf(String())).entryList(QDir::Files);
}

TResourceStream::TResourceStream(const String& ResName)
{
  QFile F(PathOf(ResName));
  if (!F.open(QIODevice::ReadOnly))
    throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ResName));
  FData = F.readAll();
  SetPointer(FData.data(), FData.size());
}

Integer TResourceStream::Write(const void* Buffer, Integer Count)
{
  (void)Buffer;
  (void)Count;
  throw EStreamError(QStringLiteral("Can't write to a read-only resource stream"));
}

// ---------------------------------------------------------------------------
// Collections

TCollectionItem::TCollectionItem(TCollection* Collection)
{
  SetCollection(Collection);
}

TCollectionItem::~TCollectionItem()
{
  if (FCollection)
    FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
  if (FCollection == Value)
    return;
  if (FCollection)
    FCollection->RemoveItem(this);
  if (Value)
    Value->InsertItem(this);
}

Integer TCollectionItem::Index() const
{
  if (!FCollection)
    return -1;
  const auto& Items = FCollection->FItems;
  auto It = std::find(Items.begin(), Items.end(), this);
  return It == Items.end() ? -1 : Integer(It - Items.begin());
}

void TCollectionItem::SetIndex(Integer Value)
{
  const Integer Cur = Index();
  if (Cur < 0 || Cur == Value)
    return;
  auto& Items = FCollection->FItems;
  if (Value < 0 || Value >= Integer(Items.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Value));
  Items.erase(Items.begin() + Cur);
  Items.insert(Items.begin() + Value, this);
  Changed(true);
}

String TCollectionItem::DisplayName() const
{
  return ClassName();
}

void TCollectionItem::SetDisplayName(const String& Value)
{
  (void)Value;
  Changed(false);
}

String TCollectionItem::GetNamePath() const
{
  if (!FCollection)
    return ClassName();
  return QStringLiteral("%1[%2]").arg(FCollection->GetNamePath()).arg(Index());
}

void TCollectionItem::Changed(bool AllItems)
{
  if (FCollection && FCollection->FUpdateCount == 0)
    FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const
{
  return FCollection;
}

TCollection::TCollection(TClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection()
{
  FUpdateCount = 1;   // no change notices while the items go
  while (!FItems.empty())
    delete FItems.back();
}

TCollectionItem* TCollection::CreateItem()
{
  if (!FItemClass || !FItemClass->CreateItem)
    throw EInvalidOperation(QStringLiteral("Cannot create an item of class %1").arg(ClassNameOf(FItemClass)));
  return FItemClass->CreateItem(this);
}

TCollectionItem* TCollection::Add()
{
  return CreateItem();
}

TCollectionItem* TCollection::Insert(Integer Index)
{
  if (Index < 0 || Index > Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  TCollectionItem* Item = Add();
  Item->SetIndex(Index);
  return Item;
}

void TCollection::Delete(Integer Index)
{
  TCollectionItem* Item = Items(Index);
  Notify(Item, cnDeleting);
  delete Item;
}

void TCollection::Clear()
{
  if (FItems.empty())
    return;
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  while (!FItems.empty())
    Delete(Count() - 1);
}

void TCollection::ClearAndResetID()
{
  Clear();
  FNextID = 0;
}

void TCollection::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TCollection*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  if (Src == this)
    return;
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  for (TCollectionItem* Item : Src->FItems)
    Add()->Assign(Item);
}

void TCollection::BeginUpdate()
{
  ++FUpdateCount;
}

void TCollection::EndUpdate()
{
  --FUpdateCount;
  Changed();
}

void TCollection::Changed()
{
  if (FUpdateCount == 0)
    Update(nullptr);
}

void TCollection::Update(TCollectionItem* Item)
{
  (void)Item;
}

void TCollection::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
  switch (Action) {
  case cnAdded:
    Added(Item);
    break;
  case cnDeleting:
    Deleting(Item);
    break;
  case cnExtracting:
    break;
  }
}

TCollectionItem* TCollection::FindItemID(Integer ID) const
{
  for (TCollectionItem* Item : FItems)
    if (Item->FID == ID)
      return Item;
  return nullptr;
}

void TCollection::Exchange(Integer Index1, Integer Index2)
{
  Items(Index1);
  Items(Index2);
  std::swap(FItems[std::size_t(Index1)], FItems[std::size_t(Index2)]);
  Changed();
}

String TCollection::GetNamePath() const
{
  TPersistent* Owner = GetOwner();
  return Owner ? Owner->GetNamePath() + QStringLiteral(".") + ClassName() : ClassName();
}

TCollectionItem* TCollection::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FItems[std::size_t(Index)];
}

void TCollection::SetItems(Integer Index, TCollectionItem* Value)
{
  Items(Index)->Assign(Value);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
  Notify(Item, cnExtracting);
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  if (It != FItems.end())
    FItems.erase(It);
  Item->FCollection = nullptr;
  Changed();
}

TOwnedCollection::TOwnedCollection(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}

// ---------------------------------------------------------------------------
// Components

bool IsValidIdent(const String& Ident, bool AllowDots)
{
  if (Ident.isEmpty())
    return false;
  auto IsAlpha = [](QChar C) { return C == QLatin1Char('_') || (C.unicode() < 128 && C.isLetter()); };
  auto IsAlnum = [&](QChar C) { return IsAlpha(C) || (C.unicode() < 128 && C.isDigit()); };
  if (!IsAlpha(Ident[0]))
    return false;
  for (qsizetype I = 1; I < Ident.size(); ++I) {
    const QChar C = Ident[I];
    if (AllowDots && C == QLatin1Char('.')) {
      if (I + 1 >= Ident.size() || !IsAlpha(Ident[I + 1]))
        return false;
      continue;
    }
    if (!IsAlnum(C))
      return false;
  }
  return true;
}

TComponent::TComponent(TComponent* AOwner)
{
  if (AOwner)
    AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
  Destroying();
  // Everyone who asked to hear of this component's end hears it now.
  while (!FFreeNotifies.empty()) {
    TComponent* Other = FFreeNotifies.back();
    Other->Notification(this, opRemove);
    if (!FFreeNotifies.empty() && FFreeNotifies.back() == Other) {
      FFreeNotifies.pop_back();
      auto& Theirs = Other->FFreeNotifies;
      Theirs.erase(std::remove(Theirs.begin(), Theirs.end(), this), Theirs.end());
    }
  }
  DestroyComponents();
  if (FOwner)
    FOwner->RemoveComponent(this);
}

void TComponent::Destroying()
{
  if (FComponentState.Contains(csDestroying))
    return;
  FComponentState.Include(csDestroying);
  for (TComponent* C : FComponents)
    C->Destroying();
}

void TComponent::DestroyComponents()
{
  while (!FComponents.empty()) {
    TComponent* C = FComponents.back();
    Remove(C);
    delete C;
  }
}

TComponent* TComponent::Components(Integer Index) const
{
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FComponents[std::size_t(Index)];
}

Integer TComponent::ComponentIndex() const
{
  if (!FOwner)
    return -1;
  const auto& L = FOwner->FComponents;
  auto It = std::find(L.begin(), L.end(), this);
  return It == L.end() ? -1 : Integer(It - L.begin());
}

void TComponent::SetComponentIndex(Integer Value)
{
  if (!FOwner)
    return;
  auto& L = FOwner->FComponents;
  const Integer Cur = ComponentIndex();
  Value = std::clamp(Value, 0, Integer(L.size()) - 1);
  if (Cur < 0 || Cur == Value)
    return;
  L.erase(L.begin() + Cur);
  L.insert(L.begin() + Value, this);
}

void TComponent::SetSubComponent(bool IsSubComponent)
{
  if (IsSubComponent)
    FComponentStyle.Include(csSubComponent);
  else
    FComponentStyle.Exclude(csSubComponent);
}

TComponent* TComponent::FindComponent(const String& AName) const
{
  if (AName.isEmpty())
    return nullptr;
  constexpr std::size_t IndexFrom = 32;
  if (!FNameIndex && FComponents.size() >= IndexFrom) {
    auto* Self = const_cast<TComponent*>(this);
    Self->FNameIndex = std::make_unique<QHash<QString, TComponent*>>();
    for (TComponent* C : FComponents)
      Self->IndexName(C, true);
  }
  if (FNameIndex)
    return FNameIndex->value(AName.toCaseFolded(), nullptr);
  for (TComponent* C : FComponents)
    if (C->FName.compare(AName, Qt::CaseInsensitive) == 0)
      return C;
  return nullptr;
}

void TComponent::IndexName(TComponent* AComponent, bool Add)
{
  if (!FNameIndex || AComponent->FName.isEmpty())
    return;
  const QString Key = AComponent->FName.toCaseFolded();
  if (Add) {
    FNameIndex->insert(Key, AComponent);
    return;
  }
  // Names are unique within an owner (InsertComponent and SetName see to it).
  auto It = FNameIndex->find(Key);
  if (It != FNameIndex->end() && It.value() == AComponent)
    FNameIndex->erase(It);
}

void TComponent::InsertComponent(TComponent* AComponent)
{
  AComponent->ValidateContainer(this);
  // A component that arrives under a name already taken here is refused:
  // two of one name would make FindComponent and the streams ambiguous.
  if (TComponent* Same = FindComponent(AComponent->FName); Same && Same != AComponent)
    throw EComponentError(QStringLiteral("A component named %1 already exists").arg(AComponent->FName));
  if (AComponent->FOwner)
    AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning))
    AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  if (FNameIndex && !AComponent->FName.isEmpty() && !FNameIndex->contains(AComponent->FName.toCaseFolded()))
    IndexName(AComponent, true);
}

void TComponent::Remove(TComponent* AComponent)
{
  // From the end: a form frees its components newest first.
  auto It = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (It != FComponents.rend())
    FComponents.erase(std::next(It).base());
  IndexName(AComponent, false);
  AComponent->FOwner = nullptr;
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName)
{
  if (AComponent && CurName.compare(NewName, Qt::CaseInsensitive) != 0 && AComponent->FOwner == this &&
      FindComponent(NewName))
    throw EComponentError(QStringLiteral("A component named %1 already exists").arg(NewName));
}

void TComponent::SetName(const String& NewName)
{
  if (FName == NewName)
    return;
  if (!NewName.isEmpty() && !IsValidIdent(NewName))
    throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(NewName));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  if (FOwner)
    FOwner->IndexName(this, false);
  SetNameInternal(NewName);
  if (FOwner && FOwner->FNameIndex && !FName.isEmpty() && !FOwner->FNameIndex->contains(FName.toCaseFolded()))
    FOwner->IndexName(this, true);
}

void TComponent::FreeNotification(TComponent* AComponent)
{
  if (!AComponent || AComponent == this)
    return;
  // Components of one owner already hear of each other through the owner.
  if (FOwner && AComponent->FOwner == FOwner)
    return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  auto& Theirs = AComponent->FFreeNotifies;
  if (std::find(Theirs.begin(), Theirs.end(), this) == Theirs.end())
    Theirs.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
  RemoveNotification(AComponent);
  if (AComponent)
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
  if (FFreeNotifies.empty())
    FComponentState.Exclude(csFreeNotification);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
  if (Operation == opRemove && AComponent)
    RemoveFreeNotification(AComponent);
  // Owned components hear of it too; one of them may free others meanwhile.
  Integer I = ComponentCount() - 1;
  while (I >= 0) {
    FComponents[std::size_t(I)]->Notification(AComponent, Operation);
    --I;
    if (I >= ComponentCount())
      I = ComponentCount() - 1;
  }
}

String TComponent::GetNamePath() const
{
  return FName;
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
  if (Value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* C : FComponents)
      C->SetDesigning(Value, true);
}

void TComponent::SetInline(bool Value)
{
  if (Value)
    FComponentState.Include(csInline);
  else
    FComponentState.Exclude(csInline);
}

void TComponent::SetAncestor(bool Value)
{
  if (Value)
    FComponentState.Include(csAncestor);
  else
    FComponentState.Exclude(csAncestor);
  for (TComponent* C : FComponents)
    C->SetAncestor(Value);
}

void TComponent::Loaded()
{
  FComponentState.Exclude(csLoading);
}

void TComponent::ReadState(TReader& Reader)
{
  Reader.ReadData(this);
}

void TComponent::WriteState(TWriter& Writer)
{
  Writer.WriteData(this);
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  // A root writes the components it owns that no parent writes.
  if (Root != this)
    return;
  for (TComponent* C : FComponents)
    if (!C->HasParent())
      Proc(C);
}
