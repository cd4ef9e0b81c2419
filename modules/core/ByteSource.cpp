#include "ByteSource.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

#include "RegularFile.h"

namespace tavora::audio {

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
    // Only regular files: a FIFO, a folder or a device would block, read nothing or never end.
    FILE* file = OpenRegularFile(path);
    if (!file) return nullptr;
    struct stat st {};
    if (fstat(fileno(file), &st) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(file, st.st_size));
}

FileByteSource::~FileByteSource() { std::fclose(file_); }

size_t FileByteSource::Read(void* buffer, size_t size) {
    const size_t got = std::fread(buffer, 1, size, file_);
    position_ += static_cast<int64_t>(got);
    return got;
}

bool FileByteSource::Seek(int64_t offset) {
    if (offset < 0 || fseeko(file_, offset, SEEK_SET) != 0) return false;
    position_ = offset;
    return true;
}

size_t MemoryByteSource::Read(void* buffer, size_t size) {
    const size_t left = data_.size() - static_cast<size_t>(position_);
    const size_t n = std::min(size, left);
    if (n) std::memcpy(buffer, data_.data() + position_, n);
    position_ += static_cast<int64_t>(n);
    return n;
}

bool MemoryByteSource::Seek(int64_t offset) {
    if (offset < 0 || offset > static_cast<int64_t>(data_.size())) return false;
    position_ = offset;
    return true;
}

}  // namespace tavora::audio
