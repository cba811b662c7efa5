#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vistarel::test {

// Writes a file by the bytes of its name (EncodeFileName), so that names Qt
// cannot carry are made too. Returns false when it cannot.
bool WriteFileBytes(const QString& path, const QByteArray& content);
// Copies a file's content to such a name.
bool CopyFileTo(const QString& source, const QString& path);
// Makes a FIFO; returns false when it cannot.
bool MakeFifo(const QString& path);

// Runs `work` and returns true when it ends within a few seconds. Otherwise a
// writer opens the FIFO to free whatever is stuck on it, the work is awaited
// and the result is false: the work blocked on the FIFO.
bool ReturnsWithoutBlocking(const QString& fifo, const std::function<void()>& work);
// The same for work that must stay on the calling thread (widgets): a watchdog
// thread frees the FIFO instead.
bool ReturnsWithoutBlockingHere(const QString& fifo, const std::function<void()>& work);

}  // namespace vistarel::test
