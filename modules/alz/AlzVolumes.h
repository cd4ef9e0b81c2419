#pragma once
// The bytes of an ALZ archive as one logical stream, joined from its volumes
// ("x.alz", "x.a00" ... "x.a99", "x.b00" ...). Every volume starts with an 8-byte
// archive header, which only the first volume keeps in the stream; every volume but the
// last ends with a 16-byte tail ("CLZ\x01", 8 zero bytes, "CLZ\x03"), which is dropped.
// A volume missing from the middle of a set ends the stream there; entries reaching
// into it read short and fail as truncated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavora::alz {

class VolumeSet {
public:
    VolumeSet() = default;
    ~VolumeSet();
    VolumeSet(const VolumeSet&) = delete;
    VolumeSet& operator=(const VolumeSet&) = delete;

    // False (with *error) when the first file cannot be read or is not an ALZ archive.
    bool Open(const std::string& firstPath, std::string* error);
    uint64_t Size() const { return size_; }
    size_t VolumeCount() const { return volumes_.size(); }
    // Copies up to n bytes from the logical offset; fewer at the end of the stream.
    size_t Read(uint64_t offset, void* buffer, size_t n);
    // Set when the set stops at a volume that is announced but absent or not ALZ.
    const std::string& Warning() const { return warning_; }

private:
    struct Volume {
        std::string path;
        uint64_t logicalStart;  // where its bytes begin in the stream
        uint64_t physicalStart; // 0 for the first volume, 8 for the others
        uint64_t length;        // bytes it contributes
    };
    int Descriptor(size_t index);

    std::vector<Volume> volumes_;
    uint64_t size_ = 0;
    size_t openIndex_ = 0;
    int openFd_ = -1;
    std::string warning_;
};

// The name of volume `index` (1 = the first after "x.alz") of the set that `firstPath`
// starts; "" when the name is not one of an ALZ set (the media table's volume-set use).
std::string VolumeName(const std::string& firstPath, size_t index);

}  // namespace tavora::alz
