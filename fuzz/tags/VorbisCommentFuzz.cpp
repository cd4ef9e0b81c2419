// The comment rewriter on arbitrary bytes, in memory: open must fail cleanly or yield
// headers; a rewrite that reports success must give a file whose first stream opens again
// with exactly the new comments and the old vendor string.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "VorbisCommentEditor.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

size_t ReadMemory(void* ptr, size_t size, size_t count, void* handle) {
    auto* in = static_cast<Input*>(handle);
    const size_t n = std::min(size * count, in->size - in->at);
    if (n) std::memcpy(ptr, in->data + in->at, n);
    in->at += n;
    return size ? n / size : 0;
}

size_t WriteMemory(const void* ptr, size_t size, size_t count, void* handle) {
    auto* out = static_cast<std::vector<uint8_t>*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(ptr);
    out->insert(out->end(), bytes, bytes + size * count);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavora::VorbisCommentEditor editor;
    Input in{data, size};
    if (!editor.open(ReadMemory, &in)) return 0;
    const std::string vendor = editor.vendor();
    vorbis_comment* block = editor.commentBlock();
    vorbis_comment_clear(block);
    vorbis_comment_init(block);
    vorbis_comment_add_tag(block, "TITLE", "노래");
    vorbis_comment_add_tag(block, "ARTIST", "");
    std::vector<uint8_t> output;
    if (!editor.rewrite(WriteMemory, &output)) return 0;

    tavora::VorbisCommentEditor again;
    Input reread{output.data(), output.size()};
    if (!again.open(ReadMemory, &reread)) __builtin_trap();
    const vorbis_comment* c = again.commentBlock();
    if (again.vendor() != vendor || c->comments != 2 || std::strcmp(c->user_comments[0], "TITLE=노래") != 0 ||
        std::strcmp(c->user_comments[1], "ARTIST=") != 0)
        __builtin_trap();
    return 0;
}
