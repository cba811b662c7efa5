#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

#include "base/Failure.h"
#include "protocol/Facts.h"
#include "protocol/FileAnswer.h"
#include "protocol/FileStamp.h"

namespace vistarel {

// The messages between the program and its helper processes, each framed by
// its length (Framing.h). A helper first says hello with the version of the
// messages it speaks, then answers each request in order. While it works it
// says what it starts on next (a look-up, a listing, a read or a write of a
// path), and now and then that a system call returned, so that a slow share
// is told from a dead one and a stall is pinned on the very place it hit.
namespace helper_message {

inline constexpr quint32 kVersion = 3;

enum class Kind : quint8 {
  // Requests.
  Parse = 1,  // a run's file: its facts, its media values, its folder, its siblings'
  LookUpFolder = 2,  // the walk's folder objects
  ListSubFolders = 3,
  ListFiles = 4,  // the names of a folder's files that match a pattern
  GetAttributes = 5,
  // The attributes of many paths, answered one by one: a path whose look-up
  // never returns costs that path, and the next helper goes on after it.
  GetAttributesOfMany = 6,
  CreateTextFile = 7,  // the text save: a new file beside its final name
  WriteText = 8,       // bytes to add to it
  CloseTextFile = 9,   // puts the complete file in place
  // Answers.
  Hello = 16,
  Progress = 17,
  Doing = 18,
  ParsedFile = 19,      // of a Parse, first: the file's own facts
  ParsedMedia = 20,     // then its media values
  ParsedFolder = 21,    // then its folder, for the file's display name
  ParsedSiblings = 22,  // last: its same-named siblings' media values
  FolderLookedUp = 23,
  SubFolders = 24,
  Files = 25,
  Attributes = 26,  // one for each path asked, in order
  Written = 27,     // one for each request of the text save
};

struct Request {
  Kind kind = Kind::Parse;
  quint64 id = 0;
  QString path{};
  QString pattern{};  // ListFiles only
  int mask = 0;       // ListFiles only
  QStringList paths{};  // GetAttributesOfMany only
  // Parse only: the parse of the file itself (false when it was lost before,
  // and only its folder is asked again), and its folder (false when the folder
  // stalled before).
  bool withMedia = true;
  bool withFolder = true;
  bool overwrite = false;  // CreateTextFile only
  QByteArray bytes{};      // WriteText only
};

// What a helper starts on next, so that a stall is pinned on the place it hit.
struct Activity {
  enum class What : quint8 { LookUp = 1, Listing = 2, Reading = 3, Writing = 4 };
  What what = What::LookUp;
  QString path;
  // When it started, on the system's monotonic clock (which every process
  // shares): of helpers stuck at once, the one stuck first is told apart from
  // those the kernel holds behind it.
  qint64 startedNs = 0;
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
struct WriteResult {
  std::optional<Failure> failure;
};

using Payload = std::variant<std::monostate, quint32, Activity, FileFacts, MediaAnswers,
                             FolderFacts, QList<SiblingValues>, FolderLookup, Names, FileList,
                             AttributeValue, WriteResult>;
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
// `startedNs`: now, on the system's monotonic clock.
QByteArray Doing(Activity::What what, const QString& path, qint64 startedNs);

// Message bodies, frame taken off; nothing for a body that is not such a
// message, or whose fields are beyond what a helper of ours could say (a text
// longer than 64 Ki characters, an entry outside its folder's count, ...).
std::optional<Request> DecodeRequest(const QByteArray& body);
std::optional<Answer> DecodeAnswer(const QByteArray& body);

}  // namespace helper_message

}  // namespace vistarel
