#include "Mp3EditorRules.h"

#include <algorithm>
#include <charconv>

#include "Genres.h"
#include "Id3v2Reader.h"
#include "Mp3TagReader.h"

namespace tavora {
namespace {

constexpr std::array<std::string TagRecord::*, kMp3FieldCount> kMembers = {
    &TagRecord::title,    &TagRecord::artist,         &TagRecord::album,        &TagRecord::track,
    &TagRecord::year,     &TagRecord::genre,          &TagRecord::comment,      &TagRecord::composer,
    &TagRecord::originalArtist, &TagRecord::rightsNotice, &TagRecord::publisher, &TagRecord::encodedBy,
};

bool AnyField(const TagRecord& r) {
    return std::any_of(kMembers.begin(), kMembers.end(), [&](auto m) { return !(r.*m).empty(); });
}

std::string CachedGenre(std::string genre) { return genre.rfind('(', 0) == 0 ? genre : std::string(); }

}  // namespace

std::string TagRecord::*Mp3FieldMember(Mp3Field field) { return kMembers[static_cast<size_t>(field)]; }

bool Mp3EditorTags::HasV1() const { return AnyField(v1); }
bool Mp3EditorTags::HasV2() const { return AnyField(v2); }

Mp3EditorTags ReadMp3EditorTags(const std::string& path) {
    Mp3EditorTags tags;
    tags.v1 = ReadId3v1Tags(path);
    tags.v1.genre = CachedGenre(tags.v1.genre);
    if (auto v2 = ReadId3v2File(path)) {
        tags.v2 = std::move(v2->fields);
        tags.v2.genre = CachedGenre(tags.v2.genre);
    }
    return tags;
}

GenreShown ShowGenre(const std::string& cached) {
    GenreShown shown;
    if (cached.rfind('<', 0) == 0) {
        shown.inserted = true;
        shown.insertedText = cached;
        return shown;
    }
    if (cached.rfind('(', 0) == 0) {
        const size_t close = cached.find(')');
        int number = -1;
        const char* begin = cached.data() + 1;
        const char* end = cached.data() + (close == std::string::npos ? cached.size() : close);
        const auto [stop, ec] = std::from_chars(begin, end, number);
        if (ec == std::errc() && stop == end && close != std::string::npos) {
            if (number == kFreeGenreIndex) {
                shown.inserted = true;
                shown.insertedText = cached.substr(close + 1);
                return shown;
            }
            if (number >= 0 && number < kGenreCount) {
                shown.listIndex = number;
                return shown;
            }
        }
    }
    shown.inserted = true;  // plain text, or a number outside the list: an empty entry
    return shown;
}

std::string GenreText(int chosenIndex, const std::string& typedText, bool typed) {
    if (typed) {
        if (typedText.empty()) return kNoGenreText;
        // A name of the list typed in full is that list entry.
        if (const auto index = GenreIndex(typedText))
            return "(" + std::to_string(*index) + ")" + std::string(GenreName(*index));
        return "(" + std::to_string(kFreeGenreIndex) + ")" + typedText;
    }
    if (chosenIndex >= 0 && chosenIndex < kGenreCount)
        return "(" + std::to_string(chosenIndex) + ")" + std::string(GenreName(chosenIndex));
    if (typedText == kEmptyMarker) return kNoGenreText;
    return {};
}

FieldChoice ChoiceFromText(const std::string& comboText) {
    if (comboText == kSkipMarker) return {FieldChoice::Skip, {}};
    if (comboText == kEmptyMarker) return {FieldChoice::Empty, {}};
    return {FieldChoice::Text, comboText};
}

Mp3TagValues ValuesForFile(Mp3EditorTags& cached, const Mp3EditorChoices& choices, bool batch, int listPosition) {
    Mp3EditorTags next = cached;
    for (int f = 0; f < kMp3FieldCount; ++f) {
        const auto member = kMembers[static_cast<size_t>(f)];
        if (static_cast<Mp3Field>(f) == Mp3Field::Genre) continue;  // written as genreText
        const FieldChoice& choice = choices.fields[static_cast<size_t>(f)];
        if (choice.kind == FieldChoice::Skip) continue;
        next.v1.*member = next.v2.*member = choice.kind == FieldChoice::Text ? choice.text : std::string();
    }
    if (!choices.genreText.empty())
        next.v1.genre = next.v2.genre = choices.genreText == kNoGenreText ? std::string() : choices.genreText;
    if (!choices.writeV1) {
        const std::string genre = next.v1.genre;
        next.v1 = TagRecord{};
        if (!choices.genreText.empty()) next.v1.genre = genre;  // the genre goes to both tags
    }
    if (!choices.writeV2) {
        const std::string genre = next.v2.genre;
        next.v2 = TagRecord{};
        if (!choices.genreText.empty()) next.v2.genre = genre;
    }
    if (batch && choices.autoTrack) next.v1.track = next.v2.track = std::to_string(listPosition + 1);
    cached = next;
    Mp3TagValues values{next.v1, next.v2, choices.genreText, {}};
    // Fields left as they are stay untouched in the ID3v2 tag: not even re-encoded.
    if (choices.writeV2)
        for (int f = 0; f < kMp3FieldCount; ++f) {
            const auto member = kMembers[static_cast<size_t>(f)];
            const bool autoTrack = batch && choices.autoTrack && member == &TagRecord::track;
            if (choices.fields[static_cast<size_t>(f)].kind == FieldChoice::Skip && member != &TagRecord::genre && !autoTrack)
                values.keepV2.push_back(member);
        }
    return values;
}

std::vector<std::string> DistinctValues(const std::vector<const Mp3EditorTags*>& files, Mp3Field field) {
    const auto member = Mp3FieldMember(field);
    std::vector<std::string> values;
    const auto add = [&values](const std::string& v) {
        if (!v.empty() && std::find(values.begin(), values.end(), v) == values.end()) values.push_back(v);
    };
    for (const Mp3EditorTags* file : files) {
        add(file->v1.*member);
        if (file->v2.*member != file->v1.*member) add(file->v2.*member);
    }
    return values;
}

}  // namespace tavora
