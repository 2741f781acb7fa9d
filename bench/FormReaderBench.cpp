// FormReaderBench.cpp: reading a form description of 2,000 components, from
// text and from the binary form, and writing it back.
#include "platform/rtl/Classes.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

enum TAlignB { abNone, abTop, abBottom, abLeft, abRight, abClient };
enum TStyleB { sbBold, sbItalic, sbUnderline };

class TFontB : public TPersistent {
  VELMORA_CLASS(TFontB)
public:
  String Name = QStringLiteral("Tahoma");
  Integer Size = 8;
  TSet<TStyleB> Style;
};

class TControlB : public TComponent {
  VELMORA_CLASS(TControlB)
public:
  explicit TControlB(TComponent* AOwner) : TComponent(AOwner), Font(std::make_unique<TFontB>()) {}
  void Click(TObject*) {}
  Integer Left = 0, Top = 0, Width = 75, Height = 25, TabOrder = 0;
  String Caption, Hint;
  TAlignB Align = abNone;
  bool Visible = true, Enabled = true;
  std::unique_ptr<TFontB> Font;
  TNotifyEvent OnClick;
};

class TFormB : public TComponent {
  VELMORA_CLASS(TFormB)
public:
  using TComponent::TComponent;
  void ControlClick(TObject*) {}
  String Caption;
};

void Register()
{
  RegisterRtlClasses();
  RegisterEnum<TAlignB>("TAlignB", {"abNone", "abTop", "abBottom", "abLeft", "abRight", "abClient"});
  RegisterEnum<TStyleB>("TStyleB", {"sbBold", "sbItalic", "sbUnderline"});
  RegisterClassInfo<TFontB, TPersistent>("TFontB")
    .Property("Name", [](const TFontB* F) { return F->Name; }, [](TFontB* F, const String& V) { F->Name = V; },
              QStringLiteral("Tahoma"))
    .Property("Size", [](const TFontB* F) { return F->Size; }, [](TFontB* F, Integer V) { F->Size = V; }, 8)
    .Property("Style", [](const TFontB* F) { return F->Style; }, [](TFontB* F, TSet<TStyleB> V) { F->Style = V; });
  RegisterClassInfo<TControlB, TComponent>("TControlB")
    .Property("Left", [](const TControlB* C) { return C->Left; }, [](TControlB* C, Integer V) { C->Left = V; })
    .Property("Top", [](const TControlB* C) { return C->Top; }, [](TControlB* C, Integer V) { C->Top = V; })
    .Property("Width", [](const TControlB* C) { return C->Width; }, [](TControlB* C, Integer V) { C->Width = V; })
    .Property("Height", [](const TControlB* C) { return C->Height; }, [](TControlB* C, Integer V) { C->Height = V; })
    .Property("Align", [](const TControlB* C) { return C->Align; }, [](TControlB* C, TAlignB V) { C->Align = V; }, abNone)
    .Property("Caption", [](const TControlB* C) { return C->Caption; },
              [](TControlB* C, const String& V) { C->Caption = V; })
    .Property("Hint", [](const TControlB* C) { return C->Hint; }, [](TControlB* C, const String& V) { C->Hint = V; })
    .Property("Visible", [](const TControlB* C) { return C->Visible; }, [](TControlB* C, bool V) { C->Visible = V; }, true)
    .Property("Enabled", [](const TControlB* C) { return C->Enabled; }, [](TControlB* C, bool V) { C->Enabled = V; }, true)
    .Property("Font", [](const TControlB* C) { return C->Font.get(); })
    .Property("TabOrder", [](const TControlB* C) { return C->TabOrder; },
              [](TControlB* C, Integer V) { C->TabOrder = V; })
    .Event("OnClick", &TControlB::OnClick);
  RegisterClassInfo<TFormB, TComponent>("TFormB")
    .Property("Caption", [](const TFormB* F) { return F->Caption; }, [](TFormB* F, const String& V) { F->Caption = V; })
    .Handler("ControlClick", &TFormB::ControlClick);
}

String Description(int Count)
{
  String S = QStringLiteral("object Form1: TFormB\n  Caption = 'Накладные'\n");
  for (int I = 0; I < Count; ++I)
    S += QStringLiteral("  object Control%1: TControlB\n"
                        "    Left = %2\n    Top = %3\n    Width = 121\n    Height = 21\n"
                        "    Caption = 'Поле номер %1'\n    Hint = 'Подсказка'\n    Align = abLeft\n"
                        "    Font.Name = 'Arial'\n    Font.Style = [sbBold]\n    TabOrder = %1\n"
                        "    OnClick = ControlClick\n  end\n")
           .arg(I)
           .arg(8 + I % 40 * 10)
           .arg(8 + I / 40 * 24);
  return S + QStringLiteral("end\n");
}

void ReadText(benchmark::State& State)
{
  Register();
  const String Text = Description(2000);
  for (auto _ : State) {
    TFormB Form(nullptr);
    ReadComponentFromText(Text, &Form);
    benchmark::DoNotOptimize(Form.ComponentCount());
  }
  State.counters["components"] = 2000;
}
BENCHMARK(ReadText)->Unit(benchmark::kMillisecond);

void ReadBinary(benchmark::State& State)
{
  Register();
  TFormB Source(nullptr);
  ReadComponentFromText(Description(2000), &Source);
  const QByteArray Binary = WriteComponentToBinary(&Source);
  for (auto _ : State) {
    TFormB Form(nullptr);
    TBytesStream S(Binary);
    ReadComponentFromStream(&S, &Form);
    benchmark::DoNotOptimize(Form.ComponentCount());
  }
}
BENCHMARK(ReadBinary)->Unit(benchmark::kMillisecond);

void WriteText(benchmark::State& State)
{
  Register();
  TFormB Form(nullptr);
  ReadComponentFromText(Description(2000), &Form);
  for (auto _ : State)
    benchmark::DoNotOptimize(WriteComponentToText(&Form));
}
BENCHMARK(WriteText)->Unit(benchmark::kMillisecond);

} // namespace
