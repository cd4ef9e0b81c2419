#pragma once
// Lines of playlist files, read in chunks and turned into UTF-8.
//
// A line ends at CR or LF; a CR or LF right after it belongs to the same line end, so
// CR LF, LF CR, CR CR and LF LF each end one line. Line ends are ASCII bytes that never
// occur inside a UTF-8 character (nor inside a CP949 one), so splitting at them never
// cuts a character. A UTF-8 byte-order mark at the start of the file is skipped. A
// line that is valid UTF-8 is kept as it is; any other line is taken as CP949 (lists
// written on Korean Windows), and bytes that are not CP949 either as ISO-8859-1.
// The last line counts without a final line end. Lines longer than kMaxPlaylistLine
// bytes are cut there (no path is that long), so a hostile file cannot grow one line
// without bound.
//
// Threading: a reader belongs to one thread; the free functions are thread-safe.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavora {

inline constexpr size_t kPlaylistChunk = 10000;
inline constexpr size_t kMaxPlaylistLine = 32768;

class PlaylistLineReader {
public:
    explicit PlaylistLineReader(size_t chunkSize = kPlaylistChunk);
    ~PlaylistLineReader();
    PlaylistLineReader(const PlaylistLineReader&) = delete;
    PlaylistLineReader& operator=(const PlaylistLineReader&) = delete;

    // False when the file cannot be opened for reading.
    bool Open(const std::string& path);
    // Reads from memory instead of a file.
    void OpenBytes(std::string bytes);

    // The next line (possibly empty), nullopt at the end.
    std::optional<std::string> NextLine();

private:
    bool FillChunk();
    std::string Finish(std::string& line);

    size_t chunkSize_;
    int fd_ = -1;
    std::string memory_;
    size_t memoryPos_ = 0;
    bool fromMemory_ = false;
    std::string chunk_;
    size_t pos_ = 0;
    bool eof_ = false;
    bool swallowLineEnd_ = false;
    bool firstLine_ = true;
};

}  // namespace tavora
