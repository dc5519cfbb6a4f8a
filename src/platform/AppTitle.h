#pragma once

#include "Version.h"

#include <QString>

// Captions message boxes that give no caption of their own.
inline const QString kAppTitle = QStringLiteral("Halvoren " HALVOREN_VERSION);
