#include "desktop/ShellDetails.h"

#include <QLocale>

#include <utility>

#include <sys/stat.h>

#include "base/PathHelpers.h"
#include "system/FileAttributes.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QString HumanSize(qint64 bytes) {
  return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString AttributeLetters(int attributes) {
  using namespace file_attribute;
  QString letters;
  for (const auto& [bit, letter] :
       {std::pair{kReadOnly, u'R'}, std::pair{kHidden, u'H'}, std::pair{kSystem, u'S'},
        std::pair{kArchive, u'A'}, std::pair{kLink, u'L'}}) {
    if ((attributes & bit) != 0)
      letters.append(QChar(letter));
  }
  return letters;
}

QString PermissionsText(mode_t mode) {
  const auto letter = [mode](mode_t bit, char16_t set) { return (mode & bit) != 0 ? set : u'-'; };
  // The execute place shows a special bit: lower case with execute, upper without.
  const auto execute = [mode](mode_t bit, mode_t special, char16_t mark) -> char16_t {
    if ((mode & special) == 0)
      return (mode & bit) != 0 ? u'x' : u'-';
    return (mode & bit) != 0 ? mark : char16_t(mark - (u'a' - u'A'));
  };
  const char16_t text[] = {
      letter(S_IRUSR, u'r'), letter(S_IWUSR, u'w'), execute(S_IXUSR, S_ISUID, u's'),
      letter(S_IRGRP, u'r'), letter(S_IWGRP, u'w'), execute(S_IXGRP, S_ISGID, u's'),
      letter(S_IROTH, u'r'), letter(S_IWOTH, u'w'), execute(S_IXOTH, S_ISVTX, u't')};
  return QString::fromUtf16(text, 9);
}

QString PerceivedType(const QMimeType& type) {
  const QString name = type.name();
  if (name.startsWith(u"video/"_s))
    return u"Video"_s;
  if (name.startsWith(u"audio/"_s))
    return u"Audio"_s;
  if (name.startsWith(u"image/"_s))
    return u"Image"_s;
  if (name.startsWith(u"text/"_s) || type.inherits(u"text/plain"_s))
    return u"Text"_s;
  return u"Other"_s;
}

}  // namespace vistarel
