#include "DisplayTitle.h"

#include "MediaTypes.h"
#include "Mp3TagReader.h"
#include "OggTagReader.h"
#include "PlayerSettings.h"
#include "TagMessages.h"
#include "WmaTagReader.h"

namespace tavora {
namespace {

std::string Join(const std::string& a, const std::string& b) { return a + " - " + b; }
std::string Join(const std::string& a, const std::string& b, const std::string& c) {
    return a + " - " + b + " - " + c;
}

}  // namespace

TitleSettings TitleSettingsFrom(const PlayerSettings& s) {
    TitleSettings t;
    t.preferId3v2 = s.tagVersion != 0;
    if (s.type1) t.format = TitleFormat::TitleArtist;
    else if (s.type2) t.format = TitleFormat::ArtistTitle;
    else if (s.type4) t.format = TitleFormat::FileNameTrack;
    else if (s.type5) t.format = TitleFormat::TitleFileName;
    else if (s.type6) t.format = TitleFormat::FileName;
    else t.format = TitleFormat::TitleAlbumArtist;
    return t;
}

TitleSettings LoadTitleSettings() {
    PlayerSettings settings;
    LoadTitleFormatSettings(settings);
    return TitleSettingsFrom(settings);
}

TagSource TagSourceForPath(std::string_view path) {
    switch (media::TitleTagsOf(path)) {
    case media::TagFormat::Id3: return TagSource::Mp3;
    case media::TagFormat::Asf: return TagSource::Wma;
    case media::TagFormat::Vorbis: return TagSource::Ogg;
    case media::TagFormat::None: break;
    }
    return TagSource::None;
}

std::string FileNameTitle(std::string_view path) {
    const size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    for (int removed = 0; removed < 4 && !name.empty(); ++removed) {
        // Drop one whole UTF-8 character: its continuation bytes, then its lead byte.
        while (name.size() > 1 && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.remove_suffix(1);
        name.remove_suffix(1);
    }
    return std::string(name);
}

namespace {

TagRecord WithTitle(TagRecord fields, const std::string& path) {
    if (fields.title.empty()) fields.title = FileNameTitle(path);
    return fields;
}

}  // namespace

TagRecord ReadMp3Fields(const std::string& path, bool preferId3v2) {
    return WithTitle(ReadMp3Tags(path, preferId3v2), path);
}
TagRecord ReadWmaFields(const std::string& path) { return WithTitle(ReadWmaTags(path), path); }
TagRecord ReadOggFields(const std::string& path) { return WithTitle(ReadOggTags(path), path); }

TagRecord ReadTitleFields(const std::string& path, const TitleSettings& settings) {
    // A reader that gives up on a broken file (id3lib throws, a forged size exhausts
    // memory) costs that file its tags, never the title pass that asked.
    try {
        switch (TagSourceForPath(path)) {
        case TagSource::Mp3: return ReadMp3Fields(path, settings.preferId3v2);
        case TagSource::Wma: return ReadWmaFields(path);
        case TagSource::Ogg: return ReadOggFields(path);
        case TagSource::None: break;
        }
    } catch (const std::exception& e) {
        LogTagFailure(std::string("tag reader gave up: ") + e.what(), path);
    } catch (...) {
        LogTagFailure("tag reader gave up", path);
    }
    return WithTitle({}, path);
}

std::string FormatDisplayTitle(TitleFormat format, const std::string& t, const std::string& a,
                               const std::string& l, const std::string& k, const std::string& f) {
    switch (format) {
    case TitleFormat::TitleArtist:
        if (t.empty() && a.empty()) return f;
        if (t.empty()) return a;
        if (a.empty()) return t;
        return Join(t, a);
    case TitleFormat::ArtistTitle:
        if (t.empty() && a.empty()) return f;
        if (t.empty()) return a;
        if (a.empty()) return t;
        return Join(a, t);
    case TitleFormat::FileNameTrack:
        return k.empty() ? f : Join(f, k);
    case TitleFormat::TitleFileName:
        return t.empty() ? f : Join(t, f);
    case TitleFormat::FileName:
        return f;
    case TitleFormat::TitleAlbumArtist:
        break;
    }
    if (t.empty() && a.empty() && l.empty()) return f;
    if (t.empty() && a.empty()) return l;
    if (t.empty() && l.empty()) return a;
    if (a.empty() && l.empty()) return t;
    if (t.empty()) return Join(a, l);
    if (a.empty()) return Join(t, l);
    if (l.empty()) return Join(t, a);
    return Join(t, l, a);
}

std::string ReadDisplayTitle(const std::string& path, const TitleSettings& settings) {
    if (TagSourceForPath(path) == TagSource::None) return FileNameTitle(path);
    return DisplayTitleFromTags(path, ReadTitleFields(path, settings), settings);
}

std::string DisplayTitleFromTags(const std::string& path, TagRecord fields, const TitleSettings& settings) {
    const std::string fileName = FileNameTitle(path);
    if (fields.title.empty()) fields.title = fileName;
    return FormatDisplayTitle(settings.format, fields.title, fields.artist, fields.album, fields.track, fileName);
}

}  // namespace tavora
