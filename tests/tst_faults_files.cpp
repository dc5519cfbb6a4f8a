#include "state/AppState.h"
#include "state/DataStore.h"
#include "support/TestApp.h"

#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One row of the table in docs/reliability.md, which scripts/reliability.sh collects from here.
void report(const QString& fault, int tries, const QString& outcome)
{
    qInfo().noquote() << "reliability |" << fault << "|" << tries << "|" << outcome
                      << "| nothing |";
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

// The data files when the program is killed while it saves them. Hand-edited files and saves
// that fail are walks through the windows.
class TestFaultsFiles : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(TestFaultsFiles)
#include "tst_faults_files.moc"
