// LanguageTest.cpp: the library texts from their stored description and the
// language manager re-reading them from language files.
#include "gridlib/foundation/GridLibLangConsts.h"
#include "gridlib/foundation/LanguageResManEh.h"

#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

void WriteFile(const QString& Path, const QByteArray& Bytes)
{
  QFile F(Path);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write(Bytes);
}

// Tells how often it heard that the language changed.
class TListeningComponent : public TComponent, public ILanguageResourceLoadNotificationConsumer {
public:
  using TComponent::TComponent;
  void ResourceLanguageChanged() override { ++Heard; }
  Integer Heard = 0;
};

} // namespace

TEST(GridLibLanguageConsts, StoredRussianTexts)
{
  TGridLibLanguageConsts* T = GridLibLanguageConsts();
  ASSERT_EQ(T, GridLibLanguageConsts()) << "a single object";
  struct Case { const char* Property; const char* Text; };
  const Case Cases[] = {
    {"Language", "Russian"},
    {"ClearSelectedCells", "Очистить выделенные ячейки?"},
    {"PageOfPages", "Страница %d из %d"},
    {"FieldNameNotFound", "Имя поля '%s' не найдено"},
    {"FindDialogStringNotFoundMessage", "Строка \"%s\" не найдена."},
    {"STFilterListItem_CustomFilter", "(Условие...)"},
    {"QuoteIsAbsentEh", "Отсутствует кавычка: "},
    {"LeftBracketExpectedEh", "'(' пропущена: "},
    {"GridSelectionInfo_Sum", "Sum"},
    {"CellCountEh", "Cell Count"},
    {"DeleteMultipleRecordsQuestionEh", "Удалить %d выбранных записей?"},
    {"DuplicateVarNameEh", "Переменная с именем '%s' уже присутствует в Коллекции"},
    {"UnsupportedFieldTypeEh", "Неподдерживаемый тип (%s) для поля %s"},
    {"FindItemNameAllEh", "<Все>"},
    {"PlannerEndTimeBeforeStartTimeEh", "The EndTime is before the StartTime"},
    {"TodayEh", "Cегодня"},
    {"PrnDBGridEhSetupDialog_Margins", " &Отступы "},
    {"DBGridEhSimpleFilterDialog_OneCharWildcardInfo", "Знак \"_\" обозначает один любой знак"},
    {"DBGridEhSimpleFilterDialog_SeveralCharsWildcardInfo", "Знак \"%\" обозначает последовательность любых знаков"},
    {"PrintPageSetupDialog_PrNormalSize", "% от натуральной величины"},
    {"PrintPageSetupDialog_Center", "По центру"},
    {"MemoEditWin_Caption", ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Property);
    EXPECT_EQ(GetStrProp(T, QString::fromLatin1(C.Property)), QString::fromUtf8(C.Text));
  }
  EXPECT_EQ(T->TodayEh().at(0), QLatin1Char('C')) << "a Latin capital C";
  EXPECT_EQ(T->Cut(), QStringLiteral("Вырезать"));
  EXPECT_EQ(T->Name(), QStringLiteral("GridLibLanguageConsts"));

  // Every property but the memo caption holds a text.
  Integer Filled = 0, Count = 0;
#define COUNT_TEXT(Name) ++Count; Filled += T->Name().isEmpty() ? 0 : 1;
  GRIDLIB_LANGUAGE_TEXTS(COUNT_TEXT)
#undef COUNT_TEXT
  EXPECT_EQ(Count, 250);
  EXPECT_EQ(Filled, 249);
}

TEST(LanguageResourceManager, RereadsTextsFromALanguageFile)
{
  TGridLibLanguageConsts* T = GridLibLanguageConsts();
  TLanguageResourceManagerEh* M = LanguageResourceManagerEh();
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  WriteFile(Dir.filePath(QStringLiteral("GridLibLangConsts.DEU.dfm")),
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n"
            "  Language = 'German'\n"
            "  Cut = 'Ausschneiden'\n"
            "  TodayEh = 'Heute'\n"
            "end\n");
  WriteFile(Dir.filePath(QStringLiteral("GridLibLangConsts.ENU.dfm")),
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n  Language = 'English'\nend\n");
  WriteFile(Dir.filePath(QStringLiteral("GridLibLangConsts.QQQ.dfm")), "not a language\n");
  WriteFile(Dir.filePath(QStringLiteral("Other.RUS.dfm")), "x\n");

  EXPECT_THROW(M->SetActiveLanguageAbbr(QStringLiteral("DEU")), Exception) << "before the list is loaded";
  M->SetResourceFolderPath(Dir.path());
  M->LoadListOfAvailableLanguages(QStringLiteral("GridLibLangConsts"));
  QStringList Found = M->LanguageList()->ToStringList();
  Found.sort();
  EXPECT_EQ(Found, QStringList({QStringLiteral("DEU"), QStringLiteral("ENU")}))
      << "QQQ is no language, Other is another base name";
  EXPECT_EQ(M->GetNativeLanguageName(QStringLiteral("DEU")), QStringLiteral("Deutsch"));
  EXPECT_EQ(M->GetNativeLanguageName(QStringLiteral("QQQ")), QString());

  try {
    M->SetActiveLanguageAbbr(QStringLiteral("FRA"));
    ADD_FAILURE() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Language \"FRA\" is not supported"));
  }

  TListeningComponent Listener(nullptr);
  M->AddChangeNotifyConsumer(&Listener, QStringLiteral("ENU"));
  const String RussianPaste = T->Paste();
  M->SetActiveLanguageAbbr(QStringLiteral("DEU"));
  EXPECT_EQ(T->Cut(), QStringLiteral("Ausschneiden"));
  EXPECT_EQ(T->TodayEh(), QStringLiteral("Heute"));
  EXPECT_EQ(T->Language(), QStringLiteral("German"));
  EXPECT_EQ(T->Paste(), RussianPaste) << "a text the file does not name stays";
  EXPECT_EQ(Listener.Heard, 1);

  // The same language again re-reads nothing, even when the file changed.
  WriteFile(Dir.filePath(QStringLiteral("GridLibLangConsts.DEU.dfm")),
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n  Cut = 'Changed'\nend\n");
  M->SetActiveLanguageAbbr(QStringLiteral("DEU"));
  EXPECT_EQ(T->Cut(), QStringLiteral("Ausschneiden"));
  EXPECT_EQ(Listener.Heard, 1);

  M->SetActiveLanguageAbbr(QStringLiteral("ENU"));
  EXPECT_EQ(T->Language(), QStringLiteral("English"));
  EXPECT_EQ(T->Cut(), QStringLiteral("Ausschneiden")) << "kept: not in the English file";
  EXPECT_EQ(Listener.Heard, 2);
  M->DeleteChangeNotifyConsumer(&Listener);

  // A missing file changes nothing.
  QFile::remove(Dir.filePath(QStringLiteral("GridLibLangConsts.DEU.dfm")));
  M->SetActiveLanguageAbbr(QStringLiteral("DEU"));
  EXPECT_EQ(T->Language(), QStringLiteral("English"));

  // Back to the stored texts.
  ASSERT_TRUE(ReadComponentResource(T, QStringLiteral("TGridLibLanguageConsts")));
  EXPECT_EQ(T->Cut(), QStringLiteral("Вырезать"));
}

TEST(LanguageResourceManager, StreamFormatsAndReadErrors)
{
  TLanguageResourceManagerEh M;
  TGridLibLanguageConsts* T = GridLibLanguageConsts();
  TBytesStream Garbage(QByteArray("\x01\x02\x03\x04garbage", 11));
  try {
    M.ReadComponentFromStream(T, &Garbage);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Invalid stream format."));
  }

  // A property the component lacks: the application shows the error and
  // the read stops there; nothing passes on.
  QString Shown;
  Application->OnException = [&](TObject*, Exception& E) { Shown = E.Message(); };
  TBytesStream Text(QByteArray("object GridLibLanguageConsts: TGridLibLanguageConsts\n"
                               "  Copy = 'Kopieren'\n  NoSuchText = 'x'\n  Paste = 'Einfuegen'\nend\n"));
  const String Paste = T->Paste();
  EXPECT_NO_THROW(M.ReadComponentFromStream(T, &Text));
  Application->OnException = nullptr;
  EXPECT_FALSE(Shown.isEmpty());
  EXPECT_EQ(T->Paste(), Paste) << "reading stopped at the bad property";
  ReadComponentResource(T, QStringLiteral("TGridLibLanguageConsts"));

  EXPECT_THROW(M.ReadComponentExternalResource(T, QStringLiteral("GridLibLangConsts")), Exception)
      << "ActiveLanguage is not defined";
}

TEST(LanguageResourceManager, AutoselectLanguage)
{
  TLanguageResourceManagerEh M;
  const String Russian = QStringLiteral("ru_RU");
  EXPECT_EQ(M.GetSuffixForLocale(Russian), QStringLiteral("RUS"));
  EXPECT_EQ(M.AutoselectLanguage(Russian), QString()) << "empty list";
  M.LanguageList()->Add(QStringLiteral("DEU"));
  EXPECT_EQ(M.AutoselectLanguage(Russian), QString());
  M.LanguageList()->Add(QStringLiteral("ENU"));
  EXPECT_EQ(M.AutoselectLanguage(Russian), QStringLiteral("ENU"));
  M.LanguageList()->Add(QStringLiteral("RUS"));
  EXPECT_EQ(M.AutoselectLanguage(Russian), QStringLiteral("RUS"));
  EXPECT_EQ(M.AutoselectLanguage(QStringLiteral("de-AT")), QStringLiteral("DEU"));
  M.OnAutoselectLanguage = [](TObject*, String& Abbr) { Abbr = QStringLiteral("DEU"); };
  EXPECT_EQ(M.AutoselectLanguage(), QStringLiteral("DEU"));
}
