#include "gui/Splash.h"

#include <QBuffer>
#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QScopeGuard>

#include <cmath>

#include "base/Addresses.h"
#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "gui/QtEventPump.h"
#include "gui/StartupHelpers.h"
#include "gui/Twips.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "system/DirectoryListing.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMaxPictureBytes = 64 * 1024 * 1024;

// How long the splash stays up: short in a development run, so that starting
// the program from the build tree over and over costs little.
constexpr double kDevelopmentWait = 0.4;
constexpr double kInstalledWait = 4;

}  // namespace

bool ShowsSplash(const QString& showAgain) {
  bool isNumber = false;
  const double value = showAgain.trimmed().toDouble(&isNumber);
  if (!isNumber || !std::isfinite(value)) {
    throw Failure(u"Type mismatch: the setting \"ShowAgain\" holds \""_s + showAgain +
                      u"\", which is not a number"_s,
                  failure_number::kTypeMismatch);
  }
  return value == 0;
}

QString SplashPicturePath(const QString& programFolder) {
  const QString folder = ProgramFile(programFolder, u"Splash"_s) + kPathSeparator;
  const QStringList names = ListDirectory(folder, u"*.*"_s, listing_mask::kNormal);
  return folder + (names.isEmpty() ? QString() : names.first());
}

QPixmap LoadSplashPicture(const QString& path) {
  QByteArray bytes = ReadRegularFile(path, kMaxPictureBytes);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QImage image = reader.read();
  if (image.isNull()) {
    throw Failure(u"Invalid picture ("_s + reader.errorString() + u"): "_s + path,
                  failure_number::kInvalidPicture);
  }
  return QPixmap::fromImage(image);
}

Splash::Splash(const Platform& platform, QtEventPump& pump, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      platform_(platform),
      pump_(pump),
      image1_(new QLabel(this)),
      check1_(new QCheckBox(u"Hide this at next startup"_s, this)) {
  setObjectName(u"Splash"_s);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  image1_->setObjectName(u"Image1"_s);
  image1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // Drawn over the picture, under the check box.
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto* line = new QWidget(this);
    line->setObjectName(u"Line"_s + QString::number(i + 1));
    line->setBackgroundRole(QPalette::WindowText);
    line->setAutoFillBackground(true);
    lines_[i] = line;
  }

  check1_->setObjectName(u"Check1"_s);
  QFont font(u"Arial"_s);
  font.setPointSizeF(9);
  font.setBold(true);
  check1_->setFont(font);
  // White as the window, set on the box itself: a skin's style sheet gives a
  // control the desktop's palette unless it holds one of its own.
  check1_->setPalette(white);
  check1_->setBackgroundRole(QPalette::Window);
  check1_->setAutoFillBackground(true);
  check1_->raise();
  connect(check1_, &QCheckBox::clicked, this, &Splash::Check1_Click);
}

QWidget* Splash::Line(int number) const {
  if (number < 1 || number > static_cast<int>(lines_.size()))
    return nullptr;
  return lines_[static_cast<size_t>(number - 1)];
}

int Splash::Px(int twips) const {
  return TwipsToPixels(twips, logicalDpiX());
}

void Splash::SplashShow() {
  const QString showAgain = platform_.settings->Read(QString::fromUtf16(kShowAgainKey), u"0"_s);
  if (!ShowsSplash(showAgain))
    return;

  const QString file = SplashPicturePath(platform_.programFolder);
  if (!FileExists(file))
    return;

  setWindowTitle(QString::fromUtf16(kProductName));
  LayOut(LoadSplashPicture(file));

  show();
  // Hidden again also when the program is closed during the wait.
  const auto hideAgain = qScopeGuard([this] { hide(); });
  WaitSeconds(IsDevelopmentRun(platform_.programFolder) ? kDevelopmentWait : kInstalledWait);
}

void Splash::LayOut(const QPixmap& picture) {
  const double dpi = logicalDpiX();
  const QSize pixels = picture.deviceIndependentSize().toSize();
  layout_ =
      LayOutSplash(QSize(PixelsToTwips(pixels.width(), dpi), PixelsToTwips(pixels.height(), dpi)));

  image1_->setPixmap(picture);
  image1_->setGeometry(TwipsRect(layout_.image.x(), layout_.image.y(), layout_.image.width(),
                                 layout_.image.height(), dpi));
  setFixedSize(Px(layout_.window.width()), Px(layout_.window.height()));
  check1_->setGeometry(TwipsRect(layout_.check.x(), layout_.check.y(), layout_.check.width(),
                                 layout_.check.height(), dpi));
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TwipsLine& line = layout_.lines[i];
    lines_[i]->setGeometry(
        QRect(QPoint(Px(line.x1), Px(line.y1)), QPoint(Px(line.x2), Px(line.y2))).normalized());
  }
}

void Splash::WaitSeconds(double seconds) {
  IClock& clock = *platform_.clock;
  const double start = clock.MonotonicSeconds();
  while (clock.MonotonicSeconds() - start < seconds) pump_.Wait();
}

void Splash::Check1_Click() {
  platform_.settings->Write(QString::fromUtf16(kShowAgainKey),
                            check1_->isChecked() ? u"1"_s : u"0"_s);
}

}  // namespace vistarel
