#pragma once

#include "platform/SkinEngine.h"

namespace vistarel {

// The skin engine on Qt style sheets: the skin file holds a style sheet, which
// applying sets on the window. A style sheet set on a window reaches its
// controls, the windows it owns and the boxes shown over it by itself, so the
// two options need nothing more than the window's sheet; the engine keeps them.
class StyleSheetSkinEngine final : public ISkinEngine {
 public:
  // Larger files are refused: a skin is a few pages of text.
  static constexpr qint64 kMaxSkinBytes = 4 * 1024 * 1024;

  void LoadSkin(const QString& path, const QString& variant) override;
  qint32 ApplyOptions() override { return options_; }
  void SetApplyOptions(qint32 options) override { options_ = options; }
  void SetSkinOwnedWindows(bool on) override { skinOwnedWindows_ = on; }
  void SetSkinBoxes(bool on) override { skinBoxes_ = on; }
  void ApplyWindow(QWidget& window) override;

  const QString& StyleSheet() const { return styleSheet_; }
  bool SkinsOwnedWindows() const { return skinOwnedWindows_; }
  bool SkinsBoxes() const { return skinBoxes_; }

 private:
  QString styleSheet_;
  bool loaded_ = false;
  qint32 options_ = 0;
  bool skinOwnedWindows_ = false;
  bool skinBoxes_ = false;
};

// Why `text` is not a usable style sheet, or an empty text when it is: it must
// hold a rule, and its braces must pair up outside comments and quoted strings.
QString StyleSheetProblem(const QString& text);

}  // namespace vistarel
