#pragma once

#include <QByteArray>

#include <memory>

namespace vistarel {

// Takes the user's locale from the environment and, when its character type is
// not UTF-8 (LANG=C, no LANG, a Latin-1 locale), switches the character type
// alone to C.UTF-8. The MediaInfo library turns wide paths back into bytes
// through the character type: under an ASCII or Latin-1 one, "vidéo 日本.mp4"
// becomes "vid?o ??.mp4", and the library opens nothing or the wrong file.
// Dates, numbers and messages keep the user's locale.
//
// QApplication's construction applies the environment's locale anew, so this
// must run after it.
void UseUtf8CharacterType();

// Makes the program's application object, then switches the character type:
// the object's making applies the environment's locale, which the switch must
// follow. Start-up and the locale tests both start this way.
template <class Application>
std::unique_ptr<Application> MakeApplicationWithUtf8CharacterType(int& argc, char** argv) {
  auto application = std::make_unique<Application>(argc, argv);
  UseUtf8CharacterType();
  return application;
}

// True when the process's character type turns text into UTF-8 bytes.
bool CharacterTypeIsUtf8();

// The encoding of the user's own locale ("UTF-8", "ISO-8859-1", ...), as
// UseUtf8CharacterType found it before switching the character type: text
// files are written in it. Before that call, the current locale's. The C and
// POSIX locales give "UTF-8": they name no encoding the user chose.
QByteArray UserCodeset();

}  // namespace vistarel
