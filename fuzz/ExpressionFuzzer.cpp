// ExpressionFuzzer.cpp: parses report expressions and evaluates them,
// aggregating a few passes, with an environment that names each other.
#include "report/engine/QRExpr.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  static TQREvEnvironment* Env = [] {
    auto* E = new TQREvEnvironment();
    E->AddFunction(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
    E->AddFunction(QStringLiteral("TITLE"), QStringLiteral("'Отчёт'"));
    E->AddFunction(QStringLiteral("LOOP"), QStringLiteral("LOOP + 1"));
    E->AddFunction(QStringLiteral("TWICE"), QStringLiteral("PAGENUMBER * 2"));
    E->Prepare();
    return E;
  }();
  const String Text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
  TQREvaluator Eval;
  Eval.SetEnvironment(Env);
  try {
    Eval.Prepare(Text);
    for (int I = 0; I < 3; ++I)
      Eval.DoAggregate();
    TQREvResult R;
    Eval.Value(R);
    (void)EvResultToString(R);
    (void)Eval.AsString();
  } catch (const Exception&) {
  }
  return 0;
}
