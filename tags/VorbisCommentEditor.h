#pragma once
// Rewriting the comment header of an Ogg Vorbis stream without touching its audio.
// VorbisCommentEditor.cpp explains the rewrite; OggTagWriter.h is the save operation built
// on it.
//
// Use: open() reads the three headers of the first logical stream; commentBlock() is then
// edited in place; rewrite() writes the whole new file. Every failure leaves lastError()
// set to one of the messages below, which the caller shows or logs.
//
// Threading: one editor per rewrite; no shared state.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

namespace tavora {

// fread/fwrite-shaped callbacks, so that a test or a fuzz target can run the editor on
// memory and the save operation on stdio streams.
using VcReadFn = size_t (*)(void* ptr, size_t size, size_t count, void* handle);
using VcWriteFn = size_t (*)(const void* ptr, size_t size, size_t count, void* handle);

namespace vcedit_message {
inline constexpr const char* kTruncated = "Input truncated or empty.";
inline constexpr const char* kNotOgg = "Input is not an Ogg bitstream.";
inline constexpr const char* kFirstPage = "Error reading first page of Ogg bitstream.";
inline constexpr const char* kInitialHeader = "Error reading initial header packet.";
inline constexpr const char* kNotVorbis = "Ogg bitstream does not contain vorbis data.";
inline constexpr const char* kCorruptHeader = "Corrupt secondary header.";
inline constexpr const char* kEofInHeaders = "EOF before end of vorbis headers.";
inline constexpr const char* kCorruptData = "Corrupt or missing data, continuing...";
inline constexpr const char* kWriteFailed =
    "Error writing stream to output. Output stream may be corrupted or truncated.";
// Another logical stream interleaved with the first one (a multiplexed file): re-paging
// the first stream would tear them apart, so such files are refused.
inline constexpr const char* kInterleaved = "Input has interleaved logical streams; it is not rewritten.";
}  // namespace vcedit_message

class VorbisCommentEditor {
public:
    VorbisCommentEditor();
    ~VorbisCommentEditor();
    VorbisCommentEditor(const VorbisCommentEditor&) = delete;
    VorbisCommentEditor& operator=(const VorbisCommentEditor&) = delete;

    // Reads the headers through read(handle). False with lastError() set on failure.
    bool open(VcReadFn read, void* handle);
    // The parsed comments, to be replaced by the caller (vorbis_comment_clear/_init/_add).
    vorbis_comment* commentBlock() { return &comments_; }
    const std::string& vendor() const { return vendor_; }
    // Writes the rewritten input through write(out). False with lastError() set when the
    // output is incomplete; the caller must then discard it.
    bool rewrite(VcWriteFn write, void* out);

    // The last message; empty when none. A rewrite that succeeded may still carry the
    // non-fatal kCorruptData.
    const std::string& lastError() const { return lastError_; }

private:
    bool readChunk(size_t* got);
    bool fetchAudioPacket(ogg_packet* packet);
    bool writePage(const ogg_page& page);
    bool writeBytes(const void* data, size_t size);
    bool copyTail();
    bool failOpen(const char* message);
    void releaseInternals();

    VcReadFn read_ = nullptr;
    void* in_ = nullptr;
    VcWriteFn write_ = nullptr;
    void* out_ = nullptr;

    ogg_sync_state sync_{};
    ogg_stream_state stream_{};
    vorbis_info info_{};
    vorbis_comment comments_{};
    bool syncReady_ = false;
    bool streamReady_ = false;
    bool vorbisReady_ = false;

    long serial_ = 0;
    std::vector<unsigned char> mainHeader_;
    std::vector<unsigned char> codebookHeader_;
    std::string vendor_;
    long previousBlockSize_ = 0;
    bool endOfInput_ = false;
    bool firstStreamEnded_ = false;  // its end-of-stream page was read
    bool extraPage_ = false;
    std::vector<unsigned char> heldPageBytes_;
    std::string lastError_;
};

}  // namespace tavora
