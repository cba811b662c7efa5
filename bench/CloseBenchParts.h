#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace vistarel::bench {

// The processor time (user and system) in a /proc/PID/stat text, in clock
// ticks; -1 when the text is not one.
qint64 ProcessorTicksOf(const QByteArray& stat);
// The processor time a process has used so far; -1 when it is gone.
qint64 ProcessorTicks(qint64 pid);
// The processes a process started that still run.
QList<qint64> ChildProcesses(qint64 pid);
// The processor time a process and the processes it started (its helpers)
// have used so far; -1 when the process is gone.
qint64 FamilyProcessorTicks(qint64 pid);

// Whether a window of this size has the main window's shape, at any density.
bool HasMainWindowShape(QSize size);
// The centre of a button of the main window, from the window's top left; the
// button as designed, in twips.
QPoint ButtonCentre(QSize window, const QRect& button);

}  // namespace vistarel::bench
