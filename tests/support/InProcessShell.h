#pragma once

#include <memory>

#include "platform/Shell.h"
#include "support/SharedMediaParse.h"
#include "system/FolderFacts.h"

namespace vistarel {

// The desktop shell made in one process from the pieces the program splits
// between its worker and its window: a folder's facts gathered on the spot for
// each display name asked, turned into texts, and media values from `media`.
class InProcessShell final {
 public:
  explicit InProcessShell(IShellMediaSource& media,
                          FolderFactsGatherer::FolderLister lister = ListFolderEntries)
      : media_(media), gatherer_(std::move(lister)) {}

  // Throws the gathering's failure, as the shell does for a folder it cannot open.
  std::unique_ptr<IShellFolder> Namespace(const QString& path);

 private:
  IShellMediaSource& media_;
  FolderFactsGatherer gatherer_;
};

}  // namespace vistarel
