#include "platform/PortNumbering.h"
#include "platform/QtSerialLink.h"
#include "state/RuntimeError.h"
#include "support/ModemSim.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// The modem port over a real QSerialPort, against the modem simulator on a pseudo-terminal.
class TestSerialLink : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString portsPath(const QString& name = {}) const
    {
        return QDir(m_dir->filePath(QStringLiteral("ports"))).filePath(name);
    }

    std::unique_ptr<QtSerialLink> makeLink(int port) const
    {
        auto link = std::make_unique<QtSerialLink>(m_dir->path());
        link->setCommPort(port);
        link->setSettings(QStringLiteral("19200,N,8,1"));
        link->setInputLen(0);
        return link;
    }

    // Reads with events in between until `text` has arrived; returns everything read.
    static QString readUntil(QtSerialLink& link, const QString& text)
    {
        const QDeadlineTimer deadline(10000);
        QString received;
        while (!received.contains(text) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            received += link.input();
        }
        return received;
    }

    // Runs `operation` with events in between until it throws; false if it never does.
    template <typename Operation> static bool failsSoon(Operation operation)
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            try {
                operation();
            } catch (const RuntimeError&) {
                return true;
            }
        }
        return false;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void modemAnswers_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::newRow("probe") << QStringList() << "ATV1Q0"
                               << "ATV1Q0\r\r\nOK\r\n";
        QTest::newRow("caller id on") << QStringList() << "AT+VCID=1"
                                      << "AT+VCID=1\r\r\nOK\r\n";
        QTest::newRow("caller id refused") << QStringList { "--vcid", "error" } << "AT+VCID=1"
                                           << "AT+VCID=1\r\r\nERROR\r\n";
        QTest::newRow("caller id ignored") << QStringList { "--vcid", "silent" } << "AT+VCID=1"
                                           << "AT+VCID=1\r";
        QTest::newRow("unknown command") << QStringList() << "ATX9"
                                         << "ATX9\r\r\nERROR\r\n";
        QTest::newRow("silent port") << QStringList { "--silent" } << "ATV1Q0"
                                     << "";
    }

    void modemAnswers()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, command);
        QFETCH(QString, reply);
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1, options));
        auto link = makeLink(1);
        link->open();
        QVERIFY(link->portOpen());

        link->output(command + u'\r');
        QCOMPARE(link->input(), QString());
        QCOMPARE(sim.waitFor(QStringLiteral("rx ")), QStringLiteral("rx ") + command);
        // Whatever the modem says after the marker is not part of its reply.
        sim.command(QStringLiteral("send MARK"));
        QCOMPARE(readUntil(*link, QStringLiteral("MARK")), reply + QStringLiteral("MARK"));
        link->close();
        QVERIFY(!link->portOpen());
    }

    void callerIdFollowsFirstRing()
    {
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1,
            { "--ring-interval", "300", "--cid-delay", "100", "--rings", "2", "--clock",
                "04121530" }));
        auto link = makeLink(1);
        link->open();
        sim.command(QStringLiteral("call 5551234567 JOHN SMITH"));
        QCOMPARE(readUntil(*link, QStringLiteral("NAME = JOHN SMITH\r\n\r\nRING\r\n")),
            QStringLiteral("\r\nRING\r\n\r\nDATE = 0412\r\nTIME = 1530\r\nNMBR = 5551234567\r\n"
                           "NAME = JOHN SMITH\r\n\r\nRING\r\n"));
        QVERIFY(!sim.waitFor(QStringLiteral("callend")).isEmpty());
    }

    void dialStopsRinging()
    {
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1, { "--ring-interval", "200", "--rings", "50" }));
        auto link = makeLink(1);
        link->open();
        sim.command(QStringLiteral("call-nocid"));
        QVERIFY(readUntil(*link, QStringLiteral("RING\r\n")).endsWith(QStringLiteral("RING\r\n")));
        link->output(QStringLiteral("ATDT1\r"));
        QCOMPARE(readUntil(*link, QStringLiteral("NO CARRIER\r\n"))
                     .remove(QStringLiteral("\r\nRING\r\n")),
            QStringLiteral("ATDT1\r\r\nNO CARRIER\r\n"));
        QCOMPARE(sim.waitFor(QStringLiteral("offhook")), QStringLiteral("offhook 1"));
        const int rings = sim.events().filter(QRegularExpression(QStringLiteral("^ring "))).size();
        sim.command(QStringLiteral("send MARK"));
        readUntil(*link, QStringLiteral("MARK"));
        QCOMPARE(sim.events().filter(QRegularExpression(QStringLiteral("^ring "))).size(), rings);
    }

    void reopenLosesUnreadText()
    {
        ModemSim sim;
        QVERIFY(sim.start(
            m_dir->path(), 1, { "--ring-interval", "100", "--cid-delay", "20", "--rings", "3" }));
        auto link = makeLink(1);
        link->open();
        sim.command(QStringLiteral("call 5551234567 JOHN"));
        QVERIFY(!sim.waitFor(QStringLiteral("cid")).isEmpty());
        link->close();
        // The last rings reach the device while the port is closed.
        QVERIFY(!sim.waitFor(QStringLiteral("callend")).isEmpty());
        link->open();
        sim.command(QStringLiteral("send MARK"));
        QCOMPARE(readUntil(*link, QStringLiteral("MARK")), QStringLiteral("MARK"));
    }

    void missingPortFailsToOpen_data()
    {
        QTest::addColumn<int>("port");
        QTest::newRow("port 0") << 0;
        QTest::newRow("no entry") << 2;
        QTest::newRow("broken link") << 3;
        QTest::newRow("not a serial device") << 4;
    }

    void missingPortFailsToOpen()
    {
        QFETCH(int, port);
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1));
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("gone")), portsPath("com3")));
        QFile plain(portsPath("com4"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        auto link = makeLink(port);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, link->open());
        QVERIFY(!link->portOpen());
    }

    void heldPortFailsToOpen_data()
    {
        QTest::addColumn<bool>("heldByLink");
        QTest::newRow("another program on the device") << false;
        QTest::newRow("another link to the port") << true;
    }

    void heldPortFailsToOpen()
    {
        QFETCH(bool, heldByLink);
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1));
        QSerialPort otherProgram(sim.device());
        auto otherLink = makeLink(1);
        if (heldByLink)
            otherLink->open();
        else
            QVERIFY(otherProgram.open(QIODevice::ReadWrite));

        auto link = makeLink(1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, link->open());
        QVERIFY(!link->portOpen());

        otherProgram.close();
        otherLink->close();
        link->open();
        QVERIFY(link->portOpen());
    }

    void unpluggedPortFails_data()
    {
        QTest::addColumn<bool>("write");
        QTest::newRow("read") << false;
        QTest::newRow("write") << true;
    }

    void unpluggedPortFails()
    {
        QFETCH(bool, write);
        ModemSim sim;
        QVERIFY(sim.start(m_dir->path(), 1));
        auto link = makeLink(1);
        link->open();
        sim.command(QStringLiteral("unplug"));
        QVERIFY(!sim.waitFor(QStringLiteral("unplugged")).isEmpty());
        if (write)
            QVERIFY(failsSoon([&link] { link->output(QStringLiteral("AT\r")); }));
        else
            QVERIFY(failsSoon([&link] { link->input(); }));
        QVERIFY(link->portOpen());

        link->close();
        QVERIFY(!link->portOpen());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, link->open());
    }

    void portNumberingWithPortsFolder()
    {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ports")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), portsPath("com1")));
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("gone")), portsPath("com2")));

        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 1), portsPath("com1"));
        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 2), QString());
        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 3), QString());
        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 0), QString());
    }

    void portNumberingWithoutPortsFolder()
    {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), m_dir->filePath(QStringLiteral("com1"))));
        for (int port = 1; port <= 7; ++port) {
            const QString device = PortNumbering::deviceFor(m_dir->path(), port);
            QVERIFY2(device.isEmpty() || device.startsWith(QLatin1String("/dev/tty")),
                qPrintable(device));
        }
        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 0), QString());
        QCOMPARE(PortNumbering::deviceFor(m_dir->path(), 1000), QString());
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
