// FormReaderFuzzer.cpp: feeds form descriptions, text and binary, to the
// reader and the converters. The first byte picks the path.
#include "platform/rtl/Classes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

enum TKindF { kfOne, kfTwo, kfThree };
enum TFlagF { ffA, ffB, ffC };

class TItemF : public TCollectionItem {
  VELMORA_CLASS(TItemF)
public:
  using TCollectionItem::TCollectionItem;
  String Text;
  Integer Number = 0;
};

class TPartF : public TPersistent {
  VELMORA_CLASS(TPartF)
public:
  TSet<TFlagF> Flags;
  String Text;
};

class TNodeF : public TComponent {
  VELMORA_CLASS(TNodeF)
public:
  explicit TNodeF(TComponent* AOwner)
    : TComponent(AOwner), Items(std::make_unique<TCollection>(TItemF::StaticClass())),
      Lines(std::make_unique<TStringList>()), Part(std::make_unique<TPartF>())
  {
  }
  void Handler(TObject*) {}
  std::unique_ptr<TCollection> Items;
  std::unique_ptr<TStringList> Lines;
  std::unique_ptr<TPartF> Part;
  String Caption;
  Integer Left = 0;
  Int64 Big = 0;
  bool Flag = false;
  TKindF Kind = kfOne;
  double Ratio = 0;
  QChar Mark;
  TNodeF* Link = nullptr;
  QByteArray Blob;
  TNotifyEvent OnClick;

protected:
  void DefineProperties(TFiler& Filer) override
  {
    TComponent::DefineProperties(Filer);
    Filer.DefineBinaryProperty(
      QStringLiteral("Data"), [this](TStream& S) { Blob = S.ReadBytes(Integer(S.Size())); },
      [this](TStream& S) { S.WriteBuffer(Blob); }, !Blob.isEmpty());
    Filer.DefineProperty(
      QStringLiteral("Values"),
      [this](TReader& R) {
        R.ReadListBegin();
        while (!R.EndOfList())
          Ratio += R.ReadFloat();
        R.ReadListEnd();
      },
      nullptr, false);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Link)
      Link = nullptr;
  }
};

void Register()
{
  RegisterRtlClasses();
  RegisterEnum<TKindF>("TKindF", {"kfOne", "kfTwo", "kfThree"});
  RegisterEnum<TFlagF>("TFlagF", {"ffA", "ffB", "ffC"});
  RegisterClassInfo<TItemF, TCollectionItem>("TItemF")
    .Property("Text", [](const TItemF* I) { return I->Text; }, [](TItemF* I, const String& V) { I->Text = V; })
    .Property("Number", [](const TItemF* I) { return I->Number; }, [](TItemF* I, Integer V) { I->Number = V; });
  RegisterClassInfo<TPartF, TPersistent>("TPartF")
    .Property("Flags", [](const TPartF* P) { return P->Flags; }, [](TPartF* P, TSet<TFlagF> V) { P->Flags = V; })
    .Property("Text", [](const TPartF* P) { return P->Text; }, [](TPartF* P, const String& V) { P->Text = V; });
  RegisterClassInfo<TNodeF, TComponent>("TNodeF")
    .Property("Caption", [](const TNodeF* N) { return N->Caption; }, [](TNodeF* N, const String& V) { N->Caption = V; })
    .Property("Left", [](const TNodeF* N) { return N->Left; }, [](TNodeF* N, Integer V) { N->Left = V; })
    .Property("Big", [](const TNodeF* N) { return N->Big; }, [](TNodeF* N, Int64 V) { N->Big = V; })
    .Property("Flag", [](const TNodeF* N) { return N->Flag; }, [](TNodeF* N, bool V) { N->Flag = V; }, false)
    .Property("Kind", [](const TNodeF* N) { return N->Kind; }, [](TNodeF* N, TKindF V) { N->Kind = V; }, kfOne)
    .Property("Ratio", [](const TNodeF* N) { return N->Ratio; }, [](TNodeF* N, double V) { N->Ratio = V; })
    .Property("Mark", [](const TNodeF* N) { return N->Mark; }, [](TNodeF* N, QChar V) { N->Mark = V; })
    .Property("Items", [](const TNodeF* N) { return N->Items.get(); })
    .Property("Lines", [](const TNodeF* N) { return N->Lines.get(); })
    .Property("Part", [](const TNodeF* N) { return N->Part.get(); })
    .Property("Link", [](const TNodeF* N) { return N->Link; },
              [](TNodeF* N, TNodeF* V) {
                N->Link = V;
                if (V)
                  V->FreeNotification(N);
              })
    .Event("OnClick", &TNodeF::OnClick)
    .Handler("Handler", &TNodeF::Handler);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  static const bool Registered = (Register(), true);
  (void)Registered;
  if (Size < 1)
    return 0;
  const QByteArray Input(reinterpret_cast<const char*>(Data) + 1, qsizetype(Size - 1));
  try {
    switch (Data[0] % 4) {
    case 0: {   // text read into new components, then written back
      std::unique_ptr<TComponent> Root(ReadComponentFromText(QString::fromUtf8(Input), nullptr));
      WriteComponentToText(Root.get());
      break;
    }
    case 1: {   // binary read
      TBytesStream S(QByteArray("TPF0") + Input);
      std::unique_ptr<TComponent> Root(ReadComponentFromStream(&S, nullptr));
      WriteComponentToBinary(Root.get());
      break;
    }
    case 2: {   // text to binary to text
      TBytesStream Text(Input);
      TMemoryStream Binary;
      ObjectTextToBinary(&Text, &Binary);
      Binary.SetPosition(0);
      TMemoryStream Back;
      ObjectBinaryToText(&Binary, &Back);
      break;
    }
    default: {   // binary to text
      TBytesStream Binary(QByteArray("TPF0") + Input);
      TMemoryStream Text;
      ObjectBinaryToText(&Binary, &Text, sofText);
      break;
    }
    }
  } catch (const Exception&) {
  }
  return 0;
}
