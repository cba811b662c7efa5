#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "desktop/XlsxSpreadsheet.h"
#include "support/Fakes.h"
#include "support/SheetReader.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

constexpr QFile::Permissions kOwnerAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// The owner, group and other bits, as the mode of a file has them.
int Mode(const QFileInfo& info) {
  return static_cast<int>(info.permissions()) & 0x7077;
}

void SetModified(const QString& path, const QDateTime& time) {
  const timespec stamp{static_cast<time_t>(time.toSecsSinceEpoch()), 0};
  const timespec times[2] = {stamp, stamp};
  utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// A machine of our making: programs are what `installed` names, the desktop
// has no MIME defaults, and exports go to a temporary folder of the tree.
class Spreadsheet : public testing::Test {
 protected:
  SpreadsheetSearch Search() {
    SpreadsheetSearch search;
    search.findOnPath = [this](const QString& name) { return installed.value(name); };
    search.defaultApplication = [this](const QString& mimeType) {
      askedDefaultFor = mimeType;
      return defaultApplication;
    };
    return search;
  }
  QString Program(const QString& relative) {
    const QString path = tree.File(relative, "#!/bin/sh\n");
    QFile::setPermissions(path, kOwnerAll);
    return path;
  }
  // LibreOffice with its sheet component, reached through a link as on Debian.
  QString InstallLibreOfficeCalc() {
    const QString real = Program(u"lib/libreoffice/program/soffice"_s);
    tree.File(u"lib/libreoffice/program/libsclo.so"_s);
    const QString link = tree.Path(u"bin/soffice"_s);
    tree.Folder(u"bin"_s);
    QFile::link(real, link);
    installed.insert(u"soffice"_s, link);
    return link;
  }
  XlsxSpreadsheet Layer() { return XlsxSpreadsheet(launcher, Search(), temp()); }
  QString temp() { return tree.Folder(u"tmp"_s); }
  QStringList ExportFolders() { return QDir(temp()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }

  test::TempTree tree;
  test::FakeLauncher launcher;
  QMap<QString, QString> installed;
  std::optional<DesktopApplication> defaultApplication;
  QString askedDefaultFor;
};

TEST_F(Spreadsheet, WithoutAnyProgramCreatingFails) {
  EXPECT_THROW(Layer().CreateApplication(), Failure);
  // LibreOffice without its sheet component is no spreadsheet program.
  installed.insert(u"soffice"_s, Program(u"writer-only/soffice"_s));
  EXPECT_THROW(Layer().CreateApplication(), Failure);
}

TEST_F(Spreadsheet, LibreOfficeGetsTheWorkbookAsANewUntitledDocument) {
  const QString soffice = InstallLibreOfficeCalc();
  installed.insert(u"gnumeric"_s, Program(u"bin/gnumeric"_s));
  XlsxSpreadsheet layer = Layer();
  {
    auto app = layer.CreateApplication();
    ISpreadsheetWorkbook& book = app->AddWorkbook();
    book.SetCell(1, 1, u"=HEADER"_s);
    book.SetCell(1, 2, u"General - Format"_s);
    book.SetCell(2, 1, u"/videos/a=b.mp4"_s);
    book.SetCell(2, 2, u"MPEG-4"_s);
    book.AutofitColumns();
    // Written as it comes, in a folder of its own, and complete once shown.
    EXPECT_EQ(ExportFolders().size(), 1);
    app->SetVisible();
  }
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, soffice);
  const QStringList& arguments = launcher.started[0].arguments;
  ASSERT_EQ(arguments.size(), 2);
  EXPECT_EQ(arguments[0], u"-n"_s);

  // The file outlives the application: the program reads it after we return.
  const QFileInfo file(arguments[1]);
  ASSERT_TRUE(file.isFile());
  EXPECT_EQ(file.fileName(), u"Results.xlsx"_s);
  EXPECT_EQ(QFileInfo(file.path()).path(), temp());
  EXPECT_EQ(Mode(QFileInfo(file.path())), static_cast<int>(kOwnerAll));
  EXPECT_EQ(Mode(file), static_cast<int>(QFile::ReadOwner));
  const test::ReadSheet sheet = test::ReadXlsx(file.filePath());
  ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
  const std::map<std::pair<int, int>, QString> expected = {{{1, 1}, u"=HEADER"_s},
                                                           {{1, 2}, u"General - Format"_s},
                                                           {{2, 1}, u"/videos/a=b.mp4"_s},
                                                           {{2, 2}, u"MPEG-4"_s}};
  EXPECT_EQ(sheet.cells, expected);
  EXPECT_EQ(sheet.formulas, 0);
}

TEST_F(Spreadsheet, GnumericOpensTheFileByName) {
  installed.insert(u"gnumeric"_s, Program(u"bin/gnumeric"_s));
  auto app = Layer().CreateApplication();
  app->AddWorkbook().SetCell(1, 1, u"x"_s);
  app->SetVisible();
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, installed.value(u"gnumeric"_s));
  ASSERT_EQ(launcher.started[0].arguments.size(), 1);
  EXPECT_TRUE(launcher.started[0].arguments[0].endsWith(u"/Results.xlsx"_s));
}

TEST_F(Spreadsheet, WithoutCalcOrGnumericTheDesktopsDefaultStartsThroughItsEntry) {
  defaultApplication = DesktopApplication{u"org.example.Sheets.desktop"_s, u"Sheets"_s};
  auto app = Layer().CreateApplication();
  EXPECT_EQ(askedDefaultFor,
            u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s);
  app->AddWorkbook().SetCell(1, 1, u"x"_s);
  app->SetVisible();
  EXPECT_TRUE(launcher.started.empty());
  ASSERT_EQ(launcher.startedApplications.size(), 1u);
  EXPECT_EQ(launcher.startedApplications[0].program, u"org.example.Sheets.desktop"_s);
  ASSERT_EQ(launcher.startedApplications[0].arguments.size(), 1);
  EXPECT_TRUE(launcher.startedApplications[0].arguments[0].endsWith(u"/Results.xlsx"_s));
}

TEST_F(Spreadsheet, AnApplicationNeverShownLeavesNothingBehind) {
  InstallLibreOfficeCalc();
  {
    auto app = Layer().CreateApplication();  // the probe
  }
  {
    auto app = Layer().CreateApplication();
    app->AddWorkbook().SetCell(1, 1, u"x"_s);
  }
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_TRUE(ExportFolders().isEmpty());
}

TEST_F(Spreadsheet, AProgramThatDoesNotStartFailsAndItsFolderGoes) {
  InstallLibreOfficeCalc();
  launcher.succeeds = false;
  auto app = Layer().CreateApplication();
  app->AddWorkbook().SetCell(1, 1, u"x"_s);
  EXPECT_THROW(app->SetVisible(), Failure);
  EXPECT_TRUE(ExportFolders().isEmpty());
}

TEST_F(Spreadsheet, OldUntouchedExportFoldersAreSweptOthersKept) {
  const QDateTime now = QDateTime::currentDateTime();
  const auto exportFolder = [&](const QString& name, const QStringList& files, bool readOnly,
                                int ageHours) {
    const QString folder = tree.Folder(u"tmp/"_s + name);
    for (const QString& file : files) {
      const QString path = tree.File(u"tmp/"_s + name + u'/' + file, "PK");
      SetModified(path, now.addSecs(-3600 * ageHours));
      if (readOnly)
        QFile::setPermissions(path, QFile::ReadOwner);
    }
    SetModified(folder, now.addSecs(-3600 * ageHours));
  };
  exportFolder(u"vistarel-sheet-old"_s, {u"Results.xlsx"_s, u"Results 2.xlsx"_s}, true, 30);
  exportFolder(u"vistarel-sheet-recent"_s, {u"Results.xlsx"_s}, true, 2);
  exportFolder(u"vistarel-sheet-saved"_s, {u"Results.xlsx"_s}, false, 30);
  exportFolder(u"vistarel-sheet-more"_s, {u"Results.xlsx"_s, u"notes.ods"_s}, true, 30);
  exportFolder(u"someone-else"_s, {u"Results.xlsx"_s}, true, 30);

  RemoveStaleExportFolders(temp(), now);
  EXPECT_EQ(ExportFolders(), (QStringList{u"someone-else"_s, u"vistarel-sheet-more"_s,
                                          u"vistarel-sheet-recent"_s, u"vistarel-sheet-saved"_s}));
}

}  // namespace
}  // namespace vistarel
