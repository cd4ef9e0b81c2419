#include "DesktopAssociations.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include "MimeAppsList.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

// The sizes the type and program icons are made in (res/icons/hicolor/<size>/).
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

std::string FolderFromEnvironment(const char* variable, const char* belowHome) {
    if (const char* value = std::getenv(variable); value && *value == '/') return value;
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/" + belowHome;
    return {};
}

std::string ReadText(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

// Writes atomically, and only when the content changes (the desktop watches these files).
void WriteText(const fs::path& path, const std::string& text) {
    if (fs::exists(path) && ReadText(path) == text) return;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.commit();
}

void CopyResource(const QString& resource, const fs::path& target) {
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly)) return;  // a build without the pictures
    const QByteArray data = source.readAll();
    WriteText(target, data.toStdString());
}

void InstallIcons(const ConnectFlags& flags, const std::string& dataHome) {
    const fs::path hicolor = fs::path(dataHome) / "icons" / "hicolor";
    for (int size : kIconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const QString source = QStringLiteral(":/res/icons/hicolor/%1/").arg(size);
        CopyResource(source + QStringLiteral("tavoraplayer.png"),
                     hicolor / folder / "apps" / (std::string(kProgramIconName) + ".png"));
        for (const FileTypeInfo& t : FileTypes())
            if (flags[static_cast<size_t>(t.type)])
                CopyResource(source + QStringLiteral("type%1.png").arg(t.icon),
                             hicolor / folder / "mimetypes" / (std::string(t.iconName) + ".png"));
    }
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Gives the registered types the player's icons; a type the desktop does not know gets
// declared.
std::string MimePackageText(const std::set<FileType>& types) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (FileType type : types) {
        const FileTypeInfo& t = InfoOf(type);
        for (const char* mime : t.mimeTypes) {
            if (!mime) continue;
            xml += "  <mime-type type=\"" + XmlEscaped(mime) + "\">\n";
            if (t.declaredComment) {
                xml += "    <comment>" + XmlEscaped(t.declaredComment) + "</comment>\n";
                xml += "    <glob pattern=\"*" + XmlEscaped(t.extension) + "\"/>\n";
            }
            xml += "    <icon name=\"" + XmlEscaped(t.iconName) + "\"/>\n";
            xml += "  </mime-type>\n";
        }
    }
    xml += "</mime-info>\n";
    return xml;
}

std::vector<std::string> MimeTypesOf(FileType type) {
    std::vector<std::string> out;
    for (const char* mime : InfoOf(type).mimeTypes)
        if (mime) out.emplace_back(mime);
    return out;
}

}  // namespace

DesktopFolders UserDesktopFolders() {
    return {FolderFromEnvironment("XDG_DATA_HOME", ".local/share"), FolderFromEnvironment("XDG_CONFIG_HOME", ".config")};
}

std::string QuotedExecArgument(const std::string& path) {
    std::string arg = "\"";
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return {};
        if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
        if (c == '%') arg += '%';  // a literal % is written twice
        arg += c;
    }
    arg += '"';
    // The Exec value is a string value too, whose own escape character is the backslash.
    std::string value;
    for (char c : arg) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

std::string DesktopIdOf(const FileTypeInfo& type) {
    if (type.enqueue) return kDesktopId;
    return std::string("tavoraplayer-") + (type.extension + 1) + ".desktop";
}

std::string ListEntryText(const std::string& programPath, const FileTypeInfo& type) {
    std::string mimeList;
    for (std::string& m : MimeTypesOf(type.type)) mimeList += m + ";";
    const std::string ext = type.extension + 1;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=TavoraPlayer (" + ext + ")\n"
           "Name[ko]=타보라 플레이어 (" + ext + ")\n"
           "Comment=Load the playlist into TavoraPlayer\n"
           "Comment[ko]=재생목록을 타보라 플레이어에 불러옵니다\n"
           "Icon=" + std::string(kProgramIconName) + "\n"
           "Exec=" + QuotedExecArgument(programPath) + " " + type.openSwitch + "%f\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "Categories=AudioVideo;Audio;Player;\n"
           "MimeType=" + mimeList + "\n";
}

std::string DesktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes) {
    const std::string program = QuotedExecArgument(programPath);
    std::string mimeList;
    for (const std::string& m : mimeTypes) mimeList += m + ";";
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=TavoraPlayer\n"
        "Name[ko]=타보라 플레이어\n"
        "GenericName=Audio Player\n"
        "GenericName[ko]=음악 재생기\n"
        "Comment=Play songs, playlists and internet radio\n"
        "Comment[ko]=음악 파일과 재생목록, 인터넷 방송을 재생합니다\n"
        "Icon=" + std::string(kProgramIconName) + "\n"
        // %f glued to the switch: the player takes the whole rest of the argument as the path.
        "Exec=" + program + " -s%f\n"
        "Terminal=false\n"
        "Categories=AudioVideo;Audio;Player;\n";
    if (!mimeList.empty()) text += "MimeType=" + mimeList + "\n";
    text +=
        "Actions=Enqueue;\n"
        "\n"
        "[Desktop Action Enqueue]\n"
        "Name=Add to the TavoraPlayer playlist\n"
        "Name[ko]=타보라 플레이어 재생목록에 추가\n"
        "Exec=" + program + " -add%f\n";
    return text;
}

std::vector<std::string> DesktopEntryMimeTypes(const std::string& entryText) {
    std::vector<std::string> out;
    std::istringstream in(entryText);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') inEntry = line == "[Desktop Entry]";
        if (!inEntry || line.rfind("MimeType=", 0) != 0) continue;
        std::istringstream list(line.substr(9));
        std::string item;
        while (std::getline(list, item, ';'))
            if (!item.empty()) out.push_back(item);
    }
    return out;
}

void ApplyDesktopAssociations(const ConnectFlags& flags, const std::string& programPath,
                              const DesktopFolders& folders) {
    if (folders.dataHome.empty() || QuotedExecArgument(programPath).empty()) return;
    const fs::path applications = fs::path(folders.dataHome) / "applications";
    const fs::path songEntry = applications / kDesktopId;

    // The types registered before stay registered: songs by the song entry's list,
    // playlists by their entries.
    std::set<FileType> types;
    const std::vector<std::string> before = DesktopEntryMimeTypes(ReadText(songEntry));
    for (const FileTypeInfo& t : FileTypes()) {
        const std::vector<std::string> own = MimeTypesOf(t.type);
        const bool wasThere = t.enqueue ? std::any_of(own.begin(), own.end(),
                                                      [&](const std::string& m) {
                                                          return std::find(before.begin(), before.end(), m) !=
                                                                 before.end();
                                                      })
                                        : fs::exists(applications / DesktopIdOf(t));
        if (flags[static_cast<size_t>(t.type)] || wasThere) types.insert(t.type);
    }
    std::vector<std::string> songTypes;
    for (FileType type : types)
        if (InfoOf(type).enqueue)
            for (std::string& m : MimeTypesOf(type)) songTypes.push_back(std::move(m));

    InstallIcons(flags, folders.dataHome);
    WriteText(fs::path(folders.dataHome) / "mime" / "packages" / "tavoraplayer.xml", MimePackageText(types));
    WriteText(songEntry, DesktopEntryText(programPath, songTypes));
    for (const FileTypeInfo& t : FileTypes())
        if (!t.enqueue && flags[static_cast<size_t>(t.type)])
            WriteText(applications / DesktopIdOf(t), ListEntryText(programPath, t));

    if (folders.configHome.empty()) return;
    const fs::path list = fs::path(folders.configHome) / "mimeapps.list";
    std::string text = ReadText(list);
    const std::string original = text;
    for (const FileTypeInfo& t : FileTypes())
        if (flags[static_cast<size_t>(t.type)]) text = WithAssociation(text, DesktopIdOf(t), MimeTypesOf(t.type));
    if (text != original) WriteText(list, text);
}

std::vector<std::vector<std::string>> DatabaseRefreshCommands(const DesktopFolders& folders) {
    std::vector<std::vector<std::string>> commands;
    if (folders.dataHome.empty()) return commands;
    const auto have = [](const char* tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); };
    const fs::path data(folders.dataHome);
    if (have("update-desktop-database") && fs::is_directory(data / "applications"))
        commands.push_back({"update-desktop-database", "-q", (data / "applications").string()});
    if (have("update-mime-database") && fs::is_directory(data / "mime" / "packages"))
        commands.push_back({"update-mime-database", (data / "mime").string()});
    // -t: the user's hicolor folder has no index.theme of its own.
    if (have("gtk-update-icon-cache") && fs::is_directory(data / "icons" / "hicolor"))
        commands.push_back({"gtk-update-icon-cache", "-q", "-t", "-f", (data / "icons" / "hicolor").string()});
    return commands;
}

void RefreshDesktopDatabases(const DesktopFolders& folders, RefreshWait wait) {
    for (const std::vector<std::string>& command : DatabaseRefreshCommands(folders)) {
        QStringList args;
        for (size_t i = 1; i < command.size(); ++i) args << QString::fromStdString(command[i]);
        const QString program = QString::fromStdString(command.front());
        if (wait == RefreshWait::No) {
            QProcess::startDetached(program, args);
            continue;
        }
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, args);
        process.waitForFinished(60000);
    }
}

}  // namespace tavora
