#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "desktop/FactsShellFolder.h"

namespace vistarel::test {

// The real desktop shell, with folders that a test scripts instead: their
// property names and their entries with values. Every Namespace call is logged
// with its path.
class FakeShell final : public IShell {
 public:
  struct Entry {
    QString displayName;
    QMap<int, QString> values;  // by property column
  };

  // From now on the folder (with or without its trailing separator) shows these
  // property names (a column not given has no name) and these entries.
  void Script(const QString& folder, const QMap<int, QString>& names,
              const std::vector<Entry>& entries);
  // From now on Namespace fails with `failure`.
  void FailNamespace(const Failure& failure) { namespaceFailure_ = failure; }

  QStringList calls;

  std::unique_ptr<IShellFolder> Namespace(const QString& path, const FileAnswer& answer) override;

 private:
  struct ScriptedFolder {
    QMap<int, QString> names;
    std::vector<Entry> entries;
  };

  FactsShell real_;
  std::map<QString, ScriptedFolder> scripted_;
  std::optional<Failure> namespaceFailure_;
};

}  // namespace vistarel::test
