#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "worker/LinuxFileSystem.h"
#include "support/FailureOf.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

QByteArray ContentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class TextFile : public testing::Test {
 protected:
  LinuxFileSystem fileSystem;
  test::TempTree tree;
};

TEST_F(TextFile, WritesUtf8LinesWithCrLfAndAppearsOnlyAtClose) {
  const QString path = tree.Path(u"results.txt"_s);
  auto stream = fileSystem.CreateTextFile(path, true);
  stream->WriteLine(u"Video File/s\tGeneral - Format\t"_s);
  stream->WriteLine(u"/v/vidéo 日本 🎬.mp4\tMPEG-4\t"_s);
  // A byte of a file name that is not UTF-8 is carried as a lone surrogate.
  stream->WriteLine(u"/v/caf"_s + QChar(0xDCE9) + u".avi"_s);
  stream->WriteLine(QString());
  EXPECT_FALSE(QFile::exists(path));
  stream->Close();

  EXPECT_EQ(ContentOf(path), QByteArray("Video File/s\tGeneral - Format\t\r\n"
                                        "/v/vid\xc3\xa9o \xe6\x97\xa5\xe6\x9c\xac "
                                        "\xf0\x9f\x8e\xac.mp4\tMPEG-4\t\r\n"
                                        "/v/caf?.avi\r\n"
                                        "\r\n"));
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files), QStringList{u"results.txt"_s});
}

TEST_F(TextFile, AnUnfinishedExportLeavesTheOldFileAsItWas) {
  const QString path = tree.File(u"results.txt"_s, "old results\r\n");
  {
    auto stream = fileSystem.CreateTextFile(path, true);
    stream->WriteLine(u"half a table"_s);
  }
  EXPECT_EQ(ContentOf(path), QByteArray("old results\r\n"));
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"results.txt"_s});

  auto stream = fileSystem.CreateTextFile(path, true);
  stream->WriteLine(u"new"_s);
  stream->Close();
  EXPECT_EQ(ContentOf(path), QByteArray("new\r\n"));
}

// A file the user may write, in a folder the user may not: no temporary file
// can be made beside it, so it is replaced in place. Permissions do not bite
// for root, so as root the writer runs as nobody.
TEST_F(TextFile, ReplacesAWritableFileInAFolderTheUserMayNotWrite) {
  QStringList command{QString::fromUtf8(VISTAREL_TEXT_FILE_WRITER)};
  if (geteuid() == 0) {
    if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
      GTEST_SKIP() << "running as root without setpriv to run the writer as nobody";
    command =
        QStringList{u"setpriv"_s, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} +
        command;
  }
  const auto write = [&](const QString& path, QString* errors) {
    QProcess writer;
    writer.start(command.first(), command.mid(1) + QStringList{path, u"new é"_s});
    EXPECT_TRUE(writer.waitForFinished(30000));
    *errors = QString::fromUtf8(writer.readAllStandardError());
    return writer.exitStatus() == QProcess::NormalExit ? writer.exitCode() : -1;
  };
  const QString folder = tree.Folder(u"shared"_s);
  const QString path = tree.File(u"shared/results.txt"_s, "old results, longer than the new\r\n");
  const QString locked = tree.File(u"shared/locked.txt"_s, "kept\r\n");
  for (const auto& [file, mode] : {std::pair{path, 0666}, std::pair{locked, 0444},
                                   std::pair{folder, 0555}, std::pair{tree.root(), 0755}})
    ASSERT_EQ(chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);

  QString errors;
  EXPECT_EQ(write(path, &errors), 0) << errors.toStdString();
  EXPECT_EQ(ContentOf(path), QByteArray("new \xc3\xa9\r\n"));
  // Neither the file nor its folder: permission denied, the file as it was.
  EXPECT_EQ(write(locked, &errors), 1);
  EXPECT_TRUE(errors.endsWith(u"(70)\n"_s)) << errors.toStdString();
  EXPECT_EQ(ContentOf(locked), QByteArray("kept\r\n"));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            (QStringList{u"locked.txt"_s, u"results.txt"_s}));
}

// Lines are written in large pieces; a file of several pieces comes out whole.
TEST_F(TextFile, AFileLargerThanOneWritePieceComesOutWhole) {
  const QString path = tree.Path(u"large.txt"_s);
  const QString line = QString(99, u'x');
  constexpr int kLines = 30'000;  // 3 MB: three pieces of 1 MiB
  auto stream = fileSystem.CreateTextFile(path, true);
  for (int i = 0; i < kLines; ++i) stream->WriteLine(i == kLines - 1 ? u"last"_s : line);
  stream->Close();
  const QByteArray content = ContentOf(path);
  EXPECT_EQ(content.size(), qsizetype(kLines - 1) * 101 + 6);
  EXPECT_TRUE(content.startsWith(line.toLatin1() + "\r\n" + line.toLatin1()));
  EXPECT_TRUE(content.endsWith("\r\nlast\r\n"));
}

// A write the system refuses half-way (here a limit on the size of files, as
// a full disk refuses one) fails the export and leaves the old file as it was.
TEST_F(TextFile, AWriteThatFailsHalfWayKeepsTheOldFile) {
  const QString path = tree.File(u"results.txt"_s, "old results\r\n");
  QProcess writer;
  writer.start(QString::fromUtf8(VISTAREL_TEXT_FILE_WRITER),
               {u"--limit"_s, u"1500000"_s, path, QString(99, u'y'), u"30000"_s});
  ASSERT_TRUE(writer.waitForFinished(30000));
  const QString errors = QString::fromUtf8(writer.readAllStandardError());
  EXPECT_EQ(writer.exitCode(), 1) << errors.toStdString();
  EXPECT_TRUE(errors.startsWith(u"File too large: "_s + path)) << errors.toStdString();
  EXPECT_TRUE(errors.endsWith(u"(57)\n"_s)) << errors.toStdString();
  EXPECT_EQ(ContentOf(path), QByteArray("old results\r\n"));
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"results.txt"_s});
}

TEST_F(TextFile, FailuresCarryTheirNumbers) {
  const QString existing = tree.File(u"kept.txt"_s, "kept");
  const std::vector<std::pair<QString, int>> cases = {
      {tree.Path(u"no folder/results.txt"_s), failure_number::kPathNotFound},
      {existing + u"/results.txt"_s, failure_number::kPathNotFound},
      {tree.Folder(u"a folder"_s), failure_number::kPathFileAccess},
  };
  for (const auto& [path, number] : cases) {
    const Failure failure = test::FailureOf([&] { fileSystem.CreateTextFile(path, true); });
    EXPECT_EQ(failure.number(), number) << path.toStdString();
    EXPECT_TRUE(failure.description().endsWith(u": "_s + path)) << path.toStdString();
  }
  if (geteuid() != 0) {
    const QString locked = tree.Folder(u"locked"_s);
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0555), 0);
    EXPECT_EQ(test::FailureOf([&] { fileSystem.CreateTextFile(locked + u"/results.txt"_s, true); })
                  .number(),
              failure_number::kPermissionDenied);
  }
  EXPECT_EQ(test::FailureOf([&] { fileSystem.CreateTextFile(existing, false); }).number(), 58);
  EXPECT_EQ(ContentOf(existing), QByteArray("kept"));
}

}  // namespace
}  // namespace vistarel
