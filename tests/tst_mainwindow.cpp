#include "app/Halvoren.h"
#include "platform/QtLauncher.h"
#include "support/LineHolder.h"
#include "support/ModemSim.h"
#include "support/TestApp.h"
#include "support/WindowDump.h"
#include "windows/AppFonts.h"
#include "windows/main/Form1.h"

#include <QSerialPort>
#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <QtWidgets>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

// The names of the program's windows a screen reader was told of, in order.
QStringList g_heard;

void hear(QAccessibleEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(event->object());
    if (event->type() == QAccessible::NameChanged && widget && widget->isWindow()
        && !widget->objectName().isEmpty())
        g_heard << widget->windowTitle();
}

// A long text by its start and size.
QString shortened(const QString& text)
{
    return text.size() > 100 ? text.left(20) + QStringLiteral("... %1 characters").arg(text.size())
                             : text;
}

// Entries as "number|mark|picture|wav" joined by ";", empty entries at the end left out.
QString entries(const PhoneBook& book)
{
    QStringList all;
    for (int i = 1; i <= PhoneBook::MaxPhoneBookIndex; ++i)
        all << QStringList { book.PhoneNumber(i), book.BlockFlag(i), book.PictureFile(i),
            book.WavFile(i) }
                   .replaceInStrings(QRegularExpression("^(.{20}).{81,}$"), "\\1...")
                   .join('|');
    return all.join(';').remove(QRegularExpression("(^\\|\\|\\|)?(;\\|\\|\\|)*$"));
}

} // namespace

// The program as a person meets it, in walks through its windows: the main window and the About
// box, start-up and the agreement, the configuration window with port detection, the phone book
// editor and the file locator; calls on the simulated modem and the modem's faults; hand-edited
// data files and saves that fail. And the real launcher.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app = std::make_unique<TestApp>();
    QPointer<Form1> m_form1;
    QTemporaryDir m_tree;
    std::vector<std::unique_ptr<ModemSim>> m_modems;
    LineHolder m_holder;
    QSerialPort m_locker;
    QFile m_filler;

    FormRegistry& forms() { return m_app->app().context().forms; }
    AppState& state() { return m_app->app().state(); }
    RecordingMessageBoxes& messages() { return m_app->platform().messages; }
    int ends() { return m_app->platform().end.ends; }

    // Port `port`'s device node onto a file system mounted "nodev", where even root may not open
    // it, or back.
    bool movePort(int port, bool nodev)
    {
        const QString link = m_app->path(QStringLiteral("ports/com%1").arg(port));
        const QString folder = m_app->path("nodev"), node = folder + "/modem";
        if (!nodev)
            return QFile::remove(link) && QFile::link(m_modems.back()->device(), link)
                && ::umount2(qPrintable(folder), MNT_DETACH) == 0 && QDir().rmdir(folder);
        struct stat device = {};
        return QDir().mkpath(folder)
            && ::mount("tmpfs", qPrintable(folder), "tmpfs", MS_NODEV, "size=64k") == 0
            && ::stat(qPrintable(m_modems.back()->device()), &device) == 0
            && ::mknod(qPrintable(node), S_IFCHR | 0600, device.st_rdev) == 0 && QFile::remove(link)
            && QFile::link(node, link);
    }

    // Steps as a person takes them, each a moment after the last, so that steps go on while a modal
    // window waits. "Form1.Command3" clicks a control of a shown window ("Form1" the window
    // itself), at "@x,y" within it (a negative number counts from the far edge), or an item of a
    // list ("Form3.File1/a.wav"); "double ..." double-clicks, "twice ..." clicks twice at once,
    // "right ..." clicks the right button; "press ..." presses a button and lets go over its
    // window; "drag Phonebook.VScroll1 3" moves a scroll bar's thumb there, past the values
    // between; "choose Form3.Drive1 @" picks a list's item by its text ("@" the data folder);
    // "key Alt+S" presses keys in the focused control, "type 12" types there; "wheel
    // Form1.Text1 120" turns the wheel over a box; "close Form1" closes a window from its frame,
    // "minimize Form1" minimizes it. "look Form2" writes what that window shows, "files" the data
    // files, "book" the phone book in memory, "printed" the text of the document the printer wrote,
    // "settings" the settings in memory. "phone.ini TEXT" writes a data file (or a .log or .wav), a
    // byte for each character ("@" the data folder, "~" the folder of sample files), "folder
    // phone.ini" puts a folder in its place, "mode phone.ini 440" sets its mode and writes it
    // ("mode phone.ini" only writes it); "save" saves the settings and the phone book as they are
    // in memory; "tmpfs" mounts a file system of a megabyte over the data folder, "read-only" and
    // "writable" remount it so, "full" fills it and "not full" empties it again. "ticks 100" sets
    // Timer1's period and "start" starts the program; "log TEXT" adds to the log as the monitor
    // does; "no viewer" and "no recorder" leave the system without them. "modem 1 OPTIONS" starts
    // the modem simulator on port 1 and "sim call 5551234" commands it, "commands" writes how many
    // caller-ID commands the simulators took; "hold 1" holds port 1's line open as another program
    // does without a lock file, "lock 1" with its lock file taken, "let go" lets both go; "nodev 1"
    // puts port 1's device on a file system that allows no devices, "dev 1" puts it back and
    // removes that file system. "until Form2.Label3 Done" waits for a control's text to start so
    // ("until Form1 Halvoren" for a caption), "until modem rx ATZ" for the last simulator's event,
    // "until buffer DATE" for text received and not yet taken, "until waiting" for the monitor
    // between calls, "until ringing" for a ring seen, "until ended" for the program's end; "wait
    // 1500" waits that many milliseconds; the step after "start" waits for a window to be active.
    // "report FAULT | OUTCOME | LOST" is a row of the reliability table. The walk's transcript ends
    // with the sounds played, how the program ended and the window names a screen reader heard. The
    // steps and what they showed are compared with the row's reviewed transcript.
    void takeSteps(QStringList steps)
    {
        QString transcript, failure;
        g_heard.clear();
        bool done = false, starting = false;
        QElapsedTimer waited;
        // Takes the steps still waiting with it when a stuck step ends the test.
        QObject pending;
        const auto shown = [](const QString& name) -> QWidget* {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible()
                    && (top->objectName() == name || top->inherits(qPrintable(name))))
                    return top;
            return nullptr;
        };
        const auto holds = [&](const QString& condition) {
            if (condition == "ended")
                return ends() > 0;
            const QString rest = condition.section(' ', 1);
            if (condition.startsWith("modem "))
                return !m_modems.back()
                            ->events()
                            .filter(QRegularExpression('^' + QRegularExpression::escape(rest)))
                            .isEmpty();
            if (condition.startsWith("buffer "))
                return state().ReceiveBuffer.contains(rest);
            // Between calls, or a ring seen and Timer1 counting.
            if (condition == "waiting" || condition == "ringing")
                return m_form1->windowTitle() == "Halvoren 1.5 waiting for calls"
                    && m_form1->Timer1->isActive() == (condition == "ringing");
            const QString target = condition.section(' ', 0, 0);
            QWidget* window = shown(target.section('.', 0, 0));
            QWidget* control = window && target.contains('.')
                ? window->findChild<QWidget*>(target.section('.', 1))
                : window;
            if (!control)
                return false;
            const QString text
                = control == window ? control->windowTitle() : control->property("text").toString();
            return text.startsWith(rest);
        };
        // Activation goes back to the last window that had it, as a window manager does it.
        QList<QPointer<QWindow>> activated;
        const auto track = connect(qApp, &QGuiApplication::focusWindowChanged,
            [&](QWindow* window) { activated << window; });
        const auto scope = qScopeGuard([&] { disconnect(track); });
        std::function<void()> next = [&] {
            // Keys wait for a window to take them.
            const QString waiting = steps.value(0);
            // A wait that never ends fails the walk, and the monitor stops, so the test goes on.
            const bool expired = waited.isValid() && waited.hasExpired(15000);
            if (expired) {
                failure = waiting + ": waited in vain";
                steps.clear();
            }
            if (!QGuiApplication::focusWindow()) {
                while (!activated.isEmpty() && !(activated.last() && activated.last()->isVisible()))
                    activated.removeLast();
                if (!activated.isEmpty())
                    activated.last()->requestActivate();
            }
            if (!expired
                && ((waiting.startsWith("until ") && !holds(waiting.mid(6)))
                    || (waiting.startsWith("key ") && !QApplication::focusWidget())
                    || (starting && !QApplication::activeWindow()))) {
                QTimer::singleShot(50, &pending, next);
                return;
            }
            if (steps.isEmpty()) {
                // Out of the modal windows and the monitor's loop the steps left open.
                while (QWidget* modal = QApplication::activeModalWidget())
                    modal->hide();
                if (m_form1 && m_form1->Command1->text() == "&Deactivate")
                    m_form1->Command1->click();
                done = true;
                return;
            }
            const QString step = steps.takeFirst();
            starting = step == "start";
            waited.start();
            transcript += "> " + step + '\n';
            QStringList words = step.split(' ');
            const QString command = words.size() > 1 ? words.takeFirst() : QString();
            // An access key clicks its button a moment after the key.
            QTimer::singleShot(command == "key" ? 150
                    : command == "wait"         ? words.value(0).toInt()
                                                : 50,
                &pending, next);
            const QString rest = words.join(' ');
            const QString path = words.value(0);
            const bool pointing = command.isEmpty() || command == "double" || command == "twice"
                || command == "right" || command == "press" || command == "drag"
                || command == "wheel" || command == "choose";
            QWidget* window = command == "key" || command == "type"
                ? QApplication::focusWidget()
                : shown(pointing ? path.section(QRegularExpression("[.@]"), 0, 0) : rest);
            QWidget* control = window && pointing && path.contains('.')
                ? window->findChild<QWidget*>(
                    path.section('.', 1).section(QRegularExpression("[/@]"), 0, 0))
                : window;
            if (command == "until" || command == "wait") {
            } else if (command.contains(QRegularExpression("\\.(ini|log|wav)$"))) {
                // In the place of a folder an earlier step put there.
                QDir(m_app->dir()).rmdir(command);
                m_app->writeFile(command,
                    unquoted(rest)
                        .replace('@', m_app->dir())
                        .replace('~', m_tree.path())
                        .toLatin1());
            } else if (step == "start") {
                m_app->start();
                m_form1 = forms().loadedForm1();
            } else if (command == "modem") {
                m_modems.push_back(std::make_unique<ModemSim>());
                if (!m_modems.back()->start(m_app->dir(), words.takeFirst().toInt(), words))
                    failure = step + ": the simulator did not start";
            } else if (command == "sim") {
                m_modems.back()->command(rest);
            } else if (command == "hold") {
                if (!m_holder.hold(QFile::symLinkTarget(m_app->path("ports/com" + rest))))
                    failure = step + ": the line was not held";
            } else if (command == "lock") {
                m_locker.setPortName(QFile::symLinkTarget(m_app->path("ports/com" + rest)));
                if (!m_locker.open(QIODevice::ReadWrite))
                    failure = step + ": " + m_locker.errorString();
            } else if (step == "let go") {
                m_holder.release();
                m_locker.close();
            } else if (command == "nodev" || command == "dev") {
                if (!movePort(rest.toInt(), command == "nodev"))
                    failure = step + ": not moved";
            } else if (command == "ticks") {
                m_app->platform().platform.timerIntervalMs = rest.toInt();
            } else if (step == "commands") {
                int taken = 0;
                for (const auto& modem : m_modems)
                    taken += int(modem->events().count("rx AT+VCID=1"));
                transcript += QStringLiteral("caller-ID commands %1\n").arg(taken);
            } else if (command == "report") {
                QStringList row = rest.split(" | ");
                row.insert(1, "1");
                qInfo().noquote() << "reliability |" << row.join(" | ") << "|";
            } else if (command == "log") {
                m_form1->appendLog(unquoted(rest));
                m_form1->showLogEnd();
            } else if (step == "no viewer") {
                m_app->platform().launcher.openerFails = true;
            } else if (step == "no recorder") {
                m_app->platform().launcher.recorderStarts = false;
            } else if (step == "printed") {
                // The PDF's text comes back glyph by glyph, so only its characters are compared.
                const auto bare
                    = [](QString text) { return text.remove(QRegularExpression("\\s")); };
                QProcess pdf;
                pdf.start("pdftotext", { m_app->platform().printedPdf(), "-" });
                const QString printed = pdf.waitForFinished() && pdf.exitCode() == 0
                    ? bare(QString::fromUtf8(pdf.readAllStandardOutput()))
                    : QString();
                transcript += printed.isEmpty()           ? "nothing printed\n"
                    : printed == bare(m_form1->logText()) ? "printed the log\n"
                                                          : dumpText("printed", printed);
            } else if (command == "folder") {
                QFile::remove(m_app->path(rest));
                if (!QDir(m_app->dir()).mkdir(rest))
                    failure = step + ": no folder made";
            } else if (step == "files") {
                for (const char* name : { "cconfig.ini", "phone.ini", "ccalls.log" })
                    transcript += dumpFile(m_app->path(name));
            } else if (step == "book") {
                transcript += dumpText("book", entries(state().Book));
            } else if (step == "settings") {
                transcript += dumpText("settings",
                    QStringList { shortened(state().CommPort), state().CallerIdCommand,
                        state().AutoUpdate ? "True" : "False",
                        state().BlockingEnabled ? "True" : "False" }
                        .join(" / "));
            } else if (step == "save") {
                if (!m_app->app().store().SaveSettings(state().CommPort)
                    || !m_app->app().store().SavePhoneBook())
                    failure = step + ": not saved";
            } else if (command == "mode") {
                const QString file = m_app->path(words.value(0));
                if (words.size() > 1)
                    ::chmod(qPrintable(file), mode_t(words.value(1).toUInt(nullptr, 8)));
                const int p = int(QFile::permissions(file));
                transcript += QStringLiteral("%1 mode %2\n")
                                  .arg(words.value(0))
                                  .arg(((p >> 12) & 7) * 64 + ((p >> 4) & 7) * 8 + (p & 7), 3, 8);
            } else if (step == "tmpfs" || step == "read-only" || step == "writable") {
                const unsigned long flags
                    = step == "tmpfs" ? 0 : MS_REMOUNT | (step == "read-only" ? MS_RDONLY : 0);
                if (::mount("tmpfs", qPrintable(m_app->dir()), "tmpfs", flags, "size=1m") != 0)
                    failure = step + ": not mounted";
            } else if (step == "full") {
                m_filler.setFileName(m_app->path("filler"));
                if (!m_filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                    failure = step + ": no filler";
                while (m_filler.write(QByteArray(4096, 'x')) > 0) { }
            } else if (step == "not full") {
                m_filler.remove();
            } else if (!control) {
                failure = step + ": no such window or control shown";
                steps.clear();
            } else if (command == "key") {
                QTest::keySequence(control, QKeySequence(rest));
            } else if (command == "type") {
                QTest::keyClicks(control, rest);
            } else if (command == "close") {
                control->close();
            } else if (command == "minimize") {
                control->showMinimized();
            } else if (command == "look") {
                transcript += dumpWindow(control);
            } else if (command == "wheel") {
                auto* area = qobject_cast<QAbstractScrollArea*>(control);
                QWheelEvent wheel(QPointF(5, 5), area->viewport()->mapToGlobal(QPointF(5, 5)), {},
                    { 0, words.value(1).toInt() }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                    false);
                QApplication::sendEvent(area->viewport(), &wheel);
            } else if (command == "choose") {
                auto* list = qobject_cast<QComboBox*>(control);
                list->setCurrentIndex(list->findText(words.value(1).replace('@', m_app->dir())));
            } else if (command == "drag") {
                auto* bar = qobject_cast<QScrollBar*>(control);
                for (int i = bar->value() + 1; i <= words.value(1).toInt(); ++i) {
                    bar->setSliderDown(true);
                    bar->setSliderPosition(i);
                }
                bar->setSliderDown(false);
            } else if (command == "press") {
                QTest::mousePress(control, Qt::LeftButton);
                QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(2, 2));
            } else {
                QPoint at = control->rect().center();
                if (auto* list = qobject_cast<QListWidget*>(control)) {
                    const auto items = list->findItems(path.section('/', 1), Qt::MatchEndsWith);
                    at = list->visualItemRect(items.value(0)).center();
                    control = list->viewport();
                } else if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
                    control = area->viewport();
                    at = control->rect().center();
                } else if (path.contains('@')) {
                    const QStringList xy = path.section('@', 1).split(',');
                    at = QPoint(xy[0].toInt(), xy[1].toInt());
                    at += QPoint(
                        at.x() < 0 ? control->width() : 0, at.y() < 0 ? control->height() : 0);
                }
                for (int n = command == "twice" ? 2 : 1; n > 0; --n)
                    QTest::mouseClick(
                        control, command == "right" ? Qt::RightButton : Qt::LeftButton, {}, at);
                if (command == "double")
                    QTest::mouseDClick(control, Qt::LeftButton, {}, at);
            }
        };
        QTimer::singleShot(0, &pending, next);
        QTRY_VERIFY2_WITH_TIMEOUT(done, qPrintable(transcript), 20000);
        QVERIFY2(failure.isEmpty(), qPrintable(failure + '\n' + transcript));
        QStringList statuses;
        for (const int status : m_app->platform().end.statuses)
            statuses << QString::number(status);
        const QStringList& played = m_app->platform().sound.played;
        if (!played.isEmpty())
            transcript += dumpText("played", played.join(' '));
        transcript += "ended " + statuses.join(' ') + '\n' + dumpText("heard", g_heard.join(" / "));
        const QString difference = reviewedDifference(transcript);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

private slots:
    void initTestCase()
    {
        AppFonts::install();
        // Qt passes events on only while accessibility is on, as a screen reader turns it on.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(&hear);
        QVERIFY(QDir(m_tree.path()).mkpath("sub"));
        for (const char* name : { "a.wav", "B.WAV", "c.bmp", "d.jpg", "e.txt", "sub/f.wav" })
            QVERIFY(QFile(m_tree.filePath(name)).open(QIODevice::WriteOnly));
        // The file locator must not open in the process's folder.
        QDir::setCurrent(m_tree.filePath("sub"));
    }

    void cleanup()
    {
        m_modems.clear();
        m_holder.release();
        m_locker.close();
        ::umount2(qPrintable(m_app->path("nodev")), MNT_DETACH);
        m_filler.close();
        ::umount2(qPrintable(m_app->dir()), MNT_DETACH);
        m_app = std::make_unique<TestApp>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Each window as it is opened, and as its opener is left when it closes by each of its ways
    // out; the files name the reviewed looks.
    void waysInAndOut_data() { addReviewedRows(); }

    void waysInAndOut()
    {
        QFETCH(QStringList, steps);
        messages().real = true;
        for (const char* name : { "c.bmp", "d.jpg" })
            QVERIFY(QFile(m_app->path(name)).open(QIODevice::WriteOnly));
        // A picture is known by its content, whatever its name says.
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(m_app->path("g.bmp"), "PNG"));
        takeSteps(steps);
    }

    // The real launcher with a PATH of the test's own: `programs` that note their name and
    // arguments and exit with `status`, then `opening` the readme or the recorder. A readme that
    // does not open is reported once; the recorder is the first the package recommends that is
    // there.
    void launcher_data()
    {
        QTest::addColumn<QString>("opening");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("ran");
        QTest::addColumn<int>("failures");
        QTest::newRow("readme opened")
            << "readme" << QStringList { "xdg-open" } << 0 << "xdg-open /app/readme.txt" << 0;
        QTest::newRow("no viewer for the readme")
            << "readme" << QStringList { "xdg-open" } << 3 << "xdg-open /app/readme.txt" << 1;
        QTest::newRow("no xdg-open") << "readme" << QStringList() << 0 << "" << 1;
        for (const char* recorder :
            { "gnome-sound-recorder", "audacity", "kwave", "audio-recorder" })
            QTest::newRow(recorder)
                << "recorder" << QStringList { recorder } << 0 << QString(recorder) + ' ' << 0;
        QTest::newRow("both recorders")
            << "recorder" << QStringList { "audacity", "gnome-sound-recorder" } << 0
            << "gnome-sound-recorder " << 0;
        QTest::newRow("no recorder")
            << "recorder" << QStringList { "sndrec32.exe" } << 0 << "" << 1;
    }

    void launcher()
    {
        QFETCH(QString, opening);
        QFETCH(QStringList, programs);
        QFETCH(int, status);
        QFETCH(QString, ran);
        QFETCH(int, failures);
        QTemporaryDir bin;
        for (const QString& name : programs) {
            QFile program(bin.filePath(name));
            QVERIFY(program.open(QIODevice::WriteOnly));
            program.write(QString("#!/bin/sh\necho \"${0##*/} $*\" >> \"${0%/*}/ran\"\nexit %1\n")
                              .arg(status)
                              .toUtf8());
            program.close();
            QVERIFY(program.setPermissions(program.permissions() | QFileDevice::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        int failed = 0;
        QtLauncher launcher;
        if (opening == "readme")
            launcher.openTextFile("/app/readme.txt", [&failed] { ++failed; });
        else
            failed = !launcher.startRecorder();
        qputenv("PATH", path);
        QFile noted(bin.filePath("ran"));
        QTRY_COMPARE(noted.exists(), !ran.isEmpty());
        QTRY_COMPARE(failed, failures);
        QTest::qWait(200);
        QCOMPARE(noted.open(QIODevice::ReadOnly) ? QString::fromUtf8(noted.readAll()) : QString(),
            ran.isEmpty() ? QString() : ran + '\n');
        QCOMPARE(failed, failures);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
