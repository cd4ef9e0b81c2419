#pragma once
// The rules of the MP3 tag editor that do not depend on its widgets: what is cached of a
// file, the marker entries of the combos, the genre shown and the genre written, and the
// values one file gets when the editor saves.
//
// Pure functions except ReadMp3EditorTags (which reads the file); thread-safe.

#include <array>
#include <string>
#include <vector>

#include "Mp3TagWriter.h"
#include "TagRecord.h"

namespace tavora {

// The two entries every combo starts with.
inline constexpr const char* kSkipMarker = "<건너 뛰기>";   // leave the field as each file has it
inline constexpr const char* kEmptyMarker = "<빈 공간>";   // make the field empty

// The editor's twelve fields, in the order of its combos.
enum class Mp3Field {
    Title, Artist, Album, Track, Year, Genre, Comment,             // both tags
    Composer, OriginalArtist, RightsNotice, Publisher, EncodedBy,  // ID3v2 only
};
inline constexpr int kMp3FieldCount = 12;
inline constexpr int kMp3CommonFieldCount = 7;
std::string TagRecord::*Mp3FieldMember(Mp3Field field);

// What the editor knows of one file: both tags as read when the editor opened. Genres are
// kept only in the "(n)..." form; any other genre text is cached as empty (and a save that
// leaves the genre alone keeps it in the file).
struct Mp3EditorTags {
    TagRecord v1;
    TagRecord v2;

    bool HasV1() const;
    bool HasV2() const;
};
Mp3EditorTags ReadMp3EditorTags(const std::string& path);

// The genre combo: the 148 list names, then the file's own entry (if any), then the markers.
struct GenreShown {
    std::string insertedText;  // the entry placed before the markers; empty: none
    bool inserted = false;
    int listIndex = -1;        // the list name to select when not inserted
};
// How a cached genre is shown: a marker text is inserted as itself, "(255)name" inserts
// "name", "(n)..." selects list name n, anything else inserts an empty entry.
GenreShown ShowGenre(const std::string& cached);

// The genre text that clears the genre: no list genre and no text.
inline constexpr const char* kNoGenreText = "(255)";

// The genre text written: a list name chosen (index 0..147) gives "(17)Rock"; a text typed
// by hand gives "(255)text" (or the list form when it is a list name); "<빈 공간>" or a
// field emptied by hand gives kNoGenreText; anything else ("<건너 뛰기>" or the file's
// own entry) gives "" and the file keeps its genre. `text` is the combo's text.
std::string GenreText(int chosenIndex, const std::string& text, bool typed);

// A combo's text as a choice for the field.
struct FieldChoice {
    enum Kind { Skip, Empty, Text } kind = Skip;
    std::string text;
};
FieldChoice ChoiceFromText(const std::string& comboText);

struct Mp3EditorChoices {
    std::array<FieldChoice, kMp3FieldCount> fields;
    std::string genreText;
    bool writeV1 = false;
    bool writeV2 = false;
    // Batch saves only: the track becomes the file's position in the editor's list, from 1.
    bool autoTrack = false;
};

// The values written to one file, and (in *cached) what the editor now knows of it.
// `listPosition` is the file's row in the editor's list; `batch` whether several files
// are saved at once.
Mp3TagValues ValuesForFile(Mp3EditorTags& cached, const Mp3EditorChoices& choices, bool batch, int listPosition);

// The combo entries after the markers when several files are selected: per file, its
// ID3v1 value, then its ID3v2 value when it differs; empty values and repeats left out.
std::vector<std::string> DistinctValues(const std::vector<const Mp3EditorTags*>& files, Mp3Field field);

}  // namespace tavora
