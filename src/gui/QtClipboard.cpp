#include "gui/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "base/Failure.h"

namespace vistarel {

namespace {
QClipboard& Board() {
  QClipboard* board = QGuiApplication::clipboard();
  if (board == nullptr)
    throw Failure(QStringLiteral("The clipboard cannot be opened."));
  return *board;
}
}  // namespace

void QtClipboard::Clear() {
  Board().clear();
}

void QtClipboard::SetText(const QString& text) {
  Board().setText(text);
}

QString QtClipboard::Text() {
  return Board().text();
}

}  // namespace vistarel
