#include "OggTagWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include <vorbis/codec.h>

#include "RegularFile.h"
#include "ReplacementFile.h"
#include "TextDecoding.h"
#include "VorbisCommentEditor.h"

namespace tavora {
namespace {

struct CommentField {
    const char* key;
    std::string TagRecord::*field;
};

constexpr std::array kCommentFields = {
    CommentField{"TITLE", &TagRecord::title},     CommentField{"TRACKNUMBER", &TagRecord::track},
    CommentField{"ALBUM", &TagRecord::album},     CommentField{"ARTIST", &TagRecord::artist},
    CommentField{"DATE", &TagRecord::year},       CommentField{"DESCRIPTION", &TagRecord::comment},
    CommentField{"GENRE", &TagRecord::genre},
};

size_t ReadStdio(void* ptr, size_t size, size_t count, void* file) {
    return std::fread(ptr, size, count, static_cast<std::FILE*>(file));
}
size_t WriteStdio(const void* ptr, size_t size, size_t count, void* file) {
    return std::fwrite(ptr, size, count, static_cast<std::FILE*>(file));
}

// One comment into the block; the key is ours, the value is checked. A trailing newline
// (left by a multi-line edit) is not part of the value.
void AddComment(vorbis_comment* block, const char* key, std::string_view value) {
    if (!value.empty() && value.back() == '\n') value.remove_suffix(1);
    if (value.empty()) return;
    const std::optional<std::string> utf8 = UnicodeOrCp949ToUtf8(value);
    if (!utf8) {
        std::fprintf(stderr, "Unicode translation error %d\n", EILSEQ);
        return;
    }
    vorbis_comment_add_tag(block, key, utf8->c_str());
}

bool IsEditedKey(std::string_view key) {
    for (const CommentField& f : kCommentFields) {
        const std::string_view upper = f.key;
        if (key.size() != upper.size()) continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i) {
            const char c = key[i];
            same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == upper[i];
        }
        if (same) return true;
    }
    return false;
}

// Takes the comments of the seven edited keys out of the block (keys match without
// regard to case, as Vorbis defines them); every other comment stays, in its order.
void RemoveEditedComments(vorbis_comment* block) {
    int kept = 0;
    for (int i = 0; i < block->comments; ++i) {
        char* text = block->user_comments[i];
        const int length = text ? block->comment_lengths[i] : 0;
        const std::string_view comment(text ? text : "", static_cast<size_t>(std::max(length, 0)));
        const size_t eq = comment.find('=');
        if (text && eq != std::string_view::npos && IsEditedKey(comment.substr(0, eq))) {
            std::free(text);  // libvorbis allocates the comments with malloc
            continue;
        }
        block->user_comments[kept] = text;
        block->comment_lengths[kept] = length;
        ++kept;
    }
    block->comments = kept;
    if (block->user_comments) block->user_comments[kept] = nullptr;
}

}  // namespace

TagWriteResult WriteOggTag(const std::string& path, const TagRecord& fields) {
    std::string why;
    if (!IsWritableTagTarget(path, &why)) return TagWriteFailure("  실패 ", why, path);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> input(OpenRegularFile(path), &std::fclose);
    if (!input) return TagWriteFailure("  실패 ", "cannot open", path);

    VorbisCommentEditor editor;
    if (!editor.open(ReadStdio, input.get())) {
        std::fprintf(stderr, "%s\n", editor.lastError().c_str());
        return TagWriteFailure("vcedit_open ERROR", editor.lastError(), path);
    }
    // Opened only now: a file that is not Ogg Vorbis leaves no temporary file at all.
    ReplacementFile replacement(path, kOggTempSuffix);
    if (!replacement.ok()) return TagWriteFailure("  실패 ", replacement.error(), path);

    vorbis_comment* block = editor.commentBlock();
    RemoveEditedComments(block);
    for (const CommentField& f : kCommentFields) AddComment(block, f.key, fields.*f.field);

    if (!editor.rewrite(WriteStdio, replacement.stream())) {
        std::fprintf(stderr, "%s\n", editor.lastError().c_str());
        return TagWriteFailure(editor.lastError(), replacement.error(), path);
    }
    if (!editor.lastError().empty()) std::fprintf(stderr, "%s\n", editor.lastError().c_str());
    if (!replacement.commit()) {
        if (replacement.error().rfind("rename", 0) == 0)
            std::fprintf(stderr, "Error renaming %s to %s\n", replacement.tempPath().c_str(),
                         replacement.targetPath().c_str());
        return TagWriteFailure(vcedit_message::kWriteFailed, replacement.error(), path);
    }
    return TagWritten();
}

}  // namespace tavora
