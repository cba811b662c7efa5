#include "support/FakeFileSystem.h"

namespace vistarel::test {

using namespace Qt::StringLiterals;

namespace {

class FakeFolder final : public IFolder {
 public:
  FakeFolder(FakeFileSystem& owner, std::unique_ptr<IFolder> real, QString path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  bool IsRootFolder() override {
    owner_.Enter(u"IsRootFolder"_s, path_);
    return real_->IsRootFolder();
  }
  int Attributes() override {
    owner_.Enter(u"Attributes"_s, path_);
    return real_->Attributes();
  }
  QStringList SubFolders() override {
    owner_.Enter(u"SubFolders"_s, path_);
    return real_->SubFolders();
  }
  FileStamp Identity() override {
    owner_.Enter(u"Identity"_s, path_);
    return real_->Identity();
  }

 private:
  FakeFileSystem& owner_;
  std::unique_ptr<IFolder> real_;
  QString path_;
};

class FakeFile final : public IFile {
 public:
  FakeFile(FakeFileSystem& owner, std::unique_ptr<IFile> real, QString path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  QString Property(const QString& name) override {
    owner_.Enter(name, path_);
    return real_->Property(name);
  }

 private:
  FakeFileSystem& owner_;
  std::unique_ptr<IFile> real_;
  QString path_;
};

class FakeTextStream final : public ITextStream {
 public:
  FakeTextStream(FakeFileSystem& owner, std::unique_ptr<ITextStream> real, QString path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  void WriteLine(const QString& text) override {
    owner_.Enter(u"WriteLine"_s, path_);
    real_->WriteLine(text);
  }
  void Close() override {
    owner_.Enter(u"Close"_s, path_);
    real_->Close();
  }

 private:
  FakeFileSystem& owner_;
  std::unique_ptr<ITextStream> real_;
  QString path_;
};

}  // namespace

void FakeFileSystem::Fail(const QString& operation, const Failure& failure, const QString& path) {
  failures_.push_back({operation, path, failure});
}

void FakeFileSystem::Enter(const QString& operation, const QString& path) {
  calls.append(operation + u' ' + path);
  for (const ScriptedFailure& scripted : failures_) {
    if (scripted.operation == operation && (scripted.path.isEmpty() || scripted.path == path))
      throw scripted.failure;
  }
}

std::unique_ptr<IFolder> FakeFileSystem::GetFolder(const QString& path) {
  Enter(u"GetFolder"_s, path);
  return std::make_unique<FakeFolder>(*this, real_.GetFolder(path), path);
}

std::unique_ptr<IFile> FakeFileSystem::GetFile(const QString& path, const FileFacts& facts) {
  Enter(u"GetFile"_s, path);
  return std::make_unique<FakeFile>(*this, real_.GetFile(path, facts), path);
}

QString FakeFileSystem::GetExtensionName(const QString& path) {
  Enter(u"GetExtensionName"_s, path);
  return real_.GetExtensionName(path);
}

std::vector<ListedFile> FakeFileSystem::ListFiles(const QString& folder, const QString& pattern,
                                                  int mask) {
  Enter(u"ListFiles"_s, folder);
  return real_.ListFiles(folder, pattern, mask);
}

int FakeFileSystem::GetAttributes(const QString& path) {
  Enter(u"GetAttributes"_s, path);
  return real_.GetAttributes(path);
}

std::unique_ptr<ITextStream> FakeFileSystem::CreateTextFile(const QString& path, bool overwrite,
                                                            IEventPump& pump) {
  Enter(u"CreateTextFile"_s, path);
  return std::make_unique<FakeTextStream>(*this, real_.CreateTextFile(path, overwrite, pump),
                                          path);
}

}  // namespace vistarel::test
