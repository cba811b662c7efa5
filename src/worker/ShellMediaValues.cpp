#include "worker/ShellMediaValues.h"

#include <QRegularExpression>

#include <cmath>

#include "base/Failure.h"
#include "worker/MediaInfoDLL.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

struct MediaSource {
  int column;
  StreamKind stream;
  const char16_t* parameter;
};

// Where each media column comes from; a column listed twice takes the second
// source when the first answers nothing.
constexpr std::array<MediaSource, 23> kSources = {{
    {shell_column::kTitle, StreamKind::General, u"Title"},
    {shell_column::kArtist, StreamKind::General, u"Performer"},
    {shell_column::kAlbum, StreamKind::General, u"Album"},
    {shell_column::kGenre, StreamKind::General, u"Genre"},
    {shell_column::kYear, StreamKind::General, u"Recorded_Date"},
    {shell_column::kYear, StreamKind::General, u"Released_Date"},
    {shell_column::kComment, StreamKind::General, u"Comment"},
    {shell_column::kCopyright, StreamKind::General, u"Copyright"},
    {shell_column::kPublisher, StreamKind::General, u"Publisher"},
    {shell_column::kEncodedBy, StreamKind::General, u"EncodedBy"},
    {shell_column::kLength, StreamKind::General, u"Duration"},
    {shell_column::kBitRate, StreamKind::General, u"OverallBitRate/String"},
    {shell_column::kFrameWidth, StreamKind::Video, u"Width"},
    {shell_column::kFrameHeight, StreamKind::Video, u"Height"},
    {shell_column::kFrameRate, StreamKind::Video, u"FrameRate/String"},
    {shell_column::kVideoCodec, StreamKind::Video, u"Format"},
    {shell_column::kVideoBitRate, StreamKind::Video, u"BitRate/String"},
    {shell_column::kAudioCodec, StreamKind::Audio, u"Format"},
    {shell_column::kAudioBitRate, StreamKind::Audio, u"BitRate/String"},
    {shell_column::kChannels, StreamKind::Audio, u"Channel(s)/String"},
    {shell_column::kSampleRate, StreamKind::Audio, u"SamplingRate/String"},
    {shell_column::kLanguage, StreamKind::General, u"Language/String"},
    {shell_column::kLanguage, StreamKind::Audio, u"Language/String"},
}};

}  // namespace

ShellMediaValues ReadShellMediaValues(IMediaLibrary& library, IMediaLibrary::Handle handle,
                                      const AskedBefore& askedBefore) {
  ShellMediaValues values;
  for (const MediaSource& source : kSources) {
    QString& value = values[size_t(source.column)];
    if (!value.isEmpty())
      continue;
    const QStringView parameter(source.parameter);
    std::optional<QString> known = askedBefore ? askedBefore(source.stream, parameter) : std::nullopt;
    value = known ? *known : MediaInfoQuery(library, handle, source.stream, parameter);
  }
  QString& length = values[shell_column::kLength];
  length = MediaLengthText(length);
  QString& year = values[shell_column::kYear];
  year = YearOf(year);
  return values;
}

ShellMediaValues ParseShellMediaValues(IMediaLibrary& library, const QString& path) {
  MediaInfoHandle handle = nullptr;
  try {
    handle = MediaInfo_New(library);
    MediaInfo_Open(library, handle, path);
    const ShellMediaValues values = ReadShellMediaValues(library, handle);
    MediaInfo_Close(library, handle);
    MediaInfo_Delete(library, handle);
    return values;
  } catch (const Failure&) {
    if (handle != nullptr) {
      try {
        MediaInfo_Delete(library, handle);
      } catch (const Failure&) {
      }
    }
    return {};
  }
}

QString MediaLengthText(const QString& milliseconds) {
  bool isNumber = false;
  const double value = milliseconds.toDouble(&isNumber);
  if (!isNumber || !std::isfinite(value) || value < 0)
    return {};
  const auto seconds = static_cast<long long>(std::llround(value / 1000.0));
  return u"%1:%2:%3"_s.arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
      .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString YearOf(const QString& date) {
  static const QRegularExpression year(u"(?<!\\d)\\d{4}(?!\\d)"_s);
  return year.match(date).captured();
}

}  // namespace vistarel
