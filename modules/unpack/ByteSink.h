#pragma once
// Where a decoder puts an entry's bytes: a file being extracted or a memory buffer.
// Write refuses (returns false) once the output would exceed what the sink allows.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavora::unpack {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const void* data, size_t size) = 0;
    uint64_t Written() const { return written_; }
    const std::string& Error() const { return error_; }

protected:
    uint64_t written_ = 0;
    std::string error_;
};

// Collects the bytes in memory, up to a limit.
class MemorySink : public ByteSink {
public:
    explicit MemorySink(uint64_t limit) : limit_(limit) {}
    bool Write(const void* data, size_t size) override;
    std::vector<unsigned char>& Bytes() { return bytes_; }

private:
    uint64_t limit_;
    std::vector<unsigned char> bytes_;
};

}  // namespace tavora::unpack
