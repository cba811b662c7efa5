#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include <gtest/gtest.h>

#include "filelist/InputListModel.h"
#include "worker/MediaInfoDLL.h"
#include "worker/MediaInfoLibrary.h"
#include "support/TestPlatform.h"
#include "system/FileUrls.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

constexpr char16_t kQuestion[] =
    u"Would you like this software to open the folder where these sample files are stored (so "
    u"that you can view them before working with them)?";

// "Load Sample/Example Files" with a Samples folder in the test's program folder.
class SampleFiles : public testing::Test {
 protected:
  QString samples() const { return fakes.programDir.path() + u"/Samples"_s; }
  void Press(BoxAnswer answer) {
    fakes.dialogs.boxAnswers.push_back(answer);
    form->PushButton(10)->click();
  }

  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(SampleFiles, ListsTheFolderOnEveryClickAndAsksWhetherToOpenIt) {
  QDir().mkpath(samples());
  for (const QString& name : {u"b.mp4"_s, u"a.avi"_s, u".hidden"_s}) {
    QFile file(samples() + u'/' + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const QStringList once = {samples() + u"/.hidden"_s, samples() + u"/a.avi"_s,
                            samples() + u"/b.mp4"_s};
  Press(BoxAnswer::No);
  EXPECT_EQ(form->InputList().Entries(), once);
  ASSERT_EQ(fakes.dialogs.boxes.size(), 1u);
  const test::ShownBox& box = fakes.dialogs.boxes.front();
  EXPECT_EQ(box.text, QString::fromUtf16(kQuestion));
  EXPECT_EQ(box.title, u"Vistarel"_s);
  EXPECT_EQ(box.icon, BoxIcon::None);
  EXPECT_EQ(box.buttons, BoxButtons::YesNo);
  EXPECT_TRUE(fakes.launcher.openedUrls.empty());

  Press(BoxAnswer::Yes);
  EXPECT_EQ(form->InputList().Entries(), once + once);
  ASSERT_EQ(fakes.launcher.openedUrls.size(), 1u);
  EXPECT_EQ(fakes.launcher.openedUrls.front(), QUrl::fromLocalFile(samples() + u'/'));
}

TEST_F(SampleFiles, WithoutTheFolderNothingIsListedAndTheQuestionIsStillAsked) {
  Press(BoxAnswer::Yes);
  EXPECT_EQ(form->InputList().Count(), 0);
  EXPECT_EQ(fakes.dialogs.Messages().size(), 1u);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
}

// The samples beside the built program: one of each kind the video filter
// names, small, and each read by the media library with video and audio.
TEST(ShippedSamples, HoldOneReadableVideoOfEachKind) {
  const QDir folder(QString::fromUtf8(VISTAREL_PROGRAM_DIR) + u"/Samples"_s);
  QStringList kinds;
  qint64 total = 0;
  MediaInfoLibrary library;
  for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
    kinds << file.suffix();
    total += file.size();
    const MediaInfoHandle handle = MediaInfo_New(library);
    MediaInfo_Open(library, handle, file.filePath());
    for (const auto& [kind, parameter] : {std::pair{StreamKind::General, u"Duration"},
                                          {StreamKind::Video, u"Format"},
                                          {StreamKind::Video, u"Width"},
                                          {StreamKind::Audio, u"Format"}}) {
      EXPECT_FALSE(MediaInfoQuery(library, handle, kind, parameter).isEmpty())
          << file.fileName().toStdString() << " " << QString::fromUtf16(parameter).toStdString();
    }
    MediaInfo_Close(library, handle);
    MediaInfo_Delete(library, handle);
  }
  EXPECT_EQ(kinds, (QStringList{u"avi"_s, u"flv"_s, u"mov"_s, u"mp4"_s, u"mpg"_s, u"wmv"_s}));
  EXPECT_LT(total, 1024 * 1024);
}

}  // namespace
}  // namespace vistarel
