#include "support/FakeShell.h"

#include "base/PathHelpers.h"

namespace vistarel::test {

using namespace Qt::StringLiterals;

namespace {

QString FolderKey(QString path) {
  while (path.size() > 1 && path.endsWith(kPathSeparator)) path.chop(1);
  return path;
}

class ScriptedShellFolder final : public IShellFolder {
 public:
  ScriptedShellFolder(QMap<int, QString> names, std::vector<FakeShell::Entry> entries)
      : names_(std::move(names)), entries_(std::move(entries)) {}

  QString PropertyName(int column) override { return names_.value(column); }
  int ItemCount() override { return int(entries_.size()); }
  QString DisplayName(int item) override { return At(item).displayName; }
  QList<int> ItemsNamed(const QString& name) override {
    QList<int> found;
    for (int item = 0; item < ItemCount(); ++item) {
      if (entries_[size_t(item)].displayName.toLower() == name.toLower())
        found.append(item);
    }
    return found;
  }
  QString GetDetailsOf(int item, int column) override { return At(item).values.value(column); }

 private:
  const FakeShell::Entry& At(int item) const {
    if (item < 0 || size_t(item) >= entries_.size())
      throw Failure(u"Index out of bounds: entry %1"_s.arg(item),
                    failure_number::kSubscriptOutOfRange);
    return entries_[size_t(item)];
  }

  QMap<int, QString> names_;
  std::vector<FakeShell::Entry> entries_;
};

}  // namespace

void FakeShell::Script(const QString& folder, const QMap<int, QString>& names,
                       const std::vector<Entry>& entries) {
  scripted_[FolderKey(folder)] = {names, entries};
}

std::unique_ptr<IShellFolder> FakeShell::Namespace(const QString& path,
                                                   const FileAnswer& answer) {
  calls.append(u"Namespace "_s + path);
  if (namespaceFailure_)
    throw *namespaceFailure_;
  const auto scripted = scripted_.find(FolderKey(path));
  if (scripted == scripted_.end())
    return real_.Namespace(path, answer);
  return std::make_unique<ScriptedShellFolder>(scripted->second.names, scripted->second.entries);
}

}  // namespace vistarel::test
