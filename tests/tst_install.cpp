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

    // Folders made before the start, the first the executable's, which then holds the data
    // files and the shipped files; no folder is made in the home.
    void runInPlace_data()
    {
        QTest::addColumn<QStringList>("made");
        QTest::newRow("unpacked beside a share folder")
            << QStringList { "x/halvoren-1.5", "x/share/halvoren" };
        QTest::newRow("in a bin folder of its own") << QStringList { "tools/bin" };
    }

    void runInPlace()
    {
        QFETCH(QStringList, made);
        for (const QString& folder : made)
            QVERIFY(QDir().mkpath(at(folder)));
        const AppFolders folders = AppFolders::locate(at(made[0]));
        QCOMPARE(QStringList({ folders.dataFolder, folders.shippedFolder }),
            QStringList(2, at(made[0])));
        QVERIFY(!QFileInfo::exists(at("home/.local")));
    }

    // Installed, the program makes its data folder in the user's folder, for the user alone,
    // shows its icon and blank.bmp, opens readme.txt from the shared folder and saves the call
    // log into the user's folder.
    void installedProgram()
    {
        QVERIFY(QDir().mkpath(at("usr/bin")) && QDir().mkpath(at("usr/share/halvoren")));
        for (const char* asset : { "blank.bmp", "readme.txt" })
            QVERIFY(QFile::copy(QStringLiteral(HALVOREN_ASSETS_DIR "/") + asset,
                at("usr/share/halvoren/") + asset));
        const AppFolders folders = AppFolders::locate(at("usr/bin"));
        QVERIFY(std::filesystem::status(folders.dataFolder.toStdString()).permissions()
            == std::filesystem::perms::owner_all);
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
