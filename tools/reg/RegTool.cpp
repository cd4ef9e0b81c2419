// tavora-reg: reads and edits the player's settings store the way reg.exe does.
//
//   tavora-reg query KEY [/v NAME] [/s]
//   tavora-reg add KEY [/v NAME] [/t REG_DWORD|REG_SZ] [/d DATA] [/f]
//   tavora-reg delete KEY [/v NAME] [/f]
//   tavora-reg export [KEY]
//
// KEY starts with a hive: HKLM (HKEY_LOCAL_MACHINE) or HKCR (HKEY_CLASSES_ROOT).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <strings.h>

#include "store/RegistryStore.h"

namespace {

using tavora::store::Hive;
using tavora::store::Value;
using tavora::store::ValueType;

struct KeyName {
    Hive hive;
    std::string path;
    const char* hiveName;
};

std::optional<KeyName> ParseKey(const std::string& text) {
    const std::string key = tavora::store::NormalizeKey(text);
    const size_t cut = key.find('\\');
    const std::string head = key.substr(0, cut);
    const std::string rest = cut == std::string::npos ? std::string() : key.substr(cut + 1);
    if (!strcasecmp(head.c_str(), "HKLM") || !strcasecmp(head.c_str(), "HKEY_LOCAL_MACHINE"))
        return KeyName{Hive::LocalMachine, rest, "HKEY_LOCAL_MACHINE"};
    if (!strcasecmp(head.c_str(), "HKCR") || !strcasecmp(head.c_str(), "HKEY_CLASSES_ROOT"))
        return KeyName{Hive::ClassesRoot, rest, "HKEY_CLASSES_ROOT"};
    return std::nullopt;
}

void PrintValue(const Value& v) {
    const char* name = v.name.empty() ? "(Default)" : v.name.c_str();
    if (v.type == ValueType::Dword)
        std::printf("    %s    REG_DWORD    0x%x\n", name, v.dword);
    else
        std::printf("    %s    REG_SZ    %s\n", name, v.text.c_str());
}

std::string Full(const KeyName& k, const std::string& path) {
    return path.empty() ? k.hiveName : std::string(k.hiveName) + "\\" + path;
}

int Query(const KeyName& k, const char* valueName, bool recursive) {
    if (!tavora::store::KeyExists(k.hive, k.path)) {
        std::fprintf(stderr, "ERROR: The system was unable to find the specified registry key or value.\n");
        return 1;
    }
    if (valueName) {
        auto v = tavora::store::GetValue(k.hive, k.path, valueName);
        if (!v) {
            std::fprintf(stderr, "ERROR: The system was unable to find the specified registry key or value.\n");
            return 1;
        }
        std::printf("\n%s\n", Full(k, k.path).c_str());
        PrintValue(*v);
        std::printf("\n");
        return 0;
    }
    auto printKey = [&](const std::string& path) {
        std::printf("\n%s\n", Full(k, path).c_str());
        for (const Value& v : tavora::store::ListValues(k.hive, path)) PrintValue(v);
    };
    printKey(k.path);
    if (recursive) {
        const std::string prefix = k.path.empty() ? "" : k.path + "\\";
        for (const std::string& path : tavora::store::ListAllKeys(k.hive))
            if (path.size() > prefix.size() && !strncasecmp(path.c_str(), prefix.c_str(), prefix.size()))
                printKey(path);
    } else {
        std::printf("\n");
        for (const std::string& child : tavora::store::ListSubkeys(k.hive, k.path))
            std::printf("%s\n", Full(k, k.path.empty() ? child : k.path + "\\" + child).c_str());
    }
    return 0;
}

// The text of a REG_SZ value in a .reg file.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '\\' || ch == '"') out.push_back('\\');
        out.push_back(ch);
    }
    return out + "\"";
}

int Export(std::optional<KeyName> only) {
    std::printf("Windows Registry Editor Version 5.00\n");
    for (Hive hive : {Hive::LocalMachine, Hive::ClassesRoot}) {
        if (only && only->hive != hive) continue;
        const KeyName k{hive, only ? only->path : "",
                        hive == Hive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CLASSES_ROOT"};
        const std::string prefix = k.path.empty() ? "" : k.path + "\\";
        for (const std::string& path : tavora::store::ListAllKeys(hive)) {
            const bool inside = k.path.empty() || !strcasecmp(path.c_str(), k.path.c_str()) ||
                                (path.size() > prefix.size() &&
                                 !strncasecmp(path.c_str(), prefix.c_str(), prefix.size()));
            if (!inside) continue;
            std::printf("\n[%s]\n", Full(k, path).c_str());
            for (const Value& v : tavora::store::ListValues(hive, path)) {
                const std::string name = v.name.empty() ? "@" : Quote(v.name);
                if (v.type == ValueType::Dword)
                    std::printf("%s=dword:%08x\n", name.c_str(), v.dword);
                else
                    std::printf("%s=%s\n", name.c_str(), Quote(v.text).c_str());
            }
        }
    }
    return 0;
}

// A damaged or unreadable store is said so, rather than reported as a missing key.
int CheckStoreOrSay() {
    const auto check = tavora::store::CheckStore();
    switch (check.condition) {
    case tavora::store::StoreCondition::Corrupt:
        std::fprintf(stderr, "ERROR: the settings store %s is corrupt (%s); the player moves it aside and "
                             "makes a new one when it starts.\n",
                     tavora::store::DatabasePath().c_str(), check.detail.c_str());
        return 3;
    case tavora::store::StoreCondition::Unavailable:
        std::fprintf(stderr, "ERROR: the settings store %s cannot be used: %s.\n",
                     tavora::store::DatabasePath().c_str(), check.detail.c_str());
        return 3;
    default:
        return 0;
    }
}

int Run(const std::string& op, const std::optional<KeyName>& key, const char* valueName, const char* type,
        const char* data, bool recursive);

int CouldNotWrite() {
    std::fprintf(stderr, "ERROR: could not write %s\n", tavora::store::DatabasePath().c_str());
    return 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tavora-reg query KEY [/v NAME] [/s]\n"
                 "       tavora-reg add KEY [/v NAME] [/t REG_DWORD|REG_SZ] [/d DATA] [/f]\n"
                 "       tavora-reg delete KEY [/v NAME] [/f]\n"
                 "       tavora-reg export [KEY]\n"
                 "KEY begins with HKLM or HKCR. The store is %s.\n",
                 tavora::store::DatabasePath().c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    // Looking at a damaged store must not change it: it is reported, not replaced.
    tavora::store::SetRepairCorruptStore(false);
    const std::string op = argv[1];
    std::optional<KeyName> key;
    const char* valueName = nullptr;
    const char* type = "REG_SZ";
    const char* data = nullptr;
    bool recursive = false, defaultValue = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (!strcasecmp(a.c_str(), "/v")) {
            if (!(valueName = next())) return Usage();
        } else if (!strcasecmp(a.c_str(), "/ve")) {
            defaultValue = true;
        } else if (!strcasecmp(a.c_str(), "/t")) {
            if (!(type = next())) return Usage();
        } else if (!strcasecmp(a.c_str(), "/d")) {
            if (!(data = next())) return Usage();
        } else if (!strcasecmp(a.c_str(), "/s")) {
            recursive = true;
        } else if (!strcasecmp(a.c_str(), "/f")) {
        } else if (!key) {
            key = ParseKey(a);
            if (!key) {
                std::fprintf(stderr, "ERROR: Invalid key name: %s\n", a.c_str());
                return 1;
            }
        } else {
            return Usage();
        }
    }
    if (defaultValue) valueName = "";
    if (const int failed = CheckStoreOrSay()) return failed;
    const int result = Run(op, key, valueName, type, data, recursive);
    // Damage found only while working still makes the answer wrong.
    if (const int failed = CheckStoreOrSay()) return failed;
    return result;
}

namespace {

int Run(const std::string& op, const std::optional<KeyName>& key, const char* valueName, const char* type,
        const char* data, bool recursive) {
    if (op == "export") return Export(key);
    if (!key) return Usage();
    if (op == "query") return Query(*key, valueName, recursive);
    if (op == "add") {
        if (!valueName) return tavora::store::CreateKey(key->hive, key->path) ? 0 : CouldNotWrite();
        bool ok;
        if (!strcasecmp(type, "REG_DWORD")) {
            const char* text = data ? data : "0";
            char* end = nullptr;
            const long long n = std::strtoll(text, &end, 0);
            if (!*text || *end || n < -2147483648LL || n > 4294967295LL) {
                std::fprintf(stderr, "ERROR: Invalid DWORD data: %s\n", text);
                return 1;
            }
            ok = tavora::store::SetDword(key->hive, key->path, valueName, static_cast<uint32_t>(n));
        } else if (!strcasecmp(type, "REG_SZ")) {
            ok = tavora::store::SetString(key->hive, key->path, valueName, data ? data : "");
        } else {
            std::fprintf(stderr, "ERROR: Unsupported type %s (REG_DWORD or REG_SZ)\n", type);
            return 1;
        }
        if (!ok) return CouldNotWrite();
        std::printf("The operation completed successfully.\n");
        return 0;
    }
    if (op == "delete") {
        if (valueName) {
            if (!tavora::store::GetValue(key->hive, key->path, valueName)) {
                std::fprintf(stderr, "ERROR: The system was unable to find the specified registry key or value.\n");
                return 1;
            }
            if (!tavora::store::DeleteValue(key->hive, key->path, valueName)) return CouldNotWrite();
        } else {
            if (!tavora::store::KeyExists(key->hive, key->path)) {
                std::fprintf(stderr, "ERROR: The system was unable to find the specified registry key or value.\n");
                return 1;
            }
            if (!tavora::store::DeleteKey(key->hive, key->path)) return CouldNotWrite();
        }
        std::printf("The operation completed successfully.\n");
        return 0;
    }
    return Usage();
}

}  // namespace
