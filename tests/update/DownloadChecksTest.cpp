// What a downloaded file must be before it is installed or run: signed by the key the
// player trusts, and, for a module, a library the loader will take.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "AudioLibrary.h"
#include "LibraryCheck.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempFolder.h"
#include "TempRegistry.h"
#include "UpdateSignature.h"
#include "UpdateTestFiles.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

using test::kBuiltModules;

const char* const kAllModules[] = {kBassModule,  kBassFxModule, kBassCdModule,    kBassWmaModule,
                                   kUnZipModule, kUnRarModule,  kUnAlzipperModule};

// A copy of a module in which one exported name is spelt otherwise: the module no
// longer offers it, and everything else stays as built.
void CopyWithout(const fs::path& from, const fs::path& to, const std::string& name) {
    std::string bytes = test::ReadFile(from);
    const std::string whole = std::string(1, '\0') + name + '\0';
    std::string renamed = whole;
    renamed[1] = renamed[1] == 'Q' ? 'Z' : 'Q';
    for (size_t at = bytes.find(whole); at != std::string::npos; at = bytes.find(whole, at + 1))
        bytes.replace(at, whole.size(), renamed);
    test::WriteFile(to, bytes);
}

TEST(LibraryCheckTest, TheDownloadCheckAcceptsAModuleExactlyWhenTheLoaderDoes) {
    // Each exported name of each module, taken away in turn: the check and the loader
    // must agree on every one, or an accepted module would still count as missing.
    test::TempRegistry registry;
    int refused = 0, cases = 0;
    for (const char* module : kAllModules) {
        for (const std::string& name : ExportedNames((kBuiltModules / module).string())) {
            // A fresh install folder per case: a module once loaded may stay mapped.
            const fs::path install = registry.dir() / ("case" + std::to_string(cases++));
            fs::create_directories(install / "system");
            for (const char* other : kAllModules) fs::copy_file(kBuiltModules / other, install / "system" / other);
            const fs::path patched = install / "system" / module;
            CopyWithout(kBuiltModules / module, patched, name);
            // A name the module calls itself leaves it unloadable whatever it offers:
            // no case of entry points.
            void* handle = dlopen(patched.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) continue;
            dlclose(handle);
            WriteRegString(keys::kRoot, keys::kInstallDir, install.string());
            const bool accepted = CheckLibrary(patched.string(), AudioLibrary::EntryPointNames(module)).empty();
            AudioLibrary library;
            library.Load();
            EXPECT_EQ(accepted, library.IsLoaded(module)) << module << " without " << name;
            refused += accepted ? 0 : 1;
        }
    }
    EXPECT_GT(refused, 0);  // the cases did take entry points away
}

TEST(LibraryCheckTest, WhatIsNotASharedLibraryOfThisMachineIsRefused) {
    test::TempFolder folder("libcheck");
    test::WriteFile(folder.path() / "page.so", "<html>not found</html>");
    EXPECT_EQ(CheckLibrary((folder.path() / "page.so").string(), {}), "not an ELF file");
    test::WriteFile(folder.path() / "empty.so", "");
    EXPECT_NE(CheckLibrary((folder.path() / "empty.so").string(), {}), "");
    EXPECT_EQ(CheckLibrary((folder.path() / "absent.so").string(), {}), "cannot be opened");

    // The same module with another machine in its header.
    const fs::path foreign = folder.path() / "foreign.so";
    fs::copy_file(kBuiltModules / kUnRarModule, foreign);
    {
        std::fstream f(foreign, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(18);  // e_machine
        const char other[2] = {0x28, 0x00};  // 32-bit ARM on a little-endian header
        f.write(other, 2);
    }
    EXPECT_EQ(CheckLibrary(foreign.string(), AudioLibrary::EntryPointNames(kUnRarModule)), "built for another machine");

    // A cut file is no library either.
    const fs::path truncated = folder.path() / "cut.so";
    {
        std::ifstream in(kBuiltModules / kUnRarModule, std::ios::binary);
        std::string head(64, '\0');
        in.read(head.data(), 64);
        test::WriteFile(truncated, head);
    }
    EXPECT_NE(CheckLibrary(truncated.string(), AudioLibrary::EntryPointNames(kUnRarModule)), "");
}

TEST(UpdateSignatureTest, OnlyTheTrustedKeysSignatureOfThatFileUnderThatNamePasses) {
    test::TempFolder folder("sigcheck");
    const fs::path file = folder.path() / "UnRar.so";
    test::WriteFile(file, "the module's bytes");
    const std::string sig = file.string() + kSignatureSuffix;
    const UpdatePublicKey key = test::TestPublicKey();
    test::Sign(file);
    const std::string good = test::ReadFile(sig);
    ASSERT_EQ(good.size(), kSignatureBytes);
    EXPECT_EQ(CheckSignature(file.string(), "UnRar.so", sig, key), "");

    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* name;
        const char* why;
    };
    const Case cases[] = {
        {"another file's bytes", [&] { test::WriteFile(file, "other bytes"); }, "UnRar.so", "wrong signature"},
        {"served under another name", [] {}, "UnZip.so", "wrong signature"},
        {"signed by another key", [&] { test::Sign(file, NewSecretSeed()); }, "UnRar.so", "wrong signature"},
        {"a bit flipped", [&] { std::string s = good; s[10] ^= 1; test::WriteFile(sig, s); }, "UnRar.so",
         "wrong signature"},
        {"cut short", [&] { test::WriteFile(sig, good.substr(0, 63)); }, "UnRar.so", "the signature is not 64 bytes"},
        {"too long", [&] { test::WriteFile(sig, good + "\n"); }, "UnRar.so", "the signature is not 64 bytes"},
        {"a page instead", [&] { test::WriteFile(sig, "<html>404</html>"); }, "UnRar.so", "the signature is not 64 bytes"},
        {"none", [&] { fs::remove(sig); }, "UnRar.so", "no signature"},
    };
    for (const Case& c : cases) {
        test::WriteFile(file, "the module's bytes");
        test::WriteFile(sig, good);
        c.spoil();
        EXPECT_EQ(CheckSignature(file.string(), c.name, sig, key), c.why) << c.what;
    }
}

}  // namespace
}  // namespace tavora
