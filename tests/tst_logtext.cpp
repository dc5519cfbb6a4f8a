#include <QtTest>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The log text fuzzer's differential check (fuzz/FuzzLogText.cpp) in every build: its seeds and a
// fixed set of random inputs. A mismatch aborts; scripts/fuzz.sh then finds a small input for it.
class TestLogText : public QObject
{
    Q_OBJECT

private slots:
    void againstPlainLines_data()
    {
        QTest::addColumn<QByteArray>("input");
        const QDir seeds(QStringLiteral(HALVOREN_ASSETS_DIR "/../fuzz/corpus/fuzz_logtext"));
        for (const QFileInfo& seed : seeds.entryInfoList(QDir::Files)) {
            QFile file(seed.filePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(seed.fileName())) << file.readAll();
        }
        QVERIFY(!seeds.isEmpty());
        QRandomGenerator random(20261207);
        for (int i = 0; i < 2000; ++i) {
            QByteArray input(random.bounded(2, 600), Qt::Uninitialized);
            for (char& byte : input)
                byte = char(random.bounded(256));
            QTest::addRow("random %d", i) << input;
        }
    }

    void againstPlainLines()
    {
        QFETCH(QByteArray, input);
        LLVMFuzzerTestOneInput(
            reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
    }
};

QTEST_GUILESS_MAIN(TestLogText)
#include "tst_logtext.moc"
