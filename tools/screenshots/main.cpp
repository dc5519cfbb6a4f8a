#include "app/Halvoren.h"
#include "platform/QtPlatform.h"
#include "windows/AppFonts.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/config/Fr.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/phonebook/Phonebook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

// Usage: halvoren-screenshots <folder>. Starts the program in a temporary folder with a configured
// modem and a one-entry phone book, and writes main-window.png, main-window-about-open.png,
// about-box.png, agreement.png, phonebook.png, locator.png and config-window.png (as on a first
// run, with no port chosen yet).
namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvoren-screenshots <folder>\n");
        return 2;
    }
    const QString outFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outFolder);

    QTemporaryDir appDir;
    for (const char* asset : { "blank.bmp", "fail.wav", "readme.txt" })
        QFile::copy(QStringLiteral(HALVOREN_ASSETS_DIR "/") + QLatin1String(asset),
            appDir.filePath(QLatin1String(asset)));
    writeFile(
        appDir.filePath(QStringLiteral("cconfig.ini")), "com1:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n");
    const QByteArray picture = appDir.filePath(QStringLiteral("blank.bmp")).toUtf8();
    const QByteArray wav = appDir.filePath(QStringLiteral("fail.wav")).toUtf8();
    writeFile(appDir.filePath(QStringLiteral("phone.ini")),
        "+\r\n5551234567\r\nN\r\n" + picture + "\r\n" + wav + "\r\n"
            + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(4));

    const QString folder = appDir.path();
    QtPlatform qt(AppFolders { folder, folder });
    Halvoren halvoren(qt.platform);
    halvoren.start();
    FormRegistry& forms = halvoren.context().forms;

    Form1& form1 = forms.form1();
    form1.appendLog(QStringLiteral("Activated:\r\n12-24-2026\r\n18:02:11\r\n+++++++\r\n"));
    form1.appendLog(QStringLiteral("DATE = 1224\r\nTIME = 1805\r\nNMBR = 5551234567\r\n"
                                   "NAME = HOLMBERG A\r\n\r\n++++++++\r\n"));
    form1.setTotalCallsCaption(QStringLiteral("1"));
    bool ok = save(form1, outFolder, QStringLiteral("main-window.png"));

    form1.Command7_Click();
    ok = save(forms.form4(), outFolder, QStringLiteral("about-box.png")) && ok;
    ok = save(form1, outFolder, QStringLiteral("main-window-about-open.png")) && ok;
    ok = save(forms.fr(), outFolder, QStringLiteral("agreement.png")) && ok;
    ok = save(forms.phonebook(), outFolder, QStringLiteral("phonebook.png")) && ok;

    QDir::setCurrent(folder);
    Form3& form3 = forms.form3();
    form3.setWindowTitle(QStringLiteral("Locate wav files"));
    form3.setFilePattern(QStringLiteral("*.wav"));
    ok = save(form3, outFolder, QStringLiteral("locator.png")) && ok;
    forms.unload(form3);

    halvoren.state().CommPort.clear();
    Form2& form2 = forms.form2();
    form2.Command1->setEnabled(false);
    form2.Command3->setEnabled(false);
    ok = save(form2, outFolder, QStringLiteral("config-window.png")) && ok;
    return ok ? 0 : 1;
}
