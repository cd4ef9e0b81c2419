#pragma once
// The player's one table of media types: every file kind the player knows by name, and
// for each of the player's uses of a name (what a folder scan adds, what the dialogs
// offer, which tags give a row its title, ...) whether the kind belongs to that use's
// list. Each use compares names by a case rule of its own, kept as the player always
// had it. Beside the table, the one content sniffer (ContentSniffer.h).
//
// A new kind is one row here plus, where it plays or has tags, its decoder and tag
// adapter. No other file spells out a media extension.
//
// Plain C++ without Qt: the engine modules loaded at run time read it too.
// Everything here is constant; safe on any thread.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavora::media {

// The kinds, in the order the open dialogs list them.
enum class Media : uint8_t { Wav, Mp3, Mp2, Mp1, Ogg, Asf, Wma, Cda, Zip, Rar, Alz, M3u, Pls, Wmv };

// How a use compares an extension with the table's lower-case spelling.
enum class CaseRule : uint8_t {
    LowerOnly,     // "pls" only
    LowerOrUpper,  // "mp3" or "MP3"; "Mp3" is another extension
    AnyCase,       // every spelling
};

// The player's uses of a file's name; each has its list of kinds and its case rule.
enum class Use : uint8_t {
    FolderSong,     // a folder scan adds the file as a row
    ArchiveFile,    // opened as an archive (folder scans, the open dialog, the archive loader)
    ArchiveSong,    // an entry of a ZIP or RAR archive becomes a row
    SweepKeeps,     // the exit sweep of the temporary folder leaves the file
    OpenedSong,     // an address that opened as a stream is a song file after all
    OpenedPls,      // an address that opened as a stream is a PLS list
    M3uList,        // a dropped or added name read as an M3U list
    PlsList,        // a dropped or added name read as a PLS list (fetched when an address)
    AddDialog,      // the add-files and open dialogs' patterns
    ListDialog,     // the playlist save and load dialogs' patterns
    TitleTag,       // a playlist row takes its title from the file's tags
    Mp3TagEditor,   // the MP3 tag editor takes the row
    TagWindow,      // the WMA/OGG tag window takes the row
    MpegByName,     // the length probe tries MPEG audio on a file its content does not tell
    VolumeSet,      // the first name of a multi-volume archive set
    Association,    // the desktop associates the type with the player
    Count
};
inline constexpr size_t kUseCount = static_cast<size_t>(Use::Count);

// Which of the engine's decoders plays the kind.
enum class Decoder : uint8_t {
    None,
    Mpeg,     // mpg123
    Vorbis,   // libvorbisfile
    Wave,     // the engine's own WAV reader, FFmpeg for the encodings it does not take
    Ffmpeg,   // FFmpeg, with the container named by the row's ffmpegFormat
    CdTrack,  // the disc track a ".cda"-style record names
};

// Which tags the kind carries: read for titles and the file information, written by the
// tag editors.
enum class TagFormat : uint8_t { None, Id3, Asf, Vorbis };

// How the desktop associates the kind with the player (file types page, the classes
// keys, the MIME package and mimeapps.list).
struct Association {
    int order = -1;                 // place in the registration order (0 first); -1: none
    const char* setting = nullptr;  // value name under \Setting\ConnectExt
    const char* progId = nullptr;
    const char* description = nullptr;
    int icon = 0;                   // the type's icon number (its picture is "type<icon>.png")
    const char* openSwitch = nullptr;  // switch of the "open" verb
    bool enqueue = false;           // songs also get the "Enqueue" verb
    const char* iconName = nullptr; // the icon's name in the desktop's icon theme
    // The desktop's MIME types of the extension (unused entries are null); the first
    // one is the type's main name.
    std::array<const char*, 3> mimeTypes{};
    // The comment of a MIME type the desktop does not know and the player's MIME package
    // declares (with the extension's glob); null when the desktop knows the type.
    const char* declaredComment = nullptr;
};

struct MediaType {
    Media media;
    std::string_view extension;  // lower-case, without the dot
    uint32_t uses;               // bit (1 << Use) for each use whose list holds the kind
    Decoder decoder;
    const char* ffmpegFormat;    // FFmpeg's short name of the container, or null
    TagFormat tags;              // the tags read for titles and shown by the tag windows
    Association association;
};

// Each use's case rule.
inline constexpr std::array<CaseRule, kUseCount> kCaseRules{{
    CaseRule::LowerOrUpper,  // FolderSong
    CaseRule::LowerOrUpper,  // ArchiveFile
    CaseRule::LowerOrUpper,  // ArchiveSong
    CaseRule::LowerOrUpper,  // SweepKeeps
    CaseRule::LowerOrUpper,  // OpenedSong
    CaseRule::LowerOnly,     // OpenedPls
    CaseRule::LowerOrUpper,  // M3uList
    CaseRule::LowerOrUpper,  // PlsList
    CaseRule::LowerOnly,     // AddDialog (patterns as written)
    CaseRule::LowerOnly,     // ListDialog (patterns as written)
    CaseRule::LowerOrUpper,  // TitleTag
    CaseRule::AnyCase,       // Mp3TagEditor
    CaseRule::LowerOrUpper,  // TagWindow
    CaseRule::AnyCase,       // MpegByName
    CaseRule::AnyCase,       // VolumeSet
    CaseRule::AnyCase,       // Association (the desktop's MIME globs)
}};

constexpr uint32_t Uses(std::initializer_list<Use> uses) {
    uint32_t bits = 0;
    for (Use u : uses) bits |= 1u << static_cast<unsigned>(u);
    return bits;
}

// clang-format off
inline constexpr std::array<MediaType, 14> kMediaTypes{{
    {Media::Wav, "wav", Uses({Use::FolderSong, Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog,
                              Use::Association}),
     Decoder::Wave, "wav", TagFormat::None,
     {3, "WAV", "tavora.wav", "Tavora wavfile", 159, "-s", true, "tavoraplayer-wav", {"audio/x-wav", "audio/wav", nullptr}}},
    {Media::Mp3, "mp3", Uses({Use::FolderSong, Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog,
                              Use::TitleTag, Use::Mp3TagEditor, Use::MpegByName, Use::Association}),
     Decoder::Mpeg, nullptr, TagFormat::Id3,
     {0, "MP3", "tavora.mp3", "Tavora mp3file", 143, "-s", true, "tavoraplayer-mp3", {"audio/mpeg", nullptr, nullptr}}},
    {Media::Mp2, "mp2", Uses({Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog, Use::MpegByName}),
     Decoder::Mpeg, nullptr, TagFormat::None, {}},
    {Media::Mp1, "mp1", Uses({Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog, Use::MpegByName}),
     Decoder::Mpeg, nullptr, TagFormat::None, {}},
    {Media::Ogg, "ogg", Uses({Use::FolderSong, Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog,
                              Use::TitleTag, Use::TagWindow, Use::Association}),
     Decoder::Vorbis, nullptr, TagFormat::Vorbis,
     {1, "OGG", "tavora.ogg", "Tavora oggfile", 148, "-s", true, "tavoraplayer-ogg",
      {"audio/ogg", "audio/x-vorbis+ogg", nullptr}}},
    {Media::Asf, "asf", Uses({Use::FolderSong, Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog,
                              Use::TitleTag, Use::TagWindow}),
     Decoder::Ffmpeg, "asf", TagFormat::Asf, {}},
    {Media::Wma, "wma", Uses({Use::FolderSong, Use::ArchiveSong, Use::SweepKeeps, Use::OpenedSong, Use::AddDialog,
                              Use::TitleTag, Use::TagWindow, Use::Association}),
     Decoder::Ffmpeg, "asf", TagFormat::Asf,
     {2, "WMA", "tavora.wma", "Tavora wmafile", 149, "-s", true, "tavoraplayer-wma", {"audio/x-ms-wma", nullptr, nullptr}}},
    // No MIME type of the desktop's own: the player's MIME package declares one.
    {Media::Cda, "cda", Uses({Use::ArchiveSong, Use::OpenedSong, Use::AddDialog, Use::Association}),
     Decoder::CdTrack, nullptr, TagFormat::None,
     {4, "CDA", "tavora.cda", "Tavora cdafile", 193, "-s", true, "tavoraplayer-cda",
      {"application/x-cda", nullptr, nullptr}, "Audio CD track"}},
    {Media::Zip, "zip", Uses({Use::ArchiveFile, Use::AddDialog}), Decoder::None, nullptr, TagFormat::None, {}},
    {Media::Rar, "rar", Uses({Use::ArchiveFile, Use::AddDialog, Use::VolumeSet}), Decoder::None, nullptr,
     TagFormat::None, {}},
    {Media::Alz, "alz", Uses({Use::ArchiveFile, Use::AddDialog, Use::VolumeSet}), Decoder::None, nullptr,
     TagFormat::None, {}},
    {Media::M3u, "m3u", Uses({Use::M3uList, Use::ListDialog, Use::Association}), Decoder::None, nullptr,
     TagFormat::None,
     {5, "M3U", "tavora.m3u", "Tavora m3ufile", 152, "-list", false, "tavoraplayer-m3u",
      {"audio/x-mpegurl", "audio/mpegurl", nullptr}}},
    {Media::Pls, "pls", Uses({Use::OpenedPls, Use::PlsList, Use::Association}), Decoder::None, nullptr,
     TagFormat::None,
     {6, "PLS", "tavora.pls", "Tavora plsfile", 157, "-pls", false, "tavoraplayer-pls",
      {"audio/x-scpls", nullptr, nullptr}}},
    // Video in ASF: left by the exit sweep, offered nowhere.
    {Media::Wmv, "wmv", Uses({Use::SweepKeeps}), Decoder::None, nullptr, TagFormat::None, {}},
}};
// clang-format on

constexpr bool RowsInEnumOrder() {
    for (size_t i = 0; i < kMediaTypes.size(); ++i)
        if (static_cast<size_t>(kMediaTypes[i].media) != i) return false;
    return true;
}
static_assert(RowsInEnumOrder(), "the rows follow the order of Media");

constexpr const MediaType& Row(Media media) { return kMediaTypes[static_cast<size_t>(media)]; }
constexpr bool HasUse(const MediaType& type, Use use) { return (type.uses >> static_cast<unsigned>(use)) & 1u; }
constexpr CaseRule CaseRuleOf(Use use) { return kCaseRules[static_cast<size_t>(use)]; }

// The registry value name of an associated kind ("MP3").
constexpr const char* ConnectSetting(Media media) { return Row(media).association.setting; }

// Whether `ext` (the text after the last ".", without the dot) spells `lower` by the rule.
bool ExtensionMatches(std::string_view ext, std::string_view lower, CaseRule rule);

// The kind of the use's list that `ext` names, by the use's case rule.
std::optional<Media> Find(Use use, std::string_view ext);
inline bool InUse(Use use, std::string_view ext) { return Find(use, ext).has_value(); }

// The text after the last "." of a path or name, or "" when there is none.
std::string_view ExtensionOfName(std::string_view name);

// The kinds of a use's list, in table order.
std::vector<Media> KindsOf(Use use);

// Questions the player asks of names (the path's text after its last ".").
bool IsArchiveSong(std::string_view entryName);      // Use::ArchiveSong
bool IsKeptBySweep(std::string_view fileName);       // Use::SweepKeeps
bool IsMpegByName(std::string_view path);            // Use::MpegByName

// Tags that give a row its title (Use::TitleTag), and the tag window's kind
// (Use::TagWindow); TagFormat::None when the path is not in the use's list.
TagFormat TitleTagsOf(std::string_view path);
TagFormat TagWindowTagsOf(std::string_view path);

// "*.wav;*.mp3;..." of a dialog use's list, in table order.
std::string DialogPatterns(Use use);

// The table's row of an FFmpeg container name, e.g. "wav" gives Media::Wav.
std::optional<Media> MediaOfFfmpegFormat(std::string_view format);

// The associated kinds in their registration order.
std::vector<Media> AssociatedKinds();

}  // namespace tavora::media
