// CodePages.h: 8-bit code pages (Windows-1251 and the others a file format
// names) to and from String, through the C library's iconv.
#pragma once

#include "platform/rtl/System.h"

inline constexpr Cardinal CP_UTF8 = 65001;
inline constexpr Cardinal CP_WINDOWS_1250 = 1250;
inline constexpr Cardinal CP_WINDOWS_1251 = 1251;
inline constexpr Cardinal CP_WINDOWS_1252 = 1252;
inline constexpr Cardinal CP_OEM_866 = 866;
inline constexpr Cardinal CP_KOI8_R = 20866;
inline constexpr Cardinal CP_ISO_8859_1 = 28591;
inline constexpr Cardinal CP_ISO_8859_5 = 28595;
inline constexpr Cardinal CP_UTF16LE = 1200;
inline constexpr Cardinal CP_UTF16BE = 1201;
// The code page Russian Windows programs read by default.
inline constexpr Cardinal CP_RUSSIAN_ANSI = CP_WINDOWS_1251;

// Characters the code page lacks become '?'.
AnsiString StringToCodePage(const String& S, Cardinal CodePage);
// Bytes the code page does not define become U+FFFD.
String CodePageToString(const AnsiString& Bytes, Cardinal CodePage);
// "windows-1251", "cp1251", "koi8-r", "utf-8", … (case-insensitive) to the
// code page number; 0 for an unknown name.
Cardinal CodePageFromName(const String& Name);
// The name formats write in their headers ("windows-1251", "utf-8", …).
String CodePageName(Cardinal CodePage);
bool IsCodePageSupported(Cardinal CodePage);
