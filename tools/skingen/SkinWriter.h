#pragma once
// Collects the elements and bitmaps of one skin and writes its folder:
// "TavoraSkin.xml" plus "image/*.bmp".

#include <QImage>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace skingen {

class SkinWriter {
public:
    explicit SkinWriter(std::string displayName);

    // Stores a bitmap under image/<name>; returns the name for the attribute.
    std::string Image(const std::string& name, const QImage& image);

    void Ground(const std::string& collection, const std::string& id, const std::string& image, int x, int y,
                int width, int height, int lineUp);
    void Button(const std::string& collection, const std::string& id, const std::string& normal,
                const std::string& down, const std::string& over, int x, int y, int width, int height,
                int lineUp);
    void Position(const std::string& collection, const std::string& id, int x, int y, int width, int height,
                  bool asButton = false);
    void Font(const std::string& id, const std::string& face, int fontSize, int fontHeight);
    void Color(const std::string& id, int r, int g, int b);

    // Identifiers of the player's table that this skin does not define.
    std::vector<std::string> Missing() const;

    // Writes the folder; returns false (with a message on stderr) on failure.
    bool Write(const QString& folder) const;

private:
    struct Element {
        std::string collection;  // may hold "Position"
        std::string kind;        // Ground, Button, font, rgb
        std::vector<std::pair<std::string, std::string>> attributes;
    };
    void Add(const std::string& collection, const std::string& kind,
             std::vector<std::pair<std::string, std::string>> attributes);

    std::string name_;
    std::vector<Element> elements_;
    std::map<std::string, QImage> images_;
};

}  // namespace skingen
