#include "AppFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace AppFonts {

static QFont make(const QString& family, double points, bool bold);

void install()
{
    const QString folder = QStringLiteral("/usr/share/wine/fonts/");
    for (const QString& file : { QStringLiteral("ms_sans_serif.ttf"), QStringLiteral("tahoma.ttf"),
                                 QStringLiteral("tahomabd.ttf") })
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
    return make(QStringLiteral("MS Sans Serif"), points, bold);
}

QFont tahoma(double points, bool bold)
{
    return make(QStringLiteral("Tahoma"), points, bold);
}

} // namespace AppFonts
