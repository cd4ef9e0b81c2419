// Menu and accelerator files of any content: never a crash, a hang or deep recursion.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "MenuResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto popups = tavora::ParseMenuResource(bytes);
    for (const auto& popup : popups)
        if (popup.items.empty()) __builtin_trap();  // a popup is only kept with items
    tavora::ParseAcceleratorTable(bytes);
    return 0;
}
