// Loading the audio modules from the install folder's "system" folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AudioLibrary.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

class AudioLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        install_ = registry_.dir() / "install";
        fs::create_directories(install_ / "system");
        WriteRegString(keys::kRoot, keys::kInstallDir, install_.string());
        built_ = TAVORA_BUILT_MODULES_DIR;
    }
    void Provide(const std::string& name, const std::string& builtName = "") {
        fs::copy_file(built_ / (builtName.empty() ? name : builtName), install_ / "system" / name,
                      fs::copy_options::overwrite_existing);
    }
    void ProvideEngine() {
        for (const char* name : {kBassModule, kBassFxModule, kBassCdModule, kBassWmaModule}) Provide(name);
    }

    test::TempRegistry registry_;
    fs::path install_;
    fs::path built_;
};

TEST_F(AudioLibraryTest, LoadsTheEngineAndListsTheModulesThatAreNotThereYet) {
    ProvideEngine();
    AudioLibrary library;
    library.Load();
    EXPECT_TRUE(library.EngineLoaded());
    EXPECT_TRUE(library.VersionMatches());
    const std::vector<std::string> expected = {"UnZip.so", "UnRar.so", "UnAlzipper.so", "deskband.so"};
    EXPECT_EQ(library.MissingFiles(), expected);
    // The table reaches the engine: a decode-only stream of a generated WAV file.
    const BassFunctions& bass = library.Bass();
    ASSERT_NE(bass.BASS_FX_TempoCreate, nullptr);
    ASSERT_NE(bass.BASS_CD_StreamCreateFile, nullptr);
    ASSERT_NE(bass.BASS_WMA_StreamCreateFile, nullptr);
    ASSERT_TRUE(bass.BASS_Init(0, 44100, 0, nullptr, nullptr));
    const std::string wav = (registry_.dir() / "t.wav").string();
    {
        std::ofstream out(wav, std::ios::binary);
        const unsigned char header[44] = {'R', 'I', 'F', 'F', 36 + 8, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                          16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0,
                                          'd', 'a', 't', 'a', 8, 0, 0, 0};
        out.write(reinterpret_cast<const char*>(header), sizeof header);
        out.write("\1\0\2\0\3\0\4\0", 8);
    }
    const HSTREAM stream = bass.BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(bass.BASS_StreamGetLength(stream), 8u);
    const HSTREAM tempo = bass.BASS_FX_TempoCreate(stream, BASS_FX_FREESOURCE | BASS_SAMPLE_LOOP);
    EXPECT_NE(tempo, 0u);
    EXPECT_TRUE(bass.BASS_StreamFree(tempo));
    library.UnloadAll();  // frees the output as well
    EXPECT_FALSE(library.IsLoaded(kBassModule));
    EXPECT_EQ(library.Bass().BASS_Init, nullptr);
}

TEST_F(AudioLibraryTest, WithoutTheMainModuleItsSiblingsWaitForTheRetry) {
    for (const char* name : {kBassFxModule, kBassCdModule, kBassWmaModule}) Provide(name);
    Provide(kDeskbandModule, kBassCdModule);  // any library will do as a stand-in band module
    AudioLibrary library;
    library.Load();
    EXPECT_FALSE(library.VersionMatches());
    EXPECT_EQ(library.MissingFiles(), (std::vector<std::string> {"bass.so", "UnZip.so", "UnRar.so", "UnAlzipper.so"}));
    EXPECT_FALSE(library.IsLoaded(kBassFxModule));
    EXPECT_TRUE(library.IsLoaded(kDeskbandModule));

    Provide(kBassModule);  // as the required-file download would
    library.RetryMissing();
    EXPECT_TRUE(library.EngineLoaded());
    EXPECT_TRUE(library.VersionMatches());
    EXPECT_EQ(library.MissingFiles(), (std::vector<std::string> {"UnZip.so", "UnRar.so", "UnAlzipper.so"}));
    library.Unload(kDeskbandModule);
    EXPECT_FALSE(library.IsLoaded(kDeskbandModule));
}

TEST_F(AudioLibraryTest, BrokenOrIncompleteModulesCountAsMissing) {
    ProvideEngine();
    std::ofstream(install_ / "system" / kBassCdModule) << "not a library";
    Provide(kBassWmaModule, kBassFxModule);  // loads, but has no BASS_WMA_StreamCreateFile
    AudioLibrary library;
    library.Load();
    EXPECT_FALSE(library.EngineLoaded());
    EXPECT_TRUE(library.IsLoaded(kBassFxModule));
    EXPECT_EQ(library.Bass().BASS_WMA_StreamCreateFile, nullptr);
    const auto& missing = library.MissingFiles();
    ASSERT_GE(missing.size(), 2u);
    EXPECT_EQ(missing[0], "basscd.so");
    EXPECT_EQ(missing[1], "basswma.so");
}

TEST_F(AudioLibraryTest, UnknownInstallFolderLoadsNothing) {
    WriteRegString(keys::kRoot, keys::kInstallDir, (registry_.dir() / "nowhere").string());
    AudioLibrary library;
    library.Load();
    EXPECT_FALSE(library.IsLoaded(kBassModule));
    EXPECT_EQ(library.MissingFiles().front(), "bass.so");
    EXPECT_FALSE(library.VersionMatches());
}

}  // namespace
}  // namespace tavora
