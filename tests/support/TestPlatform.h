#pragma once

#include <QTemporaryDir>

#include <memory>

#include "platform/Platform.h"
#include "support/FakeFileSystem.h"
#include "support/FakeMediaLibrary.h"
#include "support/FakeShell.h"
#include "support/InProcessReader.h"
#include "support/FakeSpreadsheet.h"
#include "support/Fakes.h"
#include "support/RecordingSkinEngine.h"
#include "support/ScriptedDialogs.h"

namespace vistarel {
class Form1;
}

namespace vistarel::test {

// Everything a Form1 needs, answered by fakes, with an empty temporary program
// folder. Tests change the fakes, then build the window with MakeForm().
struct TestPlatform {
  TestPlatform();
  ~TestPlatform();

  Platform platform() const;
  // The real main window on these fakes; start-up has run.
  std::unique_ptr<Form1> MakeForm() const;

  QTemporaryDir programDir;
  mutable ScriptedDialogs dialogs;
  mutable MemorySettings settings;
  mutable FakeClock clock;
  mutable FakeRandom random;
  mutable FakeLauncher launcher;
  mutable FakeClipboard clipboard;
  mutable RecordingSpreadsheet spreadsheet;
  mutable RecordingSkinEngine skin;
  // The run's files are parsed in the test's process, on the recording library.
  mutable FakeMediaLibrary mediaLibrary;
  mutable InProcessReader fileReader{mediaLibrary};
  mutable FakeFileSystem fileSystem;
  mutable FakeShell shell;
};

}  // namespace vistarel::test
