#pragma once

#include <QCursor>
#include <QWidget>

#include <array>
#include <memory>

#include "extract/ResultTableUse.h"
#include "gui/QtEventPump.h"
#include "platform/Platform.h"

class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QPushButton;

namespace vistarel {

class CloseRequestFilter;
class HandlerGuard;
class InputListModel;
class ListView;
class ProgressBar;
class ResultTableModel;
class Splash;

// The main window: owns the controls, lays them out as designed and wires the

// subsystem they drive, each in a file named after it (Form1_PushButton2_Click.cpp).
class Form1 final : public QWidget {
  Q_OBJECT

 public:
  // Creating the window runs its start-up sequence; showing it is the caller's.
  explicit Form1(const Platform& platform, QWidget* parent = nullptr);
  ~Form1() override;

  // Controls, by their design names.
  QPushButton* PushButton(int number) const;  // 1 to 10
  ListView* ListView1() const { return listView1_; }
  ListView* ListView2() const { return listView2_; }
  ProgressBar* ProgressBar1() const { return progressBar1_; }
  Splash* SplashWindow() const { return splash_; }
  InputListModel& InputList() const { return *inputList_; }
  ResultTableModel& ResultTable() const { return *resultTable_; }
  // Whether a run fills the result table or exports read it just now.
  const ResultTableUse& ResultTableInUse() const { return resultTableUse_; }

  // The window-wide pointer state: 0 arrow, 11 hourglass, 99 the hand.
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int state);
  bool HasHandPointerImage() const { return hasHandImage_; }

  const Platform& platform() const { return platform_; }
  QtEventPump& Pump() { return pump_; }
  // Pixels for a length in twips at this window's density.
  int Px(int twips) const;

  // Start-up, shutdown and pointer feedback.
  void Form_Load();
  void Form_QueryUnload();
  void Form_Unload();
  void Form_MouseMove();
  void ListView1_MouseMove();
  void ListView2_MouseMove();
  void PushButton_MouseMove();

  // Buttons.
  void PushButton1_Click();   // Add Video File/s
  void PushButton2_Click();   // Start Extracting Metadata
  void PushButton3_Click();   // Add All Video File/s In Folder
  void PushButton4_Click();   // Copy Results To Clipboard
  void PushButton5_Click();   // Help
  void PushButton6_Click();   // Clear List (results)
  void PushButton7_Click();   // Clear List (input list)
  void PushButton8_Click();   // Save Results As Text File
  void PushButton9_Click();   // Save Results As Excel File
  void PushButton10_Click();  // Load Sample/Example Files

  // The input list.
  void ListView1_DblClick();
  void ListView1_KeyDown(QKeyEvent* event);
  void ListView1_OLEDragOver(QDragMoveEvent* event);
  void ListView1_OLEDragDrop(QDropEvent* event);
  // Appends paths as a drop of them on the input list would.
  void AddAsDropped(const QStringList& paths);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void WireHandlers();
  void CreateColumns(HandlerGuard& guard);
  void SyncResultColumnWidths(int first, int last);

  Platform platform_;
  QtEventPump pump_;
  InputListModel* inputList_;
  ResultTableModel* resultTable_;
  ResultTableUse resultTableUse_;

  std::array<QPushButton*, 10> buttons_{};
  ListView* listView1_ = nullptr;
  ListView* listView2_ = nullptr;
  ProgressBar* progressBar1_ = nullptr;
  Splash* splash_ = nullptr;
  std::unique_ptr<CloseRequestFilter> closeFilter_;

  int mousePointer_ = 0;
  QCursor handCursor_{Qt::PointingHandCursor};
  bool hasHandImage_ = false;
};

}  // namespace vistarel
