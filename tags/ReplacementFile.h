#pragma once
// Replacing a tagged file without ever leaving a damaged one behind.
//
// The new contents are written to a temporary file in the target's own folder (so that the
// final rename stays on one file system and is atomic), flushed to the disk with fsync, and
// only then renamed over the target; the folder is synced after the rename. Until commit()
// succeeds the target is untouched; a ReplacementFile that is destroyed without a commit
// removes its temporary file. Only a process killed between the two steps can leave the
// temporary file behind, next to an intact target; the next write of the same target
// reuses (truncates) that name.
//
// Symbolic links are followed: the real file is replaced and the link stays a link. The
// temporary file gets the target's permission bits and, where allowed, its owner.
//
// Threading: one object per write; no shared state.

#include <cstdio>
#include <string>

namespace tavora {

class ReplacementFile {
public:
    // Prepares the replacement of target with a temporary file named target + suffix.
    // ok() tells whether that worked; error() says why not (strerror text).
    ReplacementFile(const std::string& target, const std::string& suffix);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool ok() const { return out_ != nullptr; }
    const std::string& error() const { return error_; }
    // The real file being replaced (links resolved) and the temporary file's name.
    const std::string& targetPath() const { return target_; }
    const std::string& tempPath() const { return temp_; }

    // The temporary file, open for writing ("wb").
    std::FILE* stream() const { return out_; }

    // Copies the target's whole contents into the temporary file (for the writers that
    // edit a copy in place). False on a read or write failure.
    bool copyTarget();

    // Closes the stream (the temporary file may be edited by name in between) and then
    // syncs it and renames it over the target. False, with error() set, when any step
    // fails; the target is then unchanged and the temporary file gone.
    bool closeStream();
    bool commit();

private:
    void fail(const std::string& what);

    std::string target_;
    std::string temp_;
    std::string error_;
    std::FILE* out_ = nullptr;
    bool streamClosed_ = false;
    bool committed_ = false;
};

// Whether the file at path may be rewritten: it exists, is a regular file and has a write
// permission bit (a read-only file stays read-only even for the superuser) that applies to
// this process. Sets *why to a short reason when not.
bool IsWritableTagTarget(const std::string& path, std::string* why);

}  // namespace tavora
