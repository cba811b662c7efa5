#include "media/MediaAnswers.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include "media/MediaInfoDLL.h"
#include "system/FileNames.h"

namespace vistarel {

MediaAnswers ReadMediaAnswers(IMediaLibrary& library, const QString& path,
                              const QList<MediaQuery>& queries) {
  MediaAnswers answers;
  MediaInfoHandle handle = nullptr;
  try {
    handle = MediaInfo_New(library);
  } catch (const Failure& failure) {
    answers.noHandle = failure;
    return answers;
  }
  // Taken before the parse: a file that changes under it is not the file parsed.
  answers.identity = StampOf(EncodeFileName(path));
  try {
    answers.opened = MediaInfo_Open(library, handle, path);
    for (const MediaQuery& query : queries)
      answers.values.append(MediaInfoQuery(library, handle, query.kind, query.parameter));
    answers.shell = ReadShellMediaValues(library, handle);
    MediaInfo_Close(library, handle);
  } catch (const Failure& failure) {
    answers.stopped = failure;
    answers.values.clear();
    answers.shell = {};
  }
  try {
    MediaInfo_Delete(library, handle);
  } catch (const Failure& failure) {
    if (!answers.stopped)
      answers.stopped = failure;
  }
  return answers;
}

namespace media_message {

namespace {

enum class Kind : quint8 { Hello = 1, Request = 2, Answer = 3 };

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

// A whole message: its length, then its kind and its fields.
template <class Fields>
QByteArray Framed(Kind kind, Fields&& fields) {
  QByteArray body;
  {
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << quint8(kind);
    fields(out);
  }
  QByteArray message(sizeof(quint32), '\0');
  qToBigEndian(quint32(body.size()), message.data());
  return message + body;
}

// Reads a body of the given kind; nullopt when it is another kind or cut short.
template <class Result, class Fields>
std::optional<Result> Parsed(const QByteArray& body, Kind kind, Fields&& fields) {
  QDataStream in(body);
  in.setVersion(kStreamVersion);
  quint8 tag = 0;
  in >> tag;
  if (tag != quint8(kind))
    return std::nullopt;
  Result result{};
  fields(in, result);
  if (in.status() != QDataStream::Ok)
    return std::nullopt;
  return result;
}

void Write(QDataStream& out, const std::optional<Failure>& failure) {
  out << bool(failure);
  if (failure)
    out << failure->description() << qint32(failure->number());
}

void Read(QDataStream& in, std::optional<Failure>& failure) {
  bool present = false;
  in >> present;
  if (!present)
    return;
  QString description;
  qint32 number = 0;
  in >> description >> number;
  failure.emplace(description, number);
}

void Write(QDataStream& out, const std::optional<FileStamp>& identity) {
  out << bool(identity);
  if (identity) {
    out << quint64(identity->device) << quint64(identity->inode) << qint64(identity->size)
        << qint64(identity->modifiedNs) << qint64(identity->changedNs);
  }
}

void Read(QDataStream& in, std::optional<FileStamp>& identity) {
  bool present = false;
  in >> present;
  if (!present)
    return;
  FileStamp& file = identity.emplace();
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modified = 0;
  qint64 changed = 0;
  in >> device >> inode >> size >> modified >> changed;
  file = FileStamp{device, inode, size, modified, changed};
}

}  // namespace

QByteArray Hello() {
  return Framed(Kind::Hello, [](QDataStream& out) { out << kVersion; });
}

QByteArray Request(quint64 id, const QString& path) {
  // A QString goes as its UTF-16 units, so the lone surrogates that carry the
  // bytes of a name that is not UTF-8 arrive as they left.
  return Framed(Kind::Request, [&](QDataStream& out) { out << id << path; });
}

QByteArray Answer(quint64 id, const MediaAnswers& answers) {
  return Framed(Kind::Answer, [&](QDataStream& out) {
    out << id;
    Write(out, answers.noHandle);
    Write(out, answers.stopped);
    out << answers.opened << answers.values;
    for (const QString& value : answers.shell) out << value;
    Write(out, answers.identity);
  });
}

std::optional<QByteArray> Reader::Next() {
  constexpr auto kFrame = qsizetype(sizeof(quint32));
  if (pending_.size() < kFrame)
    return std::nullopt;
  const auto length = qsizetype(qFromBigEndian<quint32>(pending_.constData()));
  if (pending_.size() - kFrame < length)
    return std::nullopt;
  QByteArray body = pending_.mid(kFrame, length);
  pending_.remove(0, kFrame + length);
  return body;
}

std::optional<quint32> ParseHello(const QByteArray& body) {
  return Parsed<quint32>(body, Kind::Hello,
                         [](QDataStream& in, quint32& version) { in >> version; });
}

std::optional<ParsedRequest> ParseRequest(const QByteArray& body) {
  return Parsed<ParsedRequest>(body, Kind::Request, [](QDataStream& in, ParsedRequest& request) {
    in >> request.id >> request.path;
  });
}

std::optional<ParsedAnswer> ParseAnswer(const QByteArray& body) {
  return Parsed<ParsedAnswer>(body, Kind::Answer, [](QDataStream& in, ParsedAnswer& answer) {
    MediaAnswers& answers = answer.answers;
    in >> answer.id;
    Read(in, answers.noHandle);
    Read(in, answers.stopped);
    in >> answers.opened >> answers.values;
    for (QString& value : answers.shell) in >> value;
    Read(in, answers.identity);
  });
}

}  // namespace media_message

}  // namespace vistarel
