// MemTableFormTest.cpp: a memory table made from a form description and
// written back into one.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

TEST(MemTableForm, DescriptionMakesATableWithItsSettings)
{
  RegisterMemTableClasses();
  const QString Text = S("object Lines: TMemTableEh\n"
                         "  FetchAllOnOpen = True\n"
                         "  MasterDetailSide = mdsOnSelfAfterProviderEh\n"
                         "  Options = [mtoTextFieldsCaseInsensitive]\n"
                         "  ReadOnly = True\n"
                         "  SortOrder = 'qty DESC'\n"
                         "  TreeList.KeyFieldName = 'id'\n"
                         "  TreeList.RefParentFieldName = 'parent'\n"
                         "  TreeList.DefaultNodeExpanded = True\n"
                         "  TreeList.FullBuildCheck = False\n"
                         "end\n");
  std::unique_ptr<TComponent> Made(ReadComponentFromText(Text, nullptr));
  auto* T = dynamic_cast<TMemTableEh*>(Made.get());
  ASSERT_NE(T, nullptr);
  EXPECT_EQ(T->Name(), S("Lines"));
  EXPECT_TRUE(T->FetchAllOnOpen());
  EXPECT_EQ(T->MasterDetailSide(), mdsOnSelfAfterProviderEh);
  EXPECT_EQ(T->Options(), TMemTableOptionsEh{mtoTextFieldsCaseInsensitive});
  EXPECT_TRUE(T->ReadOnly());
  EXPECT_EQ(T->SortOrder(), S("qty DESC"));
  EXPECT_EQ(T->TreeList()->KeyFieldName(), S("id"));
  EXPECT_EQ(T->TreeList()->RefParentFieldName(), S("parent"));
  EXPECT_TRUE(T->TreeList()->DefaultNodeExpanded());
  EXPECT_FALSE(T->TreeList()->FullBuildCheck());

  // Written back, the settings that differ from the defaults come out, and
  // read again they give the same table.
  const QString Written = WriteComponentToText(T);
  EXPECT_TRUE(Written.contains(S("SortOrder = 'qty DESC'"))) << Written.toStdString();
  EXPECT_FALSE(Written.contains(S("AggregatesActive"))) << Written.toStdString();
  std::unique_ptr<TComponent> Again(ReadComponentFromText(Written, nullptr));
  auto* U = dynamic_cast<TMemTableEh*>(Again.get());
  ASSERT_NE(U, nullptr);
  EXPECT_EQ(U->MasterDetailSide(), mdsOnSelfAfterProviderEh);
  EXPECT_EQ(U->TreeList()->RefParentFieldName(), S("parent"));

  // An unknown setting names itself.
  EXPECT_THROW(ReadComponentFromText(S("object X: TMemTableEh\n  SortOrdr = 'a'\nend\n"), nullptr), EReadError);
}

}  // namespace
