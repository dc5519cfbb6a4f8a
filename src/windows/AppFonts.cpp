#include "AppFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace AppFonts {

static QFont make(const QString& family, double points, bool bold);

void install()
{
    // Not tahomabd.ttf: only its embedded bitmaps are bold, and Qt draws its regular-weight
    // outlines. Without it Qt emboldens Tahoma itself.
    const QString folder = QStringLiteral("/usr/share/wine/fonts/");
    for (const QString& file :
        { QStringLiteral("ms_sans_serif.ttf"), QStringLiteral("tahoma.ttf") })
        QFontDatabase::addApplicationFont(folder + file);
    // The windows were laid out for this face at this size; without it the default sans stands in.
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
        QGuiApplication::setFont(msSansSerif(8.25));
}

static QFont make(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont msSansSerif(double points, bool bold)
{
    // The machine's MS Sans Serif is a bitmap face with one weight, which Qt cannot embolden;
    // Tahoma, its outline successor, carries the bold where the machine has it.
    if (bold)
        return tahoma(points, true);
    return make(QStringLiteral("MS Sans Serif"), points, false);
}

QFont msSansSerifItalic(double points)
{
    // Only an outline face can be slanted.
    QFont font = tahoma(points);
    font.setItalic(true);
    return font;
}

QFont tahoma(double points, bool bold)
{
    return make(QStringLiteral("Tahoma"), points, bold);
}

} // namespace AppFonts
