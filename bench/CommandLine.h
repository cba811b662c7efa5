#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

// The seconds a program takes over its arguments, its output thrown away.
inline double CommandLineSeconds(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  process.start(program, arguments);
  process.waitForFinished(-1);
  const double seconds = double(timer.nsecsElapsed()) / 1e9;
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                 process.readAllStandardError().constData());
  }
  return seconds;
}
