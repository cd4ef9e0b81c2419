#include "SkinWriter.h"

#include <QDir>
#include <QFileInfo>

#include <pugixml.hpp>

#include <cstdio>
#include <set>
#include <tuple>

#include "PixelArt.h"
#include "SkinIdentifiers.h"

namespace skingen {

SkinWriter::SkinWriter(std::string displayName) : name_(std::move(displayName)) {}

std::string SkinWriter::Image(const std::string& name, const QImage& image) {
    QImage copy = image.convertToFormat(QImage::Format_RGB32);
    AvoidStandardGreys(copy);
    images_[name] = copy;
    return name;
}

void SkinWriter::Add(const std::string& collection, const std::string& kind,
                     std::vector<std::pair<std::string, std::string>> attributes) {
    elements_.push_back({collection, kind, std::move(attributes)});
}

void SkinWriter::Ground(const std::string& collection, const std::string& id, const std::string& image, int x,
                        int y, int width, int height, int lineUp) {
    Add(collection, "Ground",
        {{"ID", id}, {"GroundImage", image}, {"X", std::to_string(x)}, {"Y", std::to_string(y)},
         {"Width", std::to_string(width)}, {"Height", std::to_string(height)}, {"LineUp", std::to_string(lineUp)}});
}

void SkinWriter::Button(const std::string& collection, const std::string& id, const std::string& normal,
                        const std::string& down, const std::string& over, int x, int y, int width, int height,
                        int lineUp) {
    Add(collection, "Button",
        {{"ID", id}, {"BtImageDefault", normal}, {"BtImageDown", down}, {"BtImageOver", over},
         {"X", std::to_string(x)}, {"Y", std::to_string(y)}, {"Width", std::to_string(width)},
         {"Height", std::to_string(height)}, {"LineUp", std::to_string(lineUp)}});
}

void SkinWriter::Position(const std::string& collection, const std::string& id, int x, int y, int width,
                          int height, bool asButton) {
    Add(collection + "/Position", asButton ? "Button" : "Ground",
        {{"ID", id}, {"X", std::to_string(x)}, {"Y", std::to_string(y)}, {"Width", std::to_string(width)},
         {"Height", std::to_string(height)}});
}

void SkinWriter::Font(const std::string& id, const std::string& face, int fontSize, int fontHeight) {
    Add("Font", "font",
        {{"ID", id}, {"FontName", face}, {"X", "0"}, {"Y", "0"}, {"FontSize", std::to_string(fontSize)},
         {"FontHeight", std::to_string(fontHeight)}});
}

void SkinWriter::Color(const std::string& id, int r, int g, int b) {
    Add("RGB", "rgb", {{"ID", id}, {"R", std::to_string(r)}, {"G", std::to_string(g)}, {"B", std::to_string(b)}});
}

std::vector<std::string> SkinWriter::Missing() const {
    // What a lookup of each kind would find: collection, element kind, ID.
    std::set<std::tuple<std::string, std::string, std::string>> defined;
    for (const Element& e : elements_) defined.insert({e.collection, e.kind, e.attributes.front().second});
    std::vector<std::string> missing;
    using tavora::SkinIdKind;
    for (const tavora::SkinIdentifier& entry : tavora::SkinIdentifiers()) {
        bool found = false;
        const std::string& c = entry.collection;
        switch (entry.kind) {
        case SkinIdKind::SkinName: found = true; break;
        case SkinIdKind::Font: found = defined.count({c, "font", entry.id}) > 0; break;
        case SkinIdKind::Rgb: found = defined.count({c, "rgb", entry.id}) > 0; break;
        case SkinIdKind::Ground:
        case SkinIdKind::GroundRect: found = defined.count({c, "Ground", entry.id}) > 0; break;
        case SkinIdKind::Button1:
        case SkinIdKind::Button3:
        case SkinIdKind::ButtonRect: found = defined.count({c, "Button", entry.id}) > 0; break;
        case SkinIdKind::Position:
            found = defined.count({c + "/Position", "Ground", entry.id}) > 0 ||
                    defined.count({c + "/Position", "Button", entry.id}) > 0;
            break;
        }
        if (!found) missing.push_back(entry.collection + " " + entry.id);
    }
    return missing;
}

bool SkinWriter::Write(const QString& folder) const {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("image"))) {
        std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(folder));
        return false;
    }
    for (const auto& [name, image] : images_) {
        const QString path = dir.filePath(QStringLiteral("image/") + QString::fromStdString(name));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!image.save(path, "BMP")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
            return false;
        }
    }

    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("TavoraSkin");
    // Sections and collections are created in the order they first appear.
    auto path = [&root](const std::string& collection) {
        pugi::xml_node node = root;
        size_t start = 0;
        while (start <= collection.size()) {
            const size_t slash = collection.find('/', start);
            const std::string step = collection.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            pugi::xml_node child = node.child(step.c_str());
            node = child ? child : node.append_child(step.c_str());
            if (slash == std::string::npos) break;
            start = slash + 1;
        }
        return node;
    };
    pugi::xml_node name = path("Default/General").append_child("SkinName");
    name.append_attribute("ID") = "ID_SKIN_NAME";
    name.append_attribute("Name") = name_.c_str();
    for (const Element& e : elements_) {
        pugi::xml_node node = path(e.collection).append_child(e.kind.c_str());
        for (const auto& [key, value] : e.attributes) node.append_attribute(key.c_str()) = value.c_str();
    }
    const std::string file = dir.filePath(QStringLiteral("TavoraSkin.xml")).toStdString();
    if (!doc.save_file(file.c_str(), "  ", pugi::format_default, pugi::encoding_utf8)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

}  // namespace skingen
