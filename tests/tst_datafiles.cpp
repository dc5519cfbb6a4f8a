#include "state/AppState.h"
#include "state/DataStore.h"
#include "state/FieldReader.h"
#include "state/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The data files: what ends up in memory and on disk for every edge of the file formats.
class TestDataFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    AppState m_state;
    DataStore m_store { m_state };
    QStringList m_failures;

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile(const QString& name)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_state = AppState();
        m_state.AppPath = m_dir.path();
        m_failures.clear();
        m_store.setWriteFailureHandler(
            [this](const QString& file, const QString&) { m_failures << file; });
    }

    void fieldReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("crlf lines") << "a\r\nb\r\n" << QStringList { "a", "b" };
        QTest::newRow("lf lines") << "a\nb\n" << QStringList { "a", "b" };
        QTest::newRow("no last line end") << "a\r\nb" << QStringList { "a", "b" };
        QTest::newRow("comma splits") << "1,234\r\n" << QStringList { "1", "234" };
        QTest::newRow("leading spaces skipped") << "   x y \r\n" << QStringList { "x y " };
        QTest::newRow("empty lines") << "\r\n\r\n" << QStringList { "", "" };
        QTest::newRow("quoted comma") << "\"1,234\"\r\n" << QStringList { "1,234" };
        QTest::newRow("quoted quote") << "\"say \"\"hi\"\"\"\r\n" << QStringList { "say \"hi\"" };
        QTest::newRow("quoted leading space") << "\" x\"\r\n" << QStringList { " x" };
    }

    void fieldReader()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        FieldReader reader(text);
        QStringList read;
        while (!reader.atEnd())
            read << reader.next();
        QCOMPARE(read, fields);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, reader.next());
    }

    void loadSettings_readsFourLines()
    {
        writeFile("cconfig.ini", "com3:\r\nAT+VCID=1\r\nTrue\r\ntrue\r\nextra\r\n");
        m_store.LoadSettings();
        QCOMPARE(m_state.CommPort, "com3:");
        QCOMPARE(m_state.CallerIdCommand, "AT+VCID=1");
        QCOMPARE(m_state.AutoUpdate, true);
        QCOMPARE(m_state.BlockingEnabled, false);
    }

    void loadSettings_shortFileKeepsEarlierFieldsAndBooleans()
    {
        m_state.AutoUpdate = true;
        writeFile("cconfig.ini", "com2:\r\nAT+VCID=1\r\nFalse\r\n");
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store.LoadSettings());
        QCOMPARE(m_state.CommPort, "com2:");
        QCOMPARE(m_state.CallerIdCommand, "AT+VCID=1");
        QCOMPARE(m_state.AutoUpdate, true);
    }

    void loadSettings_missingFileFails()
    {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store.LoadSettings());
    }

    void saveSettings_writesFourPlainLines()
    {
        m_state.AutoUpdate = true;
        QVERIFY(m_store.SaveSettings("com3:"));
        QCOMPARE(readFile("cconfig.ini"), "com3:\r\nAT+VCID=1\r\nTrue\r\nFalse\r\n");
        QCOMPARE(m_state.CommPort, "");
    }

    void loadPhoneBook_skipsTextBeforeTheFirstMarker()
    {
        writeFile("phone.ini", "junk\r\nmore junk\r\n+\r\n5551234567\r\nB\r\npic\r\nwav\r\n");
        m_store.LoadPhoneBook();
        QCOMPARE(m_state.Book.PhoneNumber(1), "5551234567");
        QCOMPARE(m_state.Book.BlockFlag(1), "B");
        QCOMPARE(m_state.Book.PictureFile(1), "pic");
        QCOMPARE(m_state.Book.WavFile(1), "wav");
    }

    void loadPhoneBook_emptyFileLoadsNothing()
    {
        writeFile("phone.ini", "");
        m_store.LoadPhoneBook();
        QCOMPARE(m_state.Book.PhoneNumber(1), "");
    }

    void loadPhoneBook_sevenBlocksLoadButOnlyFiveAreSaved()
    {
        QByteArray file;
        for (int i = 1; i <= 7; ++i)
            file += "+\r\n" + QByteArray::number(5550000000 + i) + "\r\nN\r\n\r\n\r\n";
        writeFile("phone.ini", file);
        m_store.LoadPhoneBook();
        QCOMPARE(m_state.Book.PhoneNumber(7), "5550000007");
        QVERIFY(m_store.SavePhoneBook());
        const QByteArray saved = readFile("phone.ini");
        QCOMPARE(saved.count("\r\n"), 25);
        QVERIFY(saved.contains("5550000005"));
        QVERIFY(!saved.contains("5550000006"));
    }

    void loadPhoneBook_152BlocksFailAfter151()
    {
        QByteArray file;
        for (int i = 1; i <= 152; ++i)
            file += "+\r\n" + QByteArray::number(i) + "\r\n\r\n\r\n\r\n";
        writeFile("phone.ini", file);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store.LoadPhoneBook());
        QCOMPARE(m_state.Book.PhoneNumber(151), "151");
    }

    void loadPhoneBook_blockCutShortFailsKeepingEarlierEntries_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("after the marker") << QByteArray("+\r\n1\r\nB\r\n\r\n\r\n+\r\n");
        QTest::newRow("within the values") << QByteArray("+\r\n1\r\nB\r\n\r\n\r\n+\r\n2\r\nN\r\n");
    }

    void loadPhoneBook_blockCutShortFailsKeepingEarlierEntries()
    {
        QFETCH(QByteArray, file);
        writeFile("phone.ini", file);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store.LoadPhoneBook());
        QCOMPARE(m_state.Book.PhoneNumber(1), "1");
        QCOMPARE(m_state.Book.BlockFlag(1), "B");
    }

    void loadPhoneBook_reloadKeepsEntriesBeyondTheFile()
    {
        m_state.Book.PhoneNumber(1) = "edited";
        m_state.Book.PhoneNumber(3) = "kept";
        writeFile("phone.ini", "+\r\nfromfile\r\n\r\n\r\n\r\n");
        m_store.LoadPhoneBook();
        QCOMPARE(m_state.Book.PhoneNumber(1), "fromfile");
        QCOMPARE(m_state.Book.PhoneNumber(3), "kept");
    }

    void loadPhoneBook_unquotedCommaShiftsTheFields()
    {
        writeFile("phone.ini", "+\r\n1,234\r\nB\r\npic\r\nwav\r\n+\r\n2\r\nN\r\n\r\n\r\n");
        m_store.LoadPhoneBook();
        QCOMPARE(m_state.Book.PhoneNumber(1), "1");
        QCOMPARE(m_state.Book.BlockFlag(1), "234");
        QCOMPARE(m_state.Book.PictureFile(1), "B");
        QCOMPARE(m_state.Book.WavFile(1), "pic");
        QCOMPARE(m_state.Book.PhoneNumber(2), "2");
    }

    void savePhoneBook_emptyBookIs25Lines()
    {
        QVERIFY(m_store.SavePhoneBook());
        QCOMPARE(readFile("phone.ini"), QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5));
    }

    void savePhoneBook_plainValuesAreWrittenAsTheyAre()
    {
        m_state.Book.PhoneNumber(2) = "5551234567";
        m_state.Book.BlockFlag(2) = "B";
        m_state.Book.PictureFile(2) = "/home/ann/pictures/mum.jpg";
        m_state.Book.WavFile(2) = "C:\\sounds\\mum.wav";
        QVERIFY(m_store.SavePhoneBook());
        const QByteArray empty("+\r\n\r\n\r\n\r\n\r\n");
        QCOMPARE(readFile("phone.ini"),
                 empty + "+\r\n5551234567\r\nB\r\n/home/ann/pictures/mum.jpg\r\nC:\\sounds\\mum.wav\r\n"
                     + empty.repeated(3));
    }

    void savePhoneBook_awkwardValuesSurviveALoad()
    {
        const QStringList values { "1,234", "say \"hi\"", " leading space", "\"", "a,\"b\",c" };
        for (int i = 1; i <= 5; ++i)
            m_state.Book.PictureFile(i) = values.at(i - 1);
        m_state.Book.PhoneNumber(1) = "1,234";
        QVERIFY(m_store.SavePhoneBook());
        m_state = AppState();
        m_state.AppPath = m_dir.path();
        m_store.LoadPhoneBook();
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(m_state.Book.PictureFile(i), values.at(i - 1));
        QCOMPARE(m_state.Book.PhoneNumber(1), "1,234");
        QCOMPARE(m_state.Book.BlockFlag(1), "");
    }

    void saveCallLog_addsOneLineEndAndKeepsOnlyTheLastSave()
    {
        QVERIFY(m_store.SaveCallLog(""));
        QCOMPARE(readFile("ccalls.log"), "\r\n");
        QVERIFY(m_store.SaveCallLog("first\r\n"));
        QVERIFY(m_store.SaveCallLog("Activated:\r\n"));
        QCOMPARE(readFile("ccalls.log"), "Activated:\r\n\r\n");
    }

    void failedWrite_isReportedAndChangesNothing()
    {
        QVERIFY(QDir(m_dir.path()).mkdir("phone.ini"));
        m_state.Book.PhoneNumber(1) = "5551234567";
        QVERIFY(!m_store.SavePhoneBook());
        QCOMPARE(m_failures, QStringList { m_dir.filePath("phone.ini") });
        QCOMPARE(m_state.Book.PhoneNumber(1), "5551234567");
        QVERIFY(QFileInfo(m_dir.filePath("phone.ini")).isDir());
        QVERIFY(QDir(m_dir.path()).rmdir("phone.ini"));
    }

    void phoneBookIndex_isChecked()
    {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_state.Book.PhoneNumber(152));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, m_state.Book.WavFile(-1));
    }

    void counters_failOnAStepPastTheirRange()
    {
        Int16 counter = 32766;
        counter.increment();
        QVERIFY_THROWS_EXCEPTION(RuntimeError, counter.increment());
        QCOMPARE(counter, 32767);
        counter = -32768;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, counter.decrement());
    }
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
