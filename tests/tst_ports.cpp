#include "platform/PortNumbering.h"

#include <QtTest>

// Which device each port number opens: ports/comN in the program's folder when that folder
// exists, and nothing else; otherwise ttyACM*, then ttyUSB*, then the system's ttyS*, each group
// in the order of its numbers.
class TestPorts : public QObject
{
    Q_OBJECT

private slots:
    void numbering_data()
    {
        QTest::addColumn<QStringList>("dev");
        QTest::addColumn<QStringList>("ttyS");
        QTest::addColumn<bool>("pinnedFolder");
        QTest::addColumn<QStringList>("pinned");
        // Ports 1, 2, ...: "D/" a device in the dev folder, "A/" in the program's folder, ""
        // no such port; the port after the last is none.
        QTest::addColumn<QStringList>("ports");
        const QStringList dev { "ttyACM10", "ttyACM2", "ttyUSB1", "ttyUSB0", "ttyS7", "tty1",
            "console" };
        const QStringList ttyS { "/dev/ttyS11", "/dev/ttyS2" };
        QTest::newRow("ttyACM, ttyUSB, ttyS, by number")
            << dev << ttyS << false << QStringList()
            << QStringList { "D/ttyACM2", "D/ttyACM10", "D/ttyUSB0", "D/ttyUSB1", "/dev/ttyS2",
                   "/dev/ttyS11" };
        QTest::newRow("ttyS alone") << QStringList { "tty0" } << ttyS << false << QStringList()
                                    << QStringList { "/dev/ttyS2", "/dev/ttyS11" };
        QTest::newRow("ports/ pins com3 and nothing else")
            << dev << ttyS << true << QStringList { "com3", "com4x", "tty5" }
            << QStringList { "", "", "A/ports/com3" };
        QTest::newRow("an empty ports/ has no port")
            << dev << ttyS << true << QStringList() << QStringList();
    }

    void numbering()
    {
        QFETCH(QStringList, dev);
        QFETCH(QStringList, ttyS);
        QFETCH(bool, pinnedFolder);
        QFETCH(QStringList, pinned);
        QFETCH(QStringList, ports);
        QTemporaryDir app, devices;
        for (const QString& name : dev)
            QVERIFY(QFile(devices.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(!pinnedFolder || QDir(app.path()).mkdir("ports"));
        for (const QString& name : pinned)
            QVERIFY(QFile(app.filePath("ports/" + name)).open(QIODevice::WriteOnly));
        QStringList found;
        for (int port = 0; port <= ports.size() + 1; ++port) {
            found << PortNumbering::deviceFor(app.path(), port, devices.path(), ttyS)
                         .replace(devices.path(), "D")
                         .replace(app.path(), "A");
        }
        QCOMPARE(found, QStringList { "" } + ports + QStringList { "" });
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
