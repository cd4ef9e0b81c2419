#pragma once
// The downloaded bytes of an address stream that wait for the decoder. Live radio keeps
// them in memory, a window of a fixed size. A file of known size is spooled to an
// unnamed temporary file instead: the download may then run far ahead (the program's
// buffering wait counts on that) while the process's memory stays small, and what the
// decoder has read is given back to the file system as it goes.
//
// Threading: none of its own; the owner serialises every call.

#include <cstddef>
#include <cstdint>
#include <deque>

namespace tavora::audio {

class ByteSpool {
public:
    explicit ByteSpool(size_t memoryCapacity) : capacity_(memoryCapacity) {}
    ~ByteSpool();
    ByteSpool(const ByteSpool&) = delete;
    ByteSpool& operator=(const ByteSpool&) = delete;

    // Moves to a temporary file holding up to capacity waiting bytes; only before any
    // byte arrived. False (staying in memory with its window) when no file can be made.
    bool SpoolToFile(int64_t capacity);
    bool OnFile() const { return fd_ >= 0; }
    void SetMemoryCapacity(size_t capacity) {
        if (fd_ < 0) capacity_ = capacity;
    }

    size_t Buffered() const;
    bool Empty() const { return Buffered() == 0; }
    // Whether size more bytes fit now.
    bool Fits(size_t size) const { return Buffered() + size <= capacity_; }
    // False when the bytes could not be stored (the file system is full).
    bool Append(const uint8_t* data, size_t size);
    // Up to size bytes from the front; Peek leaves them waiting.
    size_t Take(uint8_t* out, size_t size);
    size_t Peek(uint8_t* out, size_t size) const;

private:
    size_t capacity_;
    std::deque<uint8_t> memory_;
    int fd_ = -1;
    int64_t readAt_ = 0, writeAt_ = 0;
    int64_t released_ = 0;  // the file's bytes before this offset are given back
};

}  // namespace tavora::audio
