#include "ClassesKeys.h"

#include "Registry.h"

namespace tavora {

std::string VerbCommand(const std::string& programPath, const char* verbSwitch) {
    return "\"" + programPath + "\" " + verbSwitch + "%1";
}

void WriteClassesKeys(const ConnectFlags& flags, const std::string& programPath) {
    for (const FileTypeInfo& t : FileTypes()) {
        if (!flags[static_cast<size_t>(t.type)]) continue;
        const std::string id = t.progId;
        WriteClassesString(t.extension, "", id);
        WriteClassesString(id, "", t.description);
        WriteClassesString(id + "\\DefaultIcon", "", programPath + ",-" + std::to_string(t.icon));
        WriteClassesString(id + "\\shell", "", "open");
        WriteClassesString(id + "\\shell\\open\\command", "", VerbCommand(programPath, t.openSwitch));
        if (!t.enqueue) continue;
        WriteClassesString(id + "\\shell\\Enqueue", "", kEnqueueMenuText);
        WriteClassesString(id + "\\shell\\Enqueue\\command", "", VerbCommand(programPath, "-add"));
    }
}

}  // namespace tavora
