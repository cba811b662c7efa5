#pragma once

#include <QPixmap>
#include <QWidget>

#include <array>

#include "gui/SplashLayout.h"
#include "platform/Platform.h"

class QCheckBox;
class QLabel;

namespace vistarel {

class QtEventPump;

// The setting that keeps the splash from showing: "0" shows it, "1" does not.
inline constexpr char16_t kShowAgainKey[] = u"ShowAgain";

// The borderless window shown alone at start-up: a picture from the Splash
// folder beside the program, with the check box "Hide this at next startup"
// under it. It hides itself after a few seconds and stays loaded, hidden.
class Splash final : public QWidget {
  Q_OBJECT

 public:
  // `pump` is the main window's yield, which ends the wait when the program is
  // closed meanwhile.
  Splash(const Platform& platform, QtEventPump& pump, QWidget* parent = nullptr);

  // Shows the splash when the setting and the Splash folder allow it and
  // returns once it is hidden again. Throws Failure for a setting that is not a
  // number or a picture that does not load, before anything is shown.
  void SplashShow();
  // Keeps the program responsive while `seconds` pass on the monotonic clock.
  void WaitSeconds(double seconds);
  // Stores the check box's state: "1" ticked, "0" not.
  void Check1_Click();

  QLabel* Image1() const { return image1_; }
  QCheckBox* Check1() const { return check1_; }
  QWidget* Line(int number) const;  // 1 to 4
  // The layout in twips, as last laid out.
  const SplashLayout& Layout() const { return layout_; }
  // Pixels for a length in twips at the screen's density.
  int Px(int twips) const;

 private:
  void LayOut(const QPixmap& picture);

  Platform platform_;
  QtEventPump& pump_;
  QLabel* image1_;
  QCheckBox* check1_;
  std::array<QWidget*, 4> lines_{};
  SplashLayout layout_{};
};

// Whether a stored "ShowAgain" lets the splash show: 0 does, any other number
// does not. Throws Failure when the text is not a number.
bool ShowsSplash(const QString& showAgain);

// The splash picture: the Splash folder of the program folder plus the first
// ordinary file that its listing yields. Without one, the path ends in the
// separator and names no file.
QString SplashPicturePath(const QString& programFolder);

// The picture at `path`; throws Failure when it does not load.
QPixmap LoadSplashPicture(const QString& path);

}  // namespace vistarel
