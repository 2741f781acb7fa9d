// DataTestSupport.h: small helpers the data tests share.
#pragma once

#include "tests/support/TestDatabase.h"

#include <string>

namespace datatest {

// The one value a statement answers on the test server ("<none>" when it
// answers no row, several, or Null).
inline std::string One(const std::string& Sql)
{
  testsupport::OdbcSession S;
  const auto Rows = S.Rows(Sql);
  if (Rows.size() != 1 || Rows[0].empty() || !Rows[0][0])
    return "<none>";
  return *Rows[0][0];
}

} // namespace datatest
