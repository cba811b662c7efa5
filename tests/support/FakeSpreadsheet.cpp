#include "support/FakeSpreadsheet.h"

#include "base/Failure.h"

namespace vistarel::test {

using namespace Qt::StringLiterals;

namespace {

class RecordingWorkbook final : public ISpreadsheetWorkbook {
 public:
  explicit RecordingWorkbook(RecordingSpreadsheet& owner) : owner_(owner) {}
  // Refuses what the real sheet refuses: a row before the latest, a row below the last.
  void SetCell(int row, int column, const QString& text) override {
    if (owner_.failingCells.count({row, column}) != 0 || row < latestRow_ ||
        row > owner_.sheetRows) {
      throw Failure(u"The cell refused the value"_s);
    }
    latestRow_ = row;
    owner_.Record({u"Cells"_s, row, column, text});
  }
  void AutofitColumns() override { owner_.Record({u"Columns.Autofit"_s, 0, 0, {}}); }
  int SheetRows() const override { return owner_.sheetRows; }

 private:
  RecordingSpreadsheet& owner_;
  int latestRow_ = 0;
};

class RecordingApplication final : public ISpreadsheetApplication {
 public:
  explicit RecordingApplication(RecordingSpreadsheet& owner) : owner_(owner) {}
  ~RecordingApplication() override { owner_.Record({u"Release"_s, 0, 0, {}}); }
  ISpreadsheetWorkbook& AddWorkbook() override {
    owner_.Record({u"Workbooks.Add"_s, 0, 0, {}});
    workbooks_.push_back(std::make_unique<RecordingWorkbook>(owner_));
    return *workbooks_.back();
  }
  void SetVisible() override { owner_.Record({u"Visible"_s, 0, 0, {}}); }

 private:
  RecordingSpreadsheet& owner_;
  std::vector<std::unique_ptr<RecordingWorkbook>> workbooks_;
};

}  // namespace

std::unique_ptr<ISpreadsheetApplication> RecordingSpreadsheet::CreateApplication() {
  if (!installed)
    throw Failure(u"No spreadsheet program is installed."_s);
  Record({u"Create"_s, 0, 0, {}});
  return std::make_unique<RecordingApplication>(*this);
}

std::vector<SpreadsheetCall> RecordingSpreadsheet::Calls(const QString& operation) const {
  std::vector<SpreadsheetCall> matching;
  for (const SpreadsheetCall& call : calls) {
    if (call.operation == operation)
      matching.push_back(call);
  }
  return matching;
}

QStringList RecordingSpreadsheet::Operations() const {
  QStringList operations;
  for (const SpreadsheetCall& call : calls) operations += call.operation;
  return operations;
}

void RecordingSpreadsheet::Record(SpreadsheetCall call) {
  calls.push_back(std::move(call));
  if (onCall)
    onCall(calls.back());
}

}  // namespace vistarel::test
