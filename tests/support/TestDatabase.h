// TestDatabase.h: the tests' side of the private PostgreSQL server: resetting
// the database to its fixture state and a raw ODBC session for checks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Drops "velmora" and recreates it from the template (schema + fixture rows).
// Open sessions on it are cut off; reconnect afterwards.
void ResetDatabase();

// ODBC connection string for the test database: the data source "velmora_dev"
// with its account, as the client's stored connection would use it.
std::string ConnectionString();
// Driver connection string naming server and database directly, without the
// data source (the client's two-parameter command line).
std::string DriverConnectionString(const std::string& Database = "velmora");
// "127.0.0.1" and the server's port.
std::string ServerHost();
int ServerPort();
// The account the data source signs in with.
std::string UserName();
std::string Password();

using Row = std::vector<std::optional<std::string>>;   // UTF-8, nullopt for NULL

// A raw unixODBC session (wide API, so Cyrillic text arrives intact).
class OdbcSession {
public:
  explicit OdbcSession(const std::string& ConnStr = ConnectionString());
  ~OdbcSession();
  OdbcSession(const OdbcSession&) = delete;
  OdbcSession& operator=(const OdbcSession&) = delete;

  // Runs a statement; throws std::runtime_error with the server's message.
  void Exec(const std::string& Sql);
  // Column names of the statement's result (the statement is executed).
  std::vector<std::string> Columns(const std::string& Sql);
  // All rows of a query.
  std::vector<Row> Rows(const std::string& Sql);
  // The first column of the first row, or nullopt.
  std::optional<std::string> Scalar(const std::string& Sql);

private:
  struct Handles;
  std::unique_ptr<Handles> H;
};

}  // namespace testsupport
