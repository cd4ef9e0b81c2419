#include "MediaTypes.h"

namespace tavora::media {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ExtensionMatches(std::string_view ext, std::string_view lower, CaseRule rule) {
    if (ext == lower) return true;
    if (rule == CaseRule::LowerOnly || ext.size() != lower.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        const bool same = rule == CaseRule::AnyCase ? Lower(ext[i]) == lower[i] : ext[i] == Upper(lower[i]);
        if (!same) return false;
    }
    return true;
}

std::optional<Media> Find(Use use, std::string_view ext) {
    const CaseRule rule = CaseRuleOf(use);
    for (const MediaType& type : kMediaTypes)
        if (HasUse(type, use) && ExtensionMatches(ext, type.extension, rule)) return type.media;
    return std::nullopt;
}

std::string_view ExtensionOfName(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::vector<Media> KindsOf(Use use) {
    std::vector<Media> kinds;
    for (const MediaType& type : kMediaTypes)
        if (HasUse(type, use)) kinds.push_back(type.media);
    return kinds;
}

bool IsArchiveSong(std::string_view entryName) { return InUse(Use::ArchiveSong, ExtensionOfName(entryName)); }

bool IsKeptBySweep(std::string_view fileName) { return InUse(Use::SweepKeeps, ExtensionOfName(fileName)); }

bool IsMpegByName(std::string_view path) { return InUse(Use::MpegByName, ExtensionOfName(path)); }

TagFormat TitleTagsOf(std::string_view path) {
    const std::optional<Media> kind = Find(Use::TitleTag, ExtensionOfName(path));
    return kind ? Row(*kind).tags : TagFormat::None;
}

TagFormat TagWindowTagsOf(std::string_view path) {
    const std::optional<Media> kind = Find(Use::TagWindow, ExtensionOfName(path));
    return kind ? Row(*kind).tags : TagFormat::None;
}

std::string DialogPatterns(Use use) {
    std::string patterns;
    for (const MediaType& type : kMediaTypes) {
        if (!HasUse(type, use)) continue;
        if (!patterns.empty()) patterns += ';';
        patterns += "*.";
        patterns += type.extension;
    }
    return patterns;
}

std::optional<Media> MediaOfFfmpegFormat(std::string_view format) {
    for (const MediaType& type : kMediaTypes)
        if (type.ffmpegFormat && format == type.ffmpegFormat) return type.media;
    return std::nullopt;
}

std::vector<Media> AssociatedKinds() {
    std::vector<Media> kinds;
    for (int order = 0;; ++order) {
        bool found = false;
        for (const MediaType& type : kMediaTypes)
            if (HasUse(type, Use::Association) && type.association.order == order) {
                kinds.push_back(type.media);
                found = true;
            }
        if (!found) return kinds;
    }
}

}  // namespace tavora::media
