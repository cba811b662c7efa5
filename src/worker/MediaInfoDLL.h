#pragma once

#include <QString>
#include <QStringView>

#include "extract/ResultColumns.h"
#include "worker/MediaLibrary.h"

namespace vistarel {

// The program's binding to the MediaInfo library. One handle per file:
// MediaInfo_New, MediaInfo_Open, any number of MediaInfoQuery, MediaInfo_Close,
// MediaInfo_Delete. Every call throws Failure when the library cannot be loaded.
// A null handle (its MediaInfo_New failed) never reaches the library: every
// call on it fails.
using MediaInfoHandle = IMediaLibrary::Handle;

// A new handle; throws Failure when the library gives none.
MediaInfoHandle MediaInfo_New(IMediaLibrary& library);

// Opens the file for the handle's queries. Returns the library's success flag,
// which the run does not look at: a file the library cannot read just answers
// empty text. Only regular files reach the library; a folder, a FIFO, a socket
// or a device is never opened (it would block, or read an endless stream).
bool MediaInfo_Open(IMediaLibrary& library, MediaInfoHandle handle, const QString& path);
// The same for a path already looked up: `mode` is what it leads to (0 when it
// leads nowhere), so that it is not looked up again.
bool MediaInfo_Open(IMediaLibrary& library, MediaInfoHandle handle, const QString& path,
                    unsigned mode);

// The text of `parameter` of the first stream of `kind`, copied at once.
QString MediaInfoQuery(IMediaLibrary& library, MediaInfoHandle handle, StreamKind kind,
                       QStringView parameter);

void MediaInfo_Close(IMediaLibrary& library, MediaInfoHandle handle);
void MediaInfo_Delete(IMediaLibrary& library, MediaInfoHandle handle);

// The library's wide text up to its NUL, as the program's string: a character
// beyond U+FFFF becomes a surrogate pair. A null pointer gives empty text.
QString CopyLibraryString(const wchar_t* text);

}  // namespace vistarel
