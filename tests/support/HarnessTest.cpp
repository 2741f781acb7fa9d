// HarnessTest.cpp: the private server behaves as a real one: password
// sign-in through the data source, refusal of a wrong password, and a reset
// that throws away what a test committed.
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(Harness, SignsInThroughTheDataSource)
{
  OdbcSession Db;
  EXPECT_EQ(Db.Scalar("SELECT current_user"), UserName());
  EXPECT_EQ(Db.Scalar("SELECT current_database()"), "velmora");
  EXPECT_EQ(Db.Scalar("SELECT 'Ёлка и ёж'"), "Ёлка и ёж");
}

TEST(Harness, RefusesAWrongPassword)
{
  const std::string Bad = "DSN=velmora_dev;UID=" + UserName() + ";PWD={wrong}";
  try {
    OdbcSession Db(Bad);
    FAIL() << "a wrong password was accepted";
  } catch (const std::runtime_error& E) {
    EXPECT_NE(std::string(E.what()).find("password"), std::string::npos) << E.what();
  }
}

TEST(Harness, ResetThrowsAwayCommittedRows)
{
  {
    OdbcSession Db;
    Db.Exec("CREATE TABLE harness_probe(id int)");
    Db.Exec("INSERT INTO harness_probe VALUES (1)");
  }
  ResetDatabase();
  OdbcSession Db;
  EXPECT_EQ(Db.Scalar("SELECT count(*) FROM pg_tables WHERE tablename = 'harness_probe'"), "0");
}
