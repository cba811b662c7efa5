#pragma once

#include <QList>

#include "platform/Dialogs.h"

namespace vistarel {

// The save dialog of "Save Results As Text File".
inline constexpr char16_t kSaveTitle[] = u"Save";

inline QList<FileFilter> SaveTextFilters() {
  using namespace Qt::StringLiterals;
  return {{u"Text Files (*.txt)"_s, {u"*.txt"_s}}, {u"All Files (*.*)"_s, {u"*"_s}}};
}

}  // namespace vistarel
