#include <QRegularExpression>

#include <gtest/gtest.h>

#include "filelist/CommandLine.h"
#include "filelist/InputListModel.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "system/FileUrls.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// A command line, read in the tree's root and taken by the real window: what
// it prints, how it ends, and what the input list holds after it. In the
// arguments and the expected texts, "{t}" stands for the tree's root.
struct Case {
  const char* name = "";
  QStringList arguments = {};
  std::optional<int> exitStatus = {};
  QString out = {};    // a pattern the whole of standard output matches
  QString error = {};  // the same for standard error
  QStringList entries = {};
  QStringList toolkitArguments = {u"vistarel"_s};
};

TEST(CommandLine, TakesPathsAsADropAndAnswersItsOptions) {
  test::TempTree tree;
  tree.File(u"a.avi"_s);
  tree.File(u"notes.txt"_s);
  tree.File(u"été.mkv"_s);
  tree.File(u"-x.avi"_s);
  tree.File(u"F/b.mp4"_s);
  tree.File(u"F/S/c.mkv"_s);
  tree.File(u"F/~tmp.avi"_s);
  tree.File(u"F/.hidden"_s);
  const QString ete = QString::fromLatin1(LocalFileUrl(tree.Path(u"été.mkv"_s)).toEncoded());
  const QString version = u"Vistarel \\d+\\.\\d+\\.\\d+\n"_s;
  const QString usage =
      u"Usage: vistarel \\[options\\] \\[PATH\\|URI\\.\\.\\.\\]\n(.|\n)*--version(.|\n)*"_s;

  const Case cases[] = {
      {.name = "files, folders and URIs in their order, each time named",
       .arguments = {u"a.avi"_s, u"{t}/F"_s, u"file://{t}/notes.txt"_s, ete, u"{t}/F/"_s,
                     u"./a.avi"_s},
       .entries = {u"{t}/a.avi"_s, u"{t}/F/b.mp4"_s, u"{t}/F/S/c.mkv"_s, u"{t}/notes.txt"_s,
                   u"{t}/été.mkv"_s, u"{t}/F/b.mp4"_s, u"{t}/F/S/c.mkv"_s, u"{t}/a.avi"_s}},
      {.name = "a missing path is added as named, as a dropped one",
       .arguments = {u"gone.avi"_s, u"{t}/gone/"_s},
       .entries = {u"{t}/gone.avi"_s, u"{t}/gone"_s}},
      {.name = "steps: '.' and doubled separators go, '..' stays",
       .arguments = {u"F/./S//c.mkv"_s, u"F/../a.avi"_s, u"--"_s, u"-x.avi"_s},
       .entries = {u"{t}/F/S/c.mkv"_s, u"{t}/F/../a.avi"_s, u"{t}/-x.avi"_s}},
      {.name = "what names no local file is left out with a line each",
       .arguments = {u"file://localhost{t}/a.avi"_s, u"https://quorvane.example/a.avi"_s,
                     u"file://elsewhere.example/a.avi"_s, u"file:a.avi"_s, QString(),
                     u"weird:a.avi"_s},
       .error =
           u"vistarel: not a local file or folder, left out: 'https://quorvane.example/a.avi'\n"
           "vistarel: not a local file or folder, left out: 'file://elsewhere.example/a.avi'\n"
           "vistarel: not a local file or folder, left out: 'file:a.avi'\n"
           "vistarel: not a local file or folder, left out: ''\n"_s,
       .entries = {u"{t}/a.avi"_s, u"{t}/weird:a.avi"_s}},
      {.name = "the toolkit's own options go to it alone",
       .arguments = {u"-style"_s, u"Fusion"_s, u"a.avi"_s, u"--reverse"_s, u"-session=1a2b"_s},
       .entries = {u"{t}/a.avi"_s},
       .toolkitArguments = {u"vistarel"_s, u"-session"_s, u"1a2b"_s, u"-style"_s, u"Fusion"_s,
                            u"-reverse"_s}},
      {.name = "--help", .arguments = {u"--help"_s, u"a.avi"_s}, .exitStatus = 0, .out = usage},
      {.name = "-h", .arguments = {u"-h"_s}, .exitStatus = 0, .out = usage},
      {.name = "--version",
       .arguments = {u"a.avi"_s, u"--version"_s},
       .exitStatus = 0,
       .out = version},
      {.name = "-v", .arguments = {u"-v"_s}, .exitStatus = 0, .out = version},
      {.name = "an unknown option",
       .arguments = {u"a.avi"_s, u"--bogus"_s},
       .exitStatus = 2,
       .error = u"vistarel: Unknown option 'bogus'\\.\n"_s + usage},
      {.name = "an option without its value",
       .arguments = {u"-style"_s},
       .exitStatus = 2,
       .error = u"vistarel: Missing value after '-style'\\.\n"_s + usage},
  };

  const auto inTree = [&](QString text) { return text.replace(u"{t}"_s, tree.root()); };
  const auto inTreeAll = [&](QStringList texts) {
    for (QString& text : texts) text = inTree(text);
    return texts;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CommandLine line =
        ParseCommandLine(QStringList{u"vistarel"_s} + inTreeAll(c.arguments), tree.root());
    EXPECT_EQ(line.exitStatus, c.exitStatus);
    const auto matchesWhole = [](const QString& pattern, const QString& text) {
      return QRegularExpression(QRegularExpression::anchoredPattern(pattern))
          .match(text)
          .hasMatch();
    };
    EXPECT_TRUE(matchesWhole(inTree(c.out), line.out)) << line.out.toStdString();
    EXPECT_TRUE(matchesWhole(inTree(c.error), line.error)) << line.error.toStdString();
    if (line.exitStatus)
      continue;
    EXPECT_EQ(line.toolkitArguments, c.toolkitArguments);

    test::TestPlatform fakes;
    const auto form = fakes.MakeForm();
    form->AddAsDropped(line.paths);
    EXPECT_EQ(form->InputList().Entries(), inTreeAll(c.entries));
    EXPECT_TRUE(fakes.dialogs.boxes.empty());
  }

  // A relative path cannot be placed when the working folder is gone.
  const CommandLine gone = ParseCommandLine({u"vistarel"_s, u"a.avi"_s, u"/b.avi"_s}, QString());
  EXPECT_EQ(gone.paths, QStringList{u"/b.avi"_s});
  EXPECT_EQ(gone.error, u"vistarel: not a local file or folder, left out: 'a.avi'\n"_s);
}

// A failure in a folder's walk is reported as the drop's, and the rest goes on.
TEST(CommandLine, AFolderThatFailsIsReportedAsADropsFolder) {
  test::TempTree tree;
  const QString a = tree.File(u"A/a.avi"_s);
  const QString b = tree.File(u"b.avi"_s);
  test::TestPlatform fakes;
  fakes.fileSystem.Fail(u"GetFolder"_s, Failure(u"Input/output error: A"_s, 57),
                        tree.Path(u"A/"_s));
  const auto form = fakes.MakeForm();
  form->AddAsDropped(ParseCommandLine({u"vistarel"_s, u"A"_s, u"b.avi"_s}, tree.root()).paths);
  EXPECT_EQ(form->InputList().Entries(), (QStringList{a, b}));
  ASSERT_EQ(fakes.dialogs.ErrorReports().size(), 1u);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().front().text.contains(
      u"Form1.ListView1_OLEDragDrop at line 112"_s));
}

}  // namespace
}  // namespace vistarel
