#pragma once
// A tag read for an editor: the fields, or the message that tells the user why the file
// could not be read (then the fields are empty).

#include <string>

#include "TagRecord.h"

namespace tavora {

struct TagReadResult {
    TagRecord record;
    std::string failure;  // empty when the file was read

    bool ok() const { return failure.empty(); }
};

}  // namespace tavora
