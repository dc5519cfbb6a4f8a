#pragma once

#include <QString>

// Captions message boxes that give no caption of their own.
inline const QString kAppTitle = QStringLiteral("Halvoren 1.5");
