// CodePages.cpp: 8-bit code pages through iconv, one converter per call.
#include "platform/rtl/CodePages.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

struct TCodePageName {
  Cardinal CodePage;
  const char* Iconv;      // the name iconv knows
  const char* Canonical;  // the name formats write
};

const TCodePageName CodePageNames[] = {
    {CP_UTF8, "UTF-8", "utf-8"},
    {CP_WINDOWS_1250, "CP1250", "windows-1250"},
    {CP_WINDOWS_1251, "CP1251", "windows-1251"},
    {CP_WINDOWS_1252, "CP1252", "windows-1252"},
    {CP_OEM_866, "CP866", "cp866"},
    {CP_KOI8_R, "KOI8-R", "koi8-r"},
    {CP_ISO_8859_1, "ISO-8859-1", "iso-8859-1"},
    {CP_ISO_8859_5, "ISO-8859-5", "iso-8859-5"},
    {CP_UTF16LE, "UTF-16LE", "utf-16le"},
    {CP_UTF16BE, "UTF-16BE", "utf-16be"},
};

const TCodePageName* Find(Cardinal CodePage)
{
  for (const TCodePageName& N : CodePageNames)
    if (N.CodePage == CodePage)
      return &N;
  return nullptr;
}

// Closes the descriptor on every path.
class TIconv {
public:
  TIconv(const char* To, const char* From) : FHandle(iconv_open(To, From)) {}
  ~TIconv()
  {
    if (Valid())
      iconv_close(FHandle);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
  iconv_t Handle() const { return FHandle; }

private:
  iconv_t FHandle;
};

// Converts In to Out; a unit the target cannot take, or a byte the source
// does not define, is replaced and conversion goes on. InUnit is the size
// of one source unit to skip on an error.
QByteArray Convert(const TIconv& Cd, const char* In, size_t InLength, size_t InUnit,
                   const QByteArray& Replacement)
{
  QByteArray Out;
  std::vector<char> Buffer(4096);
  char* Src = const_cast<char*>(In);
  size_t Left = InLength;
  while (Left > 0) {
    char* Dst = Buffer.data();
    size_t Room = Buffer.size();
    const size_t R = iconv(Cd.Handle(), &Src, &Left, &Dst, &Room);
    Out.append(Buffer.data(), static_cast<qsizetype>(Buffer.size() - Room));
    if (R != static_cast<size_t>(-1))
      continue;
    if (errno == E2BIG)
      continue;
    // EILSEQ or EINVAL: one unit the other side cannot express.
    const size_t Skip = std::min(Left, InUnit);
    // A surrogate pair is one character: skip both halves.
    size_t Units = Skip;
    if (InUnit == 2 && Left >= 4) {
      const char16_t First = static_cast<char16_t>(static_cast<unsigned char>(Src[0]) | (static_cast<unsigned char>(Src[1]) << 8));
      if (First >= 0xD800 && First <= 0xDBFF)
        Units = 4;
    }
    Src += Units;
    Left -= Units;
    Out.append(Replacement);
    iconv(Cd.Handle(), nullptr, nullptr, nullptr, nullptr);   // reset shift state
  }
  return Out;
}

}  // namespace

AnsiString StringToCodePage(const String& S, Cardinal CodePage)
{
  if (CodePage == CP_UTF8)
    return S.toUtf8();
  const TCodePageName* N = Find(CodePage);
  if (!N)
    return S.toUtf8();
  TIconv Cd(N->Iconv, "UTF-16LE");
  if (!Cd.Valid())
    return S.toUtf8();
  static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the source text is read as UTF-16LE");
  return Convert(Cd, reinterpret_cast<const char*>(S.utf16()), static_cast<size_t>(S.size()) * 2, 2,
                 QByteArrayLiteral("?"));
}

String CodePageToString(const AnsiString& Bytes, Cardinal CodePage)
{
  if (CodePage == CP_UTF8)
    return String::fromUtf8(Bytes);
  const TCodePageName* N = Find(CodePage);
  if (!N)
    return String::fromUtf8(Bytes);
  TIconv Cd("UTF-16LE", N->Iconv);
  if (!Cd.Valid())
    return String::fromUtf8(Bytes);
  const size_t Unit = (CodePage == CP_UTF16LE || CodePage == CP_UTF16BE) ? 2 : 1;
  const QByteArray Utf16 = Convert(Cd, Bytes.constData(), static_cast<size_t>(Bytes.size()), Unit,
                                   QByteArray("\xFD\xFF", 2));
  return String::fromUtf16(reinterpret_cast<const char16_t*>(Utf16.constData()), Utf16.size() / 2);
}

Cardinal CodePageFromName(const String& Name)
{
  const String N = Name.trimmed().toLower();
  for (const TCodePageName& C : CodePageNames)
    if (N == QLatin1String(C.Canonical) || N.compare(QLatin1String(C.Iconv), Qt::CaseInsensitive) == 0)
      return C.CodePage;
  if (N == QLatin1String("utf8"))
    return CP_UTF8;
  if (N == QLatin1String("windows1251") || N == QLatin1String("win1251") || N == QLatin1String("x-cp1251"))
    return CP_WINDOWS_1251;
  if (N == QLatin1String("latin1") || N == QLatin1String("iso8859-1"))
    return CP_ISO_8859_1;
  if (N == QLatin1String("ibm866"))
    return CP_OEM_866;
  if (N == QLatin1String("utf-16"))
    return CP_UTF16LE;
  if (N.startsWith(QLatin1String("cp")) || N.startsWith(QLatin1String("windows-"))) {
    bool Ok = false;
    const Cardinal Number = N.mid(N.startsWith(QLatin1String("cp")) ? 2 : 8).toUInt(&Ok);
    if (Ok && Find(Number))
      return Number;
  }
  return 0;
}

String CodePageName(Cardinal CodePage)
{
  const TCodePageName* N = Find(CodePage);
  return N ? QLatin1String(N->Canonical) : String();
}

bool IsCodePageSupported(Cardinal CodePage)
{
  const TCodePageName* N = Find(CodePage);
  if (!N)
    return false;
  TIconv Cd(N->Iconv, "UTF-16LE");
  return Cd.Valid();
}
