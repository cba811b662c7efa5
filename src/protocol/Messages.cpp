#include "protocol/Messages.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>

#include "protocol/Framing.h"

namespace vistarel {

namespace helper_message {

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

// QString goes as its UTF-16 units, so the lone surrogates that carry the bytes
// of a name that is not UTF-8 arrive as they left.

QDataStream& operator<<(QDataStream& out, const std::optional<Failure>& failure) {
  out << bool(failure);
  if (failure)
    out << failure->description() << qint32(failure->number());
  return out;
}

QDataStream& operator>>(QDataStream& in, std::optional<Failure>& failure) {
  bool present = false;
  in >> present;
  failure.reset();
  if (present) {
    QString description;
    qint32 number = 0;
    in >> description >> number;
    failure.emplace(description, number);
  }
  return in;
}

QDataStream& operator<<(QDataStream& out, const FileStamp& stamp) {
  return out << quint64(stamp.device) << quint64(stamp.inode) << qint64(stamp.size)
             << qint64(stamp.modifiedNs) << qint64(stamp.changedNs);
}

QDataStream& operator>>(QDataStream& in, FileStamp& stamp) {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modified = 0;
  qint64 changed = 0;
  in >> device >> inode >> size >> modified >> changed;
  stamp = FileStamp{device, inode, size, modified, changed};
  return in;
}

template <class T>
QDataStream& operator<<(QDataStream& out, const std::optional<T>& value) {
  out << bool(value);
  if (value)
    out << *value;
  return out;
}

template <class T>
QDataStream& operator>>(QDataStream& in, std::optional<T>& value) {
  bool present = false;
  in >> present;
  value.reset();
  if (present)
    in >> value.emplace();
  return in;
}

QDataStream& operator<<(QDataStream& out, const EntryFacts& entry);
QDataStream& operator>>(QDataStream& in, EntryFacts& entry);
QDataStream& operator<<(QDataStream& out, const ListedFile& file);
QDataStream& operator>>(QDataStream& in, ListedFile& file);
QDataStream& operator<<(QDataStream& out, const SiblingValues& sibling);
QDataStream& operator>>(QDataStream& in, SiblingValues& sibling);

// Lists, read without trusting their count (Qt's own list operators reserve
// room for whatever count they read), and of records whose operators are in
// this file.
template <class T>
struct ListOf {
  QList<T>& list;
};
template <class T>
struct ConstListOf {
  const QList<T>& list;
};

template <class T>
QDataStream& operator<<(QDataStream& out, ConstListOf<T> items) {
  out << qint32(items.list.size());
  for (const T& item : items.list) out << item;
  return out;
}

// Each item takes a byte at least: a count beyond what is left is a lie, and
// nothing is made for it.
template <class T>
QDataStream& operator>>(QDataStream& in, ListOf<T> items) {
  qint32 count = 0;
  in >> count;
  items.list.clear();
  if (count < 0 || (in.device() != nullptr && count > in.device()->bytesAvailable())) {
    in.setStatus(QDataStream::ReadCorruptData);
    return in;
  }
  for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) in >> items.list.emplace_back();
  return in;
}

QDataStream& operator<<(QDataStream& out, const FileStatus& status) {
  return out << quint32(status.mode) << status.size << status.accessedMs << status.modifiedMs
             << status.createdMs << status.hasCreated << quint32(status.user)
             << quint32(status.group) << status.stamp << quint64(status.mountId)
             << status.hasMountId;
}

QDataStream& operator>>(QDataStream& in, FileStatus& status) {
  quint32 mode = 0;
  quint32 user = 0;
  quint32 group = 0;
  quint64 mountId = 0;
  in >> mode >> status.size >> status.accessedMs >> status.modifiedMs >> status.createdMs >>
      status.hasCreated >> user >> group >> status.stamp >> mountId >> status.hasMountId;
  status.mode = mode;
  status.user = user;
  status.group = group;
  status.mountId = mountId;
  return in;
}

QDataStream& operator<<(QDataStream& out, const FileFacts& facts) {
  return out << facts.failure << facts.status << facts.drive << facts.mimeType << facts.remote;
}

QDataStream& operator>>(QDataStream& in, FileFacts& facts) {
  return in >> facts.failure >> facts.status >> facts.drive >> facts.mimeType >> facts.remote;
}

QDataStream& operator<<(QDataStream& out, const EntryFacts& entry) {
  return out << qint32(entry.item) << entry.name << entry.displayName << entry.found
             << entry.isLink << entry.status << entry.stamp << entry.attributes << entry.mimeType
             << entry.tags << entry.rating << entry.originUrl
             << entry.comment << entry.linkTarget;
}

QDataStream& operator>>(QDataStream& in, EntryFacts& entry) {
  qint32 item = 0;
  in >> item >> entry.name >> entry.displayName >> entry.found >> entry.isLink >> entry.status >>
      entry.stamp >> entry.attributes >> entry.mimeType >>
      entry.tags >> entry.rating >> entry.originUrl >> entry.comment >> entry.linkTarget;
  entry.item = item;
  return in;
}

QDataStream& operator<<(QDataStream& out, const FolderFacts& facts) {
  return out << facts.failure << facts.folder << qint32(facts.itemCount) << facts.lowerName
             << ConstListOf<EntryFacts>{facts.entries};
}

QDataStream& operator>>(QDataStream& in, FolderFacts& facts) {
  qint32 count = 0;
  in >> facts.failure >> facts.folder >> count >> facts.lowerName
     >> ListOf<EntryFacts>{facts.entries};
  facts.itemCount = count;
  return in;
}

QDataStream& operator<<(QDataStream& out, const ShellMediaValues& values) {
  for (const QString& value : values) out << value;
  return out;
}

QDataStream& operator>>(QDataStream& in, ShellMediaValues& values) {
  for (QString& value : values) in >> value;
  return in;
}

QDataStream& operator<<(QDataStream& out, const MediaAnswers& answers) {
  return out << answers.noHandle << answers.stopped << answers.opened
             << ConstListOf<QString>{answers.values}
             << answers.shell << answers.identity;
}

QDataStream& operator>>(QDataStream& in, MediaAnswers& answers) {
  return in >> answers.noHandle >> answers.stopped >> answers.opened >>
         ListOf<QString>{answers.values} >>
         answers.shell >> answers.identity;
}

QDataStream& operator<<(QDataStream& out, const Activity& activity) {
  return out << quint8(activity.what) << activity.path << activity.startedNs;
}
QDataStream& operator>>(QDataStream& in, Activity& activity) {
  quint8 what = 0;
  in >> what >> activity.path >> activity.startedNs;
  activity.what = Activity::What(what);
  if (what < quint8(Activity::What::LookUp) || what > quint8(Activity::What::Writing))
    in.setStatus(QDataStream::ReadCorruptData);
  return in;
}

QDataStream& operator<<(QDataStream& out, const SiblingValues& sibling) {
  return out << qint32(sibling.item) << sibling.values;
}
QDataStream& operator>>(QDataStream& in, SiblingValues& sibling) {
  qint32 item = 0;
  in >> item >> sibling.values;
  sibling.item = item;
  return in;
}

QDataStream& operator<<(QDataStream& out, const QList<SiblingValues>& siblings) {
  return out << ConstListOf<SiblingValues>{siblings};
}
QDataStream& operator>>(QDataStream& in, QList<SiblingValues>& siblings) {
  return in >> ListOf<SiblingValues>{siblings};
}

QDataStream& operator<<(QDataStream& out, const FolderLookup& lookup) {
  return out << lookup.failure << lookup.stamp << lookup.attributesFailure
             << qint32(lookup.attributes);
}
QDataStream& operator>>(QDataStream& in, FolderLookup& lookup) {
  qint32 attributes = 0;
  in >> lookup.failure >> lookup.stamp >> lookup.attributesFailure >> attributes;
  lookup.attributes = attributes;
  return in;
}

QDataStream& operator<<(QDataStream& out, const Names& names) {
  return out << names.failure << ConstListOf<QString>{names.names};
}
QDataStream& operator>>(QDataStream& in, Names& names) {
  return in >> names.failure >> ListOf<QString>{names.names};
}

QDataStream& operator<<(QDataStream& out, const ListedFile& file) {
  return out << file.name << file.failure << qint32(file.attributes);
}
QDataStream& operator>>(QDataStream& in, ListedFile& file) {
  qint32 attributes = 0;
  in >> file.name >> file.failure >> attributes;
  file.attributes = attributes;
  return in;
}

QDataStream& operator<<(QDataStream& out, const FileList& list) {
  return out << list.failure << ConstListOf<ListedFile>{list.files};
}
QDataStream& operator>>(QDataStream& in, FileList& list) {
  return in >> list.failure >> ListOf<ListedFile>{list.files};
}

QDataStream& operator<<(QDataStream& out, const WriteResult& result) {
  return out << result.failure;
}
QDataStream& operator>>(QDataStream& in, WriteResult& result) {
  return in >> result.failure;
}

QDataStream& operator<<(QDataStream& out, const AttributeValue& value) {
  return out << value.failure << qint32(value.value);
}
QDataStream& operator>>(QDataStream& in, AttributeValue& value) {
  qint32 number = 0;
  in >> value.failure >> number;
  value.value = number;
  return in;
}

template <class Fields>
QByteArray Message(Kind kind, quint64 id, Fields&& fields) {
  QByteArray body;
  {
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << quint8(kind) << id;
    fields(out);
  }
  return Framed(body);
}

// The payload each answer carries, by its kind.
template <class T>
bool ReadPayload(QDataStream& in, Payload& payload) {
  T value{};
  in >> value;
  payload = std::move(value);
  return true;
}

}  // namespace

QByteArray Encode(const Request& request) {
  return Message(request.kind, request.id, [&](QDataStream& out) {
    out << request.path;
    switch (request.kind) {
      case Kind::ListFiles:
        out << request.pattern << qint32(request.mask);
        break;
      case Kind::GetAttributesOfMany:
        out << ConstListOf<QString>{request.paths};
        break;
      case Kind::Parse:
        out << request.withMedia << request.withFolder;
        break;
      case Kind::CreateTextFile:
        out << request.overwrite;
        break;
      case Kind::WriteText:
        out << request.bytes;
        break;
      default:
        break;
    }
  });
}

QByteArray Encode(const Answer& answer) {
  return Message(answer.kind, answer.id, [&](QDataStream& out) {
    std::visit(
        [&](const auto& value) {
          if constexpr (!std::is_same_v<std::decay_t<decltype(value)>, std::monostate>)
            out << value;
        },
        answer.payload);
  });
}

QByteArray Hello(quint32 version) {
  return Encode(Answer{Kind::Hello, 0, version});
}

QByteArray Progress() {
  return Encode(Answer{Kind::Progress, 0, std::monostate{}});
}

QByteArray Doing(Activity::What what, const QString& path, qint64 startedNs) {
  return Encode(Answer{Kind::Doing, 0, Activity{what, path, startedNs}});
}

std::optional<Request> DecodeRequest(const QByteArray& body) {
  QDataStream in(body);
  in.setVersion(kStreamVersion);
  quint8 kind = 0;
  Request request;
  in >> kind >> request.id >> request.path;
  request.kind = Kind(kind);
  switch (request.kind) {
    case Kind::ListFiles: {
      qint32 mask = 0;
      in >> request.pattern >> mask;
      request.mask = mask;
      break;
    }
    case Kind::GetAttributesOfMany:
      in >> ListOf<QString>{request.paths};
      break;
    case Kind::Parse:
      in >> request.withMedia >> request.withFolder;
      break;
    case Kind::CreateTextFile:
      in >> request.overwrite;
      break;
    case Kind::WriteText:
      in >> request.bytes;
      break;
    case Kind::LookUpFolder:
    case Kind::ListSubFolders:
    case Kind::GetAttributes:
    case Kind::CloseTextFile:
      break;
    default:
      return std::nullopt;
  }
  if (in.status() != QDataStream::Ok || !in.atEnd())
    return std::nullopt;
  return request;
}

namespace {

// A text longer than any a file or folder gives is no answer of ours.
constexpr qsizetype kMaxText = 64 * 1024;

bool Short(const QString& text) {
  return text.size() <= kMaxText;
}
bool Short(const std::optional<Failure>& failure) {
  return !failure || Short(failure->description());
}
bool Short(const QStringList& texts) {
  return std::all_of(texts.begin(), texts.end(), [](const QString& text) { return Short(text); });
}
bool Short(const ShellMediaValues& values) {
  return std::all_of(values.begin(), values.end(), [](const QString& text) { return Short(text); });
}

bool Fits(const FileFacts& facts) {
  return Short(facts.failure) && Short(facts.drive) && Short(facts.mimeType);
}

bool Fits(const MediaAnswers& media) {
  return Short(media.noHandle) && Short(media.stopped) && Short(media.values) &&
         Short(media.shell);
}

bool Fits(const EntryFacts& entry, int itemCount) {
  return entry.item >= 0 && entry.item < itemCount && Short(entry.name) &&
         Short(entry.displayName) && Short(entry.mimeType) && Short(entry.tags) &&
         Short(entry.rating) && Short(entry.originUrl) && Short(entry.comment) &&
         Short(entry.linkTarget);
}

bool Fits(const FolderFacts& folder) {
  return Short(folder.failure) && Short(folder.folder) && Short(folder.lowerName) &&
         folder.itemCount >= 0 && folder.entries.size() <= folder.itemCount &&
         std::all_of(folder.entries.begin(), folder.entries.end(),
                     [&](const EntryFacts& entry) { return Fits(entry, folder.itemCount); });
}

// Every field of an answer within what a helper of ours could say.
bool Fits(const Answer& answer) {
  return std::visit(
      [&](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, quint32>) {
          return answer.id == 0;
        } else if constexpr (std::is_same_v<T, Activity>) {
          return answer.id == 0 && !value.path.isEmpty() && Short(value.path);
        } else if constexpr (std::is_same_v<T, FileFacts> || std::is_same_v<T, MediaAnswers> ||
                             std::is_same_v<T, FolderFacts>) {
          return Fits(value);
        } else if constexpr (std::is_same_v<T, QList<SiblingValues>>) {
          return std::all_of(value.begin(), value.end(), [](const SiblingValues& sibling) {
            return sibling.item >= 0 && Short(sibling.values);
          });
        } else if constexpr (std::is_same_v<T, FolderLookup>) {
          return Short(value.failure) && Short(value.attributesFailure);
        } else if constexpr (std::is_same_v<T, Names>) {
          return Short(value.failure) && Short(value.names);
        } else if constexpr (std::is_same_v<T, FileList>) {
          return Short(value.failure) &&
                 std::all_of(value.files.begin(), value.files.end(), [](const ListedFile& file) {
                   return Short(file.name) && Short(file.failure);
                 });
        } else {
          return Short(value.failure);
        }
      },
      answer.payload);
}

}  // namespace

std::optional<Answer> DecodeAnswer(const QByteArray& body) {
  QDataStream in(body);
  in.setVersion(kStreamVersion);
  quint8 kind = 0;
  Answer answer;
  in >> kind >> answer.id;
  answer.kind = Kind(kind);
  switch (answer.kind) {
    case Kind::Hello:
      ReadPayload<quint32>(in, answer.payload);
      break;
    case Kind::Progress:
      break;
    case Kind::Doing:
      ReadPayload<Activity>(in, answer.payload);
      break;
    case Kind::ParsedFile:
      ReadPayload<FileFacts>(in, answer.payload);
      break;
    case Kind::ParsedMedia:
      ReadPayload<MediaAnswers>(in, answer.payload);
      break;
    case Kind::ParsedFolder:
      ReadPayload<FolderFacts>(in, answer.payload);
      break;
    case Kind::ParsedSiblings:
      ReadPayload<QList<SiblingValues>>(in, answer.payload);
      break;
    case Kind::FolderLookedUp:
      ReadPayload<FolderLookup>(in, answer.payload);
      break;
    case Kind::SubFolders:
      ReadPayload<Names>(in, answer.payload);
      break;
    case Kind::Files:
      ReadPayload<FileList>(in, answer.payload);
      break;
    case Kind::Attributes:
      ReadPayload<AttributeValue>(in, answer.payload);
      break;
    case Kind::Written:
      ReadPayload<WriteResult>(in, answer.payload);
      break;
    default:
      return std::nullopt;
  }
  if (in.status() != QDataStream::Ok || !in.atEnd() || !Fits(answer))
    return std::nullopt;
  return answer;
}

}  // namespace helper_message

}  // namespace vistarel
