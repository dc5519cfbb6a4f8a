#include "windows/main/LogBox.h"

#include <QtTest>
#include <QtWidgets>

namespace {

constexpr int kAtEnd = -2;

QStringList numbered(const QString& pattern, int from, int to)
{
    QStringList texts;
    for (int i = from; i < to; ++i)
        texts << pattern.arg(i);
    return texts;
}

} // namespace

// The call log box over many appends, beyond the lines it keeps laid out: the lines it shows,
// and that it draws the same as a box given the whole text at once.
class TestLogBox : public QObject
{
    Q_OBJECT

private slots:
    // Appends, each followed by a move to the end (kAtEnd), or the view set to the row
    // `scrollTo` after the first; then the box made `width` wide. The first and last line shown
    // afterwards (-1: any).
    void appends_data()
    {
        QTest::addColumn<QStringList>("appends");
        QTest::addColumn<int>("scrollTo");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("CR LF split over appends")
            << QStringList { "a\r", "\nb\r", "\n", "c" } << kAtEnd << 0 << 0 << 2;
        QTest::newRow("300 lines, each shown at the end")
            << numbered("line %1\r\n", 0, 300) << kAtEnd << 0 << -1 << 300;
        QTest::newRow("100 lines appended while scrolled up")
            << QStringList(numbered("line %1\r\n", 0, 200).join(QString()))
                + numbered("line %1\r\n", 200, 300)
            << 120 << 0 << 120 << -1;
        QTest::newRow("appended at the top")
            << numbered("line %1\r\n", 0, 150) << -1 << 0 << 0 << -1;
        QTest::newRow("a line growing past the width, shown at the end")
            << numbered("word%1 ", 0, 80) << kAtEnd << 0 << 0 << 0;
        QTest::newRow("made narrower at the end")
            << numbered("line %1 with words that wrap\r\n", 0, 150) << kAtEnd << 90 << -1 << -1;
    }

    void appends()
    {
        QFETCH(QStringList, appends);
        QFETCH(int, scrollTo);
        QFETCH(int, width);
        QFETCH(int, first);
        QFETCH(int, last);
        LogBox box(nullptr), whole(nullptr);
        box.resize(240, 160);
        // Of the final size from the start.
        whole.resize(width > 0 ? width : 240, 160);
        for (LogBox* shown : { &box, &whole }) {
            shown->show();
            QVERIFY(QTest::qWaitForWindowExposed(shown));
        }
        for (int i = 0; i < appends.size(); ++i) {
            box.appendLog(appends[i]);
            if (scrollTo == kAtEnd)
                box.showEnd();
            else if (scrollTo >= 0 && i == 0)
                box.verticalScrollBar()->setValue(scrollTo);
        }
        if (width > 0)
            box.resize(width, box.height());
        QCoreApplication::processEvents();
        int top = -1, bottom = -1;
        for (int y = 0; y < box.viewport()->height(); ++y) {
            const int line = box.lineAt(QPoint(10, y));
            top = top < 0 ? line : top;
            bottom = line < 0 ? bottom : line;
        }
        QCOMPARE(top, first < 0 ? top : first);
        QCOMPARE(bottom, last < 0 ? bottom : last);

        whole.setLogText(appends.join(QString()));
        box.showEnd();
        whole.showEnd();
        QCoreApplication::processEvents();
        QCOMPARE(box.lineCount(), whole.lineCount());
        QCOMPARE(box.viewport()->grab().toImage(), whole.viewport()->grab().toImage());
    }
};

QTEST_MAIN(TestLogBox)
#include "tst_logbox.moc"
