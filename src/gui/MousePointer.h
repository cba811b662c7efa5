#pragma once

#include <QCursor>
#include <QString>

namespace vistarel {

// The window's pointer states.
namespace mouse_pointer {
inline constexpr int kDefault = 0;
inline constexpr int kBusy = 11;
inline constexpr int kCustom = 99;
}  // namespace mouse_pointer

// Loads a Windows cursor file (.cur) as a pointer, with the hot spot the file
// names. Throws Failure when the file is not a regular file or not a loadable
// picture; never blocks on a FIFO or device.
QCursor LoadCursorFile(const QString& path);

}  // namespace vistarel
