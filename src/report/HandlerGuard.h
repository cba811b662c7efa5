#pragma once

#include <QString>

#include <exception>
#include <new>

#include "base/Failure.h"

namespace vistarel {

class IDialogs;

// The text of the "Application Error" box for a failure in a handler's step.
QString HandlerErrorText(const QString& description, const QString& procedure, int line);
// Shows that box (warning icon, OK only) and returns when the user has closed it.
void ReportHandlerError(IDialogs& dialogs, const QString& description, const QString& procedure,
                        int line);

// The guard of a handler: runs its numbered steps, reports a failing step with
// the step's number and lets the handler go on with its next step.
//
//   HandlerGuard guard(dialogs, u"PushButton5_Click"_s);
//   guard.Run([&] {
//     guard.Step(100, [&] { ... });
//     if (guard.Test(102, [&] { return ...; })) { ... }
//   });
class HandlerGuard {
 public:
  HandlerGuard(IDialogs& dialogs, QString procedure)
      : dialogs_(dialogs), procedure_(std::move(procedure)) {}

  // Runs the handler's body. A close of the window during one of its yields
  // ends the handler here, without its closing steps.
  template <class Body>
  void Run(Body&& body) {
    try {
      body();
    } catch (const HandlerAbort&) {
    }
  }

  // Runs one step; a failure is reported and the handler goes on. Returns false
  // when the step failed.
  template <class F>
  bool Step(int line, F&& step) {
    line_ = line;
    try {
      step();
      return true;
    } catch (const HandlerAbort&) {
      throw;
    } catch (const Failure& failure) {
      Report(failure.description());
    } catch (const std::bad_alloc&) {
      Report(QStringLiteral("Out of memory"));
    } catch (const std::exception& error) {
      Report(QString::fromLocal8Bit(error.what()));
    }
    return false;
  }

  // The test of a conditional step. A test that fails is reported and counts as
  // held, so the handler goes on into the conditional's then-branch.
  template <class F>
  bool Test(int line, F&& test) {
    bool held = true;
    Step(line, [&] { held = test(); });
    return held;
  }

  const QString& procedure() const { return procedure_; }
  // The number of the last step begun.
  int line() const { return line_; }

 private:
  void Report(const QString& description);

  IDialogs& dialogs_;
  QString procedure_;
  int line_ = 0;
};

}  // namespace vistarel
