#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QProcess>

#include "support/SpecialFiles.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

const QString kOwnFormats = u"MPEG-4|AVC"_s;
const QString kDecoyFormats = u"AVI|MPEG-4 Visual"_s;

// A folder holding "vidéo 日本.mp4" and the decoy "vid?o ??.mp4", another video,
// which a lossy conversion of the first name would open instead.
class Locale : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree.isValid());
    own = tree.Path(u"vidéo 日本.mp4"_s);
    ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/mp4-h264-aac.mp4"_s), own));
    ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/avi-mpeg4-mp3.avi"_s),
                                 tree.Path(u"vid?o ??.mp4"_s)));
  }

  // The probe's report under an environment without any locale variable
  // except those given.
  QMap<QString, QString> Probe(const QMap<QString, QString>& variables,
                               const QStringList& options = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys()) {
      if (name == u"LANG"_s || name == u"LANGUAGE"_s || name.startsWith(u"LC_"_s))
        environment.remove(name);
    }
    for (auto it = variables.begin(); it != variables.end(); ++it)
      environment.insert(it.key(), it.value());
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QString::fromUtf8(VISTAREL_LOCALE_PROBE), QStringList{own} + options);
    EXPECT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    QMap<QString, QString> report;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
      const qsizetype equals = line.indexOf('=');
      if (equals > 0)
        report.insert(QString::fromUtf8(line.left(equals)),
                      QString::fromUtf8(line.mid(equals + 1)));
    }
    return report;
  }

  QString TextFile() const { return tree.Path(u"results.txt"_s); }
  QByteArray TextFileBytes() const {
    QFile file(TextFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  }

  test::TempTree tree;
  QString own;
};

TEST_F(Locale, AnAsciiLocaleSwitchesTheCharacterTypeAndReadsTheFileItself) {
  for (const auto& variables :
       {QMap<QString, QString>{}, QMap<QString, QString>{{u"LANG"_s, u"C"_s}},
        QMap<QString, QString>{{u"LC_ALL"_s, u"C"_s}}}) {
    const auto report = Probe(variables);
    EXPECT_EQ(report[u"ctype"_s], u"C.UTF-8"_s);
    EXPECT_EQ(report[u"codeset"_s], u"UTF-8"_s);
    EXPECT_EQ(report[u"time"_s], u"C"_s);
    EXPECT_EQ(report[u"messages"_s], u"C"_s);
    EXPECT_EQ(report[u"binding"_s], kOwnFormats);
    EXPECT_EQ(report[u"by-name"_s], kOwnFormats);
  }
  // A locale that names no encoding keeps the text file's text: UTF-8.
  Probe({{u"LANG"_s, u"C"_s}}, {u"--text-file="_s + TextFile()});
  EXPECT_EQ(TextFileBytes(), QByteArray("Artiste \xc3\xa9 \xe2\x82\xac\r\n"));
}

TEST_F(Locale, AUtf8LocaleIsLeftAsItIs) {
  const auto report = Probe({{u"LANG"_s, u"C.UTF-8"_s}});
  EXPECT_EQ(report[u"ctype"_s], u"C.UTF-8"_s);
  EXPECT_EQ(report[u"binding"_s], kOwnFormats);
  EXPECT_EQ(report[u"by-name"_s], kOwnFormats);
}

// Without the fix the library's own open by name reads the decoy; the binding
// still hands the library the right file's bytes.
TEST_F(Locale, WithoutTheFixTheBindingStillReadsTheRightFile) {
  const auto report = Probe({{u"LANG"_s, u"C"_s}}, {u"--no-fix"_s});
  EXPECT_EQ(report[u"ctype"_s], u"C"_s);
  EXPECT_EQ(report[u"by-name"_s], kDecoyFormats) << "the fault this guards against is gone";
  EXPECT_EQ(report[u"binding"_s], kOwnFormats);
}

TEST_F(Locale, ALatin1LocaleKeepsEverythingButTheCharacterType) {
  // Made in a private folder, so that neither root nor the system's locale
  // list is needed; the definitions come from Debian's locales package.
  const QString locales = tree.Folder(u"locales"_s);
  QProcess localedef;
  localedef.start(u"localedef"_s, {u"-i"_s, u"en_US"_s, u"-f"_s, u"ISO-8859-1"_s,
                                   locales + u"/en_US.ISO-8859-1"_s});
  if (!localedef.waitForFinished(60000) || localedef.exitStatus() != QProcess::NormalExit ||
      !QFileInfo::exists(locales + u"/en_US.ISO-8859-1"_s)) {
    GTEST_SKIP() << "cannot make the en_US.ISO-8859-1 locale (is Debian's locales package "
                    "installed?): "
                 << localedef.readAllStandardError().toStdString();
  }
  const auto report = Probe({{u"LOCPATH"_s, locales}, {u"LANG"_s, u"en_US.ISO-8859-1"_s}},
                            {u"--text-file="_s + TextFile()});
  ASSERT_EQ(report[u"time"_s], u"en_US.ISO-8859-1"_s) << "the locale did not load";
  EXPECT_EQ(report[u"ctype"_s], u"C.UTF-8"_s);
  EXPECT_EQ(report[u"numeric"_s], u"en_US.ISO-8859-1"_s);
  EXPECT_EQ(report[u"messages"_s], u"en_US.ISO-8859-1"_s);
  EXPECT_EQ(report[u"binding"_s], kOwnFormats);
  EXPECT_EQ(report[u"by-name"_s], kOwnFormats);
  // The switch is for the library's paths: the text file is the user's Latin-1.
  EXPECT_EQ(TextFileBytes(), QByteArray("Artiste \xe9 ?\r\n"));
}

}  // namespace
}  // namespace vistarel
