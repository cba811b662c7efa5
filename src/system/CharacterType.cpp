#include "system/CharacterType.h"

#include <clocale>
#include <cstring>
#include <initializer_list>

#include <langinfo.h>
#include <strings.h>

namespace vistarel {

namespace {

QByteArray& RememberedCodeset() {
  static QByteArray codeset;
  return codeset;
}

// ASCII by the letter, but a user without a locale has not chosen to lose
// every accent; Qt takes UTF-8 there too.
QByteArray CurrentCodeset() {
  const char* name = std::setlocale(LC_CTYPE, nullptr);
  const char* codeset = nl_langinfo(CODESET);
  if (name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
      codeset == nullptr || *codeset == '\0')
    return QByteArrayLiteral("UTF-8");
  return QByteArray(codeset);
}

}  // namespace

bool CharacterTypeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr &&
         (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
}

void UseUtf8CharacterType() {
  std::setlocale(LC_ALL, "");
  RememberedCodeset() = CurrentCodeset();
  if (CharacterTypeIsUtf8())
    return;
  for (const char* name : {"C.UTF-8", "C.utf8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr)
      return;
  }
}

QByteArray UserCodeset() {
  const QByteArray& remembered = RememberedCodeset();
  return remembered.isEmpty() ? CurrentCodeset() : remembered;
}

}  // namespace vistarel
