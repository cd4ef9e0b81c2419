#pragma once
// The tag fields the player knows about one song. Every string is UTF-8; an empty
// string means the field is absent.

#include <string>

namespace tavora {

struct TagRecord {
    std::string title;
    std::string artist;
    std::string album;
    std::string track;
    std::string year;
    std::string comment;
    std::string genre;  // MP3: "(n)name" (see Genres.h); Vorbis: the comment's text
    std::string composer;
    std::string originalArtist;
    std::string rightsNotice;
    std::string publisher;
    std::string encodedBy;

    bool operator==(const TagRecord&) const = default;
};

}  // namespace tavora
