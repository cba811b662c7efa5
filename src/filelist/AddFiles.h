#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/Dialogs.h"

namespace vistarel {

// The open-file dialog of "Add Video File/s".
inline constexpr char16_t kAddFilesTitle[] =
    u"Add File/s - Hold Ctrl or Shift to select multiple files";
QList<FileFilter> AddFilesFilters();

// The dialog's result buffer holds this many characters.
inline constexpr int kSelectionBufferSize = 30000;
// The characters a selection takes in that buffer: the folder, then each name,
// each followed by one separator, then one closing character.
qsizetype SelectionBufferLength(const QStringList& paths);

QString TooManyFilesMessage();

}  // namespace vistarel
