// FilterExprFuzzer.cpp: feeds texts to the filter-expression compiler, as a
// filter and as an aggregate, and walks every piece of code it writes: each
// node offset, operand and literal must lie inside the code.
#include "platform/data/FilterExprParser.h"

#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const TFieldMap& Map()
{
  static const TFieldMap M = {0, 1, 5, 6, 12, 4, 7, 7, 8, 2, 10, 11, 9, 15, 6, 3, 3, 3, 3, 3, 3, 3, 17, 1, 1, 18,
                              20, 21, 22, 23, 3, 3, 0, 0, 0, 1, 24, 25, 26, 3, 24, 1, 6, 28, 29, 7, 0, 0, 0, 36,
                              0, 27};
  return M;
}

bool Resolve(const String& Name, TFilterExprField& F)
{
  static const struct {
    const char* Name;
    TFieldType Type;
  } Defs[] = {{"id", ftInteger}, {"s_caption", ftWideString}, {"price", ftBCD}, {"d_date", ftDate},
              {"ts", ftDateTime}, {"t", ftTime}, {"f", ftFMTBcd}, {"flag", ftBoolean}};
  for (int I = 0; I < 8; ++I)
    if (Name.compare(QLatin1String(Defs[I].Name), Qt::CaseInsensitive) == 0) {
      F.FieldNo = I + 1;
      F.DataType = Defs[I].Type;
      return true;
    }
  return false;
}

struct TChecker {
  const TExprData& C;
  int Literals = 0;
  int Visited = 0;

  int U16(int At) const
  {
    if (At < 0 || At + 2 > C.size())
      std::abort();
    return qFromLittleEndian<quint16>(C.constData() + At);
  }
  std::uint32_t U32(int At) const
  {
    if (At < 0 || At + 4 > C.size())
      std::abort();
    return qFromLittleEndian<quint32>(C.constData() + At);
  }
  void Literal(int Offset, int Size) const
  {
    if (Literals + Offset + Size > C.size())
      std::abort();
  }
  void Name(int Offset) const
  {
    Literal(Offset, 1);
    if (!std::memchr(C.constData() + Literals + Offset, 0, std::size_t(C.size() - Literals - Offset)))
      std::abort();
  }
  int Operand(int Node, int I) const { return U16(10 + Node + 8 + 2 * I); }

  void Node(int N)
  {
    // Children follow their parent: a walk never loops.
    if (++Visited > C.size() || 10 + N + 8 > Literals)
      std::abort();
    switch (U32(10 + N)) {
    case enUnary: Child(N, Operand(N, 0)); break;
    case enBinary:
      Child(N, Operand(N, 0));
      if (U32(10 + N + 4) == coIN)
        List(N, Operand(N, 1), false);
      else
        Child(N, Operand(N, 1));
      break;
    case enCompare: Child(N, Operand(N, 2)); Child(N, Operand(N, 3)); break;
    case enField: Name(Operand(N, 1)); break;
    case enConst: Literal(Operand(N, 2), Operand(N, 1)); break;
    case enFunc: Name(Operand(N, 0)); List(N, Operand(N, 1), true); break;
    default: std::abort();
    }
  }
  void Child(int Parent, int N)
  {
    if (N <= Parent)
      std::abort();
    Node(N);
  }
  void List(int Parent, int E, bool MayBeEmpty)
  {
    if (E == 0 && MayBeEmpty)
      return;
    while (E > 0) {
      if (E <= Parent || U32(10 + E) != enListElem)
        std::abort();
      Child(E, Operand(E, 0));
      Parent = E;
      E = Operand(E, 1);
    }
  }
};

void Check(const TExprData& C)
{
  if (C.isEmpty())
    return;
  TChecker K{C};
  K.Literals = K.U16(8);
  if (int(K.U32(2)) != C.size() || K.Literals > C.size())
    std::abort();
  K.Node(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  const QString Text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
  for (const TParserOptions Options : {TParserOptions{poExtSyntax}, TParserOptions{poExtSyntax, poAggregate}}) {
    for (const TFilterOptions Filter : {TFilterOptions{}, TFilterOptions{foCaseInsensitive, foNoPartialCompare}}) {
      try {
        Check(TFilterExprParser(Resolve, Text, Filter, Options, Map()).FilterData());
      } catch (const EFilterExprError&) {
      }
    }
  }
  return 0;
}
