#include "window/Form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/CloseRequestFilter.h"
#include "gui/CommandButton.h"
#include "gui/FocusRing.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "gui/ProgressBar.h"
#include "gui/Resources.h"
#include "gui/Splash.h"
#include "gui/Twips.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Design values of the controls: caption, left, top, width, height (twips).
struct ButtonDesign {
  const char16_t* caption;
  int left, top, width, height;
};

constexpr std::array<ButtonDesign, 10> kButtons = {{
    {u"Add Video File/s", 120, 3250, 3840, 405},                // PushButton1
    {u"Start Extracting Metadata", 120, 4270, 7800, 405},       // PushButton2
    {u"Add All Video File/s In Folder", 4080, 3250, 3840, 405},  // PushButton3
    {u"Copy Results To Clipboard", 120, 8430, 3840, 405},       // PushButton4
    {u"Help", 120, 120, 7800, 405},                             // PushButton5
    {u"Clear List", 4080, 8430, 3840, 405},                     // PushButton6
    {u"Clear List", 120, 3760, 3840, 405},                      // PushButton7
    {u"Save Results As Text File", 120, 7920, 3840, 405},       // PushButton8
    {u"Save Results As Excel File", 4080, 7920, 3840, 405},     // PushButton9
    {u"Load Sample/Example Files", 4080, 3760, 3840, 405},      // PushButton10
}};

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 8940;

constexpr char16_t kListView1Tip[] =
    u"Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    u"window to reveal full names.";
constexpr char16_t kListView2Tip[] = u"Move | line to right and out of window to reveal full names.";

// Qt reads a plain top-level widget as a client area ("filler"), which a screen
// reader need not announce; as a window it is a frame.
QAccessibleInterface* AccessibleForm1(const QString&, QObject* object) {
  auto* form = qobject_cast<Form1*>(object);
  return form != nullptr ? new QAccessibleWidget(form, QAccessible::Window) : nullptr;
}

QFont DesignFont(double pointSize) {
  QFont font(u"Arial"_s);
  font.setPointSizeF(pointSize);
  font.setBold(true);
  return font;
}

}  // namespace

Form1::Form1(const Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      platform_(platform),
      inputList_(new InputListModel(this)),
      resultTable_(new ResultTableModel(this)) {
  setObjectName(u"Form1"_s);
  // Before anything asks for the window's role; once for every window made.
  static const bool accessibleFormInstalled = (QAccessible::installFactory(AccessibleForm1), true);
  static_cast<void>(accessibleFormInstalled);
  InitResources();
  BuildControls();
  WireHandlers();
  Form_Load();
}

Form1::~Form1() = default;

int Form1::Px(int twips) const { return TwipsToPixels(twips, logicalDpiX()); }

QPushButton* Form1::PushButton(int number) const {
  if (number < 1 || number > static_cast<int>(buttons_.size())) return nullptr;
  return buttons_[static_cast<size_t>(number - 1)];
}

void Form1::BuildControls() {
  const double dpi = logicalDpiX();
  setFixedSize(Px(kClientWidth), Px(kClientHeight));
  setFont(DesignFont(9));
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  setAutoFillBackground(true);
  setMouseTracking(true);

  for (size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonDesign& design = kButtons[i];
    auto* button = new CommandButton(QString::fromUtf16(design.caption), this);
    button->setObjectName(u"PushButton"_s + QString::number(i + 1));
    button->setGeometry(TwipsRect(design.left, design.top, design.width, design.height, dpi));
    button->setFont(DesignFont(11.25));
    QPalette face = button->palette();
    face.setColor(QPalette::Button, Qt::white);
    button->setPalette(face);
    button->setMouseTracking(true);
    button->installEventFilter(this);
    buttons_[i] = button;
  }
  // The two "Clear List" captions read alike; the name a screen reader speaks
  // says which list each one empties.
  PushButton(7)->setAccessibleName(u"Clear List: video files"_s);
  PushButton(6)->setAccessibleName(u"Clear List: results"_s);

  listView1_ = new ListView(this);
  listView1_->setObjectName(u"ListView1"_s);
  listView1_->setGeometry(TwipsRect(120, 630, 7800, 2535, dpi));
  listView1_->setToolTip(QString::fromUtf16(kListView1Tip));
  // Qt's table reads neither the tip nor a caption on its own.
  listView1_->setAccessibleName(u"Video File/s"_s);
  listView1_->setAccessibleDescription(listView1_->toolTip());
  listView1_->setModel(inputList_);
  listView1_->setAcceptDrops(true);
  listView1_->SetTakesAllKeys(true);

  progressBar1_ = new ProgressBar(this);
  progressBar1_->setObjectName(u"ProgressBar1"_s);
  progressBar1_->setGeometry(TwipsRect(120, 4790, 7800, 405, dpi));
  progressBar1_->SetCaption(u"Progress Bar"_s);
  progressBar1_->SetValue(0);

  listView2_ = new ListView(this);
  listView2_->setObjectName(u"ListView2"_s);
  listView2_->setGeometry(TwipsRect(120, 5295, 7800, 2535, dpi));
  listView2_->setToolTip(QString::fromUtf16(kListView2Tip));
  listView2_->setAccessibleName(u"Results"_s);
  listView2_->setAccessibleDescription(listView2_->toolTip());
  listView2_->setModel(resultTable_);
  listView2_->header()->setDefaultSectionSize(Px(ResultTableModel::kDefaultColumnWidth));

  splash_ = new Splash(platform_, pump_, this);  // a window of its own, owned by this one
  // A window manager's close ends the program in every state, a box up included.
  closeFilter_ = std::make_unique<CloseRequestFilter>(*this);

  // Tab order of the design; it starts at the result table, which holds the
  // focus when the window is first shown.
  const std::array<QWidget*, 12> tabOrder = {
      listView2_,   listView1_,   PushButton(8), PushButton(1), PushButton(3), PushButton(7),
      PushButton(10), PushButton(2), PushButton(5), PushButton(4), PushButton(6), PushButton(9)};
  for (size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
  listView2_->setFocus();
  new FocusRing(*this);
}

void Form1::WireHandlers() {
  using Handler = void (Form1::*)();
  constexpr std::array<Handler, 10> clicks = {
      &Form1::PushButton1_Click, &Form1::PushButton2_Click, &Form1::PushButton3_Click,
      &Form1::PushButton4_Click, &Form1::PushButton5_Click, &Form1::PushButton6_Click,
      &Form1::PushButton7_Click, &Form1::PushButton8_Click, &Form1::PushButton9_Click,
      &Form1::PushButton10_Click};
  for (size_t i = 0; i < clicks.size(); ++i) {
    connect(buttons_[i], &QPushButton::clicked, this, clicks[i]);
  }

  connect(listView1_, &ListView::dblClick, this, &Form1::ListView1_DblClick);
  connect(listView1_, &ListView::keyDown, this, &Form1::ListView1_KeyDown);
  connect(listView1_, &ListView::mouseMoved, this, &Form1::ListView1_MouseMove);
  connect(listView1_, &ListView::oleDragOver, this, &Form1::ListView1_OLEDragOver);
  connect(listView1_, &ListView::oleDragDrop, this, &Form1::ListView1_OLEDragDrop);
  connect(listView2_, &ListView::mouseMoved, this, &Form1::ListView2_MouseMove);

  connect(inputList_, &InputListModel::columnWidthChanged, this,
          [this] { listView1_->header()->resizeSection(0, Px(inputList_->ColumnWidth())); });
  connect(resultTable_, &ResultTableModel::columnsInserted, this,
          [this](const QModelIndex&, int first, int last) { SyncResultColumnWidths(first, last); });
  connect(resultTable_, &ResultTableModel::columnWidthChanged, this,
          [this](int column) { SyncResultColumnWidths(column - 1, column - 1); });
}

void Form1::SyncResultColumnWidths(int first, int last) {
  for (int section = first; section <= last; ++section) {
    listView2_->header()->resizeSection(section, Px(resultTable_->ColumnWidth(section + 1)));
  }
}

void Form1::SetMousePointer(int state) {
  mousePointer_ = state;
  switch (state) {
    case mouse_pointer::kBusy:
      setCursor(Qt::WaitCursor);
      break;
    case mouse_pointer::kCustom:
      setCursor(handCursor_);
      break;
    default:
      setCursor(Qt::ArrowCursor);
      break;
  }
}

// Pointer feedback: the hand over buttons, the arrow over the background and
// the tables; neither overrides the hourglass of a long operation.
void Form1::PushButton_MouseMove() {
  if (mousePointer_ != mouse_pointer::kBusy) SetMousePointer(mouse_pointer::kCustom);
}

void Form1::Form_MouseMove() {
  if (mousePointer_ != mouse_pointer::kBusy) SetMousePointer(mouse_pointer::kDefault);
}

void Form1::ListView1_MouseMove() { Form_MouseMove(); }

void Form1::ListView2_MouseMove() { Form_MouseMove(); }

void Form1::mouseMoveEvent(QMouseEvent* event) {
  Form_MouseMove();
  QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove &&
      std::find(buttons_.begin(), buttons_.end(), watched) != buttons_.end()) {
    PushButton_MouseMove();
    // A plain move ends here: passed on, it would reach the window's background
    // and put the arrow back. A move with a button held is the button's own.
    return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
  }
  return QWidget::eventFilter(watched, event);
}

// Closing never asks and never saves. A handler that is running stops at its
// next yield, which sees the closing mark.
void Form1::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  Form_Unload();
  event->accept();
}

void Form1::Form_QueryUnload() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

void Form1::Form_Unload() {
  pump_.MarkClosing();
  splash_->hide();
  QCoreApplication::quit();
}

}  // namespace vistarel
