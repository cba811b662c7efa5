// Run by LocaleTest under a chosen environment: makes the application object
// and applies the locale fix in the program's order, then reports the locale
// and what the MediaInfo library reads for the path given, both through the
// binding and through the library's own open by name; with --text-file=PATH it
// also writes a line of the text export there.
#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include <langinfo.h>

#include "worker/LinuxFileSystem.h"
#include "worker/MediaInfoDLL.h"
#include "worker/MediaInfoLibrary.h"
#include "system/CharacterType.h"
#include "system/FileNames.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

void Print(const char* key, const QString& value) {
  std::printf("%s=%s\n", key, value.toUtf8().constData());
}

QString LocaleOf(int category) {
  return QString::fromLatin1(std::setlocale(category, nullptr));
}

QString Formats(IMediaLibrary& library, MediaInfoHandle handle) {
  return MediaInfoQuery(library, handle, StreamKind::General, u"Format") + u'|' +
         MediaInfoQuery(library, handle, StreamKind::Video, u"Format");
}

}  // namespace

int main(int argc, char** argv) {
  // The path as bytes, before anything reads the arguments through a locale.
  bool fix = true;
  QString textFile;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-fix") == 0)
      fix = false;
    else if (std::strncmp(argv[i], "--text-file=", 12) == 0)
      textFile = DecodeFileName(QByteArray(argv[i] + 12));
  }
  const QString path = argc > 1 ? DecodeFileName(QByteArray(argv[1])) : QString();
  // Start-up's own steps, or the application object alone.
  const auto application = fix ? MakeApplicationWithUtf8CharacterType<QCoreApplication>(argc, argv)
                               : std::make_unique<QCoreApplication>(argc, argv);

  Print("ctype", LocaleOf(LC_CTYPE));
  Print("codeset", QString::fromLatin1(nl_langinfo(CODESET)));
  Print("time", LocaleOf(LC_TIME));
  Print("numeric", LocaleOf(LC_NUMERIC));
  Print("messages", LocaleOf(LC_MESSAGES));

  // A line of the text export, in the encoding the user's locale has.
  if (!textFile.isEmpty()) {
    auto stream = LinuxFileSystem().CreateTextFile(textFile, true);
    stream->WriteLine(u"Artiste \u00e9 \u20ac"_s);
    stream->Close();
  }

  MediaInfoLibrary library;
  MediaInfoHandle handle = MediaInfo_New(library);
  MediaInfo_Open(library, handle, path);
  Print("binding", Formats(library, handle));
  MediaInfo_Close(library, handle);
  MediaInfo_Delete(library, handle);

  handle = MediaInfo_New(library);
  const std::wstring wide = path.toStdWString();
  library.Open(handle, wide.c_str());
  Print("by-name", Formats(library, handle));
  MediaInfo_Close(library, handle);
  MediaInfo_Delete(library, handle);
  return 0;
}
