#include "Genres.h"

#include <array>
#include <charconv>

namespace tavora {
namespace {

constexpr std::array<std::string_view, kGenreCount> kGenres = {
    // 0-79: the original ID3v1 list
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // 80-147: the extensions
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock",
    "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson",
    "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa",
    "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "Britpop",
    "Afro-Punk",  // the name of entry 133 used by current taggers; the old one is still recognised
    "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop",
    "Synthpop",
};

constexpr int kAfroPunk = 133;
constexpr std::string_view kAfroPunkOldName = "Negerpunk";

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::optional<int> ParseIndex(std::string_view digits) {
    int value = 0;
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string_view GenreName(int index) {
    return index >= 0 && index < kGenreCount ? kGenres[static_cast<size_t>(index)] : std::string_view();
}

std::optional<int> GenreIndex(std::string_view name) {
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (int i = 0; i < kGenreCount; ++i)
        if (EqualsIgnoreAsciiCase(kGenres[static_cast<size_t>(i)], name)) return i;
    if (EqualsIgnoreAsciiCase(kAfroPunkOldName, name)) return kAfroPunk;
    return std::nullopt;
}

std::string GenreDisplayName(std::string_view stored) {
    if (stored.size() >= 2 && stored[0] == '(') {
        const size_t close = stored.find(')');
        if (close != std::string_view::npos) {
            const std::string_view inside = stored.substr(1, close - 1);
            const std::string_view rest = stored.substr(close + 1);
            if (!rest.empty()) return std::string(rest);
            if (inside == "RX") return "Remix";
            if (inside == "CR") return "Cover";
            if (const auto index = ParseIndex(inside)) return std::string(GenreName(*index));
        }
    }
    if (const auto index = ParseIndex(stored)) {
        if (*index < kGenreCount) return std::string(GenreName(*index));
    }
    return std::string(stored);
}

std::string GenreStoredForm(std::string_view name) {
    if (name.empty()) return {};
    const std::optional<int> index = GenreIndex(name);
    const int n = index.value_or(kFreeGenreIndex);
    return "(" + std::to_string(n) + ")" + std::string(index ? GenreName(n) : name);
}

}  // namespace tavora
