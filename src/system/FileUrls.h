#pragma once

#include <QString>
#include <QUrl>

namespace vistarel {

// File URLs carry a path's bytes percent-encoded. Going by those bytes (rather
// than by Qt's UTF-8 reading of them) keeps names that are not valid UTF-8
// reachable, as FileNames.h carries them.

// The local path a file URL names; empty text when the URL names no local file:
// another scheme, another host, a relative path, a query or a fragment, or a
// NUL byte.
QString LocalPathOfUrl(const QUrl& url);

// The file URL of an absolute local path.
QUrl LocalFileUrl(const QString& path);

}  // namespace vistarel
