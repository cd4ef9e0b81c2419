#include "TagWriteResult.h"

#include "TagMessages.h"

namespace tavora {

TagWriteResult TagWriteFailure(const std::string& userMessage, const std::string& detail, const std::string& path) {
    LogTagFailure(detail.empty() ? userMessage : userMessage + " (" + detail + ")", path);
    TagWriteResult result;
    result.userMessage = userMessage;
    result.detail = detail;
    return result;
}

}  // namespace tavora
