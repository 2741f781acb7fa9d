// ReportTestSupport.h: helpers shared by the report engine's tests.
#pragma once

#include "platform/data/ADODB.h"
#include "tests/support/TestDatabase.h"

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
