#include "support/InProcessShell.h"

#include "base/PathHelpers.h"
#include "desktop/FactsShellFolder.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// A folder whose entries are looked at by the name asked last.
class InProcessShellFolder final : public IShellFolder {
 public:
  InProcessShellFolder(QString folder, int itemCount, FolderFactsGatherer& gatherer,
                       IShellMediaSource& media)
      : folder_(std::move(folder)), itemCount_(itemCount), gatherer_(gatherer), media_(media) {}

  QString PropertyName(int column) override { return ShellPropertyName(column); }
  int ItemCount() override { return itemCount_; }
  QString DisplayName(int item) override { return Named().DisplayName(item); }
  QList<int> ItemsNamed(const QString& name) override {
    named_ = MakeFactsShellFolder(gatherer_.Gather(folder_, name), [this](const EntryFacts& entry) {
      const QString path = JoinPath(folder_, entry.name);
      if (entry.stamp) {
        if (std::optional<ShellMediaValues> kept = media_.Recall(*entry.stamp))
          return *kept;
      }
      return media_.Parse(path);
    }, accounts_);
    return named_->ItemsNamed(name);
  }
  QString GetDetailsOf(int item, int column) override { return Named().GetDetailsOf(item, column); }

 private:
  IShellFolder& Named() {
    if (named_ == nullptr)
      throw Failure(u"No entry of %1 was asked for by name"_s.arg(folder_),
                    failure_number::kSubscriptOutOfRange);
    return *named_;
  }

  QString folder_;
  int itemCount_;
  FolderFactsGatherer& gatherer_;
  IShellMediaSource& media_;
  AccountNames accounts_;
  std::unique_ptr<IShellFolder> named_;
};

}  // namespace

std::unique_ptr<IShellFolder> InProcessShell::Namespace(const QString& path) {
  const QString folder = WithoutTrailingSeparators(path);
  const FolderFacts facts = gatherer_.Gather(folder, QString());
  if (facts.failure)
    throw *facts.failure;
  return std::make_unique<InProcessShellFolder>(folder, facts.itemCount, gatherer_, media_);
}

}  // namespace vistarel
