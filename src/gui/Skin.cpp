#include "gui/Skin.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "gui/StartupHelpers.h"
#include "platform/Platform.h"
#include "platform/SkinEngine.h"
#include "system/FileAttributes.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

bool TakesButtonFace(const QWidget& control) {
  return qobject_cast<const QRadioButton*>(&control) != nullptr ||
         qobject_cast<const QCheckBox*>(&control) != nullptr ||
         qobject_cast<const QGroupBox*>(&control) != nullptr ||
         qobject_cast<const QLabel*>(&control) != nullptr;
}

// The controls of a window in its control order: the widgets placed on it and
// on its frames, not the inner parts of composite controls and not the
// windows it owns (the splash has controls of its own).
void ForEachControl(QWidget& container, const auto& visit) {
  for (QWidget* control : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control->isWindow())
      continue;
    visit(*control);
    if (qobject_cast<QGroupBox*>(control) != nullptr)
      ForEachControl(*control, visit);
  }
}

}  // namespace

QString SkinPath(const QString& programFolder) {
  return ProgramFile(programFolder, u"x"_s + kPathSeparator + u"o.cjs"_s);
}

bool IsOrdinaryFile(const QString& path) {
  int attributes = 0;
  try {
    attributes = AttributesOf(path);
  } catch (const Failure&) {
    return false;
  }
  using namespace file_attribute;
  return (attributes & kArchive) != 0 && (attributes & (kHidden | kSystem | kDirectory)) == 0;
}

void UseButtonFace(QWidget& widget) {
  widget.setBackgroundRole(QPalette::Button);
  widget.setAutoFillBackground(true);
}

void ApplySkin(QWidget& window, const Platform& platform) {
  if (!IsOrdinaryFile(SkinPath(platform.programFolder)))
    return;

  UseButtonFace(window);
  ForEachControl(window, [](QWidget& control) {
    if (TakesButtonFace(control))
      UseButtonFace(control);
  });

  ISkinEngine& engine = *platform.skin;
  engine.LoadSkin(SkinPath(platform.programFolder), QString());
  engine.SetApplyOptions(engine.ApplyOptions() | skin_option::kSkinWindow);
  engine.SetSkinOwnedWindows(true);
  engine.SetSkinBoxes(true);
  engine.ApplyWindow(window);
}

}  // namespace vistarel
