#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace vistarel {

// Bits of the skin engine's option set.
namespace skin_option {
inline constexpr qint32 kSkinWindow = 1;  // the skin reaches the window and its controls
}  // namespace skin_option

// The skin engine of the main window. The skin step drives it in a fixed order:
// load the skin file, set option bit 0, switch on the two options, apply it to
// the window.
class ISkinEngine {
 public:
  virtual ~ISkinEngine() = default;

  // Reads and checks the skin file; `variant` names one of several skins a file
  // may hold, empty for its only one. Throws Failure when the file will not do.
  virtual void LoadSkin(const QString& path, const QString& variant) = 0;

  // The option set (skin_option bits).
  virtual qint32 ApplyOptions() = 0;
  virtual void SetApplyOptions(qint32 options) = 0;

  // The windows that the skinned window owns (the splash) wear the skin too.
  virtual void SetSkinOwnedWindows(bool on) = 0;
  // Boxes and dialogs shown over the skinned window wear the skin too.
  virtual void SetSkinBoxes(bool on) = 0;

  // Puts the loaded skin on `window`. Throws Failure when no skin is loaded.
  virtual void ApplyWindow(QWidget& window) = 0;
};

}  // namespace vistarel
