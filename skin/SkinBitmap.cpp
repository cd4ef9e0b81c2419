#include "SkinBitmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPalette>

#include <unistd.h>

#include "RegularFile.h"

namespace tavora {

std::string CurrentSkinFolder;
std::string CurrentSkinFile;
std::string SelectedSkinName;
std::string PreviewSkinFolder;

namespace {

// Skins made on Windows name their files without regard to case; find "Play.BMP"
// when the folder holds "play.bmp".
QString ResolveCaseInsensitively(const QString& path) {
    if (QFileInfo::exists(path)) return path;
    const QFileInfo info(path);
    const QDir dir(info.absolutePath());
    if (!dir.exists()) return path;
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries)
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return path;
}

}  // namespace

bool FitsSkinLimits(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSkinExtent && size.height() <= kMaxSkinExtent;
}

void MapStandardGreys(QImage& image) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const QPalette palette = QGuiApplication::palette();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    const QRgb face = palette.color(QPalette::Button).rgb();
    const QRgb light = palette.color(QPalette::Midlight).rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            switch (line[x] & 0xFFFFFF) {
            case 0x808080: line[x] = shadow; break;
            case 0xC0C0C0: line[x] = face; break;
            case 0xDFDFDF: line[x] = light; break;
            default: break;
            }
        }
    }
}

bool LoadBitmapFromSkin(QImage& bitmap, const std::string& skinFolder, const std::string& name) {
    bitmap = QImage();
    if (skinFolder.empty() || name.empty()) return false;
    QString relative = QString::fromStdString(name);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString path =
        ResolveCaseInsensitively(QString::fromStdString(skinFolder) + QStringLiteral("/image/") + relative);
    // Only regular files: opening a FIFO named like a bitmap would block the window.
    const int fd = OpenRegularFileFd(QFile::encodeName(path).toStdString());
    if (fd < 0) return false;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    // The header says how large the picture is: refuse a giant before its pixels are
    // allocated, and let the reader itself refuse anything past the same budget.
    const QSize declared = reader.size();
    if (declared.isValid() && !FitsSkinLimits(declared)) return false;
    reader.setAllocationLimit(kMaxSkinBitmapMegabytes);
    QImage image = reader.read();
    if (!FitsSkinLimits(image.size())) return false;
    if (image.isNull()) return false;
    image = image.convertToFormat(QImage::Format_RGB32);
    MapStandardGreys(image);
    bitmap = std::move(image);
    return true;
}

bool LoadSkinBitmap(QImage& bitmap, const std::string& name) {
    return LoadBitmapFromSkin(bitmap, CurrentSkinFolder, name);
}

bool LoadPreviewBitmap(QImage& bitmap, const std::string& name) {
    return LoadBitmapFromSkin(bitmap, PreviewSkinFolder, name);
}

void LoadElementBitmaps(SkinElement& element, bool withOver, bool withDown) {
    element.defaultBitmap = QImage();
    element.overBitmap = QImage();
    element.downBitmap = QImage();
    LoadSkinBitmap(element.defaultBitmap, element.defaultImage);
    if (withOver) LoadSkinBitmap(element.overBitmap, element.overImage);
    if (withDown) LoadSkinBitmap(element.downBitmap, element.downImage);
}

}  // namespace tavora
