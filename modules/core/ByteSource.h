#pragma once
// Where a decoder's bytes come from: a local file, a memory block, or a network
// download (modules/bass/NetworkByteSource.h).
//
// Threading: one object is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tavora::audio {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes; fewer (or 0) only at the end of the data or on an error.
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Moves to an absolute offset; false when not possible (the position is kept).
    virtual bool Seek(int64_t offset) = 0;
    virtual int64_t Tell() const = 0;
    // Total size in bytes, -1 when unknown.
    virtual int64_t Size() const = 0;
    virtual bool Seekable() const = 0;
};

class FileByteSource final : public ByteSource {
public:
    // nullptr when the file cannot be opened.
    static std::unique_ptr<FileByteSource> Open(const std::string& path);
    ~FileByteSource() override;
    size_t Read(void* buffer, size_t size) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() const override { return position_; }
    int64_t Size() const override { return size_; }
    bool Seekable() const override { return true; }

private:
    explicit FileByteSource(FILE* file, int64_t size) : file_(file), size_(size) {}
    FILE* file_;
    int64_t size_;
    int64_t position_ = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const uint8_t* data, size_t size) : data_(data, data + size) {}
    size_t Read(void* buffer, size_t size) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() const override { return position_; }
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    bool Seekable() const override { return true; }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

}  // namespace tavora::audio
