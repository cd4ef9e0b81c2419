#include "TagCopyEdit.h"

#include "ReplacementFile.h"

namespace tavora {

TagWriteResult EditTagCopy(const std::string& path, AudioRegionFn audioRegion, const CopyEditFn& edit) {
    std::string why;
    if (!IsWritableTagTarget(path, &why)) return TagWriteFailure(kTagWriteFailedText, why, path);
    // A file whose audio cannot be told apart from its tags is not touched: the writer
    // could not tell what it may rewrite.
    const auto before = audioRegion(path);
    if (!before)
        return TagWriteFailure(kTagWriteFailedText, "the tag claims more than it holds, or no audio follows it", path);
    ReplacementFile replacement(path, kTagTempSuffix);
    if (!replacement.ok()) return TagWriteFailure(kTagWriteFailedText, replacement.error(), path);
    if (!replacement.copyTarget() || !replacement.closeStream())
        return TagWriteFailure(kTagWriteFailedText, replacement.error(), path);
    if (TagWriteResult edited = edit(replacement.tempPath()); !edited.written) return edited;
    const auto after = audioRegion(replacement.tempPath());
    if (!after || !SameRegionBytes(replacement.targetPath(), *before, replacement.tempPath(), *after))
        return TagWriteFailure(kTagWriteFailedText, "the audio of the edited copy differs (write failed)", path);
    if (!replacement.commit()) return TagWriteFailure(kTagWriteFailedText, replacement.error(), path);
    return TagWritten();
}

}  // namespace tavora
