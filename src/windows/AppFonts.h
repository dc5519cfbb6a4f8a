#pragma once

#include <QFont>

// The two typefaces of the layout, loaded from the Wine fonts when the machine has them.
namespace AppFonts {

void install();
QFont msSansSerif(double points, bool bold = false);
QFont msSansSerifItalic(double points);
QFont tahoma(double points, bool bold = false);

} // namespace AppFonts
