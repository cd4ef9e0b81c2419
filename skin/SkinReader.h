#pragma once
// SkinReader: queries of a skin description file ("TavoraSkin.xml").
//
// Every query is an absolute XPath 1.0 location path built from the collection path
// and the element's ID, e.g. "/TavoraSkin/MainControl/ImageCollection/Ground[@ID='x']";
// the first element in document order that matches is read. A query that finds
// nothing, or runs on a file that did not parse, returns false and leaves the record
// untouched, so the caller keeps what it had.
//
// Numbers are read the way C's atoi reads them: leading blanks, an optional sign,
// digits; anything after the digits is ignored and text without digits is 0. Values
// beyond the 32-bit range saturate.
//
// Sizes and positions are then limited to what a screen can show: sizes to
// 0..kMaxSkinExtent, positions (X, Y, the font's offsets) to -kMaxSkinExtent..
// kMaxSkinExtent, font sizes to +-kMaxSkinFontSize. A skin asking for a window of two
// billion pixels would otherwise cost gigabytes of window buffer and freeze the player;
// a negative size is as meaningless as a zero one and reads as 0.
//
// Hostile files are expected: a file that cannot be parsed, an ID that breaks the
// XPath text (a quote), huge numbers. None of them throws out of this class.
//
// One reader per window, used on the GUI thread only.

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>

#include "SkinElement.h"

namespace tavora {

inline constexpr const char* kSkinFileName = "TavoraSkin.xml";

// Largest width, height or distance a skin may give, in pixels (larger screens than this
// are rare, and a skin is drawn at one pixel per pixel).
inline constexpr int kMaxSkinExtent = 4096;
// Largest font size, in either sign (a font request's cell or character height).
inline constexpr int kMaxSkinFontSize = 256;

// atoi on a std::string_view, saturating at the 32-bit limits.
int SkinNumber(std::string_view text);

class SkinReader {
public:
    SkinReader();
    ~SkinReader();
    SkinReader(const SkinReader&) = delete;
    SkinReader& operator=(const SkinReader&) = delete;

    // Parses the file; returns (and remembers as loaded()) whether it parsed.
    bool Open(const std::string& path);
    // Parses a description held in memory (used by the fuzz target and tests).
    bool OpenBuffer(std::string_view xml);
    bool loaded() const { return loaded_; }
    const std::string& lastQuery() const { return lastQuery_; }

    bool ReadGroundImage(std::string_view collection, std::string_view id, SkinElement& element);
    bool ReadGroundRect(std::string_view collection, std::string_view id, SkinElement& element);
    bool ReadGroundLineUp(std::string_view collection, std::string_view id, SkinElement& element);
    // count 1 reads the default image, 2 also the down image, 3 also the over image.
    bool ReadButtonImages(std::string_view collection, std::string_view id, SkinElement& element, int count);
    bool ReadButtonRect(std::string_view collection, std::string_view id, SkinElement& element);
    bool ReadButtonLineUp(std::string_view collection, std::string_view id, SkinElement& element);
    // Position/Ground first, Position/Button when there is no such Ground.
    bool ReadPositionRect(std::string_view collection, std::string_view id, SkinElement& element);
    bool ReadFontName(std::string_view collection, std::string_view id, SkinFont& font);
    bool ReadFont(std::string_view collection, std::string_view id, SkinFont& font);
    bool ReadColor(std::string_view collection, std::string_view id, SkinFont& font);
    bool ReadSkinName(std::string_view collection, std::string_view id, std::string& name);

    // Convenience for the usual per-element sequence: image, rectangle, placement code.
    bool ReadGround(std::string_view collection, std::string_view id, SkinElement& element);
    bool ReadButton(std::string_view collection, std::string_view id, SkinElement& element, int count);

private:
    // Builds "/TavoraSkin/" + collection + "/" + kind + "[@ID='" + id + "']", selects
    // the first match into node_ and reports whether there was one.
    bool Select(std::string_view collection, std::string_view kind, std::string_view id);
    std::string Attribute(const char* name) const;
    int Number(const char* name) const;
    // Number limited to the screen (see the top of this file).
    int Position(const char* name) const;
    int Size(const char* name) const;
    void ReadRect(SkinElement& element) const;

    std::unique_ptr<pugi::xml_document> document_;
    pugi::xml_node node_;
    bool loaded_ = false;
    std::string lastQuery_;
};

}  // namespace tavora
