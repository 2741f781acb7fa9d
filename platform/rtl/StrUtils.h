// StrUtils.h: further string helpers (parts of a string, prefix and suffix
// tests, repetition, replacement).
#pragma once

#include "platform/rtl/SysUtils.h"

String LeftStr(const String& S, int Count);
String RightStr(const String& S, int Count);
String MidStr(const String& S, int Start, int Count);
String DupeString(const String& S, int Count);
String ReverseString(const String& S);
// Case-sensitive (…Str) and case-insensitive (…Text) tests.
bool StartsStr(const String& SubText, const String& Text);
bool EndsStr(const String& SubText, const String& Text);
bool ContainsStr(const String& Text, const String& SubText);
bool StartsText(const String& SubText, const String& Text);
bool EndsText(const String& SubText, const String& Text);
bool ContainsText(const String& Text, const String& SubText);
bool AnsiStartsStr(const String& SubText, const String& Text);
bool AnsiStartsText(const String& SubText, const String& Text);
bool AnsiEndsText(const String& SubText, const String& Text);
bool AnsiContainsText(const String& Text, const String& SubText);
String ReplaceStr(const String& Text, const String& From, const String& To);
String ReplaceText(const String& Text, const String& From, const String& To);
// Index of Text in Values, -1 when absent.
int IndexStr(const String& Text, std::initializer_list<String> Values);
int IndexText(const String& Text, std::initializer_list<String> Values);
