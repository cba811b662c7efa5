#include "support/InProcessReader.h"

#include "worker/FileParse.h"

namespace vistarel::test {

namespace {

class InProcessReading final : public IFileReading {
 public:
  InProcessReading(IMediaLibrary& library, QStringList files)
      : parser_(library), files_(std::move(files)) {}

  FileAnswer Next(IEventPump&) override { return parser_.Parse(files_.value(next_++)); }

 private:
  FileParser parser_;
  QStringList files_;
  int next_ = 0;
};

}  // namespace

std::unique_ptr<IFileReading> InProcessReader::Read(const QStringList& files) {
  return std::make_unique<InProcessReading>(library_, files);
}

}  // namespace vistarel::test
