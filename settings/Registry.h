#pragma once
// The registry access functions under the settings faces: in the player only settings/
// calls them (the separate tools and the tests may too).
//
// Each call opens its key (creating it when missing), does its one job and closes it
// again; errors do not reach the caller (the store tells the user once, on stderr, what
// went wrong with its file). A DWORD that cannot be read comes back as the
// missing-value mark kMissingDword, a string as the text "ERROR": callers replace
// them by their defaults (the ...Or helpers do exactly that). A stored DWORD of
// -11550 and a stored text "ERROR" therefore read as missing.
//
// Key paths are below the hive, e.g. "SOFTWARE\TavoraPlayer\Setting\Control".
// Safe to call from any thread.

#include <optional>
#include <string>
#include <string_view>

namespace tavora {

inline constexpr int kMissingDword = -11550;
inline constexpr const char* kMissingString = "ERROR";
// A string value is read into a buffer of this many bytes; a longer one (with its
// terminating zero) cannot be read and reads as "ERROR".
inline constexpr size_t kRegStringBuffer = 1024;

int ReadRegDword(std::string_view key, std::string_view value);
std::string ReadRegString(std::string_view key, std::string_view value);
void WriteRegDword(std::string_view key, std::string_view value, int number);
void WriteRegString(std::string_view key, std::string_view value, std::string_view text);
void DeleteRegValue(std::string_view key, std::string_view value);
void DeleteRegKey(std::string_view key);

int ReadRegDwordOr(std::string_view key, std::string_view value, int fallback);
std::string ReadRegStringOr(std::string_view key, std::string_view value, std::string_view fallback);
std::string ReadRegDwordAsText(std::string_view key, std::string_view value, std::string_view fallback);
int ReadRegTextAsNumber(std::string_view key, std::string_view value, int fallback);

// HKEY_CLASSES_ROOT: the file associations.
std::string ReadClassesString(std::string_view key, std::string_view value);
void WriteClassesString(std::string_view key, std::string_view value, std::string_view text);
void DeleteClassesKey(std::string_view key);

// Adds one to a DWORD atomically across processes and returns the new number; nothing
// when the store could not be written (locked, read-only, full), and then the value is
// unchanged. A missing value counts as the missing-value mark, as a plain
// read-add-write would.
std::optional<int> IncrementRegDword(std::string_view key, std::string_view value);

// Makes every registry write of this thread in its scope one transaction: after a
// crash the store holds either all of them or none. The end of the scope commits;
// Commit() ends it early and tells whether the writes were stored. A batch that could
// not begin, or in which a write failed, stores nothing.
class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
    bool Commit();

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace tavora
