#include "helpers/HelperProcess.h"

#include <QSocketNotifier>

#include <cstring>

#include <sys/wait.h>

#include "system/ChildProcess.h"
#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;

std::unique_ptr<HelperProcess> HelperProcess::Start(const HelperCommand& command, QString* why) {
  int error = 0;
  std::unique_ptr<ChildProcess> child =
      ChildProcess::Start(command.program, command.arguments, kHelperRequestFd, kHelperAnswerFd,
                          &error);
  if (child == nullptr) {
    if (why != nullptr)
      *why = QString::fromLocal8Bit(std::strerror(error));
    return nullptr;
  }
  return std::unique_ptr<HelperProcess>(new HelperProcess(std::move(child)));
}

HelperProcess::HelperProcess(std::unique_ptr<ChildProcess> child) : child_(std::move(child)) {
  readNotifier_ = new QSocketNotifier(child_->OutputFd(), QSocketNotifier::Read, this);
  connect(readNotifier_, &QSocketNotifier::activated, this, &HelperProcess::Readable);
  writeNotifier_ = new QSocketNotifier(child_->InputFd(), QSocketNotifier::Write, this);
  writeNotifier_->setEnabled(false);
  connect(writeNotifier_, &QSocketNotifier::activated, this, &HelperProcess::Flush);
  sinceProgress_.start();
}

// The child is killed and let go by its own destructor: nothing waits here.
HelperProcess::~HelperProcess() = default;

bool HelperProcess::HasEnded() const {
  return givenUp_ || (outputEnded_ && child_->Ended());
}

void HelperProcess::Send(const QByteArray& message) {
  if (givenUp_ || outputEnded_)
    return;
  child_->Send(message);
  writeNotifier_->setEnabled(child_->HasUnsent());
}

void HelperProcess::Flush() {
  if (givenUp_ || outputEnded_)
    return;
  child_->Flush();
  writeNotifier_->setEnabled(child_->HasUnsent());
}

bool HelperProcess::HasUnsent() const {
  return !givenUp_ && !outputEnded_ && child_->HasUnsent();
}

QList<QByteArray> HelperProcess::Receive() {
  QList<QByteArray> messages;
  if (givenUp_ || outputEnded_)
    return messages;
  QByteArray bytes;
  if (!child_->Receive(bytes, kMaxFrame)) {
    // Its exit follows its output's end at once; it is collected when it has.
    outputEnded_ = true;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
  }
  received_ += quint64(bytes.size());
  reader_.Append(bytes);
  while (std::optional<QByteArray> body = reader_.Next()) messages.append(std::move(*body));
  return messages;
}

bool HelperProcess::EndedWell() {
  const std::optional<int> status = child_->Ended();
  return !givenUp_ && status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

QString HelperProcess::HowItEnded() {
  const std::optional<int> status = child_->Ended();
  return status ? ChildProcess::HowItEnded(*status) : u"stopped"_s;
}

int HelperProcess::OutputFd() const {
  return child_->OutputFd();
}

int HelperProcess::InputFd() const {
  return child_->InputFd();
}

std::optional<quint64> HelperProcess::FileBytes() const {
  const std::optional<quint64> moved = BytesMoved(child_->pid());
  if (!moved)
    return std::nullopt;
  return *moved - received_ - child_->BytesSent();
}

qint64 HelperProcess::pid() const {
  return child_->pid();
}

void HelperProcess::SetBusy(bool busy) {
  if (busy && !busy_)
    MarkProgress();
  busy_ = busy;
}

void HelperProcess::MarkProgress() {
  sinceProgress_.start();
  fileBytes_ = FileBytes();
}

qint64 HelperProcess::MsWithoutProgress() {
  if (!busy_ || HasEnded())
    return 0;
  // A read or write that keeps going is progress, though it says nothing.
  const std::optional<quint64> now = FileBytes();
  if (now != fileBytes_) {
    fileBytes_ = now;
    sinceProgress_.start();
    return 0;
  }
  return sinceProgress_.elapsed();
}

bool HelperProcess::IsComputing() const {
  return ProcessState(child_->pid()) == 'R';
}

void HelperProcess::EndGently() {
  child_->EndGently();
}

void HelperProcess::GiveUp() {
  child_->Kill();
  givenUp_ = true;
  readNotifier_->setEnabled(false);
  writeNotifier_->setEnabled(false);
}

}  // namespace vistarel
