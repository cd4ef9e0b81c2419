// Replays inputs through a fuzz target when libFuzzer is not available.
//
//   target [--random N] [--seed S] [--max-len L] FILE|DIR...
//
// Every file (every file inside a folder) is fed once, then N random mutations of
// them (bit flips, byte changes, cuts, insertions and splices) are fed as well.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Mutate(std::vector<uint8_t> data, const std::vector<std::vector<uint8_t>>& corpus,
                            std::mt19937_64& rng, size_t maxLen) {
    const int steps = 1 + static_cast<int>(rng() % 8);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 7) {
        case 0:
            if (!data.empty()) data[rng() % data.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
            break;
        case 1:
            if (!data.empty()) data[rng() % data.size()] = static_cast<uint8_t>(rng());
            break;
        case 2:
            if (!data.empty()) data.resize(rng() % data.size());
            break;
        case 3: {
            const size_t at = data.empty() ? 0 : rng() % (data.size() + 1);
            const size_t n = 1 + rng() % 16;
            std::vector<uint8_t> bytes(n);
            for (auto& b : bytes) b = static_cast<uint8_t>(rng());
            data.insert(data.begin() + static_cast<long>(at), bytes.begin(), bytes.end());
            break;
        }
        case 4: {
            if (corpus.empty()) break;
            const auto& other = corpus[rng() % corpus.size()];
            if (other.empty()) break;
            const size_t from = rng() % other.size();
            const size_t n = 1 + rng() % (other.size() - from);
            const size_t at = data.empty() ? 0 : rng() % (data.size() + 1);
            data.insert(data.begin() + static_cast<long>(at), other.begin() + static_cast<long>(from),
                        other.begin() + static_cast<long>(from + n));
            break;
        }
        case 5: {
            // Interesting numbers: 0, -1, large lengths.
            static const uint8_t kValues[] = {0x00, 0xff, 0x7f, 0x80, 0x01, 0xfe};
            if (!data.empty()) data[rng() % data.size()] = kValues[rng() % sizeof(kValues)];
            break;
        }
        default:
            if (data.size() > 1) {
                const size_t a = rng() % data.size(), b = rng() % data.size();
                std::swap(data[a], data[b]);
            }
        }
    }
    if (data.size() > maxLen) data.resize(maxLen);
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    long random = 0;
    uint64_t seed = 1;
    size_t maxLen = 1 << 20;
    std::vector<std::vector<uint8_t>> corpus;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--random") && i + 1 < argc) {
            random = std::atol(argv[++i]);
        } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (!std::strcmp(argv[i], "--max-len") && i + 1 < argc) {
            maxLen = std::strtoull(argv[++i], nullptr, 10);
        } else {
            std::filesystem::path p(argv[i]);
            std::error_code ec;
            if (std::filesystem::is_directory(p, ec)) {
                for (const auto& e : std::filesystem::recursive_directory_iterator(p, ec))
                    if (e.is_regular_file()) corpus.push_back(ReadFile(e.path()));
            } else if (std::filesystem::is_regular_file(p, ec)) {
                corpus.push_back(ReadFile(p));
            } else {
                std::fprintf(stderr, "no such input: %s\n", argv[i]);
                return 2;
            }
        }
    }
    for (const auto& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
    std::mt19937_64 rng(seed);
    std::vector<uint8_t> empty;
    for (long i = 0; i < random; ++i) {
        const auto& base = corpus.empty() ? empty : corpus[rng() % corpus.size()];
        auto input = Mutate(base, corpus, rng, maxLen);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu inputs and %ld mutations\n", corpus.size(), random);
    return 0;
}
