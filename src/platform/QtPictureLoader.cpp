#include "QtPictureLoader.h"

#include <QImageReader>

std::optional<QImage> QtPictureLoader::load(const QString& file)
{
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}
