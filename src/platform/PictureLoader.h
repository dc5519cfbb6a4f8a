#pragma once

#include <QImage>
#include <QString>
#include <optional>

// Loads a picture file (bitmap, JPEG, PNG, GIF); nothing when the file cannot be loaded.
class PictureLoader
{
public:
    virtual ~PictureLoader() = default;

    virtual std::optional<QImage> load(const QString& file) = 0;
};
