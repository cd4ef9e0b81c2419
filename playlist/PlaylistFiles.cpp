#include "PlaylistFiles.h"

#include <filesystem>

#include <QSaveFile>
#include <QString>
#include <QUrl>

#include "PlaylistText.h"

namespace tavora {
namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

// A title must stay on its "#EXTINF:" line.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

bool PathExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

}  // namespace

bool WriteM3u(const std::string& listPath, const std::vector<PlaylistEntry>& rows) {
    std::string text = "#EXTM3U\r\n";
    for (const PlaylistEntry& row : rows) {
        text += "#EXTINF:0,";
        text += OneLine(row.title);
        text += "\r\n";
        text += row.path;
        text += "\r\n";
    }
    QSaveFile file(QString::fromStdString(listPath));
    // A file in a folder we may not create files in is still replaced (in place).
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool HasUrlScheme(std::string_view text) {
    const size_t sep = text.find("://");
    if (sep == std::string_view::npos || sep < 2) return false;  // "C://" is a drive, not a scheme
    for (size_t i = 0; i < sep; ++i) {
        const char c = text[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

std::string ResolveListEntry(std::string_view entry, const std::string& listFolder) {
    std::string text(entry);
    if (HasUrlScheme(text)) {
        if (text.size() >= 7 && QString::fromStdString(text.substr(0, 7)).compare("file://", Qt::CaseInsensitive) == 0) {
            const QUrl url(QString::fromStdString(text));
            // "%00" would cut the path short in every file call; such a line names nothing.
            const std::string local = url.isLocalFile() ? url.toLocalFile().toStdString() : std::string();
            if (!local.empty() && local.find('\0') == std::string::npos) return local;
        }
        return text;
    }
    const bool absolute = text.starts_with('/') || text.starts_with('\\') ||
                          (text.size() >= 2 && text[1] == ':');  // "C:\..." from Windows: nothing to resolve
    if (absolute || listFolder.empty()) return text;
    const std::string joined = (fs::path(listFolder) / text).lexically_normal().string();
    if (text.find('\\') != std::string::npos && !PathExists(joined)) {
        std::string slashed = text;
        for (char& c : slashed)
            if (c == '\\') c = '/';
        const std::string alternative = (fs::path(listFolder) / slashed).lexically_normal().string();
        if (PathExists(alternative)) return alternative;
    }
    return joined;
}

void ForEachM3uEntry(PlaylistLineReader& reader, const std::string& listFolder,
                     const std::function<void(const std::string& path)>& entry) {
    while (auto line = reader.NextLine()) {
        if (line->empty() || (*line)[0] == '#') continue;
        // A NUL cannot be part of a path; such a line names nothing.
        if (line->find('\0') != std::string::npos) continue;
        entry(ResolveListEntry(*line, listFolder));
    }
}

bool ForEachM3uEntry(const std::string& listPath, const std::function<void(const std::string& path)>& entry) {
    PlaylistLineReader reader;
    if (!reader.Open(listPath)) return false;
    ForEachM3uEntry(reader, FolderOf(listPath), entry);
    return true;
}

std::optional<std::string> PlsEntryValue(std::string_view line) {
    if (!line.starts_with("File")) return std::nullopt;
    size_t i = 4;
    if (i >= line.size() || line[i] < '1' || line[i] > '9') return std::nullopt;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i >= line.size() || line[i] != '=') return std::nullopt;
    return std::string(line.substr(i + 1));
}

std::vector<std::string> ReadPlsValues(PlaylistLineReader& reader) {
    std::vector<std::string> values;
    while (auto line = reader.NextLine())
        if (auto value = PlsEntryValue(*line); value && !value->empty()) values.push_back(std::move(*value));
    return values;
}

std::optional<std::vector<std::string>> ReadPlsValues(const std::string& listPath) {
    PlaylistLineReader reader;
    if (!reader.Open(listPath)) return std::nullopt;
    return ReadPlsValues(reader);
}

}  // namespace tavora
