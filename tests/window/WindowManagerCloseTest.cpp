// The real main window on a real X server, closed as a window manager closes
// it. With no manager the test sends the window WM_DELETE_WINDOW, as a
// manager's close button does; under one (openbox) it asks the manager to
// close the window, as a taskbar does, and the manager sends it. Every close
// ends the program: in the middle of a run that waits for the media workers,
// and while a box or a dialog is up.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/QtDialogs.h"
#include "media/MediaWorkers.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel::test {
namespace {

using namespace Qt::StringLiterals;

// The window system's side: a client of the test's display of its own.
class WindowManagerSide {
 public:
  WindowManagerSide() : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~WindowManagerSide() { xcb_disconnect(connection_); }
  WindowManagerSide(const WindowManagerSide&) = delete;
  WindowManagerSide& operator=(const WindowManagerSide&) = delete;

  bool Managed() {
    const xcb_atom_t check = Atom("_NET_SUPPORTING_WM_CHECK");
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1),
            nullptr),
        &std::free);
    return reply && xcb_get_property_value_length(reply.get()) > 0;
  }

  // A user's close of the window: its manager's, or what a manager would send.
  void Close(const QWidget& window) {
    if (Managed())
      Send(root_, WindowOf(window), "_NET_CLOSE_WINDOW", {XCB_CURRENT_TIME, 2},
           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    else
      SendProtocol(window, "WM_DELETE_WINDOW");
  }

  // A message of the window manager's protocols, as the manager sends it.
  void SendProtocol(const QWidget& window, const char* protocol) {
    Send(WindowOf(window), WindowOf(window), "WM_PROTOCOLS", {Atom(protocol), XCB_CURRENT_TIME},
         XCB_EVENT_MASK_NO_EVENT);
  }

 private:
  static xcb_window_t WindowOf(const QWidget& window) {
    return static_cast<xcb_window_t>(window.internalWinId());
  }

  xcb_atom_t Atom(const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  }

  void Send(xcb_window_t destination, xcb_window_t window, const char* type,
            std::initializer_list<uint32_t> data, uint32_t mask) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(type);
    std::copy(data.begin(), data.end(), message.data.data32);
    xcb_send_event(connection_, 0, destination, mask, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_WINDOW_NONE;
};

// The box or dialog up in front of the window, once the X server shows it.
template <class Box>
Box* ShownBox() {
  auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
  return box != nullptr && box->windowHandle() != nullptr && box->windowHandle()->isExposed()
             ? box
             : nullptr;
}

// Runs the program's event loop, as the program does, with `start` posted
// into it and `tick` called every 10 ms until it returns true. When the loop
// still runs after `limitMs`, the test gives up: it closes the window itself,
// and says so.
bool RunEventLoop(Form1& form, const std::function<void()>& start,
                  const std::function<bool()>& tick, int limitMs = 10'000) {
  QElapsedTimer running;
  running.start();
  bool ticked = false;
  bool gaveUp = false;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, &form, [&] {
    if (!ticked)
      ticked = tick();
    if (running.elapsed() > limitMs && !gaveUp) {
      gaveUp = true;
      form.close();
    }
  });
  ticks.start(10);
  QTimer::singleShot(0, &form, start);
  QApplication::exec();
  return !gaveUp;
}

class WindowManagerClose : public testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != u"xcb"_s)
      GTEST_SKIP() << "needs an X server (QT_QPA_PLATFORM=xcb)";
  }

  // The window as the program shows it, with real boxes.
  std::unique_ptr<Form1> ShowForm(Platform platform) {
    platform.dialogs = &dialogs;
    auto form = std::make_unique<Form1>(platform);
    form->show();
    return form;
  }

  // Closes the window once `ready` holds; how long the program took to end
  // after the close, or -1 when it did not end.
  qint64 CloseWhen(Form1& form, const std::function<void()>& start,
                   const std::function<bool()>& ready) {
    QElapsedTimer sinceClose;
    const bool ended = RunEventLoop(form, start, [&] {
      if (!ready())
        return false;
      sinceClose.start();
      manager.Close(form);
      return true;
    });
    return ended && sinceClose.isValid() ? sinceClose.elapsed() : -1;
  }

  WindowManagerSide manager;
  QtDialogs dialogs;
  TestPlatform fakes;
};

TEST_F(WindowManagerClose, EndsTheRunThatWaitsForTheWorkersAndTheProgram) {
  // The run waits in poll() for a file the library never finishes.
  TempTree tree;
  const QString clip = TestDataPath(u"media/mp4-h264-aac.mp4"_s);
  for (const QString& name : {u"a.mp4"_s, u"loop.mp4"_s, u"b.mp4"_s})
    ASSERT_TRUE(CopyFileTo(clip, tree.Path(name)));
  const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"),
                             {QStringLiteral(VISTAREL_STANDIN_MEDIAINFO)}};
  for (int attempt = 0; attempt < 10; ++attempt) {
    MediaWorkers library(worker);
    HelperFileSystem fileSystem(worker);
    FactsShell shell;
    Platform platform = fakes.platform();
    platform.dialogs = &fakes.dialogs;  // the run's boxes are answered
    platform.fileReader = &library;
    platform.fileSystem = &fileSystem;
    platform.shell = &shell;
    auto form = std::make_unique<Form1>(platform);
    form->show();
    for (const QString& name : {u"a.mp4"_s, u"loop.mp4"_s, u"b.mp4"_s})
      form->InputList().Append(tree.Path(name));

    const qint64 ended = CloseWhen(
        *form, [&] { form->PushButton(2)->click(); },
        [&] { return form->ResultTable().RowCount() == 1; });

    ASSERT_GE(ended, 0) << "try " << attempt << ": the close was lost";
    EXPECT_LT(ended, 1000) << "try " << attempt;
    EXPECT_TRUE(form->Pump().IsClosing()) << "try " << attempt;
    EXPECT_EQ(form->ResultTable().RowCount(), 1) << "try " << attempt;
    EXPECT_TRUE(fakes.dialogs.MessageTexts().isEmpty()) << "no Done. after a close";
  }
}

TEST_F(WindowManagerClose, EndsTheWalkThatFillsTheListAndTheProgram) {
  // A thousand folders of a file each, each listed quickly by the helper.
  constexpr int kFolders = 1000;
  TempTree tree;
  for (int f = 0; f < kFolders; ++f)
    tree.File(u"W/f%1/clip.mp4"_s.arg(f, 4, 10, QChar(u'0')));
  const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
  for (int attempt = 0; attempt < 3; ++attempt) {
    HelperFileSystem fileSystem(worker);
    Platform platform = fakes.platform();
    platform.dialogs = &fakes.dialogs;
    platform.fileSystem = &fileSystem;
    auto form = std::make_unique<Form1>(platform);
    form->show();

    // Closed once the walk lists files, with most of the tree still to list.
    const qint64 ended = CloseWhen(
        *form, [&] { form->AddAsDropped({tree.Path(u"W"_s)}); },
        [&] { return form->InputList().Count() > 0; });

    ASSERT_GE(ended, 0) << "try " << attempt << ": the close was lost";
    EXPECT_LT(ended, 1000) << "try " << attempt;
    EXPECT_TRUE(form->Pump().IsClosing()) << "try " << attempt;
    EXPECT_LT(form->InputList().Count(), kFolders / 2)
        << "try " << attempt << ": the walk went on after the close";
  }
}

TEST_F(WindowManagerClose, EndsTheProgramWhileABoxIsUp) {
  // "No files added.": the box of a run over an empty list.
  for (int attempt = 0; attempt < 5; ++attempt) {
    auto form = ShowForm(fakes.platform());
    const qint64 ended = CloseWhen(
        *form, [&] { form->PushButton(2)->click(); },
        [] { return ShownBox<QMessageBox>() != nullptr; });

    ASSERT_GE(ended, 0) << "try " << attempt << ": the close was lost behind the box";
    EXPECT_LT(ended, 1000) << "try " << attempt;
    EXPECT_TRUE(form->Pump().IsClosing()) << "try " << attempt;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box went with the window";
  }
}

TEST_F(WindowManagerClose, EndsTheProgramWhileTheSaveDialogIsUp) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    auto form = ShowForm(fakes.platform());
    const qint64 ended = CloseWhen(
        *form, [&] { form->PushButton(8)->click(); },
        [] { return ShownBox<QFileDialog>() != nullptr; });

    ASSERT_GE(ended, 0) << "try " << attempt << ": the close was lost behind the dialog";
    EXPECT_LT(ended, 1000) << "try " << attempt;
    EXPECT_TRUE(form->Pump().IsClosing()) << "try " << attempt;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the dialog went with the window";
  }
}

TEST_F(WindowManagerClose, ClosingTheBoxOrAnotherMessageToTheWindowLeavesTheWindowOpen) {
  auto form = ShowForm(fakes.platform());
  enum { kBoxComing, kBoxClosing, kBoxClosed } phase = kBoxComing;
  QElapsedTimer sinceBoxClosed;
  bool closingAfterwards = true;
  bool shownAfterwards = false;
  const bool done = RunEventLoop(
      *form, [&] { form->PushButton(2)->click(); },
      [&] {
        switch (phase) {
          case kBoxComing:
            if (QMessageBox* box = ShownBox<QMessageBox>()) {
              // The manager pings the window behind the box, and the user
              // closes the box itself.
              manager.SendProtocol(*form, "_NET_WM_PING");
              manager.Close(*box);
              phase = kBoxClosing;
            }
            return false;
          case kBoxClosing:
            if (QApplication::activeModalWidget() == nullptr) {
              sinceBoxClosed.start();
              phase = kBoxClosed;
            }
            return false;
          case kBoxClosed:
            if (sinceBoxClosed.elapsed() < 300)
              return false;
            closingAfterwards = form->Pump().IsClosing();
            shownAfterwards = form->isVisible();
            form->close();  // ends the event loop
            return true;
        }
        return true;
      });

  ASSERT_TRUE(done) << "the box did not close";
  EXPECT_FALSE(closingAfterwards);
  EXPECT_TRUE(shownAfterwards);
}

}  // namespace
}  // namespace vistarel::test
