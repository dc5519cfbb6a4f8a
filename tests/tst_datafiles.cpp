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
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
