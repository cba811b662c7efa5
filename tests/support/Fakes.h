#pragma once

#include <QMap>
#include <QUrl>

#include <deque>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Launcher.h"
#include "platform/SettingsStore.h"

namespace vistarel::test {

// A clock that moves only when told, or by `step` on every monotonic read.
class FakeClock final : public IClock {
 public:
  double SecondsSinceMidnight() override { return timeOfDay; }
  double MonotonicSeconds() override {
    monotonic += step;
    return monotonic;
  }

  double timeOfDay = 12 * 3600.0;
  double monotonic = 0;
  double step = 0.05;
};

// Plays back scripted numbers; 0.5 when the script is used up.
class FakeRandom final : public IRandom {
 public:
  void Seed(double seed) override { seeds.push_back(seed); }
  double Next() override {
    if (numbers.empty())
      return 0.5;
    const double next = numbers.front();
    numbers.pop_front();
    return next;
  }

  std::vector<double> seeds;
  std::deque<double> numbers;
};

struct StartedProgram {
  QString program;
  QStringList arguments;
};

class FakeLauncher final : public ILauncher {
 public:
  bool OpenUrl(const QUrl& url) override {
    openedUrls.push_back(url);
    return succeeds;
  }
  bool StartDetached(const QString& program, const QStringList& arguments) override {
    started.push_back({program, arguments});
    return succeeds;
  }
  bool StartDesktopApplication(const QString& desktopId, const QStringList& files) override {
    startedApplications.push_back({desktopId, files});
    return succeeds;
  }

  std::vector<QUrl> openedUrls;
  std::vector<StartedProgram> started;
  std::vector<StartedProgram> startedApplications;  // by desktop file id
  bool succeeds = true;
};

class FakeClipboard final : public IClipboard {
 public:
  void Clear() override {
    ++clears;
    text.clear();
  }
  void SetText(const QString& value) override {
    ++sets;
    text = value;
  }
  QString Text() override { return text; }

  QString text;
  int clears = 0;
  int sets = 0;
};

class MemorySettings final : public ISettingsStore {
 public:
  QString Read(const QString& key, const QString& defaultValue) override {
    return values.value(key, defaultValue);
  }
  void Write(const QString& key, const QString& value) override {
    values.insert(key, value);
    writes.push_back(value);
  }

  QMap<QString, QString> values;
  std::vector<QString> writes;
};

}  // namespace vistarel::test
