#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

#include "protocol/Messages.h"
#include "system/Sandbox.h"
#include "worker/FileParse.h"
#include "worker/LinuxFileSystem.h"
#include "worker/MediaLibrary.h"
#include "worker/TextFileStream.h"

namespace vistarel {

// Answers the program's requests, one after the other, in this process: the
// run's files, the walk's look-ups and listings, and the text save's writes.
// Before each step that may wait on a disk or share it says what it starts
// on, so that a stall is pinned on the place it hit.
class RequestServer {
 public:
  using Send = std::function<void(const QByteArray& message)>;

  // A reader that could not shut itself in (`sandbox.filtered` false) parses
  // nothing: each file's media values fail with why.
  RequestServer(IMediaLibrary& library, Send send, const Sandbox& sandbox = {true, {}, 0, {}, 0});
  ~RequestServer();

  void Serve(const helper_message::Request& request);
  // A parse ran out of the memory a helper may use.
  bool OutOfMemory() const { return parser_.OutOfMemory(); }

 private:
  void Parse(const helper_message::Request& request);
  void Walk(const helper_message::Request& request);
  void Write(const helper_message::Request& request);
  void Say(helper_message::Kind kind, quint64 id, helper_message::Payload payload);

  FileParser parser_;
  LinuxFileSystem fileSystem_;
  std::unique_ptr<SavedFile> saving_;
  QString savingPath_;
  Send send_;
};

// The helper's loop: says hello on `output`, then serves each request that
// comes on `input`, in order, until `input` ends. While it works it says now
// and then that a system call returned. Returns the process's exit status.
int ServeRequests(int input, int output, IMediaLibrary& library, const Sandbox& sandbox);

}  // namespace vistarel
