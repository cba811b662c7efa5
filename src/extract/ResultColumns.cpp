#include "extract/ResultColumns.h"

namespace vistarel {

namespace {

using S = ColumnSource;
using K = StreamKind;

constexpr std::array<FixedColumn, kFixedColumnCount> kColumns = {{
    {u"Video File/s", S::Path, K::General, u""},
    {u"General - Format", S::Media, K::General, u"Format"},
    {u"General - Format/Info", S::Media, K::General, u"Format/Info"},
    {u"General - File Size", S::Media, K::General, u"FileSize/String3"},
    {u"General - Duration", S::Media, K::General, u"Duration/String3"},
    {u"Video - Format", S::Media, K::Video, u"Format"},
    {u"Video - Format/Info", S::Media, K::Video, u"Format/Info"},
    {u"Video - Format Version", S::Media, K::Video, u"Format_Version"},
    {u"Video - Format Profile", S::Media, K::Video, u"Format_Profile"},
    {u"Video - Codec", S::Media, K::Video, u"CodecID"},
    {u"Video - Duration", S::Media, K::Video, u"Duration/String3"},
    {u"Video - BitRate Mode", S::Media, K::Video, u"BitRate_Mode"},
    {u"Video - BitRate", S::Media, K::Video, u"BitRate/String"},
    {u"Video - BitRate Minimum", S::Media, K::Video, u"BitRate_Minimum/String"},
    {u"Video - BitRate Nominal", S::Media, K::Video, u"BitRate_Nominal/String"},
    {u"Video - BitRate Maximum", S::Media, K::Video, u"BitRate_Maximum/String"},
    {u"Video - Width", S::Media, K::Video, u"Width/String"},
    {u"Video - Height", S::Media, K::Video, u"Height/String"},
    {u"Video - Pixel Aspect Ratio", S::Media, K::Video, u"PixelAspectRatio/String"},
    {u"Video - FrameRate Mode", S::Media, K::Video, u"FrameRate_Mode"},
    {u"Video - FrameRate", S::Media, K::Video, u"FrameRate/String"},
    {u"Video - FrameCount", S::Media, K::Video, u"FrameCount"},
    {u"Video - Standard", S::Media, K::Video, u"Standard"},
    {u"Video - Colorimetry", S::Media, K::Video, u"Colorimetry"},
    {u"Video - Scan Type", S::Media, K::Video, u"ScanType"},
    {u"Video - StreamSize", S::Media, K::Video, u"StreamSize/String3"},
    {u"Video - Language", S::Media, K::Video, u"Language/String"},
    {u"Audio - Format", S::Media, K::Audio, u"Format"},
    {u"Audio - Format/Info", S::Media, K::Audio, u"Format/Info"},
    {u"Audio - Format Version", S::Media, K::Audio, u"Format_Version"},
    {u"Audio - Format Profile", S::Media, K::Audio, u"Format_Profile"},
    {u"Audio - Codec", S::Media, K::Audio, u"CodecID"},
    {u"Audio - Duration", S::Media, K::Audio, u"Duration/String3"},
    {u"Audio - BitRate Mode", S::Media, K::Audio, u"BitRate_Mode"},
    {u"Audio - BitRate", S::Media, K::Audio, u"BitRate/String"},
    {u"Audio - Channel(s)", S::Media, K::Audio, u"Channel(s)/String"},
    {u"Audio - Channel Positions", S::Media, K::Audio, u"ChannelPositions"},
    {u"Audio - Sampling Rate", S::Media, K::Audio, u"SamplingRate/String"},
    {u"Audio - Stream Size", S::Media, K::Audio, u"StreamSize/String3"},
    {u"File System - Name", S::File, K::General, u"name"},
    {u"File System - Short Name", S::File, K::General, u"ShortName"},
    {u"File System - Date Created", S::File, K::General, u"DateCreated"},
    {u"File System - Date Last Accessed", S::File, K::General, u"DateLastAccessed"},
    {u"File System - Date Last Modified", S::File, K::General, u"DateLastModified"},
    {u"File System - Drive", S::File, K::General, u"Drive"},
    {u"File System - Folder", S::File, K::General, u"ParentFolder"},
    {u"File System - Size", S::File, K::General, u"Size"},
    {u"File System - Path", S::File, K::General, u"path"},
    {u"File System - Short Path", S::File, K::General, u"ShortPath"},
    {u"File System - Type", S::File, K::General, u"Type"},
}};

}  // namespace

const std::array<FixedColumn, kFixedColumnCount>& FixedColumns() { return kColumns; }

}  // namespace vistarel
