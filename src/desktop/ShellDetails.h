#pragma once

#include <QMimeType>
#include <QString>

#include <sys/types.h>

namespace vistarel {

// How the desktop shell on Linux words an entry's properties.

// A size in the locale's human form with decimal units, as file managers show
// it: "950 bytes", "10.4 kB", "1.2 MB".
QString HumanSize(qint64 bytes);

// The letters R H S A L for the read-only, hidden, system, archive and link
// bits of an attribute value, in that order; the folder bit has none.
QString AttributeLetters(int attributes);

// The nine permission letters as ls shows them ("rw-r--r--"), with s, S, t
// and T for the set-user-ID, set-group-ID and sticky bits.
QString PermissionsText(mode_t mode);

// "Video", "Audio", "Image", "Text" or "Other", by the MIME type.
QString PerceivedType(const QMimeType& type);

}  // namespace vistarel
