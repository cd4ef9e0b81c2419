#include "InstallerCheck.h"

#include <QCryptographicHash>
#include <QFile>

#include <cctype>
#include <fstream>
#include <sstream>

namespace tavora {

std::optional<std::string> ParseSha256Sum(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    std::string sum;
    while (at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])) && sum.size() < 65)
        sum.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++]))));
    if (sum.size() != 64) return std::nullopt;
    // The sum must stand alone: a space, a tab or the end follows it.
    if (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) return std::nullopt;
    return sum;
}

std::string FileSha256(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex().toStdString();
}

std::string CheckInstaller(const std::string& path, const std::string& sumPath) {
    std::ifstream in(sumPath, std::ios::binary);
    if (!in) return "no published checksum";
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    const std::optional<std::string> expected = ParseSha256Sum(text);
    if (!expected) return "the published checksum is not a SHA-256 sum";
    const std::string actual = FileSha256(path);
    if (actual.empty()) return "cannot be read";
    if (actual != *expected) return "checksum mismatch";
    return {};
}

}  // namespace tavora
