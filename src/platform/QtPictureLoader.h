#pragma once

#include "PictureLoader.h"

class QtPictureLoader : public PictureLoader
{
public:
    std::optional<QImage> load(const QString& file) override;
};
