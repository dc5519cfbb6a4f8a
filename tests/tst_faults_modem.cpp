#include "app/Halvoren.h"
#include "platform/SerialLink.h"
#include "support/LineHolder.h"
#include "support/ModemSim.h"
#include "support/TestApp.h"
#include "support/WindowDump.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/main/LogBox.h"

#include <QSerialPort>
#include <QtTest>
#include <QtWidgets>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

const QString kPortInUse = QStringLiteral("The modem port is currently in use.");
const QString kRing = QStringLiteral("send \\r\\nRING\\r\\n");
const QString kNone = QStringLiteral("Above data has no assingnemt\r\n++++++++\r\n");
const QString kCidText = QStringLiteral("\r\nDATE = 0101\r\nTIME = 1200\r\nNMBR = 5559876543\r\n");
const QString kCid = "send " + QString(kCidText).replace("\r\n", "\\r\\n");
const QString kSent = kCidText + "\r\n++++++++\r\n";

QString withoutStamps(QString log)
{
    return log.remove(QRegularExpression("\\d\\d-\\d\\d-\\d{4}\r\n\\d\\d:\\d\\d:\\d\\d\r\n"));
}

// One line of the reliability table in docs/reliability.md, collected from the test output.
void report(const QString& fault, const QString& outcome, const QString& lost = "nothing")
{
    qInfo().noquote()
        << QStringLiteral("reliability | %1 | 1 | %2 | %3 |").arg(fault, outcome, lost);
}

// The program started in a temporary folder; unless a first run, configured for port 1 with
// blocking on, 5551234567 (picture ann.bmp of 7 x 5 pixels, sound ann.wav) in entry 1 and
// 5550001111 marked blocked in entry 2.
struct ProgramRig
{
    explicit ProgramRig(int tickMs, bool configured = true)
        : app(tickMs)
    {
        if (configured) {
            app.writeSettings("com1:", false, true);
            app.writeFile("phone.ini",
                "+\r\n5551234567\r\nN\r\n" + app.path("ann.bmp").toUtf8() + "\r\n"
                    + app.path("ann.wav").toUtf8() + "\r\n+\r\n5550001111\r\nB\r\n\r\n\r\n"
                    + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(3));
        }
        QImage picture(7, 5, QImage::Format_RGB32);
        picture.fill(Qt::red);
        picture.save(app.path("ann.bmp"));
        app.start();
        form1 = app.app().context().forms.loadedForm1();
    }

    QString log() const { return form1->logText(); }
    // Label2(0) and Label2(1): "total blocked".
    QString counters() const { return form1->Label2[0]->text() + ' ' + form1->Label2[1]->text(); }
    bool monitoring() const { return form1->Command1->text() == "&Deactivate"; }
    bool waitingForRing() const
    {
        return monitoring() && !form1->Timer1->isActive()
            && form1->windowTitle() == "Halvoren 1.5 waiting for calls";
    }

    // Clicks Activate and, from a polling timer while the click runs its loop, plays `steps`
    // until the monitor returns; false if a step never came. A step is "condition: action".
    // Conditions: "waiting" (for a ring, the modem having taken the caller-ID command since the
    // click); "ringing" (a ring seen, Timer1 running); "timing out"; "settled" (waiting, half a
    // second after the step before); "about" (the About box is up); "enabled" (the main window);
    // "counters T B"; "modem EVENT"; "buffer TEXT" (received, not yet consumed). Actions:
    // "Deactivate" (keeps the log in lastLog first); "double click" (two clicks on Command1
    // close together); "About", "About OK" (open and close the About box); else a modem command.
    bool play(ModemSim& modem, QStringList steps)
    {
        const auto answers = [&modem] { return modem.events().count("rx AT+VCID=1"); };
        const int before = answers();
        QElapsedTimer since;
        since.start();
        bool acting = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // Seen before a step acts on the same moment.
            mostCalls = qMax(mostCalls, form1->Label2[0]->text().toInt());
            const QSize size = form1->Image1->pixmap().size();
            if (pictureTimingOut == "none"
                && form1->windowTitle() == "Halvoren 1.5 timming out events")
                pictureTimingOut
                    = QString::number(size.width()) + 'x' + QString::number(size.height());
            // An action may itself yield (a click that runs a nested loop); not re-entered then.
            if (acting || steps.isEmpty())
                return;
            const QString when = steps.first().section(": ", 0, 0);
            const QString then = steps.first().section(": ", 1);
            const QString title = form1->windowTitle();
            Form4* about = app.app().context().forms.loadedForm4();
            const bool holds = when == "waiting" ? answers() > before && waitingForRing()
                : when == "ringing"
                ? monitoring() && form1->Timer1->isActive() && title.endsWith("calls")
                : when == "timing out"        ? title == "Halvoren 1.5 timming out events"
                : when == "settled"           ? since.elapsed() > 500 && waitingForRing()
                : when == "about"             ? about && about->isVisible()
                : when == "enabled"           ? form1->isFormEnabled()
                : when.startsWith("counters") ? counters() == when.section(' ', 1)
                : when.startsWith("modem")
                ? modem.events().contains(when.section(' ', 1))
                : app.app().state().ReceiveBuffer.contains(when.section(' ', 1));
            if (!holds)
                return;
            steps.removeFirst();
            since.start();
            acting = true;
            if (then.startsWith("About")) {
                QTest::mouseClick(
                    then == "About" ? form1->Command7 : about->Command1, Qt::LeftButton);
            } else if (then == "Deactivate" || then == "double click") {
                lastLog = log();
                QMetaObject::invokeMethod(form1->Command1, "click", Qt::QueuedConnection);
                if (then == "double click")
                    QMetaObject::invokeMethod(form1->Command1, "click", Qt::QueuedConnection);
            } else {
                modem.command(then);
            }
            acting = false;
        });
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            poll.stop();
            if (!steps.isEmpty())
                qWarning().noquote() << "the test gave up waiting for:" << steps.first();
            if (monitoring())
                QTest::mouseClick(form1->Command1, Qt::LeftButton);
        });
        poll.start(5);
        watchdog.start(30000);
        QTest::mouseClick(form1->Command1, Qt::LeftButton);
        return steps.isEmpty();
    }

    TestApp app;
    Form1* form1 = nullptr;
    QString lastLog;
    // The total at its highest, and the picture's size when the ringing first timed out.
    int mostCalls = 0;
    QString pictureTimingOut = QStringLiteral("none");
};

} // namespace

// The real program, QSerialPort and files against the modem simulator on a pseudo-terminal: the
// road of one call, and a modem that fails or turns hostile (unplugged in every state of the call
// cycle, held by another program or closed to the user, floods, caller-ID text full of markup
// and control characters, a double click).
class TestFaultsModem : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The rows are the reviewed transcripts. Their steps for play() follow those that set up:
    // "slow" ticks of 100 ms instead of 40 ms, so that a fault reaches the program within
    // each state; a port "held" by another program (its lock taken in this process, or a "sleep"
    // holding the line without a lock) or on a "nodev" file system; else simulator options. The
    // transcript: the main window afterwards, the log without its dates and times, the total at
    // its highest, the sounds, Image1 while the ringing times out, the messages, the caller-ID
    // commands the modem took and how the program ended. A port that failed works again once it
    // is back.
    void calls_data() { addReviewedRows(); }

    void calls()
    {
        QFETCH(QStringList, steps);
        const QString tag = QString(QTest::currentDataTag()).replace('-', ' ');
        QString setup, transcript;
        for (const QString& step : steps)
            transcript += "> " + step + '\n';
        while (!steps.isEmpty() && !steps.first().contains(": "))
            setup += steps.takeFirst() + ' ';
        ProgramRig rig(setup.contains("slow") ? 100 : 40);
        auto modem = std::make_unique<ModemSim>();
        const bool nodev = setup.contains("nodev");
        const QStringList options
            = setup.startsWith("--") ? setup.split(' ', Qt::SkipEmptyParts) : QStringList();
        QVERIFY(modem->start(nodev ? QString() : rig.app.dir(), nodev ? 0 : 1,
            options
                + QStringList { "--ring-interval", "450", "--cid-delay", "20", "--rings", "2",
                    "--clock", "01021530" }));
        const QString link = rig.app.path("ports/com1");
        const QString folder = rig.app.path("nodev");
        // A failing row must not leave its mount behind for the tests after it.
        const auto unmount = qScopeGuard([&] {
            if (nodev)
                ::umount2(qPrintable(folder), MNT_DETACH);
        });
        // Held as another program holds it: its lock file taken and the line opened exclusively.
        QSerialPort holder(modem->device());
        LineHolder sleeper;
        if (setup.contains("held")) {
            QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
        } else if (setup.contains("sleep")) {
            QVERIFY(sleeper.hold(modem->device()));
        } else if (nodev) {
            // A device node on a file system mounted "nodev" cannot be opened, even by root.
            QVERIFY(QDir().mkpath(folder) && QDir().mkpath(rig.app.path("ports")));
            if (::mount("tmpfs", qPrintable(folder), "tmpfs", MS_NODEV, "size=64k") != 0)
                QSKIP("cannot mount a nodev tmpfs");
            struct stat device = {};
            QVERIFY(::stat(qPrintable(modem->device()), &device) == 0);
            QVERIFY(::mknod(qPrintable(folder + "/modem"), S_IFCHR | 0600, device.st_rdev) == 0);
            QVERIFY(QFile::link(folder + "/modem", link));
        }
        QVERIFY(rig.play(*modem, steps));

        const QStringList& messages = rig.app.platform().messages.texts;
        QStringList statuses;
        for (const int status : rig.app.platform().end.statuses)
            statuses << QString::number(status);
        static const QRegularExpression pts("pts([/_])\\d+"), pid("pid \\d+");
        transcript += dumpWindow(rig.form1)
            + QStringLiteral("most calls %1, picture while timing out %2, caller-ID commands %3\n")
                  .arg(rig.mostCalls)
                  .arg(rig.pictureTimingOut)
                  .arg(modem->events().count("rx AT+VCID=1"))
            + dumpText("played", rig.app.platform().sound.played.join(' '))
            + dumpText(
                "messages", messages.join(" / ").replace(pts, "pts\\1N").replace(pid, "pid N"))
            + "ended " + statuses.join(' ') + '\n';
        const QString difference = reviewedDifference(transcript);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        if (tag.startsWith("caller-ID")) {
            // Saving writes the log back unchanged; the view shows no control character as such.
            QTest::mouseClick(rig.form1->Command5, Qt::LeftButton);
            QCOMPARE(rig.app.readFile("ccalls.log"), (rig.log() + "\r\n").toUtf8());
            const QString text = rig.form1->Text1->toPlainText();
            QVERIFY(
                text.contains(QStringLiteral("<script>alert(1)</script>\nNUL[\u2400] BEL[\u2407]"))
                && !text.contains(QRegularExpression("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]")));
            report(tag,
                "logged and saved byte for byte; shown as plain text, control characters as "
                "visible symbols; number taken as usual");
        }
        if (tag.startsWith("Deactivate"))
            report(tag, "the running monitor carries on; the next Deactivate stops it");
        if (!messages.join(' ').startsWith(kPortInUse))
            return;

        // The program monitors again once the port is back.
        if (setup.contains("held")) {
            holder.close();
        } else if (setup.contains("sleep")) {
            QVERIFY(modem->events().filter("rx ").isEmpty());
            sleeper.release();
        } else if (nodev) {
            // Detect names the port it may not open, and how to be let in.
            QTest::mouseClick(rig.form1->Command3, Qt::LeftButton);
            Form2& form2 = *rig.app.app().context().forms.loadedForm2();
            form2.Label3->clear();
            QTest::mouseClick(form2.Command4, Qt::LeftButton);
            QTRY_VERIFY(form2.Label3->text().startsWith("Done"));
            QCOMPARE(form2.Label3->text(),
                "Done checking ports\r\nNo modems were detected\r\nYour saved port is kept\r\n"
                "Port 1 ("
                    + folder
                    + "/modem): Permission denied.\r\nJoin the group dialout, then log in again");
            QTest::mouseClick(form2.Command3, Qt::LeftButton);
            QVERIFY(QFile::remove(link) && QFile::link(modem->device(), link));
            QVERIFY(::umount2(qPrintable(folder), MNT_DETACH) == 0);
        } else {
            modem = std::make_unique<ModemSim>();
            QVERIFY(modem->start(rig.app.dir(), 1));
        }
        QVERIFY(rig.play(
            *modem, { "waiting: " + kRing, "ringing: " + kCid, "timing out: Deactivate" }));
        QVERIFY(withoutStamps(rig.log()).endsWith(kSent + kNone + "Deactivated:\r\n+++++++\r\n"));
        QCOMPARE(rig.app.platform().messages.texts.size(), 1);
        report(tag,
            "\"" + kPortInUse + "\", "
                + (tag.startsWith("port")
                        ? "standing by; Activate works once the port is free"
                        : "deactivation entry, standing by; Activate works once the modem is back"),
            tag.contains("collecting")
                ? "nothing saved; the caller ID cut off mid-way is not logged"
                : "nothing");
    }

    void flood_data()
    {
        QTest::addColumn<QString>("flood");
        QTest::newRow("megabytes of text without a ring")
            << "8388608 \\r\\nDATA = 0123456789 <b>not a call</b>\\x07\\t";
        QTest::newRow("a flood of rings") << "1048576 \\r\\nRING\\r\\n";
    }

    // The About box opens and closes while the flood holds halfway; then comes a real call.
    void flood()
    {
        QFETCH(QString, flood);
        ProgramRig rig(25);
        ModemSim modem;
        QVERIFY(modem.start(rig.app.dir(), 1));
        QVERIFY(rig.play(modem,
            { "waiting: flood " + flood, "modem flood half: About", "about: About OK",
                "enabled: flood on", "modem flooded: ", "settled: " + kRing, "ringing: " + kCid,
                "timing out: Deactivate" }));
        QVERIFY(withoutStamps(rig.lastLog).endsWith(kSent + kNone));
        QCOMPARE(rig.lastLog.count(kCidText), 1);
        QVERIFY(rig.app.platform().messages.texts.isEmpty());
        report("modem flood: " + QString(QTest::currentDataTag()),
            QStringLiteral("%1 MB read; About box opened and closed during the flood; %2 calls "
                           "counted from the flood, then the real call counted once")
                .arg(flood.section(' ', 0, 0).toDouble() / (1 << 20), 0, 'f', 1)
                .arg(rig.form1->Label2[0]->text().toInt() - 1));
    }
};

QTEST_MAIN(TestFaultsModem)
#include "tst_faults_modem.moc"
