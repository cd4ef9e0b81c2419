#include "MimeAppsList.h"

#include <sstream>

namespace tavora {
namespace {

struct Section {
    std::string header;  // "[Default Applications]", empty for lines before the first
    std::vector<std::string> lines;
};

std::vector<Section> Parse(const std::string& text) {
    std::vector<Section> sections(1);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') sections.push_back({line, {}});
        else sections.back().lines.push_back(line);
    }
    return sections;
}

Section& SectionNamed(std::vector<Section>& sections, const std::string& header) {
    for (Section& s : sections)
        if (s.header == header) return s;
    // A new section goes after a blank line, unless the text ends with one already.
    Section& last = sections.back();
    if (!(last.header.empty() && last.lines.empty()) && (last.lines.empty() || !last.lines.back().empty()))
        last.lines.push_back("");
    sections.push_back({header, {}});
    return sections.back();
}

// The value of `line` when it sets `key`, as "key=value" or "key = value".
bool SetsKey(const std::string& line, const std::string& key, std::string* value) {
    if (line.compare(0, key.size(), key) != 0) return false;
    size_t at = key.size();
    while (at < line.size() && line[at] == ' ') ++at;
    if (at >= line.size() || line[at] != '=') return false;
    ++at;
    while (at < line.size() && line[at] == ' ') ++at;
    if (value) *value = line.substr(at);
    return true;
}

// Inserts the line before the trailing blank lines of the section.
void Append(Section& section, std::string line) {
    auto at = section.lines.end();
    while (at != section.lines.begin() && (at - 1)->empty()) --at;
    section.lines.insert(at, std::move(line));
}

std::string Prepended(const std::string& list, const std::string& id) {
    std::string result = id + ";";
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ';'))
        if (!item.empty() && item != id) result += item + ";";
    return result;
}

}  // namespace

std::string WithDefaultApplication(const std::string& text, const std::string& desktopId,
                                   const std::vector<std::string>& mimeTypes) {
    std::vector<Section> sections = Parse(text);
    Section& defaults = SectionNamed(sections, "[Default Applications]");
    for (const std::string& mime : mimeTypes) {
        bool found = false;
        for (std::string& line : defaults.lines)
            if (SetsKey(line, mime, nullptr)) line = mime + "=" + desktopId + ";", found = true;
        if (!found) Append(defaults, mime + "=" + desktopId + ";");
    }
    Section& added = SectionNamed(sections, "[Added Associations]");
    for (const std::string& mime : mimeTypes) {
        bool found = false;
        std::string list;
        for (std::string& line : added.lines)
            if (SetsKey(line, mime, &list)) line = mime + "=" + Prepended(list, desktopId), found = true;
        if (!found) Append(added, mime + "=" + desktopId + ";");
    }
    std::string out;
    for (const Section& s : sections) {
        if (!s.header.empty()) out += s.header + "\n";
        for (const std::string& line : s.lines) out += line + "\n";
    }
    return out;
}

}  // namespace tavora
