#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "system/FileNames.h"
#include "system/FileUrls.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

std::unique_ptr<QMimeData> UriList(const QByteArray& lines) {
  auto data = std::make_unique<QMimeData>();
  data->setData(u"text/uri-list"_s, lines);
  return data;
}

std::unique_ptr<QMimeData> FileList(const QStringList& paths) {
  QByteArray lines;
  for (const QString& path : paths) lines += LocalFileUrl(path).toEncoded() + "\r\n";
  return UriList(lines);
}

// Drags and drops sent to the input list as the windowing system sends them.
class DragDrop : public testing::Test {
 protected:
  QWidget* target() const { return form->ListView1()->viewport(); }
  bool MayDrop(const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target(), &enter);
    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target(), &move);
    return enter.isAccepted() && move.isAccepted();
  }
  // Qt delivers a drop only to the widget that took the drag's enter.
  void Drop(const QMimeData& data) {
    ASSERT_TRUE(MayDrop(data));
    QDropEvent drop(QPointF(6, 6), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target(), &drop);
  }

  test::TempTree tree;
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(DragDrop, OnlyAListOfLocalFilesMayDrop) {
  const QString file = tree.File(u"a.avi"_s);
  EXPECT_TRUE(MayDrop(*FileList({file})));
  EXPECT_TRUE(MayDrop(*UriList("file://localhost" + QFile::encodeName(file) + "\r\n")));

  QMimeData text;
  text.setText(file);
  const auto remote = UriList("https://quorvane.example/a.avi\r\n");
  const auto otherHost = UriList("file://elsewhere.example/a.avi\r\n");
  const auto mixed = UriList(LocalFileUrl(file).toEncoded() + "\r\nftp://x.example/b.avi\r\n");
  const auto empty = UriList("# nothing but a comment\r\n");
  for (const QMimeData* data : {&text, remote.get(), otherHost.get(), mixed.get(), empty.get()}) {
    EXPECT_FALSE(MayDrop(*data)) << data->formats().join(u',').toStdString();
    QDropEvent drop(QPointF(6, 6), Qt::CopyAction, data, Qt::LeftButton, {});
    form->ListView1_OLEDragDrop(&drop);  // refused by the handler itself too
  }
  EXPECT_EQ(form->InputList().Count(), 0);
}

TEST_F(DragDrop, AppendsFilesAsDroppedAndFolderTreesInTheDropsOrder) {
  const QString notes = tree.File(u"notes.txt"_s);
  const QString a = tree.File(u"A/a.avi"_s);
  const QString sub = tree.File(u"A/S/x.doc"_s);
  tree.File(u"A/~tmp.avi"_s);
  tree.File(u"A/.hidden"_s);  // 34
  const QString b = tree.File(u"B/b.mp4"_s);
  const QString missing = tree.Path(u"gone.avi"_s);
  const QString undecodable = tree.Path(DecodeFileName(QByteArray("caf\xe9.avi")));
  ASSERT_TRUE(test::WriteFileBytes(undecodable, "x"));
  form->SetMousePointer(mouse_pointer::kCustom);

  Drop(*FileList({notes, tree.Path(u"A"_s), undecodable, tree.Path(u"B/"_s), missing, notes}));

  EXPECT_EQ(form->InputList().Entries(),
            (QStringList{notes, a, sub, undecodable, b, missing, notes}));
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kCustom);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(DragDrop, AFailureInAFolderDropIsReportedAndTheDropGoesOn) {
  const QString a = tree.File(u"A/a.avi"_s);
  const QString b = tree.File(u"b.avi"_s);
  fakes.fileSystem.Fail(u"GetFolder"_s, Failure(u"Input/output error: A"_s, 57),
                        tree.Path(u"A/"_s));
  Drop(*FileList({tree.Path(u"A"_s), b}));
  // The chosen folder's own files are still listed, as after a failed expansion.
  EXPECT_EQ(form->InputList().Entries(), (QStringList{a, b}));
  ASSERT_EQ(fakes.dialogs.ErrorReports().size(), 1u);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().front().text.contains(
      u"Form1.ListView1_OLEDragDrop at line 112"_s));
}

TEST(FileUrls, CarryEveryByteOfAPathBothWays) {
  const QString path = u"/tmp/"_s + DecodeFileName(QByteArray("a b%#?\xff\xc3\xa9\x01.avi"));
  const QUrl url = LocalFileUrl(path);
  EXPECT_EQ(url.toEncoded(), "file:///tmp/a%20b%25%23%3F%FF%C3%A9%01.avi");
  EXPECT_EQ(LocalPathOfUrl(url), path);
  EXPECT_EQ(LocalPathOfUrl(QUrl(u"file:///tmp/%C3%A9t%C3%A9"_s)), u"/tmp/été"_s);
  EXPECT_EQ(LocalFileUrl(u"/tmp/été"_s), QUrl::fromLocalFile(u"/tmp/été"_s));
  for (const char* refused : {"file:///a%00b", "file:relative.avi", "file:///a.avi#x",
                              "file:///a.avi?x=1", "smb://host/a.avi", "file://other/a.avi"})
    EXPECT_EQ(LocalPathOfUrl(QUrl(QString::fromLatin1(refused))), QString()) << refused;
}

}  // namespace
}  // namespace vistarel
