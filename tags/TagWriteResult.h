#pragma once
// What a tag writer reports back to the dialog that called it.

#include <string>
#include <vector>

namespace tavora {

struct TagWriteResult {
    bool written = false;     // the file now holds the new tag
    std::string userMessage;  // the text to show the user when not written
    std::string detail;       // the underlying reason, for the log
    // Fields that could not be set, one message each; the others were still written.
    std::vector<std::string> fieldMessages;

    explicit operator bool() const { return written; }
};

// A written file.
inline TagWriteResult TagWritten() {
    TagWriteResult result;
    result.written = true;
    return result;
}

// A failed write of the file at path: logged (category "tavora.tags") and returned.
TagWriteResult TagWriteFailure(const std::string& userMessage, const std::string& detail, const std::string& path);

}  // namespace tavora
