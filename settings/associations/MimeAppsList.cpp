#include "MimeAppsList.h"

#include <algorithm>
#include <set>
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

// The desktop ids of a list value ("a.desktop;b.desktop;"), in order.
std::vector<std::string> Items(const std::string& list) {
    std::vector<std::string> items;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ';'))
        if (!item.empty()) items.push_back(item);
    return items;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string result;
    for (const std::string& item : items) result += item + ";";
    return result;
}

std::string Prepended(const std::string& list, const std::string& id) {
    std::vector<std::string> items{id};
    for (std::string& item : Items(list))
        if (item != id) items.push_back(std::move(item));
    return Joined(items);
}

std::string Appended(const std::string& list, const std::string& id) {
    std::vector<std::string> items = Items(list);
    if (std::find(items.begin(), items.end(), id) == items.end()) items.push_back(id);
    return Joined(items);
}

}  // namespace

std::string WithAssociation(const std::string& text, const std::string& desktopId,
                            const std::vector<std::string>& mimeTypes) {
    std::vector<Section> sections = Parse(text);
    // The types whose default is free or ours already.
    std::set<std::string> claimed;
    Section& defaults = SectionNamed(sections, "[Default Applications]");
    for (const std::string& mime : mimeTypes) {
        bool found = false, othersChoice = false;
        std::string list;
        for (const std::string& line : defaults.lines) {
            if (!SetsKey(line, mime, &list)) continue;
            found = true;
            const std::vector<std::string> items = Items(list);
            if (!items.empty() && items.front() != desktopId) othersChoice = true;
        }
        if (othersChoice) continue;
        claimed.insert(mime);
        for (std::string& line : defaults.lines)
            if (SetsKey(line, mime, &list) && Items(list).empty()) line = mime + "=" + desktopId + ";";
        if (!found) Append(defaults, mime + "=" + desktopId + ";");
    }
    Section& added = SectionNamed(sections, "[Added Associations]");
    for (const std::string& mime : mimeTypes) {
        const bool ours = claimed.count(mime) != 0;
        bool found = false;
        std::string list;
        for (std::string& line : added.lines) {
            if (!SetsKey(line, mime, &list)) continue;
            found = true;
            const std::string now = ours ? Prepended(list, desktopId) : Appended(list, desktopId);
            // A line that already says so is left as the user wrote it.
            if (now != Joined(Items(list))) line = mime + "=" + now;
        }
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
