#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vistarel {

// What the program's command line asks for. Either the program ends at once
// with `exitStatus`, having printed `out` and `error` (--help, --version, a
// wrong option), or it shows its window and the input list takes `paths` as a
// drop of them on the list would, in their order. `error` then holds one line
// for each argument that names no local file, which is left out.
struct CommandLine {
  std::optional<int> exitStatus;
  QString out;
  QString error;
  QStringList paths;
  // The program's name and the toolkit's own options (-style Fusion, -session
  // ID from the session manager, ...), which go to the toolkit alone.
  QStringList toolkitArguments;
};

// Reads the arguments, the program's name first. A relative path is taken in
// `workingFolder`; a file:// URI gives its local path.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder);

// Reads the process's own arguments, which are file names' bytes, in the
// current folder, and prints what they ask to print.
CommandLine ReadCommandLine(int argc, const char* const* argv);

// Arguments as the argc and argv that the toolkit's application object takes;
// it keeps them, so they must outlive it.
class ToolkitArgv {
 public:
  explicit ToolkitArgv(const QStringList& arguments);
  ToolkitArgv(const ToolkitArgv&) = delete;
  ToolkitArgv& operator=(const ToolkitArgv&) = delete;

  int& argc() { return argc_; }
  char** argv() { return pointers_.data(); }

 private:
  QByteArrayList bytes_;
  std::vector<char*> pointers_;
  int argc_ = 0;
};

}  // namespace vistarel
