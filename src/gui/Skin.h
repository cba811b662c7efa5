#pragma once

#include <QString>

class QWidget;

namespace vistarel {

struct Platform;

// The skin file beside the program: x/o.cjs in the program folder.
QString SkinPath(const QString& programFolder);

// True when `path` names an ordinary file: hidden files, system files (FIFOs,
// devices, ...), folders and paths that cannot be looked up do not count.
// Looks the path up without opening it.
bool IsOrdinaryFile(const QString& path);

// Gives a widget the desktop's button-face colour as its background, by
// reference, so that it follows a change of the colour scheme.
void UseButtonFace(QWidget& widget);

// The first start-up step: when the skin file is beside the program, switches
// the window and its option buttons, check boxes, frames and labels to the
// button-face colour, then has the skin engine load the file and apply it to
// the window. Without the file nothing changes and the engine is not called.
// A failing step throws and leaves the earlier steps in effect.
void ApplySkin(QWidget& window, const Platform& platform);

}  // namespace vistarel
