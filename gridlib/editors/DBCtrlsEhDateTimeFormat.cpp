// DBCtrlsEhDateTimeFormat.cpp: the date-time editor's pattern engine:
// compiling a pattern to an edit mask and an element table, reading typed
// elements back, merging them into a value, stepping one element.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/rtl/DateUtils.h"

#include <algorithm>

namespace {

// The years a two-digit year may stand for end this many years before now.
constexpr Integer TwoDigitYearWindowEh = 60;

enum TElementKindEh { ekNoneEh = -1, ekYearEh, ekMonthEh, ekDayEh, ekHourEh, ekMinEh, ekSecEh };

TElementKindEh ElementKind(QChar U)
{
  switch (U.unicode()) {
  case u'Y': return ekYearEh;
  case u'M': return ekMonthEh;
  case u'D': return ekDayEh;
  case u'H': return ekHourEh;
  case u'N': return ekMinEh;
  case u'S': return ekSecEh;
  default: return ekNoneEh;
  }
}

TElementMaskPosEh& ElementOf(TDateTimeElementsMaskPosEh& MaskPos, TElementKindEh Kind)
{
  TElementMaskPosEh* const Elements[] = {&MaskPos.Year, &MaskPos.Month, &MaskPos.Day,
                                         &MaskPos.Hour, &MaskPos.Min,   &MaskPos.Sec};
  return *Elements[Kind];
}

bool IsMaskSpecial(QChar C)
{
  switch (C.unicode()) {
  case u'!': case u'#': case u'0': case u'9': case u';': case u'<': case u'>':
  case u'A': case u'C': case u'L': case u'a': case u'c': case u'l':
  // A backslash written bare would take the mask's next character as a literal.
  case u'\\':
    return true;
  default:
    return false;
  }
}

String Quoted(QChar C)
{
  return String(QLatin1Char('"')) + C + QLatin1Char('"');
}

// The number standing in Text at Pos for Length characters: blanks before
// and between digits are skipped; -1 when empty or holding anything else.
Integer ReadElementNumber(const String& Text, Integer Pos, Integer Length)
{
  if (Pos < 1)
    return -1;
  const Integer End = std::min<Integer>(Pos - 1 + Length, Integer(Text.size()));
  qint64 Number = 0;
  bool AnyDigit = false;
  for (Integer I = Pos - 1; I < End; ++I) {
    const QChar C = Text[I];
    if (C == QLatin1Char(' '))
      continue;
    if (C < QLatin1Char('0') || C > QLatin1Char('9'))
      return -1;
    AnyDigit = true;
    Number = Number * 10 + (C.unicode() - u'0');
    if (Number > std::numeric_limits<Integer>::max())
      return -1;
  }
  return AnyDigit ? Integer(Number) : -1;
}

Integer DaysOf(Integer Year, Integer Month)
{
  return DaysInAMonth(Word(Year), Word(Month));
}

} // namespace

TDateOrderEh ShortDateOrderEh(const String& Format)
{
  for (const QChar C : Format) {
    switch (C.toUpper().unicode()) {
    case u'M': return doMDYEh;
    case u'D': return doDMYEh;
    case u'Y': return doYMDEh;
    default: break;
    }
  }
  return doDMYEh;
}

String DefaultDateEditFormatEh(bool FourDigitYear)
{
  switch (ShortDateOrderEh(FormatSettings.ShortDateFormat)) {
  case doMDYEh: return FourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
  case doYMDEh: return FourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
  case doDMYEh: break;
  }
  return FourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
}

String DefaultTimeEditFormatEh()
{
  return QStringLiteral("HH:NN:SS");
}

void ParseDateTimeEditFormatEh(const String& EditFormat, String& EditMask, TDateTimeElementsMaskPosEh& MaskPos)
{
  TDateTimeElementsMaskPosEh Result;
  String Mask;
  Mask.reserve(EditFormat.size() + 8);
  Mask += QLatin1Char('!');
  TElementKindEh RunKind = ekNoneEh;
  QChar RunLetter;
  Integer RunCount = 0;
  Integer TextPos = 1;
  bool Escaped = false;

  auto FinishRun = [&] {
    if (RunKind == ekNoneEh)
      return;
    const bool LengthOk = RunKind == ekYearEh ? RunCount == 2 || RunCount == 4 : RunCount == 2;
    if (!LengthOk)
      throw Exception(QStringLiteral("Invalid datetime format element length: ") + Quoted(RunLetter));
    TElementMaskPosEh& E = ElementOf(Result, RunKind);
    if (E.Present)
      throw Exception(QStringLiteral("Duplicating datetime format element: ") + Quoted(RunLetter));
    E.Pos = TextPos - RunCount;
    E.Length = RunCount;
    E.Present = true;
    Mask += String(RunCount, QLatin1Char('9'));
    RunKind = ekNoneEh;
    RunCount = 0;
  };

  for (Integer I = 0; I < EditFormat.size(); ++I) {
    const QChar C = EditFormat[I];
    const QChar U = C.toUpper();
    const TElementKindEh Kind = Escaped ? ekNoneEh : ElementKind(U);
    if (Kind != ekNoneEh) {
      if (Kind == RunKind) {
        ++RunCount;
      } else {
        FinishRun();
        RunKind = Kind;
        RunLetter = U;
        RunCount = 1;
      }
      if (RunCount > (Kind == ekYearEh ? 4 : 2))
        throw Exception(QStringLiteral("Element in EditFormat: \"") + EditFormat + QStringLiteral("\" is too long. Pos: ") +
                        String::number(I + 1));
      ++TextPos;
      continue;
    }
    FinishRun();
    if (C == QLatin1Char('\\') && !Escaped) {
      Escaped = true;
      continue;
    }
    if (IsMaskSpecial(C))
      Mask += QLatin1Char('\\');
    Mask += C;
    Escaped = false;
    ++TextPos;
  }
  FinishRun();
  Mask += QStringLiteral(";1; ");
  EditMask = Mask;
  MaskPos = Result;
}

String DateTimeEditFormatToDisplayFormatEh(const String& EditFormat)
{
  String Result;
  Result.reserve(EditFormat.size() * 2);
  bool Escaped = false;
  bool InQuotes = false;
  for (const QChar C : EditFormat) {
    const QChar U = C.toUpper();
    const bool Copied = !Escaped && (ElementKind(U) != ekNoneEh || U == QLatin1Char('/') || U == QLatin1Char(':'));
    if (!Escaped && C == QLatin1Char('\\')) {
      Escaped = true;
      continue;
    }
    Escaped = false;
    if (Copied) {
      if (InQuotes)
        Result += QLatin1Char('\'');
      InQuotes = false;
      Result += U;
      continue;
    }
    // Literals keep their case: the display shows what the edit text shows.
    // A single quote cannot stand inside single quotes; double ones hold it.
    if (C == QLatin1Char('\'')) {
      if (InQuotes)
        Result += QLatin1Char('\'');
      InQuotes = false;
      Result += QStringLiteral("\"'\"");
      continue;
    }
    if (!InQuotes)
      Result += QLatin1Char('\'');
    InQuotes = true;
    Result += C;
  }
  if (InQuotes)
    Result += QLatin1Char('\'');
  return Result;
}

String DateTimeEditFormatToTemplateEh(const String& EditFormat)
{
  String Result;
  Result.reserve(EditFormat.size());
  bool Escaped = false;
  for (const QChar C : EditFormat) {
    if (!Escaped && C == QLatin1Char('\\')) {
      Escaped = true;
      continue;
    }
    const QChar U = C.toUpper();
    const bool Element = !Escaped && (ElementKind(U) != ekNoneEh || U == QLatin1Char('/') || U == QLatin1Char(':'));
    Result += Element ? U : QLatin1Char(' ');
    Escaped = false;
  }
  return Result;
}

TDateTimePartsEh EditTextToDateTimePartsEh(const String& Text, const TDateTimeElementsMaskPosEh& MaskPos)
{
  TDateTimePartsEh Parts;
  auto Read = [&](const TElementMaskPosEh& E) { return E.Present ? ReadElementNumber(Text, E.Pos, E.Length) : -1; };
  Parts.Year = Read(MaskPos.Year);
  Parts.Month = Read(MaskPos.Month);
  Parts.Day = Read(MaskPos.Day);
  Parts.Hour = Read(MaskPos.Hour);
  Parts.Min = Read(MaskPos.Min);
  Parts.Sec = Read(MaskPos.Sec);
  if (Parts.Year >= 0)
    Parts.Year = ExpandTwoDigitYearEh(Parts.Year);
  return Parts;
}

TDateTimePartsEh ValueToDateTimePartsEh(const Variant& Value)
{
  TDateTimePartsEh Parts;
  if (VarIsNull(Value) || VarIsEmpty(Value))
    return Parts;
  Word Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(VarToDateTime(Value), Y, Mo, D, H, Mi, S, Ms);
  Parts = {Y, Mo, D, H, Mi, S};
  return Parts;
}

bool DateTimePartsToValueEh(TDateTimePartsEh Parts, const TDateTimeElementsMaskPosEh& MaskPos, Variant& Value,
                            bool Complete)
{
  if (Parts.Year == -1 && Parts.Month == -1 && Parts.Day == -1 && Parts.Hour == -1 && Parts.Min == -1 &&
      Parts.Sec == -1) {
    Value = Null;
    return true;
  }
  if (Complete) {
    if (Parts.Year <= 0 || Parts.Month <= 0 || Parts.Day <= 0) {
      Word TY, TM, TD;
      DecodeDate(Date(), TY, TM, TD);
      if (Parts.Year <= 0)
        Parts.Year = TY;
      if (Parts.Month <= 0)
        Parts.Month = TM;
      if (Parts.Day <= 0)
        Parts.Day = TD;
    }
    Parts.Month = std::min(Parts.Month, 12);
    Parts.Year = ExpandTwoDigitYearEh(std::min(Parts.Year, 9999));
    Parts.Day = std::min(Parts.Day, DaysOf(Parts.Year, Parts.Month));
    Parts.Hour = std::clamp(Parts.Hour, 0, 23);
    Parts.Min = std::clamp(Parts.Min, 0, 59);
    Parts.Sec = std::clamp(Parts.Sec, 0, 59);
  } else {
    auto FillAbsent = [](const TElementMaskPosEh& E, Integer& Part, Integer Least) {
      if (!E.Present && Part < Least)
        Part = Least;
    };
    FillAbsent(MaskPos.Year, Parts.Year, 1);
    FillAbsent(MaskPos.Month, Parts.Month, 1);
    FillAbsent(MaskPos.Day, Parts.Day, 1);
    FillAbsent(MaskPos.Hour, Parts.Hour, 0);
    FillAbsent(MaskPos.Min, Parts.Min, 0);
    FillAbsent(MaskPos.Sec, Parts.Sec, 0);
  }

  const bool NoDate = Parts.Year < 0 && Parts.Month < 0 && Parts.Day < 0;
  const bool DateOk = NoDate || (Parts.Year >= 1 && Parts.Year <= 9999 && Parts.Month >= 1 && Parts.Month <= 12 &&
                                 Parts.Day >= 1 && Parts.Day <= DaysOf(Parts.Year, Parts.Month));
  const bool TimeOk = Parts.Hour >= 0 && Parts.Hour <= 23 && Parts.Min >= 0 && Parts.Min <= 59 && Parts.Sec >= 0 &&
                      Parts.Sec <= 59;
  if (!DateOk || !TimeOk) {
    Value = Null;
    return false;
  }

  Word Y = 1900, Mo = 1, D = 1, H = 0, Mi = 0, S = 0, Ms = 0;
  if (!VarIsNull(Value) && !VarIsEmpty(Value))
    DecodeDateTime(VarToDateTime(Value), Y, Mo, D, H, Mi, S, Ms);
  if (MaskPos.Year.Present && Parts.Year > 0)
    Y = Word(Parts.Year);
  if (MaskPos.Month.Present && Parts.Month > 0)
    Mo = Word(Parts.Month);
  if (MaskPos.Day.Present && Parts.Day > 0)
    D = Word(Parts.Day);
  if (MaskPos.Hour.Present && Parts.Hour >= 0)
    H = Word(Parts.Hour);
  if (MaskPos.Min.Present && Parts.Min >= 0)
    Mi = Word(Parts.Min);
  if (MaskPos.Sec.Present && Parts.Sec >= 0)
    S = Word(Parts.Sec);
  // A pattern without the day (month and year only) moved onto a shorter
  // month keeps the base's day as far as the month has it.
  D = Word(std::min<Integer>(D, DaysOf(Y, Mo)));
  Value = VarFromDateTime(EncodeDateTime(Y, Mo, D, H, Mi, S, Ms));
  return true;
}

String IncrementDateTimeElementEh(const String& Text, const String& Template, bool Up, Integer& Pos,
                                  Integer& Length)
{
  const Integer TemplateLength = Integer(Template.size());
  if (TemplateLength == 0)
    return Text;
  Pos = std::clamp(Pos, 1, TemplateLength);
  const QChar AtPos = Template[Pos - 1];
  if (AtPos == FormatSettings.DateSeparator || AtPos == FormatSettings.TimeSeparator) {
    ++Pos;
    if (Pos > TemplateLength)
      return Text;
  }
  const QChar Letter = Template[Pos - 1];
  const TElementKindEh Kind = ElementKind(Letter);
  if (Kind == ekNoneEh)
    return Text;

  const Integer Start = Integer(Template.indexOf(Letter)) + 1;
  Integer N = 0;
  while (Start - 1 + N < TemplateLength && Template[Start - 1 + N] == Letter)
    ++N;
  Integer Number = ReadElementNumber(Text, Start, N);
  if (Number < 0)
    Number = 0;

  struct TRange { Integer Low, High; };
  static constexpr TRange Ranges[] = {{1, 9999}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 59}};
  const TRange R = Ranges[Kind];
  if (Up)
    Number = Number >= R.High ? R.Low : Number + 1;
  else
    Number = Number <= R.Low ? R.High : Number - 1;

  // A number wider than its field (a two-digit year past 99) keeps its
  // last digits: a longer text would push the later elements out of place.
  String Digits = String::number(Number).rightJustified(N, QLatin1Char('0'));
  Digits = Digits.right(N);
  String Result = Text;
  if (Result.size() < Start - 1 + N)
    Result = Result.leftJustified(Start - 1 + N, QLatin1Char(' '));
  Result.replace(Start - 1, N, Digits);
  Pos = Start;
  Length = N;
  return Result;
}

Integer ExpandTwoDigitYearEh(Integer Year, Integer CurrentYear)
{
  if (Year >= 100)
    return Year;
  const Integer Pivot = CurrentYear - TwoDigitYearWindowEh;
  Integer Result = Year + (Pivot / 100) * 100;
  if (Result < Pivot)
    Result += 100;
  return Result;
}

Integer ExpandTwoDigitYearEh(Integer Year)
{
  if (Year >= 100)
    return Year;
  return ExpandTwoDigitYearEh(Year, YearOf(Date()));
}
