#pragma once

#include <QString>

#include <array>

namespace vistarel {

// The desktop shell's extended properties of a folder's entries: property
// columns 0 to 40.
inline constexpr int kShellPropertyCount = 41;

// The property columns, by number. 38 to 40 have no name.
namespace shell_column {
inline constexpr int kName = 0;
inline constexpr int kSize = 1;
inline constexpr int kItemType = 2;
inline constexpr int kDateModified = 3;
inline constexpr int kDateCreated = 4;
inline constexpr int kDateAccessed = 5;
inline constexpr int kAttributes = 6;
inline constexpr int kOwner = 7;
inline constexpr int kGroup = 8;
inline constexpr int kPermissions = 9;
inline constexpr int kPerceivedType = 10;
inline constexpr int kContentType = 11;
inline constexpr int kTitle = 12;
inline constexpr int kArtist = 13;
inline constexpr int kAlbum = 14;
inline constexpr int kGenre = 15;
inline constexpr int kYear = 16;
inline constexpr int kComment = 17;
inline constexpr int kTags = 18;
inline constexpr int kRating = 19;
inline constexpr int kCopyright = 20;
inline constexpr int kPublisher = 21;
inline constexpr int kEncodedBy = 22;
inline constexpr int kLength = 23;
inline constexpr int kBitRate = 24;
inline constexpr int kFrameWidth = 25;
inline constexpr int kFrameHeight = 26;
inline constexpr int kFrameRate = 27;
inline constexpr int kVideoCodec = 28;
inline constexpr int kVideoBitRate = 29;
inline constexpr int kAudioCodec = 30;
inline constexpr int kAudioBitRate = 31;
inline constexpr int kChannels = 32;
inline constexpr int kSampleRate = 33;
inline constexpr int kLanguage = 34;
inline constexpr int kOriginUrl = 35;
inline constexpr int kLinkTarget = 36;
inline constexpr int kFolderPath = 37;
}  // namespace shell_column

// What the desktop shell shows of a media file's own tags and streams, by
// property column (Title, Artist, ..., Length, Frame width, ..., Language);
// the other columns stay empty.
using ShellMediaValues = std::array<QString, kShellPropertyCount>;

}  // namespace vistarel
