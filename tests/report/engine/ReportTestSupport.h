// ReportTestSupport.h: helpers shared by the report engine's tests.
#pragma once

#include "platform/data/ADODB.h"
#include "tests/support/TestDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Opens Db on the test server's development database through the ODBC
// data source, as a report's query connects.
inline void OpenTestConnection(TADOConnection& Db)
{
  Db.SetLoginPrompt(false);
  Db.SetConnectionString(QStringLiteral("Provider=MSDASQL.1;Persist Security Info=True;User ID=%1;Password=%2;"
                                        "Data Source=velmora_dev")
                           .arg(QString::fromStdString(testsupport::UserName()),
                                QString::fromStdString(testsupport::Password())));
  Db.Open();
}

// Lets events run until Done answers true (a minute at most); answers Done.
template <class F>
bool PumpUntil(F Done)
{
  QElapsedTimer T;
  T.start();
  while (!Done() && T.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return Done();
}
