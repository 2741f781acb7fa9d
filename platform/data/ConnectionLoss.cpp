// ConnectionLoss.cpp: the states and driver texts of a lost connection.
#include "platform/data/ConnectionLoss.h"

namespace odbc {

bool IsConnectionLoss(const QString& SqlState, const QString& Message)
{
  if (SqlState.startsWith(QLatin1String("08")))
    return true;
  for (const char* State : {"57P01", "57P02", "57P03"})
    if (SqlState == QLatin1String(State))
      return true;
  // The driver's texts when the socket is gone; the states it gives them
  // differ between its versions.
  static const char* const Texts[] = {
    "connection lost",
    "connection has been lost",
    "connection dead",
    "terminated abnormally",
    "server closed the connection",
    "no connection to the server",
    "could not send data to server",
    "could not receive data from server",
    "terminating connection due to",
  };
  for (const char* Text : Texts)
    if (Message.contains(QLatin1String(Text), Qt::CaseInsensitive))
      return true;
  return false;
}

}  // namespace odbc
