// Registering the file types: the store's keys, the user's mimeapps.list, the desktop
// entry, and what the desktop's own tools make of them.
#include <gtest/gtest.h>

#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Associations.h"
#include "ClassesKeys.h"
#include "DesktopAssociations.h"
#include "MimeAppsList.h"
#include "QtTestSupport.h"
#include "Registry.h"
#include "TempRegistry.h"

using namespace tavora;
namespace fs = std::filesystem;

namespace {

ConnectFlags All() {
    ConnectFlags flags;
    flags.fill(true);
    return flags;
}

ConnectFlags Only(FileType type) {
    ConnectFlags flags{};
    flags[static_cast<size_t>(type)] = true;
    return flags;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The output and exit status of a command run through the shell.
std::pair<std::string, int> Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {"", -1};
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A private XDG data and config folder for the desktop side.
class DesktopFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders_.dataHome = (reg_.dir() / "data").string();
        folders_.configHome = (reg_.dir() / "config").string();
        setenv("XDG_DATA_HOME", folders_.dataHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", folders_.configHome.c_str(), 1);
        setenv("XDG_DATA_DIRS", (reg_.dir() / "nothing").c_str(), 1);
        // xdg-mime asks the running desktop first; there is none here.
        unsetenv("XDG_CURRENT_DESKTOP");
        unsetenv("DESKTOP_SESSION");
        unsetenv("KDE_FULL_SESSION");
        unsetenv("GNOME_DESKTOP_SESSION_ID");
        test::App();
    }
    fs::path Entry() const { return fs::path(folders_.dataHome) / "applications" / kDesktopId; }
    std::string Env() const {
        return "XDG_DATA_HOME='" + folders_.dataHome + "' XDG_CONFIG_HOME='" + folders_.configHome + "' ";
    }

    // The default application of a type as GLib (and so the file managers) finds it.
    std::string GioDefault(const std::string& mime) const {
        const std::string out = Shell(Env() + "LC_ALL=C gio mime " + mime).first;
        const std::string first = out.substr(0, out.find('\n'));
        if (first.rfind("Default application", 0) != 0) return "";
        return first.substr(first.rfind(": ") + 2);
    }

    test::TempRegistry reg_;
    DesktopFolders folders_;
};

}  // namespace

TEST(ClassesKeysTest, SongTypesGetOpenAndEnqueueWithTheProgramPathQuoted) {
    test::TempRegistry reg;
    const std::string program = "/opt/My Player/bin/tavoraplayer";
    WriteClassesKeys(Only(FileType::Mp3), program);
    EXPECT_EQ(ReadClassesString(".mp3", ""), "tavora.mp3");
    EXPECT_EQ(ReadClassesString("tavora.mp3", ""), "Tavora mp3file");
    EXPECT_EQ(ReadClassesString("tavora.mp3\\DefaultIcon", ""), program + ",-143");
    EXPECT_EQ(ReadClassesString("tavora.mp3\\shell", ""), "open");
    EXPECT_EQ(ReadClassesString("tavora.mp3\\shell\\open\\command", ""), "\"" + program + "\" -s%1");
    EXPECT_EQ(ReadClassesString("tavora.mp3\\shell\\Enqueue", ""), "타보라 플레이어 재생목록에 추가(&E)");
    EXPECT_EQ(ReadClassesString("tavora.mp3\\shell\\Enqueue\\command", ""), "\"" + program + "\" -add%1");
    // Only the type asked for.
    EXPECT_EQ(ReadClassesString(".ogg", ""), "ERROR");
}

TEST(ClassesKeysTest, PlaylistTypesOpenAsListsAndHaveNoEnqueue) {
    test::TempRegistry reg;
    WriteClassesKeys(All(), "/usr/bin/tavoraplayer");
    EXPECT_EQ(ReadClassesString("tavora.m3u\\shell\\open\\command", ""), "\"/usr/bin/tavoraplayer\" -list%1");
    EXPECT_EQ(ReadClassesString("tavora.pls\\shell\\open\\command", ""), "\"/usr/bin/tavoraplayer\" -pls%1");
    EXPECT_EQ(ReadClassesString("tavora.m3u\\shell\\Enqueue", ""), "ERROR");
    EXPECT_EQ(ReadClassesString("tavora.pls\\shell\\Enqueue\\command", ""), "ERROR");
    const std::pair<const char*, const char*> icons[] = {{"tavora.mp3", ",-143"}, {"tavora.ogg", ",-148"},
                                                         {"tavora.wma", ",-149"}, {"tavora.wav", ",-159"},
                                                         {"tavora.cda", ",-193"}, {"tavora.m3u", ",-152"},
                                                         {"tavora.pls", ",-157"}};
    for (const auto& [id, icon] : icons)
        EXPECT_EQ(ReadClassesString(std::string(id) + "\\DefaultIcon", ""), std::string("/usr/bin/tavoraplayer") + icon);
}

TEST(ClassesKeysTest, ATypeSwitchedOffKeepsWhatWasRegistered) {
    test::TempRegistry reg;
    WriteClassesKeys(All(), "/old/tavoraplayer");
    ConnectFlags withoutPls = All();
    withoutPls[static_cast<size_t>(FileType::Pls)] = false;
    WriteClassesKeys(withoutPls, "/new/tavoraplayer");
    EXPECT_EQ(ReadClassesString(".pls", ""), "tavora.pls");
    EXPECT_EQ(ReadClassesString("tavora.pls\\shell\\open\\command", ""), "\"/old/tavoraplayer\" -pls%1");
    EXPECT_EQ(ReadClassesString("tavora.m3u\\shell\\open\\command", ""), "\"/new/tavoraplayer\" -list%1");
}

TEST(MimeAppsListTest, TheUsersDefaultsStayAndThePlayerClaimsOnlyFreeOrItsOwnTypes) {
    const std::string before =
        "# chosen by hand\n"
        "[Default Applications]\n"
        "text/plain=editor.desktop\n"
        "audio/mpeg = other.desktop;\n"
        "audio/ogg=\n"
        "audio/x-wav=tavoraplayer.desktop;other.desktop;\n"
        "\n"
        "[Added Associations]\n"
        "audio/mpeg=other.desktop;third.desktop;\n"
        "audio/ogg=other.desktop;tavoraplayer.desktop;\n"
        "\n"
        "[Removed Associations]\n"
        "audio/flac=tavoraplayer.desktop;\n";
    const std::vector<std::string> types = {"audio/mpeg", "audio/ogg", "audio/x-wav", "audio/x-ms-wma"};
    const std::string after = WithAssociation(before, "tavoraplayer.desktop", types);
    EXPECT_EQ(after,
              "# chosen by hand\n"
              "[Default Applications]\n"
              "text/plain=editor.desktop\n"
              "audio/mpeg = other.desktop;\n"
              "audio/ogg=tavoraplayer.desktop;\n"
              "audio/x-wav=tavoraplayer.desktop;other.desktop;\n"
              "audio/x-ms-wma=tavoraplayer.desktop;\n"
              "\n"
              "[Added Associations]\n"
              "audio/mpeg=other.desktop;third.desktop;tavoraplayer.desktop;\n"
              "audio/ogg=tavoraplayer.desktop;other.desktop;\n"
              "audio/x-wav=tavoraplayer.desktop;\n"
              "audio/x-ms-wma=tavoraplayer.desktop;\n"
              "\n"
              "[Removed Associations]\n"
              "audio/flac=tavoraplayer.desktop;\n");
    // A second run changes nothing more.
    EXPECT_EQ(WithAssociation(after, "tavoraplayer.desktop", types), after);
}

TEST(MimeAppsListTest, AnEmptyFileGetsBothSections) {
    EXPECT_EQ(WithAssociation("", "p.desktop", {"audio/mpeg"}),
              "[Default Applications]\naudio/mpeg=p.desktop;\n\n[Added Associations]\naudio/mpeg=p.desktop;\n");
    // Keys that only start like a type are other keys.
    EXPECT_NE(WithAssociation("[Default Applications]\naudio/mpegurl=x.desktop\n", "p.desktop", {"audio/mpeg"})
                  .find("audio/mpegurl=x.desktop\naudio/mpeg=p.desktop;\n"),
              std::string::npos);
}

TEST(DesktopEntryTest, ProgramPathsAreQuotedAndEscapedForExec) {
    EXPECT_EQ(QuotedExecArgument("/usr/bin/tavoraplayer"), "\"/usr/bin/tavoraplayer\"");
    // Space, quote, dollar, back quote, backslash and percent; the backslashes are
    // doubled once more for the value itself.
    EXPECT_EQ(QuotedExecArgument("/a b/\"$`\\%/p"), "\"/a b/\\\\\"\\\\$\\\\`\\\\\\\\%%/p\"");
    EXPECT_EQ(QuotedExecArgument("/bad\npath"), "");
    const std::string entry = DesktopEntryText("/opt/타보라/tavoraplayer", {"audio/mpeg", "audio/x-scpls"});
    EXPECT_NE(entry.find("Exec=\"/opt/타보라/tavoraplayer\" -s%f\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/타보라/tavoraplayer\" -add%f\n"), std::string::npos);
    EXPECT_EQ(DesktopEntryMimeTypes(entry), (std::vector<std::string>{"audio/mpeg", "audio/x-scpls"}));
}

TEST_F(DesktopFolderTest, RegisteredTypesOpenWithThePlayerAndTheEntryValidates) {
    const std::string program = "/opt/타보라 플레이어/bin/tavoraplayer";
    ApplyDesktopAssociations(All(), program, folders_);
    ASSERT_TRUE(fs::exists(Entry()));
    const std::pair<const char*, const char*> defaults[] = {
        {"audio/mpeg", "tavoraplayer.desktop"},          {"audio/ogg", "tavoraplayer.desktop"},
        {"audio/x-ms-wma", "tavoraplayer.desktop"},      {"audio/x-wav", "tavoraplayer.desktop"},
        {"application/x-cda", "tavoraplayer.desktop"},   {"audio/x-mpegurl", "tavoraplayer-m3u.desktop"},
        {"audio/x-scpls", "tavoraplayer-pls.desktop"}};
    for (const auto& [mime, entry] : defaults) {
        const auto [out, status] = Shell(Env() + "xdg-mime query default " + mime);
        EXPECT_EQ(status, 0) << mime;
        EXPECT_EQ(out, std::string(entry) + "\n") << mime;
    }
    // Each entry passes the desktop's checker; the playlists' ones load lists.
    for (const char* name : {"tavoraplayer.desktop", "tavoraplayer-m3u.desktop", "tavoraplayer-pls.desktop"}) {
        const fs::path entry = Entry().parent_path() / name;
        const auto [report, status] = Shell("desktop-file-validate '" + entry.string() + "'");
        EXPECT_EQ(status, 0) << report;
        EXPECT_EQ(report, "") << name;
    }
    EXPECT_NE(ReadFile(Entry().parent_path() / "tavoraplayer-pls.desktop").find(" -pls%f\n"), std::string::npos);
    EXPECT_NE(ReadFile(Entry().parent_path() / "tavoraplayer-m3u.desktop").find(" -list%f\n"), std::string::npos);
    // The type icons are in the user's icon theme under the player's names.
    const fs::path icons = fs::path(folders_.dataHome) / "icons" / "hicolor";
    EXPECT_TRUE(fs::exists(icons / "48x48" / "mimetypes" / "tavoraplayer-mp3.png"));
    EXPECT_TRUE(fs::exists(icons / "16x16" / "mimetypes" / "tavoraplayer-pls.png"));
    EXPECT_TRUE(fs::exists(icons / "128x128" / "apps" / "tavoraplayer.png"));
}

TEST_F(DesktopFolderTest, ATypeSwitchedOffStaysInTheEntryAndKeepsItsDefault) {
    ApplyDesktopAssociations(All(), "/usr/bin/tavoraplayer", folders_);
    ApplyDesktopAssociations(Only(FileType::Wav), "/usr/bin/tavoraplayer", folders_);
    const std::vector<std::string> types = DesktopEntryMimeTypes(ReadFile(Entry()));
    EXPECT_NE(std::find(types.begin(), types.end(), "audio/mpeg"), types.end());
    EXPECT_TRUE(fs::exists(Entry().parent_path() / "tavoraplayer-pls.desktop"));
    const auto [out, status] = Shell(Env() + "xdg-mime query default audio/mpeg");
    EXPECT_EQ(out, "tavoraplayer.desktop\n");
}

TEST_F(DesktopFolderTest, ADefaultTheUserChoseForAnotherProgramStays) {
    // The desktop's lookup passes over entries whose program is not installed: both are.
    const fs::path program = reg_.dir() / "bin" / "tavoraplayer";
    fs::create_directories(program.parent_path());
    std::ofstream(program) << "#!/bin/sh\n";
    fs::permissions(program, fs::perms::owner_all);
    // Another player, chosen by the user for MP3 files.
    const fs::path applications = fs::path(folders_.dataHome) / "applications";
    fs::create_directories(applications);
    std::ofstream(applications / "other.desktop") << "[Desktop Entry]\nType=Application\nName=Other\n"
                                                     "Exec=true %f\nMimeType=audio/mpeg;\n";
    fs::create_directories(folders_.configHome);
    std::ofstream(fs::path(folders_.configHome) / "mimeapps.list") << "[Default Applications]\naudio/mpeg=other.desktop;\n";
    // Every start with "AutoConnect" and every OK of the options do this.
    for (int run = 0; run < 2; ++run) {
        RegisterAssociations(All(), program.string());
        // The store's keys are written as ever.
        EXPECT_EQ(ReadClassesString(".mp3", ""), "tavora.mp3");
        EXPECT_EQ(ReadClassesString("tavora.mp3\\shell\\open\\command", ""), "\"" + program.string() + "\" -s%1");
        // As GLib's lookup (the file managers') sees it: the user's choice stays the
        // default, the player is offered beside it, and takes the types nobody has.
        EXPECT_EQ(GioDefault("audio/mpeg"), "other.desktop") << run;
        EXPECT_NE(Shell(Env() + "LC_ALL=C gio mime audio/mpeg").first.find("\n\ttavoraplayer.desktop\n"),
                  std::string::npos);
        EXPECT_EQ(GioDefault("audio/ogg"), "tavoraplayer.desktop") << run;
    }
}

TEST_F(DesktopFolderTest, TheDesktopsToolsAcceptWhatWasWritten) {
    ApplyDesktopAssociations(All(), "/usr/bin/tavoraplayer", folders_);
    const auto commands = DatabaseRefreshCommands(folders_);
    ASSERT_GE(commands.size(), 2u);  // the desktop and MIME databases (the tools are installed)
    RefreshDesktopDatabases(folders_, RefreshWait::Yes);
    // The MIME database knows ".cda" now, and the entry is in the desktop's cache.
    const fs::path track = reg_.dir() / "track01.cda";
    std::ofstream(track) << "RIFF";
    const auto [type, status] = Shell("XDG_DATA_HOME='" + folders_.dataHome +
                                      "' gio info -a standard::content-type '" + track.string() + "'");
    EXPECT_NE(type.find("standard::content-type: application/x-cda"), std::string::npos) << type;
    const std::string cache = ReadFile(fs::path(folders_.dataHome) / "applications" / "mimeinfo.cache");
    EXPECT_NE(cache.find("audio/x-scpls=tavoraplayer-pls.desktop;"), std::string::npos) << cache;
}
