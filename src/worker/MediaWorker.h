#pragma once

#include <QList>

#include "media/MediaAnswers.h"
#include "platform/MediaLibrary.h"

namespace vistarel {

// The media worker's loop: says hello on `output`, then answers each request
// that comes on `input` with the parse of its file, in order, until `input`
// ends. Returns the process's exit status.
int ServeMediaRequests(int input, int output, IMediaLibrary& library,
                       const QList<MediaQuery>& queries);

}  // namespace vistarel
