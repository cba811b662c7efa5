#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

#include "base/Failure.h"
#include "media/MediaAnswers.h"
#include "media/ShellMediaValues.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "system/FileFacts.h"
#include "system/FolderFacts.h"

namespace vistarel {

// The messages between the program and its workers, each framed by its
// length (a big-endian 32-bit count of the bytes that follow). A worker first
// says hello with the version of the messages it speaks, then answers each
// request in order. While it works it says now and then that a system call
// returned, so that a slow share is told from a dead one.
namespace worker_message {

inline constexpr quint32 kVersion = 2;

enum class Kind : quint8 {
  // Requests.
  Parse = 1,           // a run's file: its facts, its media values, its same-named siblings'
  LookUpFolder = 2,    // the walk's folder objects
  ListSubFolders = 3,
  ListFiles = 4,       // the files of a folder that match a pattern
  GetAttributes = 5,
  // The attributes of many paths, answered one by one: a path whose look-up
  // never returns costs that path, and the next helper goes on after it.
  GetAttributesOfMany = 6,
  // Answers.
  Hello = 16,
  Progress = 17,
  Facts = 18,     // of a Parse, before the file is parsed
  Media = 19,     // of a Parse, after it
  Siblings = 20,  // of a Parse, last: it ends the request
  Folder = 21,
  SubFolders = 22,
  Files = 23,
  Attributes = 24,  // one for each path asked, in order
};

struct Request {
  Kind kind = Kind::Parse;
  quint64 id = 0;
  QString path;
  QString pattern;  // ListFiles only
  int mask = 0;     // ListFiles only
  QStringList paths;  // GetAttributesOfMany only
};

// What a Parse learnt of its file before parsing it.
struct RunFacts {
  FileFacts file;
  FolderFacts folder;  // the file's folder, for the file's display name
};
// The shell's media values of entries other than the file parsed.
struct SiblingValues {
  int item = 0;
  ShellMediaValues values;
};
struct FolderLookup {
  std::optional<Failure> failure;
  FileStamp stamp;
  std::optional<Failure> attributesFailure;
  int attributes = 0;
};
struct Names {
  std::optional<Failure> failure;
  QStringList names;
};
struct FileList {
  std::optional<Failure> failure;
  QList<ListedFile> files;
};
struct AttributeValue {
  std::optional<Failure> failure;
  int value = 0;
};

using Payload = std::variant<std::monostate, quint32, RunFacts, MediaAnswers,
                             QList<SiblingValues>, FolderLookup, Names, FileList, AttributeValue>;
struct Answer {
  Kind kind = Kind::Progress;
  quint64 id = 0;
  Payload payload;
};

// Whole messages, frame included.
QByteArray Encode(const Request& request);
QByteArray Encode(const Answer& answer);
QByteArray Hello(quint32 version = kVersion);
QByteArray Progress();

// Message bodies, frame taken off; nothing for a body that is not such a message.
std::optional<Request> DecodeRequest(const QByteArray& body);
std::optional<Answer> DecodeAnswer(const QByteArray& body);

}  // namespace worker_message

}  // namespace vistarel
