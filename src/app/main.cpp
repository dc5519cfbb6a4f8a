#include "app/Halvoren.h"
#include "platform/QtPlatform.h"
#include "windows/AppFonts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The window icons live in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(assets);
    // The program ends only where it says so, never because its last window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();

    QtPlatform qt(QCoreApplication::applicationDirPath());
    Halvoren halvoren(qt.platform);
    qt.end.setPortCloser([&halvoren] { halvoren.closePorts(); });
    halvoren.start();
    return QApplication::exec();
}
