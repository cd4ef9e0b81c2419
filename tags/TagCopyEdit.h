#pragma once
// The write path of the TagLib-based writers (MP3, WMA): TagLib edits files in place, so
// it is given a copy in the target's folder (ReplacementFile.h), the copy's audio is
// compared with the original's (AudioRegion.h: TagLib does not report failed writes), and
// only then is the copy renamed over the target.
//
// Threading: any thread.

#include <functional>
#include <optional>
#include <string>

#include "AudioRegion.h"
#include "TagWriteResult.h"

namespace tavora {

inline constexpr const char* kTagTempSuffix = ".tagtemp";
// The editors' save failure text.
inline constexpr const char* kTagWriteFailedText = "파일정보 쓰기 실패";

using AudioRegionFn = std::optional<ByteRegion> (*)(const std::string& path);
// Edits the copy at tempPath; returns a failure (TagWriteFailure) or a written result.
using CopyEditFn = std::function<TagWriteResult(const std::string& tempPath)>;

TagWriteResult EditTagCopy(const std::string& path, AudioRegionFn audioRegion, const CopyEditFn& edit);

}  // namespace tavora
