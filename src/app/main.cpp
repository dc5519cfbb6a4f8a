#include "app/Halvoren.h"
#include "platform/Platform.h"
#include "platform/QtEventPump.h"
#include "platform/QtLauncher.h"
#include "platform/QtLogPrinter.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtPictureLoader.h"
#include "platform/QtProgramEnd.h"
#include "platform/QtSerialLink.h"
#include "platform/QtSoundPlayer.h"
#include "windows/AppFonts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program ends only where it says so, never because its last window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();

    const QString folder = QCoreApplication::applicationDirPath();
    QtEventPump pump;
    QtSoundPlayer sound;
    QtPictureLoader pictures;
    QtLauncher launcher;
    QtLogPrinter printer;
    QtMessageBoxes messages;
    QtProgramEnd end;
    Platform platform { [folder] { return std::make_unique<QtSerialLink>(folder); },
                        pump,
                        sound,
                        pictures,
                        launcher,
                        printer,
                        messages,
                        end,
                        folder };

    Halvoren halvoren(platform);
    end.setPortCloser([&halvoren] { halvoren.closePorts(); });
    halvoren.start();
    return QApplication::exec();
}
