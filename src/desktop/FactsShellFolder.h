#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "platform/Shell.h"
#include "protocol/Facts.h"
#include "protocol/ShellColumns.h"
#include "system/Accounts.h"

namespace vistarel {

// The names of the shell's 41 property columns; 38 to 40 have none.
QString ShellPropertyName(int column);

// The media values the shell shows for an entry: from the run's parse of that
// very file, or from a parse of the entry's own.
using EntryMediaValues = std::function<ShellMediaValues(const EntryFacts& entry)>;

// The shell folder of facts gathered elsewhere: its entries' property values
// are those facts turned into the texts the user reads, owners and groups
// named by `accounts`. Only the entries the facts were gathered for can be
// asked; the others fail as entries outside the folder do. Throws the failure
// of the gathering when the facts carry one.
std::unique_ptr<IShellFolder> MakeFactsShellFolder(FolderFacts facts, EntryMediaValues media,
                                                   AccountNames& accounts);

// The desktop shell of the window: a run's folder as its media worker found it.
// The names of owners and groups are looked up here, once per id: the workers,
// shut in, may not ask a directory daemon (sssd, systemd-userdb) for them.
class FactsShell final : public IShell {
 public:
  std::unique_ptr<IShellFolder> Namespace(const QString& path, const FileAnswer& answer) override;

 private:
  AccountNames accounts_;
};

}  // namespace vistarel
