#include "platform/PortNumbering.h"
#include "platform/QtSerialLink.h"

#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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

    // The line settings as the serial port holds them once opened on a pseudo-terminal, which
    // keeps no parity or data bits of its own to read back.
    void lineSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QList<int>>("applied");
        QTest::newRow("the modem's") << "19200,N,8,1"
                                     << QList<int> { 19200, QSerialPort::Data8,
                                            QSerialPort::NoParity, QSerialPort::OneStop };
        QTest::newRow("even, 7, 2") << "9600,E,7,2"
                                    << QList<int> { 9600, QSerialPort::Data7,
                                           QSerialPort::EvenParity, QSerialPort::TwoStop };
        QTest::newRow("odd") << "2400,O,8,1"
                             << QList<int> { 2400, QSerialPort::Data8, QSerialPort::OddParity,
                                    QSerialPort::OneStop };
    }

    void lineSettings()
    {
        QFETCH(QString, settings);
        QFETCH(QList<int>, applied);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        QTemporaryDir app;
        QVERIFY(QDir(app.path()).mkdir("ports")
            && QFile::link(QString::fromLatin1(::ptsname(master)), app.filePath("ports/com1")));
        QtSerialLink link(app.path());
        // Port 0 is none, and says so.
        link.setCommPort(0);
        QString cause;
        try {
            link.open();
        } catch (const RuntimeError& error) {
            cause = error.cause();
        }
        QCOMPARE(cause, "There is no port 0.");
        link.setCommPort(1);
        link.setSettings(settings);
        // Bytes the modem sent while the port was closed are not read as an answer.
        QCOMPARE(::write(master, "RING\r\n", 6), 6);
        QTest::qWait(50);
        link.open();
        QTest::qWait(50);
        QCOMPARE(link.input(), QString());
        const QSerialPort& port = link.port();
        QCOMPARE(QList<int>({ port.baudRate(), port.dataBits(), port.parity(), port.stopBits() }),
            applied);
        QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
        link.close();
        ::close(master);
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
