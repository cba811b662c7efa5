#pragma once

#include <QString>

#include <cstdint>

namespace vistarel {

// What a helper process may do once it has shut itself in: a reader reads
// the user's files and answers on its pipes; a writer may also write, make
// and remove files in the one folder it writes to.
enum class SandboxRole { Reader, Writer };

// How far the helper shut itself in.
struct Sandbox {
  // The system-call filter is installed. Without it a reader parses nothing.
  bool filtered = false;
  QString whyNotFiltered;
  // The Landlock ABI it restricted itself with; 0 when the kernel has none.
  int landlockAbi = 0;
  QString whyNoLandlock;
  // The memory cap it set, in bytes; 0 when none could be set.
  std::uint64_t memoryCap = 0;
};

// The most memory a helper may map: no real file needs as much, and sixteen
// helpers at once stay well within a desktop's memory.
inline constexpr std::uint64_t kHelperMemoryCap = std::uint64_t(1) << 30;

// Shuts this process in, for good, before it touches a user's file:
//   - a memory cap (kHelperMemoryCap), so that a file that asks for more costs
//     its own parse (the library's allocation fails);
//   - where the kernel has Landlock, no right to write, make or remove any file
//     (a writer: but in `writeFolder`), no TCP, and (ABI 6 and later) no
//     signal or abstract socket beyond the process;
//   - a system-call filter: writing, creating and removing files, changing
//     their modes, owners, times and extended attributes, and every socket
//     call fail with an error, as for an unreadable file; running programs,
//     making processes (threads are fine), tracing or signalling other
//     processes, and anything not needed end the process.
// Returns what could be done; a kernel without Landlock is accepted.
Sandbox ShutIn(SandboxRole role, const QString& writeFolder = {});

}  // namespace vistarel
