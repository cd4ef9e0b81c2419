#pragma once
// Playlist titles: which reader serves a path, the six title formats and the file-name
// title. Every function is pure except ReadDisplayTitle/ReadTitleFields (which read the
// file) and LoadTitleSettings (which reads the settings store). Threading: all are safe
// from any thread.

#include <string>
#include <string_view>

#include "TagRecord.h"

namespace tavora {

struct PlayerSettings;

// The six title formats, in the order of the options page.
enum class TitleFormat {
    TitleArtist = 1,       // "곡명 - 가수명"
    ArtistTitle = 2,       // "가수명 - 곡명"
    TitleAlbumArtist = 3,  // "곡명 - 앨범명 - 가수명"
    FileNameTrack = 4,     // "파일명 - 트랙"
    TitleFileName = 5,     // "곡명 - 파일명"
    FileName = 6,          // "파일명"
};

struct TitleSettings {
    bool preferId3v2 = true;
    TitleFormat format = TitleFormat::TitleArtist;
};

// The flags "Type1".."Type6" are tested in the order 1, 2, 4, 5, 6; when none is set the
// title - album - artist format applies.
TitleSettings TitleSettingsFrom(const PlayerSettings& settings);
// Reads "\Setting\TagSortMp3" from the settings store.
TitleSettings LoadTitleSettings();

enum class TagSource { Mp3, Wma, Ogg, None };

// The tags of the media table's title-tag use for the text after the last "." of the
// path (all lower- or all upper-case; a mixed-case extension is no tagged format).
TagSource TagSourceForPath(std::string_view path);

// The file name after the last "/" without its last four characters, whatever the length
// of its extension ("song.flac" gives "song."). Characters, not bytes, are removed.
std::string FileNameTitle(std::string_view path);

// The fields of one format's tags, with the title falling back to the file-name title.
TagRecord ReadMp3Fields(const std::string& path, bool preferId3v2);
TagRecord ReadWmaFields(const std::string& path);
TagRecord ReadOggFields(const std::string& path);

// The fields a title is built from, read by the reader the extension chooses; the title
// falls back to the file-name title.
TagRecord ReadTitleFields(const std::string& path, const TitleSettings& settings);

std::string FormatDisplayTitle(TitleFormat format, const std::string& title, const std::string& artist,
                               const std::string& album, const std::string& track,
                               const std::string& fileNameTitle);

// The playlist title of a path: its tags in the chosen format, or the file-name title for
// other extensions.
std::string ReadDisplayTitle(const std::string& path, const TitleSettings& settings);
// The same from fields already read by the reader the path's extension chooses.
std::string DisplayTitleFromTags(const std::string& path, TagRecord fields, const TitleSettings& settings);

}  // namespace tavora
