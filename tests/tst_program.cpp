#include "support/TestApp.h"

#include <QtTest>

namespace {

const QString kTitle = QStringLiteral("Halvoren version 1.5");

// A child process that is stopped when this goes, so a failing test leaves nothing running.
struct Child : QProcess
{
    ~Child() override
    {
        terminate();
        if (!waitForFinished(3000))
            kill();
        waitForFinished(1000);
    }
};

} // namespace

// The shipped executable itself, its own main and Qt's X11 platform, in a folder of its own on
// an X server with a window manager: keys pressed as a user presses them, a call taken from the
// modem simulator, the log saved, the window closed.
class TestProgram : public QObject
{
    Q_OBJECT

private:
    // The program's folder, with the files shipped with it.
    TestApp m_folder;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    Child m_xvfb, m_windowManager, m_modem, m_program;

    // xdotool's output, or a failed test when it fails or takes more than 30 s.
    QString xdotool(const QStringList& arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("xdotool"), arguments);
        const bool done = tool.waitForFinished(30000) && tool.exitCode() == 0;
        const QString output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        const QString failure
            = "xdotool " + arguments.join(' ') + ": " + tool.readAllStandardError();
        [&] { QVERIFY2(done, qPrintable(failure)); }();
        return output;
    }

    // Whether the window's captions, as they change from now on, end with `last` within 15 s.
    bool titlesEndWith(const QString& window, const QStringList& last)
    {
        QStringList titles { xdotool({ "getwindowname", window }) };
        for (int i = 0; i < 300 && titles.mid(titles.size() - last.size()) != last; ++i) {
            QTest::qWait(50);
            const QString title = xdotool({ "getwindowname", window });
            if (titles.last() != title)
                titles << title;
        }
        if (titles.mid(titles.size() - last.size()) == last)
            return true;
        qWarning().noquote() << "captions:" << titles.join(" | ");
        return false;
    }

    bool windowManagerReady()
    {
        QProcess xprop;
        xprop.setProcessEnvironment(m_env);
        xprop.start(QStringLiteral("xprop"), { "-root", "_NET_SUPPORTING_WM_CHECK" });
        return xprop.waitForFinished(2000) && xprop.readAllStandardOutput().contains("window id #");
    }

private slots:
    void initTestCase()
    {
        // Nobody reads the server's and the manager's chatter while a tool is awaited: a full pipe
        // would stop the X server in the middle of a test.
        m_xvfb.setStandardErrorFile(QProcess::nullDevice());
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        m_env.insert("QT_QPA_PLATFORM", "xcb");
        // A window mapped while the manager is still starting can stay unmapped for good; the
        // manager is ready once it names itself on the root window. A server and manager that do
        // not get there are started afresh.
        bool ready = false;
        for (int attempt = 0; attempt < 3 && !ready; ++attempt) {
            for (QProcess* child :
                { static_cast<QProcess*>(&m_windowManager), static_cast<QProcess*>(&m_xvfb) }) {
                child->kill();
                child->waitForFinished(3000);
            }
            // A free display: Xvfb picks it and writes its number to the descriptor given.
            m_xvfb.start(QStringLiteral("Xvfb"),
                { "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24" });
            if (!m_xvfb.waitForReadyRead(20000))
                continue;
            m_env.insert("DISPLAY", ':' + QString::fromLatin1(m_xvfb.readLine()).trimmed());
            m_windowManager.setProcessEnvironment(m_env);
            m_windowManager.start(QStringLiteral("openbox"), { "--sm-disable" });
            QDeadlineTimer deadline(10000);
            while (!(ready = windowManagerReady()) && !deadline.hasExpired())
                QTest::qWait(50);
        }
        QVERIFY2(ready, "Xvfb with openbox did not come up");
    }

    // Activate with Alt+A, one call, Save log with Alt+S, the window closed with Alt+F4, which
    // closes the modem's port on the way out.
    void takesACall_savesTheLog_endsWhenClosed()
    {
        QVERIFY(QFile::copy(HALVOREN_BINARY_DIR "/halvoren", m_folder.path("halvoren")));
        m_folder.writeConfiguration();

        m_modem.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_modem.start(HALVOREN_BINARY_DIR "/modem-sim",
            { "--link", m_folder.path("ports/com1"), "--ring-interval", "500", "--rings", "2",
                "--cid-delay", "600" });
        QVERIFY(m_modem.waitForReadyRead(10000));
        const QString ready = QString::fromUtf8(m_modem.readLine()).trimmed();
        QVERIFY(ready.startsWith("ready "));
        // The lock file of the modem's line, which stays behind a port left open at the end.
        const QString lock = "/var/lock/LCK.." + ready.mid(11).replace('/', '_');

        m_program.setProcessEnvironment(m_env);
        m_program.setWorkingDirectory(m_folder.dir());
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(m_folder.path("halvoren"), {});
        const QString window
            = xdotool({ "search", "--sync", "--onlyvisible", "--name", kTitle }).section('\n', -1);
        QVERIFY(!window.isEmpty());
        xdotool({ "windowactivate", "--sync", window });
        xdotool({ "key", "alt+a" });
        QByteArray events("\n");
        QTRY_VERIFY2_WITH_TIMEOUT((events += m_modem.readAll()).contains("\nrx AT+VCID=1\n"),
            "Alt+A did not activate the monitor", 20000);
        QVERIFY(QFile::exists(lock));
        QVERIFY(titlesEndWith(window, { "Halvoren 1.5 waiting for calls" }));
        // The caller ID comes after the second ring, so the call counts even when the monitor
        // takes the modem's OK only after the first.
        m_modem.write("call 5551234567 JOHN SMITH\n");
        m_modem.waitForBytesWritten(3000);
        // Saved once the ringing is waited out and the monitor waits for the next call.
        QVERIFY(titlesEndWith(
            window, { "Halvoren 1.5 timming out events", "Halvoren 1.5 waiting for calls" }));
        xdotool({ "key", "alt+s" });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_folder.path("ccalls.log")), 10000);
        const QByteArray saved = m_folder.readFile("ccalls.log");
        QVERIFY2(saved.startsWith("Activated:\r\n") && saved.contains("NMBR = 5551234567\r\n")
                && saved.contains("NAME = JOHN SMITH\r\n") && saved.contains("\r\n++++++++\r\n"),
            saved.constData());

        xdotool({ "key", "alt+F4" });
        QVERIFY(m_program.waitForFinished(10000));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);
        QVERIFY(!QFile::exists(lock));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
