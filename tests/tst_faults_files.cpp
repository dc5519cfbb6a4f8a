#include "app/Fr.h"
#include "app/Halvoren.h"
#include "state/AppState.h"
#include "support/ModemSim.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"
#include "windows/phonebook/Phonebook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QStringDecoder>
#include <QtTest>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <sys/mount.h>
#include <utility>

namespace {

const QStringList kDataFiles { "cconfig.ini", "phone.ini", "ccalls.log" };
constexpr int kKills = 300;

// One line of the reliability table in docs/reliability.md, collected from the test output.
void report(const QString& fault, int tries, const QString& outcome, const QString& lost)
{
    qInfo().noquote() << QStringLiteral("reliability | %1 | %2 | %3 | %4 |")
                             .arg(fault)
                             .arg(tries)
                             .arg(outcome, lost);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool waitForLine(QProcess& process, const QByteArray& line)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(20000))
            return false;
    }
    return process.readLine() == line;
}

// A tmpfs mounted over a folder for one test, holding copies of the folder's files, that can be
// made read-only or filled to the last byte and then healed again.
class FolderMount
{
public:
    explicit FolderMount(QString folder)
        : m_folder(std::move(folder))
    {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(m_folder).entryList(QDir::Files))
            files[name] = readFile(QDir(m_folder).filePath(name));
        if (::mount("tmpfs", qPrintable(m_folder), "tmpfs", 0, "size=1m") != 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        m_mounted = true;
        for (const auto& [name, bytes] : files) {
            QFile file(QDir(m_folder).filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                m_error = file.errorString();
        }
    }
    ~FolderMount()
    {
        if (m_mounted)
            ::umount2(qPrintable(m_folder), MNT_DETACH);
    }
    FolderMount(const FolderMount&) = delete;
    FolderMount& operator=(const FolderMount&) = delete;

    // Why the folder could not be mounted, or "".
    QString error() const { return m_error; }

    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", qPrintable(m_folder), "tmpfs", flags, "size=1m") == 0;
    }

    // Takes up every free byte with a file of its own.
    bool fill()
    {
        QFile filler(fillerPath());
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) > 0) { }
        return true;
    }
    bool unfill() { return QFile::remove(fillerPath()); }

private:
    QString fillerPath() const { return QDir(m_folder).filePath(QStringLiteral("filler")); }

    QString m_folder;
    bool m_mounted = false;
    QString m_error;
};

enum class DiskFault { ReadOnly, Full };
enum class Writer { SaveLog, SaveConfig, SavePhonebook, AutoUpdateBox };

// Bytes of every value but those that end or quote a field, repeatable from run to run.
QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes) {
        byte = char(random.bounded(256));
        if (QByteArray(",\r\n \"+").contains(byte))
            byte = '\xff';
    }
    return bytes;
}

// The text with a NUL byte for every "@".
QByteArray withNuls(QByteArray text)
{
    return text.replace('@', '\0');
}

QByteArray garbageLines(int count, quint32 seed)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += garbage(200, seed + quint32(i)) + "\r\n";
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(DiskFault)
Q_DECLARE_METATYPE(Writer)

// The data files under faults: the program killed while it saves them, a folder it may not write
// or that is full, and files a user has edited by hand.
class TestFaultsFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;

    Halvoren& app() { return m_app->app(); }
    AppState& state() { return app().state(); }
    FormRegistry& forms() { return app().context().forms; }
    RecordingMessageBoxes& messages() { return m_app->platform().messages; }

    Phonebook& openEditor()
    {
        Phonebook& editor = forms().phonebook();
        editor.show();
        editor.activateWindow();
        if (!QTest::qWaitForWindowActive(&editor))
            qWarning("the phone book editor did not become active");
        return editor;
    }

    // Runs one writer of the program the way the user starts it.
    void runWriter(Writer writer)
    {
        switch (writer) {
        case Writer::SaveLog:
            QTest::mouseClick(forms().form1().Command5, Qt::LeftButton);
            break;
        case Writer::SaveConfig: {
            Form2& form2 = forms().form2();
            form2.Combo1->setCurrentIndex(form2.Combo1->findText(QStringLiteral("com1:")));
            QTest::mouseClick(form2.Command7, Qt::LeftButton);
            break;
        }
        case Writer::SavePhonebook:
            QTest::mouseClick(
                openEditor().findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
            break;
        case Writer::AutoUpdateBox:
            QTest::mouseClick(
                openEditor().findChild<QCheckBox*>(QStringLiteral("Check2")), Qt::LeftButton);
            break;
        }
    }

    // Changes what the writer saves, in memory only.
    void editInMemory(Writer writer)
    {
        switch (writer) {
        case Writer::SaveLog:
            forms().form1().appendLog(QStringLiteral("NMBR = 5559876543\r\n++++++++\r\n"));
            break;
        case Writer::SaveConfig:
            // Save config needs a detected port; the simulator answers on port 1.
            QTest::mouseClick(forms().form1().Command3, Qt::LeftButton);
            if (!QTest::qWaitForWindowActive(&forms().form2()))
                qWarning("the configuration window did not become active");
            QTest::mouseClick(forms().form2().Command4, Qt::LeftButton);
            if (!QTest::qWaitFor(
                    [this] { return forms().form2().Label3->text().endsWith("configuration"); },
                    20000))
                qWarning("detection did not find the modem");
            break;
        case Writer::SavePhonebook: {
            auto* number = openEditor().findChild<QLineEdit*>(QStringLiteral("Text1"));
            number->selectAll();
            QTest::keyClicks(number, QStringLiteral("5559876543"));
            break;
        }
        case Writer::AutoUpdateBox:
            break;
        }
    }

    // The edit that the failed save was to write is still in memory.
    bool editKept(Writer writer)
    {
        switch (writer) {
        case Writer::SaveLog:
            return forms().form1().logText().contains(QStringLiteral("5559876543"));
        case Writer::SaveConfig:
            return forms().form2().Combo1->currentText() == QLatin1String("com1:");
        case Writer::SavePhonebook:
            return state().Book.PhoneNumber(1) == QLatin1String("5559876543");
        case Writer::AutoUpdateBox:
            return state().AutoUpdate;
        }
        return false;
    }

    // What the writer should have put in its file, from the program's memory.
    QByteArray expectedFile(Writer writer)
    {
        const auto line = [](const QString& value) { return value.toUtf8() + "\r\n"; };
        QByteArray expected;
        switch (writer) {
        case Writer::SaveLog:
            expected = line(forms().form1().logText());
            break;
        case Writer::SaveConfig:
        case Writer::AutoUpdateBox:
            expected = line(QStringLiteral("com1:")) + line(QStringLiteral("AT+VCID=1"))
                + line(state().AutoUpdate ? QStringLiteral("True") : QStringLiteral("False"))
                + line(state().BlockingEnabled ? QStringLiteral("True") : QStringLiteral("False"));
            break;
        case Writer::SavePhonebook:
            for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
                const PhoneBook& book = state().Book;
                expected += line(QStringLiteral("+")) + line(book.PhoneNumber(i))
                    + line(book.BlockFlag(i)) + line(book.PictureFile(i)) + line(book.WavFile(i));
            }
            break;
        }
        return expected;
    }

    static QString fileOf(Writer writer)
    {
        switch (writer) {
        case Writer::SaveLog:
            return QStringLiteral("ccalls.log");
        case Writer::SavePhonebook:
            return QStringLiteral("phone.ini");
        case Writer::SaveConfig:
        case Writer::AutoUpdateBox:
            return QStringLiteral("cconfig.ini");
        }
        return {};
    }

private slots:
    void cleanup()
    {
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void killedWhileSaving_leavesOldOrNewContent()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QRandomGenerator random(20261206);
        std::map<QString, std::array<int, 2>> seen;
        for (int kill = 0; kill < kKills; ++kill) {
            QProcess helper;
            helper.start(QStringLiteral(HALVOREN_BINARY_DIR "/fault-helper"),
                { QStringLiteral("save"), folder.path() });
            QVERIFY2(waitForLine(helper, "saving\n"), qPrintable(helper.errorString()));
            // The kill comes at a random moment of the next two rounds, however long they take.
            QElapsedTimer round;
            round.start();
            QVERIFY(waitForLine(helper, "round\n"));
            QThread::usleep(random.bounded(quint32(2 * round.nsecsElapsed() / 1000)));
            helper.kill();
            QVERIFY(helper.waitForFinished(20000));
            QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

            for (const QString& name : kDataFiles) {
                const QByteArray content = readFile(folder.filePath(name));
                const bool old = content == readFile(folder.filePath("a/" + name));
                const bool saved = content == readFile(folder.filePath("b/" + name));
                QVERIFY2(old || saved,
                    qPrintable(QStringLiteral("%1 after kill %2 is neither its "
                                              "old nor its new content (%3 bytes)")
                                   .arg(name)
                                   .arg(kill + 1)
                                   .arg(content.size())));
                ++seen[name][saved ? 1 : 0];
            }
        }
        // Kills that always found the same content would not have hit the writes.
        for (const QString& name : kDataFiles)
            QVERIFY2(seen[name][0] > 0 && seen[name][1] > 0, qPrintable(name));
        // A kill between creating and renaming a temporary file leaves that file behind; it
        // carries the data file's name and a suffix, so no reader ever takes it for the file.
        QStringList leftovers = QDir(folder.path()).entryList(QDir::Files);
        for (const QString& name : kDataFiles)
            QVERIFY(leftovers.removeOne(name));
        for (const QString& leftover : leftovers)
            QVERIFY2(kDataFiles.contains(leftover.section(u'.', 0, 1)), qPrintable(leftover));
        for (const QString& name : kDataFiles)
            report(QStringLiteral("SIGKILL while saving %1").arg(name), kKills,
                QStringLiteral("old content %1 times, new content %2 times, never a mix or "
                               "empty; %3 temporary files left in all")
                    .arg(seen[name][0])
                    .arg(seen[name][1])
                    .arg(leftovers.size()),
                QStringLiteral("nothing"));
    }

    void writeFails_isReportedAndNothingIsLost_data()
    {
        QTest::addColumn<DiskFault>("fault");
        QTest::addColumn<Writer>("writer");
        const std::pair<DiskFault, const char*> faults[]
            = { { DiskFault::ReadOnly, "read-only folder" }, { DiskFault::Full, "full disk" } };
        const std::pair<Writer, const char*> writers[] = { { Writer::SaveLog, "Save log" },
            { Writer::SaveConfig, "Save config" }, { Writer::SavePhonebook, "Save Phonebook" },
            { Writer::AutoUpdateBox, "Auto Update box" } };
        for (const auto& [fault, faultName] : faults) {
            for (const auto& [writer, writerName] : writers)
                QTest::addRow("%s on a %s", writerName, faultName) << fault << writer;
        }
    }

    void writeFails_isReportedAndNothingIsLost()
    {
        QFETCH(DiskFault, fault);
        QFETCH(Writer, writer);
        m_app = std::make_unique<TestApp>();
        m_app->writeSettings(QStringLiteral("com1:"));
        m_app->writeEmptyPhoneBook();
        m_app->writeFile(QStringLiteral("ccalls.log"), "old log\r\n");
        FolderMount mount(m_app->dir());
        if (!mount.error().isEmpty())
            QSKIP(qPrintable("cannot mount a tmpfs over the program's folder: " + mount.error()));
        ModemSim modem;
        QVERIFY(modem.start(m_app->dir(), 1));
        m_app->start();

        const QString file = fileOf(writer);
        const QByteArray before = m_app->readFile(file);
        editInMemory(writer);
        QVERIFY(fault == DiskFault::ReadOnly ? mount.setReadOnly(true) : mount.fill());
        runWriter(writer);

        QCOMPARE(messages().shown.size(), size_t(1));
        const QString message = messages().shown.front().text;
        const QString prefix = QStringLiteral("Could not write %1:\n").arg(m_app->path(file));
        QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));
        QVERIFY(!messages().shown.front().modal);
        QCOMPARE(m_app->readFile(file), before);
        QCOMPARE(m_app->platform().end.ends, 0);
        QVERIFY(editKept(writer));

        // Once the disk takes writes again, the same action saves what memory still holds.
        QVERIFY(fault == DiskFault::ReadOnly ? mount.setReadOnly(false) : mount.unfill());
        runWriter(writer);
        if (writer == Writer::AutoUpdateBox)
            runWriter(writer);
        QCOMPARE(messages().shown.size(), size_t(1));
        QVERIFY(editKept(writer));
        QCOMPARE(m_app->readFile(file), expectedFile(writer));

        report(QString::fromLatin1(QTest::currentDataTag()), 1,
            QStringLiteral("message \"Could not write %1: %2\", file unchanged, program goes on; "
                           "the next save after the fault writes it in full")
                .arg(file, message.section(u'\n', 1).replace(m_app->dir(), "<folder>")),
            QStringLiteral("nothing"));
    }

    void handEditedFiles_loadOrTakeTheFirstRunPath_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("phoneBook");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("commPort");
        QTest::addColumn<QString>("firstNumber");

        const QByteArray settings("com1:\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n");
        const QByteArray book = QByteArray("+\r\n5551234567\r\nB\r\n\r\nann.wav\r\n")
            + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(4);
        const QByteArray longLine(1 << 20, '7');
        const QByteArray settingsLines = garbageLines(4, 1);
        const QByteArray bookLines = garbageLines(4, 5);
        // Not UTF-8: read as the Windows code page the program's earlier versions wrote in.
        const auto ansi = [](const QByteArray& bytes) {
            return QStringDecoder("windows-1252").decode(bytes).operator QString();
        };
        const QString garbagePort = ansi(settingsLines.left(200));
        const QString garbageNumber = ansi(bookLines.left(200));

        QTest::newRow("settings: binary garbage, no line end")
            << garbage(4096, 9) << book << false << ""
            << "";
        QTest::newRow("settings: lines of binary garbage")
            << settingsLines << book << true << garbagePort << "5551234567";
        QTest::newRow("settings: NUL bytes")
            << withNuls("com1:@@\r\nAT+VCID=1\r\nTr@ue\r\nTrue\r\n") << book << true
            << QStringLiteral("com1:") + QChar(0) + QChar(0) << "5551234567";
        QTest::newRow("settings: a line of a megabyte")
            << longLine + "\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n"
            << book << true << QString::fromLatin1(longLine) << "5551234567";
        QTest::newRow("settings: LF line ends")
            << QByteArray(settings).replace("\r\n", "\n") << book << true << "com1:"
            << "5551234567";
        QTest::newRow("settings: no last line end")
            << settings.chopped(2) << book << true << "com1:"
            << "5551234567";
        QTest::newRow("settings: byte order mark")
            << "\xef\xbb\xbf" + settings << book << true << "com1:"
            << "5551234567";
        QTest::newRow("settings: empty") << QByteArray() << book << false << ""
                                         << "";
        QTest::newRow("phone book: binary garbage, no line end")
            << settings << garbage(4096, 13) << true << "com1:"
            << "";
        QTest::newRow("phone book: binary garbage after a marker")
            << settings << "+\r\n" + garbage(4096, 17) << false << ""
            << "";
        QTest::newRow("phone book: lines of binary garbage")
            << settings << "+\r\n" + bookLines << true << "com1:" << garbageNumber;
        QTest::newRow("phone book: NUL bytes")
            << settings << withNuls("+\r\n555@ 1234567\r\nB\r\n\r\n\r\n") << true
            << "com1:" << QStringLiteral("555") + QChar(0) + QStringLiteral(" 1234567");
        QTest::newRow("phone book: a line of a megabyte")
            << settings << "+\r\n" + longLine + "\r\nB\r\n\r\n\r\n"
            << true << "com1:" << QString::fromLatin1(longLine);
        QTest::newRow("phone book: LF line ends")
            << settings << QByteArray(book).replace("\r\n", "\n") << true << "com1:"
            << "5551234567";
        QTest::newRow("phone book: no last line end")
            << settings << book + "+\r\n5550001111\r\nN\r\n\r\nlast.wav" << true << "com1:"
            << "5551234567";
        QTest::newRow("phone book: quote never closed")
            << settings << "+\r\n\"5551234567\r\n" + book << true << "com1:"
            << "\"5551234567";
        QTest::newRow("phone book: 200 blocks")
            << settings << QByteArray("+\r\n1\r\nN\r\n\r\n\r\n").repeated(200) << false << ""
            << "";
    }

    void handEditedFiles_loadOrTakeTheFirstRunPath()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, phoneBook);
        QFETCH(bool, loads);
        QFETCH(QString, commPort);
        QFETCH(QString, firstNumber);
        m_app = std::make_unique<TestApp>();
        m_app->writeFile(QStringLiteral("cconfig.ini"), settings);
        m_app->writeFile(QStringLiteral("phone.ini"), phoneBook);
        // No modem at all: port numbers name nothing but the folder's own entries.
        QVERIFY(QDir(m_app->dir()).mkpath(QStringLiteral("ports")));

        bool agreed = false;
        QTimer agreement;
        connect(&agreement, &QTimer::timeout, this, [&] {
            if (auto* fr = qobject_cast<Fr*>(QApplication::activeModalWidget())) {
                agreement.stop();
                agreed = true;
                QTest::mouseClick(fr->Option1, Qt::LeftButton);
                QTest::mouseClick(fr->Command1, Qt::LeftButton);
            }
        });
        agreement.start(10);
        m_app->start();
        Form1& form1 = forms().form1();

        if (loads) {
            QVERIFY(!agreed);
            QVERIFY(form1.isVisible() && form1.isFormEnabled());
            QVERIFY(!forms().loadedForm2());
            QCOMPARE(state().CommPort, commPort);
            QCOMPARE(state().Book.PhoneNumber(1), firstNumber);
            // Whatever the port setting holds, Activate fails over to its recovery.
            QTest::mouseClick(form1.Command1, Qt::LeftButton);
            QCOMPARE(messages().texts(), QStringList { "The modem port is currently in use." });
            QCOMPARE(form1.Command1->text(), "&Activate");
        } else {
            QVERIFY(agreed);
            QVERIFY(!form1.isVisible());
            QVERIFY(forms().loadedForm2() && forms().loadedForm2()->isVisible());
            QCOMPARE(state().CommPort, QString());
        }
        QCOMPARE(m_app->platform().end.ends, 0);
        report(QStringLiteral("hand-edited data file, %1").arg(QTest::currentDataTag()), 1,
            loads ? QStringLiteral("loaded by the field rules; Activate recovers")
                  : QStringLiteral("first-run path (agreement, configuration window)"),
            QStringLiteral("nothing"));
    }
};

QTEST_MAIN(TestFaultsFiles)
#include "tst_faults_files.moc"
