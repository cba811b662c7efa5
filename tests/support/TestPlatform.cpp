#include "support/TestPlatform.h"

#include "window/Form1.h"

namespace vistarel::test {

TestPlatform::TestPlatform() = default;
TestPlatform::~TestPlatform() = default;

Platform TestPlatform::platform() const {
  Platform p;
  p.programFolder = programDir.path();
  p.dialogs = &dialogs;
  p.settings = &settings;
  p.clock = &clock;
  p.random = &random;
  p.launcher = &launcher;
  p.clipboard = &clipboard;
  p.spreadsheet = &spreadsheet;
  p.skin = &skin;
  p.fileReader = &fileReader;
  p.fileSystem = &fileSystem;
  p.shell = &shell;
  return p;
}

std::unique_ptr<Form1> TestPlatform::MakeForm() const {
  auto form = std::make_unique<Form1>(platform());
  // Tests drive yields one by one; nothing waits for a time slice.
  form->Pump().SetInterval(0);
  return form;
}

}  // namespace vistarel::test
