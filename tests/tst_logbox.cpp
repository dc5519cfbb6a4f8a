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
// how keys scroll it, and that it draws the same as a box given the whole text at once.
class TestLogBox : public QObject
{
    Q_OBJECT

    LogBox* m_box = nullptr;

    // The first and the last line shown, point by point down the viewport.
    std::pair<int, int> shownLines() const
    {
        std::pair<int, int> shown { -1, -1 };
        for (int y = 0; y < m_box->viewport()->height(); ++y) {
            const int line = m_box->lineAt(QPoint(10, y));
            shown = { shown.first < 0 ? line : shown.first, line < 0 ? shown.second : line };
        }
        return shown;
    }

    QImage drawn() const { return m_box->viewport()->grab().toImage(); }

private slots:
    // Appends, each followed by a move to the end (kAtEnd), or the view set to the row
    // `scrollTo` after the first; then the box made `width` wide and the keys pressed. The first
    // and last line shown afterwards (-1: any).
    void appends_data()
    {
        QTest::addColumn<QStringList>("appends");
        QTest::addColumn<int>("scrollTo");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        const QStringList lines = numbered("line %1\r\n", 0, 200);
        const QStringList wrapped
            = QStringList(numbered("word%1 ", 0, 120).join("") + "\r\n") + lines;
        QTest::newRow("CR LF split over appends")
            << QStringList { "a\r", "\nb\r", "\n", "c" } << kAtEnd << 0 << "" << 0 << 2;
        QTest::newRow("300 lines, each shown at the end")
            << numbered("line %1\r\n", 0, 300) << kAtEnd << 0 << "" << -1 << 300;
        QTest::newRow("100 lines appended while scrolled up")
            << QStringList(numbered("line %1\r\n", 0, 200).join(QString()))
                + numbered("line %1\r\n", 200, 300)
            << 120 << 0 << "" << 120 << -1;
        QTest::newRow("appended at the top, Down Down Up")
            << lines << -1 << 0 << "Down, Down, Up" << 1 << -1;
        QTest::newRow("Page Down, Page Up") << lines << -1 << 0 << "PgDown, PgUp" << 0 << -1;
        QTest::newRow("Ctrl+End") << lines << -1 << 0 << "Ctrl+End" << -1 << 200;
        QTest::newRow("end, Ctrl+Home") << lines << kAtEnd << 0 << "Ctrl+Home" << 0 << -1;
        QTest::newRow("Page Down in a wrapped line") << wrapped << -1 << 0 << "PgDown" << 0 << 0;
        QTest::newRow("a line growing past the width, shown at the end")
            << numbered("word%1 ", 0, 80) << kAtEnd << 0 << "" << 0 << 0;
        QTest::newRow("made narrower at the end") << numbered("line %1 with words that wrap\r\n", 0,
            150) << kAtEnd << 90 << "" << -1 << -1;
    }

    void appends()
    {
        QFETCH(QStringList, appends);
        QFETCH(int, scrollTo);
        QFETCH(int, width);
        QFETCH(QString, keys);
        QFETCH(int, first);
        QFETCH(int, last);
        LogBox box(nullptr), whole(nullptr);
        m_box = &box;
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
        QTest::keySequence(&box, QKeySequence(keys));
        const std::pair<int, int> shown = shownLines();
        QCOMPARE(shown.first, first < 0 ? shown.first : first);
        QCOMPARE(shown.second, last < 0 ? shown.second : last);
        if (!keys.isEmpty()) {
            // Page Down from the top makes the line at the foot, perhaps cut off there, the top
            // one or the one after it.
            box.verticalScrollBar()->setValue(0);
            const int foot = shownLines().second;
            QTest::keyClick(&box, Qt::Key_PageDown);
            QVERIFY(shownLines().first == foot || shownLines().first == foot + 1);
            // Down from the top moves the drawing row by row, a wrapped line's rows too, to
            // line 1.
            QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
            for (QImage before = drawn(); shownLines().first == 0; before = drawn()) {
                QTest::keyClick(&box, Qt::Key_Down);
                QVERIFY(drawn() != before);
            }
            QCOMPARE(shownLines().first, 1);
        }

        whole.setLogText(appends.join(QString()));
        box.showEnd();
        whole.showEnd();
        QCoreApplication::processEvents();
        QCOMPARE(box.lineCount(), whole.lineCount());
        QCOMPARE(drawn(), whole.viewport()->grab().toImage());
    }
};

QTEST_MAIN(TestLogBox)
#include "tst_logbox.moc"
