#include "platform/CharacterType.h"

#include <clocale>
#include <initializer_list>

#include <langinfo.h>
#include <strings.h>

namespace vistarel {

bool CharacterTypeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr &&
         (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
}

void UseUtf8CharacterType() {
  std::setlocale(LC_ALL, "");
  if (CharacterTypeIsUtf8())
    return;
  for (const char* name : {"C.UTF-8", "C.utf8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr)
      return;
  }
}

}  // namespace vistarel
