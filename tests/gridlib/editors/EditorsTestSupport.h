// EditorsTestSupport.h: what the editors' tests share: a component of a form
// by name, and a session on the test server inside a transaction.
#pragma once

#include "platform/data/ADODB.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>

namespace editors_test {

template <class T>
T* Find(const TComponent* Form, const char* Name)
{
  auto* C = dynamic_cast<T*>(Form->FindComponent(QString::fromLatin1(Name)));
  EXPECT_NE(C, nullptr) << Name;
  return C;
}

// A connection to the test database with a transaction open; the test
// rolls it back.
inline std::unique_ptr<TADOConnection> OpenTestSession()
{
  RegisterDBClasses();
  RegisterADOClasses();
  auto Db = std::make_unique<TADOConnection>(nullptr);
  Db->SetLoginPrompt(false);
  Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
  Db->Open();
  Db->BeginTrans();
  return Db;
}

} // namespace editors_test
