#include "platform/PortNumbering.h"
#include "platform/QtSerialLink.h"

#include <QtTest>
#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose other end is the modem, linked as ports/com1 of a program's folder.
struct Modem
{
    explicit Modem(int flags = 0)
        : master(::posix_openpt(O_RDWR | O_NOCTTY | flags))
    {
    }
    ~Modem() { ::close(master); }
    QString device() const { return QString::fromLatin1(::ptsname(master)); }
    bool linkedIn(const QString& folder) const
    {
        return master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
            && QDir(folder).mkdir("ports") && QFile::link(device(), folder + "/ports/com1");
    }

    int master;
};

} // namespace

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
    // keeps no parity or data bits of its own to read back; before that, the ports that do not
    // open for want of a device, or for being open already.
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
        QTemporaryDir app, unpinned;
        const Modem modem;
        QVERIFY(modem.linkedIn(app.path()));
        QtSerialLink link(app.path()), other(unpinned.path());
        // What a port that is none, or taken twice, says, and why.
        QStringList failures;
        for (auto [opened, port] : { std::pair(&link, 0), std::pair(&link, 2),
                 std::pair(&other, 99), std::pair(&link, 1), std::pair(&link, 1) }) {
            opened->setCommPort(port);
            try {
                opened->open();
            } catch (const RuntimeError& error) {
                failures << QString::fromStdString(error.what()) + ": " + error.cause();
            }
        }
        link.close();
        QCOMPARE(failures.join('\n').replace(app.path(), "A").replace(unpinned.path(), "U"),
            "Invalid port number: There is no port 0.\n"
            "Invalid port number: There is no port 2: A/ports holds no com2. Link the modem's "
            "device there, e.g. ln -s /dev/ttyACM0 A/ports/com2.\n"
            "Invalid port number: There is no port 99: the system has fewer serial devices.\n"
            "The modem may be unplugged, or the numbering moved: a link ports/com99 in U pins a "
            "device to the number.\n"
            "Port already open: ");
        link.setSettings(settings);
        // Bytes the modem sent while the port was closed are not read as an answer.
        QCOMPARE(::write(modem.master, "RING\r\n", 6), 6);
        QTest::qWait(50);
        link.open();
        QTest::qWait(50);
        QCOMPARE(link.input(), QString());
        const QSerialPort& port = link.port();
        QCOMPARE(QList<int>({ port.baudRate(), port.dataBits(), port.parity(), port.stopBits() }),
            applied);
        QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
    }

    // What the program writes reaches the modem; once the modem's end is gone, the next write
    // fails, and every use after it says the port went away.
    void writes_failOnceTheModemIsGone()
    {
        QTemporaryDir app;
        Modem modem(O_NONBLOCK);
        QVERIFY(modem.linkedIn(app.path()));
        const QString device = modem.device();
        QtSerialLink link(app.path());
        link.setCommPort(1);
        link.setSettings("19200,N,8,1");
        link.open();
        link.output("ATZ\r");
        QByteArray received;
        const auto readMore = [&] {
            char buffer[8];
            const ssize_t n = ::read(modem.master, buffer, sizeof buffer);
            return received.append(buffer, qMax<ssize_t>(n, 0));
        };
        QTRY_COMPARE(readMore(), "ATZ\r");
        ::close(std::exchange(modem.master, -1));
        QStringList failures;
        for (int i = 0; i < 2; ++i) {
            try {
                link.output("AT\r");
                failures << "written";
            } catch (const RuntimeError& error) {
                failures << QString::fromStdString(error.what()) + " / " + error.cause();
            }
        }
        QCOMPARE(failures.join('\n').replace(device, "PTS"),
            "Input/output error / \nThe port has gone away / Port 1 (PTS) went away: the modem was "
            "unplugged or switched off.");
    }

    // What a user who is not root is told when port 1, a pseudo-terminal, does not open: the
    // device closed to others, held exclusively by a program of root's, or locked by a program
    // of root's that has ended. The open is made by a child that has become "nobody".
    void openFailureAsAnotherUser_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("heldExclusively");
        QTest::addColumn<bool>("staleLock");
        QTest::addColumn<QString>("cause");
        QTest::newRow("closed to the user")
            << 0600 << false << false
            << "Port 1 (PTS): Permission denied.\nYour user may not open it. Add yourself to the "
               "group dialout: sudo usermod -aG dialout $USER, then log in again.";
        QTest::newRow("held by a program the user may not inspect")
            << 0666 << true << false
            << "Port 1 (PTS): Device or resource busy.\nAnother program holds it, one this user "
               "may not inspect: sudo fuser -v PTS names it.";
        QTest::newRow("a lock left by another user")
            << 0666 << false << true
            << "Port 1 (PTS): Permission error while locking the device.\nThe lock file LOCK was "
               "left by another user (root) and no program holds it now. Remove it: sudo rm LOCK";
    }

    void openFailureAsAnotherUser()
    {
        QFETCH(int, mode);
        QFETCH(bool, heldExclusively);
        QFETCH(bool, staleLock);
        QFETCH(QString, cause);
        if (::geteuid() != 0)
            QSKIP("only root can become another user");
        QTemporaryDir app;
        const Modem modem;
        QVERIFY(QFile::setPermissions(app.path(), QFile::Permissions(0x7755))
            && modem.linkedIn(app.path()));
        const QString device = modem.device();
        QVERIFY(::chmod(qPrintable(device), mode_t(mode)) == 0);
        const int held = heldExclusively ? ::open(qPrintable(device), O_RDWR | O_NOCTTY) : -1;
        QVERIFY(!heldExclusively || (held >= 0 && ::ioctl(held, TIOCEXCL) == 0));
        const QString lock = "/var/lock/LCK.." + device.mid(5).replace('/', '_');
        QFile lockFile(lock);
        // A pid above the kernel's limit, which no process can have.
        QVERIFY(!staleLock
            || (lockFile.open(QIODevice::WriteOnly) && lockFile.write("4194305\nmodem\n\n") > 0));
        lockFile.close();
        int told[2];
        QVERIFY(::pipe(told) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            QByteArray said = "the child could not become nobody";
            if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
                QtSerialLink link(app.path());
                link.setCommPort(1);
                try {
                    link.open();
                    said = "opened";
                } catch (const RuntimeError& error) {
                    said = error.cause().toUtf8();
                }
            }
            ::_exit(::write(told[1], said.constData(), size_t(said.size())) == said.size() ? 0 : 1);
        }
        ::close(told[1]);
        QByteArray said;
        char buffer[512];
        for (ssize_t n; (n = ::read(told[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, n);
        ::close(told[0]);
        ::waitpid(child, nullptr, 0);
        if (staleLock)
            QFile::remove(lock);
        if (held >= 0)
            ::close(held);
        QCOMPARE(QString::fromUtf8(said).replace(lock, "LOCK").replace(device, "PTS"), cause);
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
