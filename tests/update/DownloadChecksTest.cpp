// What a downloaded file must be before it is installed or run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AudioLibrary.h"
#include "InstallerCheck.h"
#include "LibraryCheck.h"
#include "TempFolder.h"
#include "UpdateTestFiles.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

using test::kBuiltModules;


TEST(LibraryCheckTest, TheBuiltModulesPassWithWhatTheLoaderTakesFromThem) {
    for (const char* name : {kBassModule, kBassFxModule, kBassCdModule, kBassWmaModule, kUnZipModule, kUnRarModule,
                             kUnAlzipperModule}) {
        EXPECT_FALSE(RequiredExports(name).empty()) << name;
        EXPECT_EQ(CheckLibrary((kBuiltModules / name).string(), RequiredExports(name)), "") << name;
    }
}

TEST(LibraryCheckTest, AModuleWithoutTheEntryPointsIsRefused) {
    const std::string why = CheckLibrary((kBuiltModules / kBassCdModule).string(), RequiredExports(kBassModule));
    EXPECT_EQ(why.rfind("lacks ", 0), 0u) << why;
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
    EXPECT_EQ(CheckLibrary(foreign.string(), RequiredExports(kUnRarModule)), "built for another machine");

    // A static archive of ELF objects is no library either.
    const fs::path truncated = folder.path() / "cut.so";
    {
        std::ifstream in(kBuiltModules / kUnRarModule, std::ios::binary);
        std::string head(64, '\0');
        in.read(head.data(), 64);
        test::WriteFile(truncated, head);
    }
    EXPECT_NE(CheckLibrary(truncated.string(), RequiredExports(kUnRarModule)), "");
}

TEST(InstallerCheckTest, TheSumFileIsReadAsSha256sumWritesIt) {
    const std::string sum(64, 'a');
    EXPECT_EQ(ParseSha256Sum(sum), sum);
    EXPECT_EQ(ParseSha256Sum(sum + "  TavoraUpdateSkin\n"), sum);
    EXPECT_EQ(ParseSha256Sum(" " + std::string(64, 'A') + " *TavoraUpdateSkin"), sum);
    EXPECT_EQ(ParseSha256Sum(sum.substr(1)), std::nullopt);
    EXPECT_EQ(ParseSha256Sum(sum + "a"), std::nullopt);
    EXPECT_EQ(ParseSha256Sum(sum + "x"), std::nullopt);
    EXPECT_EQ(ParseSha256Sum(""), std::nullopt);
    EXPECT_EQ(ParseSha256Sum("<html>" + sum), std::nullopt);
}

TEST(InstallerCheckTest, TheInstallerMustMatchItsPublishedSum) {
    test::TempFolder folder("sumcheck");
    const fs::path program = folder.path() / "TavoraUpdateSkin";
    test::WriteFile(program, "abc");
    // sha256("abc")
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(FileSha256(program.string()), abc);
    test::WriteFile(folder.path() / "right", abc + "  TavoraUpdateSkin\n");
    test::WriteFile(folder.path() / "wrong", std::string(64, '0') + "\n");
    test::WriteFile(folder.path() / "page", "<html>404</html>");
    EXPECT_EQ(CheckInstaller(program.string(), (folder.path() / "right").string()), "");
    EXPECT_EQ(CheckInstaller(program.string(), (folder.path() / "wrong").string()), "checksum mismatch");
    EXPECT_NE(CheckInstaller(program.string(), (folder.path() / "page").string()), "");
    EXPECT_NE(CheckInstaller(program.string(), (folder.path() / "absent").string()), "");
}

}  // namespace
}  // namespace tavora
