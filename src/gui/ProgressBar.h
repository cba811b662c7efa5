#pragma once

#include <QProgressBar>
#include <QTimer>

#include <chrono>

#include "platform/Progress.h"

namespace vistarel {

// The progress bar of the main window: a 0 to 100 scale that takes real numbers
// (values a little above 100 show as full) and a caption shown on the bar.
class ProgressBar final : public QProgressBar, public IProgress {
  Q_OBJECT

 public:
  // The caption is also the bar's accessible name, renamed at most this often.
  static constexpr std::chrono::milliseconds kNameInterval{16};

  explicit ProgressBar(QWidget* parent = nullptr);

  void SetValue(double value) override;
  void SetCaption(const QString& caption) override;
  double Value() const { return value_; }
  const QString& Caption() const { return caption_; }

  // The caption is shown as it is; a "%" in a file name is not a placeholder.
  QString text() const override { return caption_; }

 private:
  void PublishName();

  double value_ = 0;
  QString caption_;
  QTimer nameTimer_;
};

}  // namespace vistarel
