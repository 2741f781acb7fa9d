// ConnectionLoss.h: telling a connection that the server dropped (or that
// cannot be made again) from an ordinary database error, so that the client
// can say so plainly and connect again on the next use.
#pragma once

#include "platform/data/Odbc.h"

// The link to the server is gone: the server was stopped, crashed or cannot
// be reached. Nothing of the failed statement was written; the connection
// that raised it connects again when it is used next.
class EConnectionLost : public EOleException {
public:
  using EOleException::EOleException;
  explicit EConnectionLost(const EOleException& Cause)
    : EOleException(Cause.Message(), Cause.Source(), Cause.SqlState(), Cause.NativeError()) {}
};

namespace odbc {

// One diagnostic record means a lost link: SQLSTATE class 08, the server's
// shutdown and crash codes 57P01, 57P02 and 57P03, or the driver's own texts
// for a socket that is gone (it reports some of them as HY000).
bool IsConnectionLoss(const QString& SqlState, const QString& Message);

}  // namespace odbc
