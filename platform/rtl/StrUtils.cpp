// StrUtils.cpp: parts of strings, prefix and suffix tests, replacement.
#include "platform/rtl/StrUtils.h"

String LeftStr(const String& S, int Count)
{
  return Count > 0 ? S.left(Count) : String();
}

String RightStr(const String& S, int Count)
{
  return Count > 0 ? S.right(Count) : String();
}

String MidStr(const String& S, int Start, int Count)
{
  return Copy(S, Start, Count);
}

String DupeString(const String& S, int Count)
{
  return Count > 0 ? S.repeated(Count) : String();
}

String ReverseString(const String& S)
{
  String R;
  R.reserve(S.size());
  for (qsizetype I = S.size(); I > 0; --I)
    R += S[I - 1];
  return R;
}

bool StartsStr(const String& SubText, const String& Text)
{
  return Text.startsWith(SubText, Qt::CaseSensitive);
}

bool EndsStr(const String& SubText, const String& Text)
{
  return Text.endsWith(SubText, Qt::CaseSensitive);
}

bool ContainsStr(const String& Text, const String& SubText)
{
  return Text.contains(SubText, Qt::CaseSensitive);
}

bool StartsText(const String& SubText, const String& Text)
{
  return SubText.size() <= Text.size() && AnsiSameText(Text.left(SubText.size()), SubText);
}

bool EndsText(const String& SubText, const String& Text)
{
  return SubText.size() <= Text.size() && AnsiSameText(Text.right(SubText.size()), SubText);
}

bool ContainsText(const String& Text, const String& SubText)
{
  return AnsiUpperCase(Text).contains(AnsiUpperCase(SubText), Qt::CaseSensitive);
}

bool AnsiStartsStr(const String& SubText, const String& Text)
{
  return SubText.size() <= Text.size() && AnsiSameStr(Text.left(SubText.size()), SubText);
}

bool AnsiStartsText(const String& SubText, const String& Text)
{
  return StartsText(SubText, Text);
}

bool AnsiEndsText(const String& SubText, const String& Text)
{
  return EndsText(SubText, Text);
}

bool AnsiContainsText(const String& Text, const String& SubText)
{
  return ContainsText(Text, SubText);
}

String ReplaceStr(const String& Text, const String& From, const String& To)
{
  return StringReplace(Text, From, To, {rfReplaceAll});
}

String ReplaceText(const String& Text, const String& From, const String& To)
{
  return StringReplace(Text, From, To, {rfReplaceAll, rfIgnoreCase});
}

int IndexStr(const String& Text, std::initializer_list<String> Values)
{
  int I = 0;
  for (const String& V : Values) {
    if (V == Text)
      return I;
    ++I;
  }
  return -1;
}

int IndexText(const String& Text, std::initializer_list<String> Values)
{
  int I = 0;
  for (const String& V : Values) {
    if (AnsiSameText(V, Text))
      return I;
    ++I;
  }
  return -1;
}
