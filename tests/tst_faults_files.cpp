#include "app/Halvoren.h"
#include "support/ModalAnswer.h"
#include "support/TestApp.h"
#include "support/WindowDump.h"
#include "windows/config/Form2.h"
#include "windows/config/Fr.h"
#include "windows/main/Form1.h"
#include "windows/phonebook/Phonebook.h"

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kEmpty("+\r\n\r\n\r\n\r\n\r\n");
const QByteArray kSettings("com1:\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n");

// One row of the table in docs/reliability.md, which scripts/reliability.sh collects from here.
void report(const QString& fault, int tries, const QString& outcome)
{
    qInfo().noquote() << "reliability |" << fault << "|" << tries << "|" << outcome
                      << "| nothing |";
}

// Binary bytes, the same in every run, without those that end or quote a field.
QByteArray garbage(int size, int seed)
{
    QByteArray bytes
        = QCryptographicHash::hash(QByteArray::number(seed), QCryptographicHash::Sha512)
              .repeated(size / 64 + 1)
              .left(size);
    for (const char special : QByteArray(",\r\n \"+"))
        bytes.replace(special, '\xff');
    return bytes;
}

// Content 0 or 1 of all three data files, saved into the folder by the program's own writers.
void saveAll(const QString& folder, int content)
{
    AppState state;
    state.AppPath = folder;
    state.Book.PhoneNumber(1) = QString::number(content);
    DataStore store(state);
    store.SaveSettings(QStringLiteral("com%1:").arg(content));
    store.SavePhoneBook();
    store.SaveCallLog(QStringLiteral("NMBR = 555000000%1\r\n").arg(content).repeated(5000));
}

} // namespace

// The data files as they are stored and under faults: hand-edited files and files of the
// program's earlier versions at start-up, the program killed while it saves, a folder it may not
// write or that is full.
class TestFaultsFiles : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // One file edited by hand, the other as the program writes it (a null phone book: no file),
    // then, with `save`, both saved again. The transcript: whether the agreement came (the first
    // run's path), the settings and the phone book entries in memory, and the files saved.
    void handEditedFiles_loadOrTakeTheFirstRunPath_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("phoneBook");
        QTest::addColumn<bool>("save");
        const QByteArray book = "+\r\n5551234567\r\nB\r\n\r\nann.wav\r\n" + kEmpty.repeated(4);
        const auto row
            = [&](bool isBook, const char* name, const QByteArray& bytes, bool save = false) {
                  QTest::addRow("%s: %s", isBook ? "phone book" : "settings", name)
                      << (isBook ? kSettings : bytes) << (isBook ? bytes : book) << save;
              };
        const QByteArray mega(1 << 20, '7'), lines = garbage(800, 1).replace('\xff', "\r\n");
        // Not UTF-8: files of the program's earlier versions, in the Windows code page.
        const QByteArray ansiPort("K\xfc"
                                  "che:\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n");
        const QByteArray ansiBook
            = "+\r\n\r\n\r\nC:\\Bilder\\J\xf6rg.jpg\r\n\x80\r\n" + kEmpty.repeated(4);
        const QByteArray quoted
            = "+\r\n\"\"\"5\"\"\"\r\n\" B\"\r\n\"C:\\a,b.jpg\"\r\n\"2\r\nlines\"\r\n"
            + kEmpty.repeated(4);
        row(false, "binary garbage, no line end", garbage(4096, 2));
        row(false, "lines of binary garbage", lines);
        row(false, "NUL bytes", QByteArrayLiteral("com1:\0\0\r\nAT+VCID=1\r\nTr\0ue\r\nTrue\r\n"));
        row(false, "a line of a megabyte", mega + kSettings.mid(5));
        row(false, "LF line ends", QByteArray(kSettings).replace("\r\n", "\n"), true);
        row(false, "no last line end", kSettings.chopped(2));
        row(false, "byte order mark", "\xef\xbb\xbf" + kSettings);
        row(false, "empty", "");
        // The Booleans are set only once all four fields have been read.
        row(false, "three lines", "com2:\r\nATZ\r\nTrue\r\n");
        row(false, "spaces in front, true in lower case, extra lines",
            "  com1:\r\nAT+VCID=1\r\ntrue\r\nTrue\r\nextra\r\n");
        row(false, "Windows code page", ansiPort, true);
        row(true, "missing", QByteArray());
        row(true, "binary garbage, no line end", garbage(4096, 3));
        row(true, "binary garbage after a marker", "+\r\n" + garbage(4096, 4));
        row(true, "lines of binary garbage", "+\r\n" + lines);
        row(true, "NUL bytes", QByteArrayLiteral("+\r\n555\0 1\r\nB\r\n\r\n\r\n"));
        row(true, "a line of a megabyte", "+\r\n" + mega + "\r\nB\r\n\r\n\r\n");
        row(true, "LF line ends", QByteArray(book).replace("\r\n", "\n"));
        // Entries above 5 load, but a save writes only entries 1 to 5.
        row(true, "no last line end", book + "+\r\n5550001111\r\nN\r\n\r\nlast.wav", true);
        row(true, "quote never closed", "+\r\n\"5551234567\r\n" + book);
        row(true, "quotes the program does not write",
            "+\r\n\"555\"1234567\r\nN\r\n\"C:\\x.jpg\"\r\n\"a,b\"x\r\n");
        row(true, "quotes the program writes", quoted, true);
        row(true, "Windows code page", ansiBook, true);
        QByteArray blocks;
        for (int i = 1; i <= 200; ++i) {
            blocks += "+\r\n" + QByteArray::number(i) + "\r\nN\r\n\r\n\r\n";
            if (i == 152)
                row(true, "152 blocks", blocks);
        }
        row(true, "200 blocks", blocks);
    }

    void handEditedFiles_loadOrTakeTheFirstRunPath()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, phoneBook);
        QFETCH(bool, save);
        TestApp app;
        app.writeFile("cconfig.ini", settings);
        if (!phoneBook.isNull())
            app.writeFile("phone.ini", phoneBook);
        ModalAnswer<Fr> agreement([](Fr& fr) {
            QTest::mouseClick(fr.Option1, Qt::LeftButton);
            QTest::mouseClick(fr.Command1, Qt::LeftButton);
        });
        const AppState& state = app.start().state();
        // A megabyte as its start and its size.
        const auto shown = [](const QString& text) {
            return text.size() > 100
                ? text.left(20) + QStringLiteral("... %1 characters").arg(text.size())
                : text;
        };
        QString transcript = agreement.answered() ? "first run\n" : "loaded\n";
        transcript += dumpText("settings",
            QStringList { shown(state.CommPort), state.CallerIdCommand,
                state.AutoUpdate ? "True" : "False", state.BlockingEnabled ? "True" : "False" }
                .join(" / "));
        for (int i = 1; i <= PhoneBook::MaxPhoneBookIndex; ++i) {
            const QStringList entry { shown(state.Book.PhoneNumber(i)), state.Book.BlockFlag(i),
                state.Book.PictureFile(i), state.Book.WavFile(i) };
            if (!entry.join(QString()).isEmpty())
                transcript += dumpText(QStringLiteral("entry %1").arg(i), entry.join(" / "));
        }
        if (save) {
            // A save replaces the file and keeps its permissions. Root may replace a read-only
            // file (r--r-----), which must not come back writable.
            const int mode = ::geteuid() == 0 ? 0x4440 : 0x6640;
            QVERIFY(QFile::setPermissions(app.path("phone.ini"), QFile::Permissions(mode)));
            QVERIFY(app.app().store().SaveSettings(state.CommPort)
                && app.app().store().SavePhoneBook());
            transcript += dumpFile(app.path("cconfig.ini")) + dumpFile(app.path("phone.ini"));
            // Owner, group and others; the "User" flags tell this process's own access.
            QCOMPARE(int(QFile::permissions(app.path("phone.ini"))) & 0x7077, mode & 0x7077);
        }
        const QString difference = reviewedDifference(transcript);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        report("hand-edited data file, " + QString::fromLatin1(QTest::currentDataTag()), 1,
            agreement.answered() ? "first-run path (agreement, configuration window)"
                                 : "loaded by the field rules; the program starts as usual");
    }

    void killedWhileSaving_leavesOldOrNewContent()
    {
        TestApp files;
        const QStringList names { "cconfig.ini", "phone.ini", "ccalls.log" };
        QVERIFY(QDir(files.dir()).mkdir("0") && QDir(files.dir()).mkdir("1"));
        saveAll(files.path("0"), 0);
        saveAll(files.path("1"), 1);
        saveAll(files.dir(), 0);
        QRandomGenerator random(20261206);
        int seen[3][2] = {};
        for (int kill = 1; kill <= 300; ++kill) {
            int rounds[2];
            QVERIFY(::pipe(rounds) == 0);
            QElapsedTimer round;
            round.start();
            const pid_t saver = ::fork();
            for (int content = 1; saver == 0; content = 1 - content) {
                saveAll(files.dir(), content);
                if (::write(rounds[1], "r", 1) != 1)
                    ::_exit(1);
            }
            ::close(rounds[1]);
            char done = 0;
            const bool saved = ::read(rounds[0], &done, 1) == 1;
            // The kill comes at a random moment of the next two rounds, however long they take.
            QThread::usleep(random.bounded(quint32(2 * round.nsecsElapsed() / 1000)));
            ::kill(saver, SIGKILL);
            ::waitpid(saver, nullptr, 0);
            ::close(rounds[0]);
            QVERIFY(saved);
            for (int f = 0; f < 3; ++f) {
                const QByteArray now = files.readFile(names[f]);
                const bool isNew = now == files.readFile("1/" + names[f]);
                QVERIFY2(isNew || now == files.readFile("0/" + names[f]), qPrintable(names[f]));
                ++seen[f][isNew];
            }
        }
        for (int f = 0; f < 3; ++f) {
            // Kills that always found the same content would not have hit the writes.
            QVERIFY2(seen[f][0] > 0 && seen[f][1] > 0, qPrintable(names[f]));
            report("SIGKILL while saving " + names[f], 300,
                QString::asprintf(
                    "old content %d times, new content %d times, never a mix or empty", seen[f][0],
                    seen[f][1]));
        }
    }

    void writeFails_isReportedAndNothingIsLost_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<bool>("full");
        const char* const writers[]
            = { "Save log", "Save config", "Save Phonebook", "Auto Update box" };
        for (const bool full : { false, true })
            for (int w = 0; w < 4; ++w)
                QTest::addRow("%s on a %s", writers[w], full ? "full disk" : "read-only folder")
                    << w << full;
    }

    void writeFails_isReportedAndNothingIsLost()
    {
        QFETCH(int, writer);
        QFETCH(bool, full);
        const QString file
            = QStringList { "ccalls.log", "cconfig.ini", "phone.ini", "cconfig.ini" }[writer];
        const QByteArray saved[]
            = { "NMBR = 5559876543\r\n\r\n", "com2:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n",
                  "+\r\n5559876543\r\n\r\n\r\n\r\n" + kEmpty.repeated(4),
                  "com2:\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n" };
        TestApp app;
        const QByteArray dir = QFile::encodeName(app.dir());
        if (::mount("tmpfs", dir, "tmpfs", 0, "size=1m") != 0)
            QSKIP("cannot mount a tmpfs over the program's folder");
        const auto unmount = qScopeGuard([&] { ::umount2(dir, MNT_DETACH); });
        // Files unlike those the program writes, so that every save shows.
        app.writeFile("cconfig.ini", "com2:\r\nAT+VCID=0\r\nFalse\r\nFalse\r\n");
        app.writeFile("phone.ini", "old\r\n" + kEmpty.repeated(5));
        app.writeFile("ccalls.log", "old log\r\n");
        FormRegistry& forms = app.start().context().forms;
        forms.form1().appendLog("NMBR = 5559876543\r\n");
        const auto editor = [&](const char* control) {
            forms.phonebook().show();
            return forms.phonebook().findChild<QWidget*>(control);
        };
        if (writer == 2)
            QTest::keyClicks(editor("Text1"), "5559876543");
        const auto save = [&] {
            // Save config as its button runs it once detection has listed the ports.
            if (writer < 2)
                return writer == 0 ? forms.form1().Command5_Click()
                                   : forms.form2().Command7_Click();
            QTest::mouseClick(editor(writer == 2 ? "Command3" : "Check2"), Qt::LeftButton);
        };
        QFile filler(app.path("filler"));
        const auto fault = [&](bool on) {
            if (!full)
                return ::mount("tmpfs", dir, "tmpfs", MS_REMOUNT | (on ? MS_RDONLY : 0), "size=1m")
                    == 0;
            if (!on || !filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return !on && filler.remove();
            while (filler.write(QByteArray(4096, 'x')) > 0) { }
            return true;
        };

        const QByteArray before = app.readFile(file);
        QVERIFY(fault(true));
        save();
        const QStringList messages = app.platform().messages.texts;
        const QString prefix = "Could not write " + app.path(file) + ":\n";
        QVERIFY2(messages.size() == 1 && messages[0].startsWith(prefix) && messages[0] != prefix,
            qPrintable(messages.join('\n')));
        QCOMPARE(app.readFile(file), before);
        // Once the disk takes writes again, the same action saves what memory still holds.
        QVERIFY(fault(false));
        save();
        if (writer == 3)
            save();
        QCOMPARE(app.platform().messages.texts, messages);
        QCOMPARE(app.readFile(file), saved[writer]);
        report(QString::fromLatin1(QTest::currentDataTag()), 1,
            QStringLiteral("message \"Could not write %1: %2\", file unchanged, program goes on; "
                           "the next save after the fault writes it in full")
                .arg(file, messages[0].section(u'\n', 1).replace(app.dir(), "<folder>")));
    }
};

QTEST_MAIN(TestFaultsFiles)
#include "tst_faults_files.moc"
