// DynVarsTest.cpp: the named-value bag: lookups that never fail, adoption of
// the stand-by variable, change notices, and the text lines of the string bag.
#include "gridlib/foundation/DynVarsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

String DuplicateText(const String& Name)
{
  return Format(GridLibLanguageConsts()->DuplicateVarNameEh(), {Name});
}

template <class F>
String RaisedText(F&& Action)
{
  try {
    Action();
  } catch (const Exception& E) {
    return E.Message();
  }
  return QStringLiteral("(nothing raised)");
}

} // namespace

// Each row: what a user of the bag does, and what the bag looks like after.
TEST(DynVarsEh, LookupNeverFailsAndStandByVariableJoinsWhenWritten)
{
  TDynVarsEh Vars(nullptr);
  Integer Changes = 0;
  Vars.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &Vars);
    ++Changes;
  };
  Vars.CreateDynVar(QStringLiteral("Kept"), Variant(1));
  Changes = 0;

  struct Step {
    const char* What;
    std::function<void()> Do;
    Integer Count;
    Integer ChangesAfter;
  };
  TDynVarEh* HeldA = nullptr;
  const Step Steps[] = {
    {"reading a missing name hands out a variable of that name, unassigned",
     [&] {
       HeldA = Vars.DynVar(QStringLiteral("A"));
       EXPECT_EQ(HeldA->Name(), QStringLiteral("A"));
       EXPECT_TRUE(HeldA->Value().IsEmpty());
       EXPECT_TRUE(HeldA->IsNull());
       EXPECT_FALSE(Vars.VarExists(QStringLiteral("A")));
       EXPECT_EQ(HeldA->VarCollection(), nullptr);
     },
     1, 0},
    {"a second missing name gets the same stand-by object, renamed",
     [&] {
       TDynVarEh* B = Vars.DynVar(QStringLiteral("B"));
       EXPECT_EQ(B, HeldA);
       EXPECT_EQ(HeldA->Name(), QStringLiteral("B"));
     },
     1, 0},
    {"writing through the object held from the first read adds B",
     [&] {
       HeldA->SetAsInteger(5);
       EXPECT_TRUE(Vars.VarExists(QStringLiteral("B")));
       EXPECT_FALSE(Vars.VarExists(QStringLiteral("A")));
       EXPECT_EQ(Vars.DynVar(QStringLiteral("b")), HeldA) << "found ignoring case";
       EXPECT_EQ(Vars.DynVar(QStringLiteral("b"))->AsInteger(), 5);
       EXPECT_NE(Vars.DummyVar(), HeldA) << "a fresh stand-by variable replaces the adopted one";
     },
     2, 2},
    {"AsString writes without a change notice",
     [&] { Vars.DynVar(QStringLiteral("B"))->SetAsString(QStringLiteral("x")); }, 2, 2},
    {"AsString on a missing name still adopts it",
     [&] { Vars.DynVar(QStringLiteral("S"))->SetAsString(QStringLiteral("y")); }, 3, 3},
    {"Value writes with one notice",
     [&] { Vars.DynVar(QStringLiteral("Kept"))->SetValue(Variant(2)); }, 3, 4},
    {"Clear empties without a notice",
     [&] { Vars.DynVar(QStringLiteral("Kept"))->Clear(); }, 3, 4},
    {"creating a name that exists in another case raises and adds nothing",
     [&] {
       EXPECT_EQ(RaisedText([&] { Vars.CreateDynVar(QStringLiteral("kept"), Variant(3)); }),
                 DuplicateText(QStringLiteral("kept")));
     },
     3, 4},
    {"renaming onto another member's name raises",
     [&] {
       EXPECT_EQ(RaisedText([&] { Vars.DynVar(QStringLiteral("S"))->SetName(QStringLiteral("B")); }),
                 DuplicateText(QStringLiteral("B")));
       EXPECT_TRUE(Vars.VarExists(QStringLiteral("S")));
     },
     3, 4},
    {"deleting a missing name does nothing; deleting a member frees it",
     [&] {
       Vars.DeleteDynVar(QStringLiteral("nope"));
       Vars.DeleteDynVar(QStringLiteral("S"));
     },
     2, 5},
  };
  for (const Step& S : Steps) {
    SCOPED_TRACE(S.What);
    S.Do();
    EXPECT_EQ(Vars.Count(), S.Count);
    EXPECT_EQ(Changes, S.ChangesAfter);
  }
}

TEST(DynVarsEh, TypedReadsOfEmptyValues)
{
  TDynVarsEh Vars(nullptr);
  struct Case { const char* Name; Variant Value; bool IsNull; Integer AsInteger; };
  const Case Cases[] = {
    {"unassigned", Variant(), true, 0},
    {"null", Null, true, 0},
    {"empty text", Variant(QString()), false, -1},
    {"zero", Variant(0), false, 0},
    {"text number", Variant(QStringLiteral("42")), false, 42},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TDynVarEh* V = Vars.CreateDynVar(QString::fromLatin1(C.Name), C.Value);
    EXPECT_EQ(V->IsNull(), C.IsNull);
    if (C.AsInteger >= 0)
      EXPECT_EQ(V->AsInteger(), C.AsInteger);
    else
      EXPECT_THROW(V->AsInteger(), Exception) << "an empty text is no number";
    if (C.IsNull) {
      EXPECT_FALSE(V->AsBoolean());
      EXPECT_EQ(V->AsFloat(), 0.0);
      EXPECT_EQ(V->AsRefObject(), nullptr);
      EXPECT_EQ(V->AsString(), QString());
    }
  }
}

TEST(DynVarsEh, ObjectReferencesKeepTheirFullAddress)
{
  TDynVarsEh Vars(nullptr);
  auto Obj = std::make_unique<TPersistent>();
  Vars.CreateDynVar(QStringLiteral("Form"), Obj.get());
  EXPECT_EQ(Vars.DynVar(QStringLiteral("Form"))->AsRefObject(), Obj.get());
  Vars.DynVar(QStringLiteral("Other"))->SetAsRefObject(Obj.get());
  EXPECT_EQ(Vars.FindDynVar(QStringLiteral("Other"))->AsRefObject(), Obj.get());
}

TEST(DynVarsEh, CopiesComparisonsAndMoves)
{
  TDynVarsEh A(nullptr), B(nullptr);
  A.CreateDynVar(QStringLiteral("x"), Variant(1));
  A.CreateDynVar(QStringLiteral("y"), Variant(QStringLiteral("t")));
  B.Assign(&A);
  EXPECT_TRUE(B.IsEqual(&A));
  B.DynVar(QStringLiteral("y"))->SetValue(Variant(QStringLiteral("u")));
  EXPECT_FALSE(B.IsEqual(&A));
  B.DynVar(QStringLiteral("y"))->SetValue(Variant(2));
  EXPECT_FALSE(B.IsEqual(&A)) << "another Variant type is another value";

  TDynVarsEh C(nullptr);
  C.CreateDynVar(QStringLiteral("Y"), Variant(0));
  C.AssignValues(&A);
  EXPECT_EQ(C.Count(), 1) << "names without a namesake are ignored";
  EXPECT_EQ(C.Items(0)->AsString(), QStringLiteral("t"));
  EXPECT_EQ(C.Items(0)->Name(), QStringLiteral("y")) << "the namesake takes the name too";

  TDynVarEh* X = A.FindDynVar(QStringLiteral("x"));
  C.AddDynVar(X);
  EXPECT_EQ(X->VarCollection(), &C);
  EXPECT_FALSE(A.VarExists(QStringLiteral("x")));
  C.RemoveDynVar(X);
  EXPECT_EQ(X->VarCollection(), nullptr);
  delete X;

  TDynVarsEh D(nullptr);
  D.CreateDynVar(QStringLiteral("y"), Variant(9));
  TDynVarEh* Y = D.Items(0);
  EXPECT_THROW(C.AddDynVar(Y), Exception) << "C has a y already";
  EXPECT_EQ(Y->VarCollection(), &D);
}

TEST(DynVarsEh, DisplayNames)
{
  TDynVarsEh Vars(nullptr);
  struct Case { const char* Name; Variant Value; const char* Shown; };
  const Case Cases[] = {
    {"a", Variant(), "a=(Empty)"},
    {"b", Null, "b=(Null)"},
    {"c", Variant(12), "c=12"},
    {"", Variant(1), "(EmptyName)=1"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Shown);
    EXPECT_EQ(Vars.CreateDynVar(QString::fromLatin1(C.Name), C.Value)->DisplayName(), QString::fromLatin1(C.Shown));
  }
}

// The string flavour: text lines in and out.
TEST(StringVarsEh, TextLines)
{
  struct Case { const char* What; const char* In; std::vector<std::pair<const char*, const char*>> Vars; const char* Out; };
  const Case Cases[] = {
    {"empty text", "", {}, ""},
    {"two lines ended by CR LF", "A=1\r\nB=x\r\n", {{"A", "1"}, {"B", "x"}}, "A=1\r\nB=x\r\n"},
    {"LF and CR breaks, no last break", "A=1\nB=2\rC=3", {{"A", "1"}, {"B", "2"}, {"C", "3"}},
     "A=1\r\nB=2\r\nC=3\r\n"},
    {"only the first = separates", "F=a=b", {{"F", "a=b"}}, "F=a=b\r\n"},
    {"a line without = has an empty name and value", "lonely", {{"", ""}}, "=\r\n"},
    {"an empty value", "E=", {{"E", ""}}, "E=\r\n"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TStringVarsEh Vars(nullptr);
    Vars.SetFromTextString(QString::fromLatin1(C.In));
    ASSERT_EQ(Vars.Count(), Integer(C.Vars.size()));
    for (Integer I = 0; I < Vars.Count(); ++I) {
      EXPECT_EQ(Vars.Items(I)->Name(), QString::fromLatin1(C.Vars[std::size_t(I)].first));
      EXPECT_EQ(Vars.Items(I)->Value(), QString::fromLatin1(C.Vars[std::size_t(I)].second));
    }
    EXPECT_EQ(Vars.GetAsTextString(), QString::fromLatin1(C.Out));
  }
}

TEST(StringVarsEh, DuplicateLinesKeepWhatCameBeforeAndCloseTheUpdate)
{
  TStringVarsEh Vars(nullptr);
  Integer Changes = 0;
  Vars.OnChange = [&](TObject*) { ++Changes; };
  EXPECT_EQ(RaisedText([&] { Vars.SetFromTextString(QStringLiteral("A=1\r\nB=2\r\na=3\r\nC=4")); }),
            DuplicateText(QStringLiteral("a")));
  EXPECT_EQ(Vars.Count(), 2);
  EXPECT_EQ(Vars.UpdateCount(), 0);
  EXPECT_EQ(Changes, 1) << "one notice when the bracket closes";
  EXPECT_THROW(Vars.SetFromTextString(QStringLiteral("x\r\ny")), Exception) << "two lines without =";
  EXPECT_EQ(Vars.Count(), 1);
}

TEST(StringVarsEh, StrOfAMissingNameRaises)
{
  TStringVarsEh Vars(nullptr);
  Vars.CreateDynVar(QStringLiteral("Here"), QStringLiteral("1"));
  Vars.SetStr(QStringLiteral("here"), QStringLiteral("2"));
  EXPECT_EQ(Vars.Str(QStringLiteral("HERE")), QStringLiteral("2"));
  const String Expected = QStringLiteral("A Variable named 'Gone' doesn't exist in the Collection 'TStringVarsEh'");
  EXPECT_EQ(RaisedText([&] { Vars.Str(QStringLiteral("Gone")); }), Expected);
  EXPECT_EQ(RaisedText([&] { Vars.SetStr(QStringLiteral("Gone"), QStringLiteral("x")); }), Expected);
  EXPECT_EQ(Vars.Count(), 1) << "writing does not create";
}
