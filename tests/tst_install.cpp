#include "app/Halvoren.h"
#include "platform/AppFolders.h"
#include "support/TestPlatform.h"
#include "windows/main/Form1.h"

#include <QtTest>
#include <QtWidgets>
#include <filesystem>

// Where the program keeps its files, run from its own folder and installed under a prefix.
class TestInstall : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;

    QString at(const QString& relative) const { return m_root->filePath(relative); }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", at("home/.local/share").toUtf8());
    }

    // Folders made before the start ("a,b"), the executable's folder, then where the data files
    // and the shipped files are found.
    void locate_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("shipped");
        const auto row = [](const char* name, const char* made, const char* executable,
                             const char* data, const char* shipped) {
            QTest::newRow(name) << QString(made) << QString(executable) << QString(data)
                                << QString(shipped);
        };
        row("build tree", "build/debug", "build/debug", "build/debug", "build/debug");
        row("unpacked beside a share folder", "x/halvoren-1.5,x/share/halvoren", "x/halvoren-1.5",
            "x/halvoren-1.5", "x/halvoren-1.5");
        row("in a bin folder of its own", "tools/bin", "tools/bin", "tools/bin", "tools/bin");
        row("installed", "usr/bin,usr/share/halvoren", "usr/bin", "home/.local/share/halvoren",
            "usr/share/halvoren");
    }

    void locate()
    {
        QFETCH(QString, made);
        QFETCH(QString, executable);
        QFETCH(QString, data);
        QFETCH(QString, shipped);
        for (const QString& folder : made.split(','))
            QVERIFY(QDir().mkpath(at(folder)));

        const AppFolders folders = AppFolders::locate(at(executable));
        QCOMPARE(folders.dataFolder, at(data));
        QCOMPARE(folders.shippedFolder, at(shipped));
        QCOMPARE(QFileInfo(at(data)).isDir(), true);
        QCOMPARE(QFileInfo::exists(at("home/.local")), data.startsWith("home"));
        if (data.startsWith("home"))
            QVERIFY(std::filesystem::status(at(data).toStdString()).permissions()
                == std::filesystem::perms::owner_all);
    }

    // Installed, the program shows its icon and blank.bmp, opens readme.txt from the shared
    // folder and saves the call log into the user's folder.
    void installedProgram()
    {
        QVERIFY(QDir().mkpath(at("usr/bin")) && QDir().mkpath(at("usr/share/halvoren")));
        for (const char* asset : { "blank.bmp", "readme.txt" })
            QVERIFY(QFile::copy(QStringLiteral(HALVOREN_ASSETS_DIR "/") + asset,
                at("usr/share/halvoren/") + asset));
        const AppFolders folders = AppFolders::locate(at("usr/bin"));
        for (const auto& [name, bytes] :
            { std::pair("cconfig.ini", QByteArray("com1:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n")),
                std::pair("phone.ini", QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5)) }) {
            QFile file(folders.dataFolder + '/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }

        TestPlatform test(folders.dataFolder);
        test.platform.folders = folders;
        Halvoren halvoren(test.platform);
        halvoren.start();
        Form1* form1 = halvoren.context().forms.loadedForm1();
        QVERIFY(form1 && form1->isVisible() && !form1->Image1->pixmap().isNull());
        QCOMPARE(form1->windowIcon().availableSizes(),
            QList<QSize>({ { 48, 48 }, { 64, 64 }, { 128, 128 }, { 256, 256 } }));
        QTest::mouseClick(form1->Command4, Qt::LeftButton);
        QCOMPARE(test.launcher.openedFiles, { at("usr/share/halvoren/readme.txt") });
        form1->appendLog(QStringLiteral("RING\r\n"));
        QTest::mouseClick(form1->Command5, Qt::LeftButton);
        QFile log(at("home/.local/share/halvoren/ccalls.log"));
        QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll() == "RING\r\n\r\n");
        QVERIFY(test.messages.texts.isEmpty());
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
