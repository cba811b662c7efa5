// Closes the real program as a user does, again and again, each time in a
// program of its own on a virtual X display: in the middle of a run over
// thousands of local files, of the walk that fills the list, of a save, or
// while the run's "Done." box shows. Prints the time from the close to the end
// of the process, and how many ended within a second.
//
// With no window manager the bench sends the window what a manager's close
// button sends, WM_DELETE_WINDOW. Under openbox it asks openbox to close the
// window, as a taskbar or pager does (_NET_CLOSE_WINDOW), and openbox sends
// WM_DELETE_WINDOW itself, as for its own close button.
//
//   close_bench [--tries N] [--files N] [--after SECONDS]
//               [--manager none|openbox|both] [--during run|walk|done|save]
//
// The program starts on a folder of N files (a tree of them for the walk).
//   run   (the default) waits until the list is full, presses "Start Extracting
//         Metadata" with the pointer and closes SECONDS later;
//   walk  closes SECONDS after the window shows, while the walk fills the list;
//   done  closes SECONDS after the run's "Done." box shows;
//   save  answers "Done.", saves the results as text under a name typed into
//         the dialog and closes SECONDS after the name is given.
// Once, with no close, it times the stage as a whole.
//
// Needs Xvfb and xdotool, and openbox for the tries under a window manager.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <signal.h>
#include <unistd.h>

#include "CloseBenchParts.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void SleepUntil(Clock::time_point moment) {
  const auto left = moment - Clock::now();
  if (left > 0s)
    QThread::usleep(static_cast<unsigned long>(
        std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
}

Clock::duration Seconds(double seconds) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

QString Argument(const QStringList& arguments, const QString& name, const QString& fallback) {
  const qsizetype at = arguments.indexOf(name);
  return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Owned(T* reply) {
  return Reply<T>(reply, &std::free);
}

// A top-level window as the bench sees it.
struct Window {
  xcb_window_t id = XCB_WINDOW_NONE;
  QString title;
  qint64 pid = 0;
  QRect rect;  // on the screen
};

// A virtual X server of the bench's own, which picks a free display number
// itself, and the bench's connection to it.
class Display {
 public:
  ~Display() {
    if (connection_ != nullptr)
      xcb_disconnect(connection_);
    if (manager_.state() != QProcess::NotRunning) {
      manager_.kill();
      manager_.waitForFinished();
    }
    if (server_.state() != QProcess::NotRunning) {
      server_.terminate();
      server_.waitForFinished();
    }
  }

  bool Start() {
    server_.setStandardErrorFile(QProcess::nullDevice());
    server_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s,
                              u"-screen"_s, u"0"_s, u"1280x1024x24"_s});
    if (!server_.waitForStarted())
      return false;
    while (!server_.canReadLine() && server_.waitForReadyRead(10'000)) {
    }
    const QByteArray number = server_.readLine().trimmed();
    if (number.isEmpty())
      return false;
    name_ = u':' + QString::fromLatin1(number);
    connection_ = xcb_connect(name_.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection_))
      return false;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    return true;
  }

  // Starts openbox on the display and waits until it manages it.
  bool StartManager(const QProcessEnvironment& environment) {
    manager_.setProcessEnvironment(environment);
    manager_.setStandardOutputFile(QProcess::nullDevice());
    manager_.setStandardErrorFile(QProcess::nullDevice());
    manager_.start(u"openbox"_s, {});
    if (!manager_.waitForStarted())
      return false;
    for (int i = 0; i < 100; ++i) {
      if (Managed())
        return true;
      QThread::msleep(100);
    }
    return false;
  }

  const QString& name() const { return name_; }
  bool Managed() { return !Cardinals(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).empty(); }

  // The viewable top-level windows: the manager's clients, or the root's
  // children when there is no manager.
  std::vector<Window> Windows() {
    std::vector<uint32_t> ids = Cardinals(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    if (ids.empty() && !Managed()) {
      auto tree =
          Owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
      if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        ids.assign(children, children + xcb_query_tree_children_length(tree.get()));
      }
    }
    std::vector<Window> windows;
    for (const uint32_t id : ids) {
      auto attributes = Owned(xcb_get_window_attributes_reply(
          connection_, xcb_get_window_attributes(connection_, id), nullptr));
      if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        continue;
      auto geometry =
          Owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, id), nullptr));
      auto origin = Owned(xcb_translate_coordinates_reply(
          connection_, xcb_translate_coordinates(connection_, id, root_, 0, 0), nullptr));
      if (!geometry || !origin)
        continue;
      Window window;
      window.id = id;
      window.title = Text(id, "_NET_WM_NAME", "UTF8_STRING");
      if (window.title.isEmpty())
        window.title = Text(id, "WM_NAME", "STRING");
      const std::vector<uint32_t> pid = Cardinals(id, "_NET_WM_PID", XCB_ATOM_CARDINAL);
      window.pid = pid.empty() ? 0 : pid.front();
      window.rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
      windows.push_back(window);
    }
    return windows;
  }

  // What a window manager's close button sends the window.
  void SendDeleteWindow(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom("WM_PROTOCOLS");
    message.data.data32[0] = Atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
  }

  // A taskbar's or pager's request to the window manager to close a window.
  void AskManagerToClose(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom("_NET_CLOSE_WINDOW");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2;  // the source: a pager
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
  }

 private:
  xcb_atom_t Atom(const char* name) {
    auto reply = Owned(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  }

  Reply<xcb_get_property_reply_t> Property(xcb_window_t window, xcb_atom_t property,
                                           xcb_atom_t type) {
    return Owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 4096), nullptr));
  }

  std::vector<uint32_t> Cardinals(xcb_window_t window, const char* property, xcb_atom_t type) {
    const auto reply = Property(window, Atom(property), type);
    if (!reply || reply->format != 32)
      return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
  }

  QString Text(xcb_window_t window, const char* property, const char* type) {
    const auto reply = Property(window, Atom(property), Atom(type));
    if (!reply)
      return {};
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
  }

  QProcess server_;
  QProcess manager_;
  QString name_;
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = XCB_WINDOW_NONE;
};

// Runs xdotool on the display: the pointer and keys of a user, through XTest.
bool Xdotool(const QProcessEnvironment& environment, const QStringList& arguments) {
  QProcess tool;
  tool.setProcessEnvironment(environment);
  tool.setStandardOutputFile(QProcess::nullDevice());
  tool.start(u"xdotool"_s, arguments);
  return tool.waitForFinished(10'000) && tool.exitCode() == 0;
}

enum class Outcome { kEnded, kLost, kNotMidway, kNoWindow };

struct Try {
  Outcome outcome = Outcome::kNoWindow;
  double seconds = 0;  // from the close to the end of the process
  QString note;
};

// What the program is doing when the bench closes it.
enum class Stage { kRun, kWalk, kDone, kSave };

// Buttons of the main window, in the twips of its design.
const QRect kStartButton(120, 4270, 7800, 405);
const QRect kSaveTextButton(120, 7920, 3840, 405);

class Bench {
 public:
  Bench(Display& display, const QProcessEnvironment& environment, QString program, QString folder,
        QString saveTo)
      : display_(display),
        environment_(environment),
        program_(std::move(program)),
        folder_(std::move(folder)),
        saveTo_(std::move(saveTo)) {}

  // How long the stage takes when nothing closes the program.
  std::optional<double> StageSeconds(Stage stage) {
    QProcess process;
    std::optional<double> seconds;
    if (StartProgram(process)) {
      if (const auto window = AwaitMainWindow(process)) {
        if (const auto begun = Begin(process, *window, stage)) {
          if (stage == Stage::kRun) {
            if (AwaitBox(process, *window))
              seconds = SecondsBetween(*begun, Clock::now());
          } else if (const auto idle = AwaitIdle(process);
                     idle && (stage != Stage::kSave || QFile::exists(saveTo_))) {
            seconds = SecondsBetween(*begun, *idle);
          }
        }
      }
    }
    End(process);
    return seconds;
  }

  // Closes the program `after` seconds into the stage.
  Try CloseDuring(Stage stage, double after, bool viaManager) {
    QProcess process;
    Try result;
    if (!StartProgram(process))
      return result;
    const auto window = AwaitMainWindow(process);
    const auto begun = window ? Begin(process, *window, stage) : std::nullopt;
    if (!begun) {
      End(process);
      return result;
    }
    if (!StillAt(process, *window, stage, *begun + Seconds(after))) {
      result.outcome = Outcome::kNotMidway;
      result.note = u"the stage had ended before the close"_s;
      End(process);
      return result;
    }
    return Close(process, *window, viaManager);
  }

 private:
  bool StartProgram(QProcess& process) {
    process.setProcessEnvironment(environment_);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program_, {folder_});
    return process.waitForStarted();
  }

  // Waits until the moment; whether the program was still at the stage then:
  // the box still up, or the program and its helpers still at work, with no
  // box yet.
  bool StillAt(const QProcess& process, const Window& window, Stage stage,
               Clock::time_point moment) {
    if (stage == Stage::kDone) {
      SleepUntil(moment);
      return !OtherWindows(process, window).empty();
    }
    return BusyUntil(process, moment) && OtherWindows(process, window).empty();
  }

  // Brings the program to the start of the stage; when it began.
  std::optional<Clock::time_point> Begin(QProcess& process, const Window& window, Stage stage) {
    if (stage == Stage::kWalk)
      return Clock::now();
    if (!AwaitIdle(process))
      return std::nullopt;
    const auto pressed = Press(window, kStartButton);
    if (stage == Stage::kRun)
      return pressed;
    const auto box = AwaitBox(process, window);
    if (!box || stage == Stage::kDone)
      return box;
    // The save: "Done." answered, the button pressed, a name given.
    Xdotool(environment_, {u"key"_s, u"Return"_s});
    for (int i = 0; i < 100 && !OtherWindows(process, window).empty(); ++i) QThread::msleep(50);
    Press(window, kSaveTextButton);
    std::optional<Window> dialog;
    for (int i = 0; i < 200 && !dialog; ++i) {
      for (const Window& other : OtherWindows(process, window))
        if (other.title == u"Save"_s)
          dialog = other;
      QThread::msleep(50);
    }
    if (!dialog)
      return std::nullopt;
    QFile::remove(saveTo_);
    Xdotool(environment_, {u"type"_s, u"--delay"_s, u"0"_s, saveTo_});
    Xdotool(environment_, {u"key"_s, u"Return"_s});
    return Clock::now();
  }

  std::vector<Window> WindowsOf(const QProcess& process) {
    std::vector<Window> windows = display_.Windows();
    std::erase_if(windows, [&](const Window& w) { return w.pid != process.processId(); });
    return windows;
  }

  std::vector<Window> OtherWindows(const QProcess& process, const Window& main) {
    std::vector<Window> windows = WindowsOf(process);
    std::erase_if(windows, [&](const Window& w) { return w.id == main.id; });
    return windows;
  }

  // The main window once it shows, at most 15 s on. One start in a hundred
  // opens the home page; with no browser here that is reported in a box,
  // which start-up waits on: it is answered.
  std::optional<Window> AwaitMainWindow(QProcess& process) {
    for (int i = 0; i < 300 && process.state() == QProcess::Running; ++i) {
      for (const Window& window : WindowsOf(process)) {
        if (window.title == u"Vistarel"_s &&
            vistarel::bench::HasMainWindowShape(window.rect.size()))
          return window;
        if (window.title == u"Application Error"_s)
          Xdotool(environment_, {u"key"_s, u"Return"_s});
      }
      QThread::msleep(50);
    }
    return std::nullopt;
  }

  // When a box beside the main window ("Done.") shows, at most 10 minutes on.
  std::optional<Clock::time_point> AwaitBox(const QProcess& process, const Window& window) {
    for (int i = 0; i < 30'000 && process.state() == QProcess::Running; ++i) {
      if (!OtherWindows(process, window).empty())
        return Clock::now();
      QThread::msleep(20);
    }
    return std::nullopt;
  }

  // Waits until the given moment; whether the program or its helpers were at
  // work in the last fifth of a second before it.
  static bool BusyUntil(const QProcess& process, Clock::time_point moment) {
    SleepUntil(moment - 200ms);
    const qint64 before = vistarel::bench::FamilyProcessorTicks(process.processId());
    SleepUntil(moment);
    return vistarel::bench::FamilyProcessorTicks(process.processId()) > before;
  }

  // When the program and its helpers went idle: no processor time used for
  // half a second, at most 10 minutes on.
  static std::optional<Clock::time_point> AwaitIdle(const QProcess& process) {
    qint64 last = -1;
    auto lastChange = Clock::now();
    for (int i = 0; i < 6000; ++i) {
      QThread::msleep(100);
      const qint64 ticks = vistarel::bench::FamilyProcessorTicks(process.processId());
      if (ticks < 0)
        return std::nullopt;
      if (ticks != last) {
        last = ticks;
        lastChange = Clock::now();
      } else if (Clock::now() - lastChange >= 500ms) {
        return lastChange;
      }
    }
    return std::nullopt;
  }

  // Presses a button of the main window with the pointer.
  Clock::time_point Press(const Window& window, const QRect& button) {
    const QPoint at =
        window.rect.topLeft() + vistarel::bench::ButtonCentre(window.rect.size(), button);
    Xdotool(environment_,
            {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s});
    return Clock::now();
  }

  Try Close(QProcess& process, const Window& window, bool viaManager) {
    Try result;
    const auto closed = Clock::now();
    if (viaManager)
      display_.AskManagerToClose(window.id);
    else
      display_.SendDeleteWindow(window.id);
    if (process.waitForFinished(kGiveUpMs)) {
      result.outcome = Outcome::kEnded;
      result.seconds = SecondsBetween(closed, Clock::now());
      return result;
    }
    result.outcome = Outcome::kLost;
    result.seconds = SecondsBetween(closed, Clock::now());
    QStringList shown;
    for (const Window& other : OtherWindows(process, window))
      shown << u"a %1x%2 window \"%3\""_s.arg(other.rect.width())
                   .arg(other.rect.height())
                   .arg(other.title);
    result.note = shown.isEmpty()
                      ? u"the main window alone is open"_s
                      : u"the main window and "_s + shown.join(u", "_s) + u" are open"_s;
    End(process);
    return result;
  }

  // Ends the program and the workers beside it.
  void End(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
      return;
    const QList<qint64> children = vistarel::bench::ChildProcesses(process.processId());
    process.kill();
    process.waitForFinished();
    for (const qint64 child : children) ::kill(pid_t(child), SIGKILL);
  }

  static constexpr int kGiveUpMs = 10'000;

  Display& display_;
  QProcessEnvironment environment_;
  QString program_;
  QString folder_;
  QString saveTo_;
};

// The files of the run, or the tree of the walk: links to copies of one small
// clip (a file takes some 65,000 links at most), a thousand to a folder for
// the walk.
bool MakeFiles(const QString& root, int count, bool tree) {
  const QString clip = QStringLiteral(VISTAREL_SOURCE_DIR "/tests/data/media/mp4-h264-aac.mp4");
  QString source;
  for (int i = 0; i < count; ++i) {
    QString folder = root;
    if (tree) {
      folder += u"/part%1"_s.arg(i / 1000, 4, 10, QChar(u'0'));
      if (i % 1000 == 0 && !QDir().mkpath(folder))
        return false;
    }
    const QString path = folder + u"/clip%1.mp4"_s.arg(i, 6, 10, QChar(u'0'));
    if (i % 50'000 == 0) {
      source = path;
      if (!QFile::copy(clip, path))
        return false;
    } else if (::link(QFile::encodeName(source).constData(), QFile::encodeName(path).constData()) !=
               0) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const int tries = Argument(arguments, u"--tries"_s, u"50"_s).toInt();
  const int files = Argument(arguments, u"--files"_s, u"8000"_s).toInt();
  const double after = Argument(arguments, u"--after"_s, u"1.5"_s).toDouble();
  const QString managerChoice = Argument(arguments, u"--manager"_s, u"both"_s);
  const QString during = Argument(arguments, u"--during"_s, u"run"_s);
  const QStringList stageNames = {u"run"_s, u"walk"_s, u"done"_s, u"save"_s};
  if (!stageNames.contains(during) || tries < 1 || files < 1 || after < 0.2) {
    std::fprintf(stderr,
                 "usage: close_bench [--tries N] [--files N] [--after SECONDS (0.2 at least)] "
                 "[--manager none|openbox|both] [--during run|walk|done|save]\n");
    return 2;
  }
  const auto stage = static_cast<Stage>(stageNames.indexOf(during));
  const QString program = QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel");

  for (const QString& tool : {u"Xvfb"_s, u"xdotool"_s}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
      std::fprintf(stderr, "close_bench: %s is not installed\n", qPrintable(tool));
      return 1;
    }
  }
  std::vector<bool> modes;  // under a window manager or not
  if (managerChoice != u"openbox"_s)
    modes.push_back(false);
  if (managerChoice != u"none"_s) {
    if (QStandardPaths::findExecutable(u"openbox"_s).isEmpty()) {
      std::fprintf(stderr, "close_bench: openbox is not installed\n");
      return 1;
    }
    modes.push_back(true);
  }

  QTemporaryDir root;
  const QString folder = root.path() + u"/files"_s;
  QDir().mkpath(folder);
  if (!MakeFiles(folder, files, stage == Stage::kWalk)) {
    std::fprintf(stderr, "close_bench: could not make the files\n");
    return 1;
  }
  // Settings go to a home of the bench's own.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"HOME"_s, root.path());
  environment.insert(u"XDG_CONFIG_HOME"_s, root.path() + u"/.config"_s);
  environment.remove(u"QT_QPA_PLATFORM"_s);
  environment.remove(u"WAYLAND_DISPLAY"_s);

  const QString what = QStringList{u"a run over %1 files"_s, u"the walk of a tree of %1 files"_s,
                                   u"the \"Done.\" box of a run over %1 files"_s,
                                   u"the save of a run over %1 files"_s}[int(stage)]
                           .arg(files);
  int failures = 0;
  bool timed = stage == Stage::kDone;
  for (const bool managed : modes) {
    Display display;
    if (!display.Start()) {
      std::fprintf(stderr, "close_bench: the virtual display did not start\n");
      return 1;
    }
    environment.insert(u"DISPLAY"_s, display.name());
    if (managed && !display.StartManager(environment)) {
      std::fprintf(stderr, "close_bench: openbox did not start\n");
      return 1;
    }
    const char* mode = managed ? "under openbox" : "with no window manager";
    Bench bench(display, environment, program, folder, root.path() + u"/results.txt"_s);
    if (!timed) {
      timed = true;
      if (const auto seconds = bench.StageSeconds(stage))
        std::printf("%s takes %.1f s as a whole\n", qPrintable(what), *seconds);
      else
        std::printf("%s did not end\n", qPrintable(what));
    }

    std::vector<double> ends;
    int lost = 0;
    int notMidway = 0;
    int noWindow = 0;
    for (int attempt = 1; attempt <= tries; ++attempt) {
      const Try result = bench.CloseDuring(stage, after, managed);
      switch (result.outcome) {
        case Outcome::kEnded:
          ends.push_back(result.seconds);
          std::printf("%s, try %d: ended %.3f s after the close\n", mode, attempt, result.seconds);
          break;
        case Outcome::kLost:
          ++lost;
          std::printf("%s, try %d: LOST, still running %.1f s after the close; %s\n", mode, attempt,
                      result.seconds, qPrintable(result.note));
          break;
        case Outcome::kNotMidway:
          ++notMidway;
          std::printf("%s, try %d: %s\n", mode, attempt, qPrintable(result.note));
          break;
        case Outcome::kNoWindow:
          ++noWindow;
          std::printf("%s, try %d: the window did not show\n", mode, attempt);
          break;
      }
      std::fflush(stdout);
    }
    const auto within = std::count_if(ends.begin(), ends.end(), [](double s) { return s < 1.0; });
    const long long slow = static_cast<long long>(ends.size()) - within;
    std::printf(
        "%s, a close %.1f s into %s: the program ended within a second in %lld of %d tries; "
        "lost %d, slow %lld, not midway %d, no window %d; slowest %.3f s\n",
        mode, after, qPrintable(what), static_cast<long long>(within), tries, lost, slow, notMidway,
        noWindow, ends.empty() ? 0.0 : *std::max_element(ends.begin(), ends.end()));
    std::fflush(stdout);
    if (within != tries)
      ++failures;
  }
  return failures == 0 ? 0 : 1;
}
