// FormStreamTest.cpp: form descriptions, text and binary, through the class
// registry: round trips, every property kind, and read errors.
#include "platform/rtl/Classes.h"

#include "tests/platform/rtl/QtPrinters.h"
#include "tests/support/SameSlot.h"

#include <gtest/gtest.h>

namespace {

enum TAlignX { axNone, axTop, axBottom, axClient };
enum TStyleX { sxBold, sxItalic, sxUnderline };
using TStylesX = TSet<TStyleX>;

class TFontX : public TPersistent {
  VELMORA_CLASS(TFontX)
public:
  String FontName() const { return FName; }
  void SetFontName(const String& V) { FName = V; }
  Integer Size() const { return FSize; }
  void SetSize(Integer V) { FSize = V; }
  TStylesX Style() const { return FStyle; }
  void SetStyle(TStylesX V) { FStyle = V; }
  void Assign(TPersistent* Source) override
  {
    if (auto* F = dynamic_cast<TFontX*>(Source)) {
      FName = F->FName;
      FSize = F->FSize;
      FStyle = F->FStyle;
      return;
    }
    TPersistent::Assign(Source);
  }

private:
  String FName = QStringLiteral("Tahoma");
  Integer FSize = 8;
  TStylesX FStyle;
};

class TColumnX : public TCollectionItem {
  VELMORA_CLASS(TColumnX)
public:
  using TCollectionItem::TCollectionItem;
  String FieldName() const { return FFieldName; }
  void SetFieldName(const String& V) { FFieldName = V; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer V) { FWidth = V; }

private:
  String FFieldName;
  Integer FWidth = 64;
};

class TButtonX : public TComponent {
  VELMORA_CLASS(TButtonX)
public:
  explicit TButtonX(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFontX>()),
    FLines(std::make_unique<TStringList>()), FColumns(std::make_unique<TOwnedCollection>(this, TColumnX::StaticClass()))
  {
    ++Live;
  }
  ~TButtonX() override { --Live; }
  static inline int Live = 0;
  String Caption() const { return FCaption; }
  void SetCaption(const String& V) { FCaption = V; }
  Integer Left() const { return FLeft; }
  void SetLeft(Integer V) { FLeft = V; }
  bool Default() const { return FDefault; }
  void SetDefault(bool V) { FDefault = V; }
  TAlignX Align() const { return FAlign; }
  void SetAlign(TAlignX V) { FAlign = V; }
  double Ratio() const { return FRatio; }
  void SetRatio(double V) { FRatio = V; }
  QChar Mark() const { return FMark; }
  void SetMark(QChar V) { FMark = V; }
  TFontX* Font() const { return FFont.get(); }
  void SetFont(TFontX* V) { FFont->Assign(V); }
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* V) { FLines->Assign(V); }
  TCollection* Columns() const { return FColumns.get(); }
  TButtonX* Buddy() const { return FBuddy; }
  void SetBuddy(TButtonX* V)
  {
    FBuddy = V;
    if (V)
      V->FreeNotification(this);
  }
  QByteArray Blob;
  TNotifyEvent OnClick;
  int LoadedCalls = 0;

protected:
  void Loaded() override
  {
    TComponent::Loaded();
    ++LoadedCalls;
  }
  void DefineProperties(TFiler& Filer) override
  {
    TComponent::DefineProperties(Filer);
    Filer.DefineBinaryProperty(
      QStringLiteral("Data"), [this](TStream& S) { Blob = S.ReadBytes(Integer(S.Size())); },
      [this](TStream& S) { S.WriteBuffer(Blob); }, !Blob.isEmpty());
  }
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy)
      FBuddy = nullptr;
  }

private:
  String FCaption;
  Integer FLeft = 0;
  bool FDefault = false;
  TAlignX FAlign = axNone;
  double FRatio = 0;
  QChar FMark = QLatin1Char('*');
  std::unique_ptr<TFontX> FFont;
  std::unique_ptr<TStringList> FLines;
  std::unique_ptr<TOwnedCollection> FColumns;
  TButtonX* FBuddy = nullptr;
};

class TFormX : public TComponent {
  VELMORA_CLASS(TFormX)
public:
  explicit TFormX(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
  ~TFormX() override { --Live; }
  static inline int Live = 0;
  String Caption() const { return FCaption; }
  void SetCaption(const String& V) { FCaption = V; }
  void Button1Click(TObject* Sender) { Clicks.push_back(Sender); }
  void WrongSignature(int) {}
  std::vector<TObject*> Clicks;

private:
  String FCaption;
};

// A form inherited from TFormX, with a description of its own.
class TFormY : public TFormX {
  VELMORA_CLASS(TFormY)
public:
  using TFormX::TFormX;
};

// A freed button's address given to the next button.
class TSlotButtonX : public TSameSlot<TButtonX> {
  VELMORA_CLASS(TSlotButtonX)
public:
  using TSameSlot::TSameSlot;
};

void RegisterTestClasses()
{
  RegisterRtlClasses();
  RegisterEnum<TAlignX>("TAlignX", {"axNone", "axTop", "axBottom", "axClient"});
  RegisterEnum<TStyleX>("TStyleX", {"sxBold", "sxItalic", "sxUnderline"});
  RegisterClassInfo<TFontX, TPersistent>("TFontX")
    .Property("Name", &TFontX::FontName, &TFontX::SetFontName, QStringLiteral("Tahoma"))
    .Property("Size", &TFontX::Size, &TFontX::SetSize, 8)
    .Property("Style", &TFontX::Style, &TFontX::SetStyle);
  RegisterClassInfo<TColumnX, TCollectionItem>("TColumnX")
    .Property("FieldName", &TColumnX::FieldName, &TColumnX::SetFieldName)
    .Property("Width", &TColumnX::Width, &TColumnX::SetWidth, 64);
  RegisterClassInfo<TButtonX, TComponent>("TButtonX")
    .Property("Caption", &TButtonX::Caption, &TButtonX::SetCaption)
    .Property("Left", &TButtonX::Left, &TButtonX::SetLeft)
    .Property("Default", &TButtonX::Default, &TButtonX::SetDefault, false)
    .Property("Align", &TButtonX::Align, &TButtonX::SetAlign, axNone)
    .Property("Ratio", &TButtonX::Ratio, &TButtonX::SetRatio)
    .Property("Mark", &TButtonX::Mark, &TButtonX::SetMark, QLatin1Char('*'))
    .Property("Font", &TButtonX::Font, &TButtonX::SetFont)
    .Property("Lines", &TButtonX::Lines, &TButtonX::SetLines)
    .Property("Columns", &TButtonX::Columns)
    .Property("Buddy", &TButtonX::Buddy, &TButtonX::SetBuddy)
    .Event("OnClick", &TButtonX::OnClick);
  RegisterClassInfo<TSlotButtonX, TButtonX>("TSlotButtonX");
  RegisterClassInfo<TFormX, TComponent>("TFormX")
    .Property("Caption", &TFormX::Caption, &TFormX::SetCaption)
    .Handler("Button1Click", &TFormX::Button1Click)
    .Handler("WrongSignature", &TFormX::WrongSignature);
  RegisterClassInfo<TFormY, TFormX>("TFormY");
}

const char* const FullForm =
  "object FormX1: TFormX\n"
  "  Caption = 'Main'\n"
  "  object Button1: TButtonX\n"
  "    Caption = 'OK'\n"
  "    Left = 10\n"
  "    Default = True\n"
  "    Align = axClient\n"
  "    Ratio = 1.500000000000000000\n"
  "    Mark = '#'\n"
  "    Font.Name = 'Arial'\n"
  "    Font.Style = [sxBold, sxUnderline]\n"
  "    Lines.Strings = (\n"
  "      'first'\n"
  "      'second')\n"
  "    Columns = <\n"
  "      item\n"
  "        FieldName = 'id'\n"
  "      end\n"
  "      item\n"
  "        FieldName = 'name'\n"
  "        Width = 120\n"
  "      end>\n"
  "    Buddy = Button2\n"
  "    OnClick = Button1Click\n"
  "    Data = {\n"
  "      0102FF}\n"
  "  end\n"
  "  object Button2: TButtonX\n"
  "    Caption = #1055#1088#1080#1074#1077#1090\n"
  "    Left = 0\n"
  "    Font.Style = []\n"
  "  end\n"
  "end\n";

class FormStream : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterTestClasses(); }
};

TEST_F(FormStream, TextToComponentsToTextIsTheSameText)
{
  TFormX Form(nullptr);
  ReadComponentFromText(QString::fromUtf8(FullForm), &Form);
  EXPECT_EQ(WriteComponentToText(&Form, sofText), QString::fromUtf8(FullForm));
}

TEST_F(FormStream, TextToBinaryToTextIsTheSameText)
{
  TStringStream Text(QString::fromUtf8(FullForm));
  TMemoryStream Binary;
  ObjectTextToBinary(&Text, &Binary);
  Binary.SetPosition(0);
  EXPECT_EQ(TestStreamFormat(&Binary), sofBinary);
  TStringStream Back;
  ObjectBinaryToText(&Binary, &Back, sofText);
  EXPECT_EQ(Back.DataString(), QString::fromUtf8(FullForm));
}

TEST_F(FormStream, ReadsEveryPropertyKind)
{
  TFormX Form(nullptr);
  ReadComponentFromText(QString::fromUtf8(FullForm), &Form);
  auto* B1 = dynamic_cast<TButtonX*>(Form.FindComponent(QStringLiteral("Button1")));
  auto* B2 = dynamic_cast<TButtonX*>(Form.FindComponent(QStringLiteral("Button2")));
  ASSERT_TRUE(B1 && B2);
  EXPECT_EQ(Form.Caption(), QStringLiteral("Main"));
  EXPECT_EQ(B1->Caption(), QStringLiteral("OK"));
  EXPECT_EQ(B1->Left(), 10);
  EXPECT_TRUE(B1->Default());
  EXPECT_EQ(B1->Align(), axClient);
  EXPECT_DOUBLE_EQ(B1->Ratio(), 1.5);
  EXPECT_EQ(B1->Mark(), QLatin1Char('#'));
  EXPECT_EQ(B1->Font()->FontName(), QStringLiteral("Arial"));
  EXPECT_EQ(B1->Font()->Style(), TStylesX({sxBold, sxUnderline}));
  EXPECT_EQ(B1->Lines()->Text(), QStringLiteral("first\r\nsecond\r\n"));
  ASSERT_EQ(B1->Columns()->Count(), 2);
  EXPECT_EQ(static_cast<TColumnX*>(B1->Columns()->Items(1))->Width(), 120);
  EXPECT_EQ(B1->Buddy(), B2);
  EXPECT_EQ(B1->Blob, QByteArray("\x01\x02\xFF", 3));
  EXPECT_EQ(B2->Caption(), QStringLiteral("Привет"));
  EXPECT_EQ(B1->LoadedCalls, 1);
  EXPECT_FALSE(B1->ComponentState().Contains(csLoading));
  ASSERT_TRUE(bool(B1->OnClick));
  B1->OnClick(B1);
  ASSERT_EQ(Form.Clicks.size(), 1u);
  EXPECT_EQ(Form.Clicks[0], B1);
}


String Lines(std::initializer_list<const char*> L)
{
  String R;
  for (const char* S : L)
    R += QString::fromUtf8(S) + QLatin1Char('\n');
  return R;
}

TEST_F(FormStream, ReadErrorsNameTheLineAndLeaveNothingBehind)
{
  struct Case {
    const char* Body;   // lines 3.. of a form whose line 2 is "object Button1: TButtonX"
    const char* Message;
  };
  const Case Cases[] = {
    {"    Nope = 1", "Error reading Button1.Nope: Property Nope does not exist on line 3"},
    {"    Left = 'abc'", "Error reading Button1.Left: Invalid property value on line 3"},
    {"    Left = 99999999999", "Error reading Button1.Left: Invalid property value on line 3"},
    {"    Caption = 'x'\n    Align = axMiddle", "Error reading Button1.Align: Invalid property value on line 4"},
    {"    Default = 1", "Error reading Button1.Default: Invalid property value on line 3"},
    {"    Font.Style = [sxBold, sxStrike]", "Error reading Button1.Font.Style: Invalid property value on line 3"},
    {"    Font.Nope = 1", "Error reading Button1.Font.Nope: Property Nope does not exist on line 3"},
    {"    OnClick = Button9Click", "Error reading Button1.OnClick: Method Button9Click not found on line 3"},
    {"    OnClick = WrongSignature",
     "Error reading Button1.OnClick: Method WrongSignature does not fit event OnClick on line 3"},
    {"    Buddy = Button7", "Invalid property value: component Button7 not found on line 3"},
    {"    Columns = <\n      item\n        Nope = 2\n      end>",
     "Error reading Button1.Columns: Property Nope does not exist on line 5"},
    {"    Caption = 'open", "Unterminated string on line 3"},
    {"    object Inner: TNope\n    end", "Class TNope not found on line 3"},
    {"    object Button1: TButtonX\n    end", "A component named Button1 already exists on line 3"},
    {"    Left 5", "'=' expected on line 3"},
    {"    Data = {0G}", "Invalid binary value on line 3"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Body);
    const String Text = QStringLiteral("object FormX1: TFormX\n  object Button1: TButtonX\n") +
                        QString::fromUtf8(C.Body) + QStringLiteral("\n  end\n  object Button2: TButtonX\n  end\nend\n");
    TButtonX::Live = 0;
    TFormX::Live = 0;
    {
      TFormX Form(nullptr);
      try {
        ReadComponentFromText(Text, &Form);
        ADD_FAILURE() << "no exception";
      } catch (const EReadError& E) {
        EXPECT_EQ(E.Message(), QString::fromUtf8(C.Message));
      }
      EXPECT_EQ(Form.ComponentCount(), 0);
      EXPECT_FALSE(Form.ComponentState().Contains(csLoading));
    }
    // A root made by the reader goes too.
    try {
      ReadComponentFromText(Text, nullptr);
      ADD_FAILURE() << "no exception";
    } catch (const EReadError&) {
    }
    EXPECT_EQ(TButtonX::Live, 0);
    EXPECT_EQ(TFormX::Live, 0);
  }
}

TEST_F(FormStream, BinaryStreamRoundTrip)
{
  TFormX Form(nullptr);
  ReadComponentFromText(QString::fromUtf8(FullForm), &Form);
  TMemoryStream Binary;
  Binary.WriteComponent(&Form);
  Binary.SetPosition(0);
  EXPECT_EQ(TestStreamFormat(&Binary), sofBinary);
  EXPECT_EQ(Binary.Position(), 0);
  TComponent* Copy = ReadComponentFromStream(&Binary, nullptr);   // created by class name
  std::unique_ptr<TComponent> Owned(Copy);
  ASSERT_NE(dynamic_cast<TFormX*>(Copy), nullptr);
  EXPECT_EQ(Copy->Name(), QStringLiteral("FormX1"));
  EXPECT_EQ(WriteComponentToText(Copy, sofText), QString::fromUtf8(FullForm));
  auto* B1 = static_cast<TButtonX*>(Copy->FindComponent(QStringLiteral("Button1")));
  B1->OnClick(B1);   // bound to the new root, not the old one
  EXPECT_EQ(static_cast<TFormX*>(Copy)->Clicks.size(), 1u);
  EXPECT_TRUE(Form.Clicks.empty());
}

TEST_F(FormStream, StreamFormatIsToldByItsFirstBytes)
{
  struct Case {
    QByteArray Bytes;
    TStreamOriginalFormat Format;
  };
  const Case Cases[] = {
    {QByteArray("TPF0\x00", 5), sofBinary},
    {QByteArray("\xFF\x0A\x00", 3), sofBinary},
    {QByteArray(4, '\0'), sofBinary},
    {QByteArray("object A: TA\nend"), sofText},
    {QByteArray("inherited A: TA\nend"), sofText},
    {QByteArray("\xEF\xBB\xBFobject"), sofUTF8Text},
    {QByteArray("<xml/>"), sofUnknown},
    {QByteArray(), sofUnknown},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Bytes.toHex().toStdString());
    TBytesStream S(C.Bytes);
    EXPECT_EQ(TestStreamFormat(&S), C.Format);
  }
  TBytesStream Bad(QByteArray("<xml/>"));
  try {
    TFormX Form(nullptr);
    ReadComponentFromStream(&Bad, &Form);
    FAIL();
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Invalid stream format"));
  }
}

TEST_F(FormStream, LongStringsFloatsAndBinaryKeepTheirLayout)
{
  TFormX Form(nullptr);
  auto* B = new TButtonX(&Form);
  B->SetName(QStringLiteral("Button1"));
  B->SetCaption(QString(70, QLatin1Char('a')) + QStringLiteral("'b\r\n"));
  B->SetRatio(-0.1);
  B->Blob = QByteArray(40, '\x11');
  const String Expected = Lines({
    "object FormX1: TFormX",
    "  object Button1: TButtonX",
    "    Caption = ",
    "      'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +",
    "      'aaaaaa'#39'b'#13#10",
    "    Left = 0",
    "    Ratio = -0.100000000000000000",
    "    Font.Style = []",
    "    Data = {",
    "      1111111111111111111111111111111111111111111111111111111111111111",
    "      1111111111111111}",
    "  end",
    "end",
  });
  Form.SetName(QStringLiteral("FormX1"));
  EXPECT_EQ(WriteComponentToText(&Form), Expected);
  TFormX Back(nullptr);
  ReadComponentFromText(Expected, &Back);
  auto* B2 = static_cast<TButtonX*>(Back.FindComponent(QStringLiteral("Button1")));
  EXPECT_EQ(B2->Caption(), B->Caption());
  EXPECT_DOUBLE_EQ(B2->Ratio(), -0.1);
  EXPECT_EQ(B2->Blob, B->Blob);
}

TEST_F(FormStream, NonAsciiTextIsWrittenAsUtf8OrAsCodes)
{
  TFormX Form(nullptr);
  Form.SetName(QStringLiteral("F"));
  Form.SetCaption(QStringLiteral("Склад №1"));
  EXPECT_EQ(WriteComponentToText(&Form), Lines({"object F: TFormX", "  Caption = 'Склад №1'", "end"}));
  EXPECT_EQ(WriteComponentToText(&Form, sofText),
            Lines({"object F: TFormX", "  Caption = #1057#1082#1083#1072#1076' '#8470'1'", "end"}));
  TFormX Back(nullptr);
  ReadComponentFromText(Lines({"object F: TFormX", "  Caption = 'Склад '#8470 +", "    '1'", "end"}), &Back);
  EXPECT_EQ(Back.Caption(), QStringLiteral("Склад №1"));
}

TEST_F(FormStream, ReadingOverAnObjectKeepsWhatTheStreamDoesNotName)
{
  TButtonX B(nullptr);
  B.SetCaption(QStringLiteral("kept"));
  B.SetLeft(7);
  TBytesStream S(Lines({"object B: TButtonX", "  Left = 9", "end"}).toUtf8());
  ReadComponentFromStream(&S, &B);
  EXPECT_EQ(B.Caption(), QStringLiteral("kept"));
  EXPECT_EQ(B.Left(), 9);
  EXPECT_EQ(B.Name(), QStringLiteral("B"));
}

// Other forms are found by name among Roots while the finder lives.
class GlobalRoots {
public:
  explicit GlobalRoots(std::vector<TComponent*>& Roots)
  {
    SetFindGlobalComponent([&Roots](const String& Name) -> TComponent* {
      for (TComponent* R : Roots)
        if (R->Name().compare(Name, Qt::CaseInsensitive) == 0)
          return R;
      return nullptr;
    });
  }
  ~GlobalRoots() { SetFindGlobalComponent(nullptr); }
  GlobalRoots(const GlobalRoots&) = delete;
  GlobalRoots& operator=(const GlobalRoots&) = delete;
};

TEST_F(FormStream, ReferencesToAnotherFormWaitForIt)
{
  std::vector<TComponent*> Roots;
  const GlobalRoots Finder(Roots);
  TFormX A(nullptr);
  Roots.push_back(&A);
  ReadComponentFromText(Lines({"object FormA: TFormX", "  object Button1: TButtonX", "    Buddy = FormB.Target",
                               "  end", "end"}),
                        &A);
  auto* B1 = static_cast<TButtonX*>(A.FindComponent(QStringLiteral("Button1")));
  EXPECT_EQ(B1->Buddy(), nullptr);   // FormB is not there yet
  {
    TFormX B(nullptr);
    Roots.push_back(&B);
    ReadComponentFromText(Lines({"object FormB: TFormX", "  object Target: TButtonX", "  end", "end"}), &B);
    EXPECT_EQ(B1->Buddy(), B.FindComponent(QStringLiteral("Target")));
    EXPECT_EQ(WriteComponentToText(&A),
              Lines({"object FormA: TFormX", "  object Button1: TButtonX", "    Left = 0", "    Font.Style = []",
                     "    Buddy = FormB.Target", "  end", "end"}));
    Roots.pop_back();
  }
  EXPECT_EQ(B1->Buddy(), nullptr);   // its free notification cleared it
}


// A component whose reference waits for another form may be freed first;
// the reference must not land in whatever is made at its address next.
TEST_F(FormStream, ComponentFreedWhileItsReferenceWaits)
{
  std::vector<TComponent*> Roots;
  const GlobalRoots Finder(Roots);
  TFormX A(nullptr);
  Roots.push_back(&A);
  ReadComponentFromText(Lines({"object FormA: TFormX", "  object Button1: TSlotButtonX", "    Buddy = FormB.Target",
                               "  end", "  object Button2: TButtonX", "    Buddy = FormB.Target", "  end", "end"}),
                        &A);
  TComponent* Freed = A.FindComponent(QStringLiteral("Button1"));
  const void* Address = Freed;
  delete Freed;
  auto* Fresh = new TSlotButtonX(&A);
  ASSERT_EQ(static_cast<const void*>(Fresh), Address);
  TFormX B(nullptr);
  Roots.push_back(&B);
  ReadComponentFromText(Lines({"object FormB: TFormX", "  object Target: TButtonX", "  end", "end"}), &B);
  EXPECT_EQ(Fresh->Buddy(), nullptr);
  // The other reference still finds its form.
  auto* B2 = static_cast<TButtonX*>(A.FindComponent(QStringLiteral("Button2")));
  EXPECT_EQ(B2->Buddy(), B.FindComponent(QStringLiteral("Target")));
  Roots.pop_back();
}

TEST_F(FormStream, InheritedFormsReadTheirDescriptionsOldestFirst)
{
  TFormY Form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&Form, TComponent::StaticClass()));
  EXPECT_EQ(Form.Name(), QStringLiteral("FormY1"));   // named by the last description read
  EXPECT_EQ(Form.Caption(), QStringLiteral("Derived"));
  auto* B1 = static_cast<TButtonX*>(Form.FindComponent(QStringLiteral("Button1")));
  auto* B3 = static_cast<TButtonX*>(Form.FindComponent(QStringLiteral("Button3")));
  ASSERT_TRUE(B1 && B3);
  EXPECT_EQ(B1->Caption(), QStringLiteral("OK"));   // from the ancestor
  EXPECT_EQ(B1->Left(), 16);                         // overridden
  EXPECT_EQ(B3->Caption(), QStringLiteral("Новая"));
  EXPECT_EQ(B3->Buddy(), B1);
  B1->OnClick(B1);
  EXPECT_EQ(Form.Clicks.size(), 1u);
  EXPECT_EQ(Form.ComponentCount(), 2);
}

TEST_F(FormStream, ResourcesAreFoundByName)
{
  TFormX Form(nullptr);
  EXPECT_TRUE(ReadComponentResource(&Form, QStringLiteral("TFormX_RUS")));
  EXPECT_EQ(Form.Caption(), QStringLiteral("Русский"));
  EXPECT_FALSE(ReadComponentResource(&Form, QStringLiteral("TFormX_DEU")));
  try {
    ReadFormResource(&Form, QStringLiteral("TNoSuchForm"));
    FAIL();
  } catch (const EResNotFound& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Resource TNoSuchForm not found"));
  }
}

TEST_F(FormStream, WritingAgainstAnAncestorWritesOnlyTheDifferences)
{
  TFormX Ancestor(nullptr);
  ReadFormResource(&Ancestor, QStringLiteral("TFormX"));
  TFormY Form(nullptr);
  InitInheritedComponent(&Form, TComponent::StaticClass());
  TMemoryStream Binary;
  Binary.WriteDescendent(&Form, &Ancestor);
  Binary.SetPosition(0);
  TStringStream Text;
  ObjectBinaryToText(&Binary, &Text);
  EXPECT_EQ(Text.DataString(), Lines({
                                 "inherited FormY1: TFormY",
                                 "  Caption = 'Derived'",
                                 "  inherited Button1: TButtonX",
                                 "    Left = 16",
                                 "  end",
                                 "  object Button3: TButtonX",
                                 "    Caption = 'Новая'",
                                 "    Left = 0",
                                 "    Font.Style = []",
                                 "    Buddy = Button1",
                                 "  end",
                                 "end",
                               }));
}


// A records list that stores its rows in one defined property, "Data".
class TRowsX : public TComponent {
  VELMORA_CLASS(TRowsX)
public:
  using TComponent::TComponent;
  std::vector<std::vector<Variant>> Rows;

protected:
  void DefineProperties(TFiler& Filer) override
  {
    TComponent::DefineProperties(Filer);
    Filer.DefineProperty(
      QStringLiteral("Data"),
      [this](TReader& R) {
        Rows.clear();
        R.ReadListBegin();
        while (!R.EndOfList()) {
          R.ReadListBegin();
          Rows.emplace_back();
          while (!R.EndOfList())
            Rows.back().push_back(R.ReadVariant());
          R.ReadListEnd();
        }
        R.ReadListEnd();
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (const auto& Row : Rows) {
          W.WriteListBegin();
          for (const Variant& V : Row)
            W.WriteVariant(V);
          W.WriteListEnd();
        }
        W.WriteListEnd();
      },
      !Rows.empty());
  }
};

TEST_F(FormStream, DefinedPropertiesCarryVariantsWithTheirTags)
{
  RegisterClassInfo<TRowsX, TComponent>("TRowsX");
  TRowsX Rows(nullptr);
  Rows.SetName(QStringLiteral("RecordsList"));
  Rows.Rows = {{Variant(Integer(1)), Variant(Integer(300)), Variant(Integer(-70000)), Variant(Int64(1) << 40)},
               {Variant(2.5), Variant(Currency::FromRaw(12345)), Variant(TDateTime(45000.5)), Variant(true),
                Variant(QStringLiteral("Сталь")), Unassigned}};
  TMemoryStream Binary;
  Binary.WriteComponent(&Rows);
  const QByteArray B = Binary.Bytes();
  // Data = ((int8 int16 int32 int64) (extended currency date true utf8 nil))
  const QByteArray Expected = QByteArray("\x04" "Data\x01\x01", 7) + QByteArray("\x02\x01\x03\x2C\x01", 5) +
                              QByteArray("\x04\x90\xEE\xFE\xFF", 5) + QByteArray("\x13\0\0\0\0\0\x01\0\0", 9) +
                              QByteArray("\x00\x01", 2);
  EXPECT_NE(B.indexOf(Expected), -1) << B.toHex().toStdString();
  EXPECT_NE(B.indexOf(QByteArray("\x05\0\0\0\0\0\0\0\xA0\x00\x40", 11)), -1);   // 2.5 as 80-bit extended
  Binary.SetPosition(0);
  TRowsX Back(nullptr);
  ReadComponentFromStream(&Binary, &Back);
  ASSERT_EQ(Back.Rows.size(), 2u);
  ASSERT_EQ(Back.Rows[1].size(), 6u);
  EXPECT_EQ(Back.Rows[0][0].VType(), varShortInt);
  EXPECT_EQ(Back.Rows[0][1].VType(), varSmallint);
  EXPECT_EQ(Back.Rows[0][3].AsInt64(), Int64(1) << 40);
  EXPECT_DOUBLE_EQ(Back.Rows[1][0].AsDouble(), 2.5);
  EXPECT_EQ(Back.Rows[1][1].VType(), varCurrency);
  EXPECT_EQ(Back.Rows[1][1].AsCurrency().Raw(), 12345);
  EXPECT_EQ(Back.Rows[1][2].VType(), varDate);
  EXPECT_TRUE(Back.Rows[1][3].AsBoolean());
  EXPECT_EQ(Back.Rows[1][4].AsString(), QStringLiteral("Сталь"));
  EXPECT_TRUE(Back.Rows[1][5].IsEmpty());
  // The text form carries the same values.
  const String Text = WriteComponentToText(&Rows);
  EXPECT_EQ(Text, Lines({"object RecordsList: TRowsX", "  Data = (", "    (", "      1", "      300", "      -70000",
                         "      1099511627776)", "    (", "      2.500000000000000000", "      1.2345c",
                         "      45000.5d", "      True", "      'Сталь'", "      nil))", "end"}));
  TRowsX FromText(nullptr);
  ReadComponentFromText(Text, &FromText);
  EXPECT_EQ(FromText.Rows[1][1].AsCurrency().Raw(), 12345);
  EXPECT_EQ(FromText.Rows[1][2].VType(), varDate);
  TRowsX WithArray(nullptr);
  WithArray.Rows = {{VarArrayOf({Variant(Integer(1))})}};
  TMemoryStream Refused;
  EXPECT_THROW(Refused.WriteComponent(&WithArray), EWriteError);
}


TEST_F(FormStream, ASecondInstanceOfAFormGetsANameOfItsOwn)
{
  TComponent Application(nullptr);
  auto* First = new TFormX(&Application);
  auto* Second = new TFormX(&Application);
  ReadFormResource(First, QStringLiteral("TFormX"));
  ReadFormResource(Second, QStringLiteral("TFormX"));
  EXPECT_EQ(First->Name(), QStringLiteral("FormX1"));
  EXPECT_EQ(Second->Name(), QStringLiteral("FormX1_1"));
  EXPECT_EQ(Application.FindComponent(QStringLiteral("FormX1")), First);
}

} // namespace
