#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

int Twips::toPixels(int twips)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}
