#include "app/Halvoren.h"
#include "platform/QtPlatform.h"
#include "windows/AppFonts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program ends only where it says so, never because its last window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();
    // Wayland finds the icon and name through the desktop entry of this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(HALVOREN_APP_ID));

    QtPlatform qt(AppFolders::locate(QCoreApplication::applicationDirPath()));
    Halvoren halvoren(qt.platform);
    qt.end.setPortCloser([&halvoren] { halvoren.closePorts(); });
    halvoren.start();
    return QApplication::exec();
}
