#include "support/WindowDump.h"
#include "windows/AppFonts.h"
#include "windows/main/LogBox.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <QtWidgets>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// What the box told a screen reader since the last reading: inserts at their offsets, and
// replacements from an offset, kept as -1 - offset.
QList<QPair<int, QString>> g_told;

void record(QAccessibleEvent* event)
{
    if (!qobject_cast<LogBox*>(event->object()))
        return;
    if (event->type() == QAccessible::TextInserted) {
        const auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
        g_told << qMakePair(insert->changePosition(), insert->textInserted());
    } else if (event->type() == QAccessible::TextUpdated) {
        const auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
        g_told << qMakePair(-1 - update->changePosition(), update->textInserted());
    }
}

// A long text by its ends and size, so a reading stays one line.
QString shortened(const QString& text)
{
    if (text.size() <= 90)
        return dumpText("", text).trimmed();
    return dumpText("", text.left(30)).trimmed() + " ... " + dumpText("", text.right(30)).trimmed()
        + ' ' + QString::number(text.size()) + " chars";
}

} // namespace

// The call log box as a person and a screen reader meet it, step by step over appends, scrolls,
// keys, resizes and its menu: after each step where the view stands, whether it was painted anew,
// what it shows and what a reader is told, compared with a reviewed transcript.
class TestLogBox : public QObject
{
    Q_OBJECT

    LogBox* m_box = nullptr;
    mutable QStringList m_read;
    mutable bool m_painted = false;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        m_painted = m_painted || event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }

    // The first and the last line shown, point by point down the viewport.
    QString shownLines() const
    {
        int first = -1, last = -1;
        for (int y = 0; y < m_box->viewport()->height(); ++y) {
            const int line = m_box->lineAt(QPoint(10, y));
            first = first < 0 ? line : first;
            last = line < 0 ? last : line;
        }
        return QString::number(first) + '-' + QString::number(last);
    }

    QString reading() const
    {
        const QScrollBar* bar = m_box->verticalScrollBar();
        QStringList view { "view", QString::number(m_box->lineCount()), "lines, shows",
            shownLines(), "from top", QString::number(m_box->topLine()), "bar",
            QString::number(bar->value()), "of", QString::number(bar->maximum()), "page",
            QString::number(bar->pageStep()), m_box->allSelected() ? "all selected" : "",
            m_box->isLogEnabled() ? "" : "disabled", m_box->hasFocus() ? "focus" : "",
            std::exchange(m_painted, false) ? "painted" : "" };
        view.removeAll(QString());
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(m_box);
        QAccessibleTextInterface* text = reader->textInterface();
        const int count = text->characterCount();
        int start = 0, end = 0;
        text->selection(0, &start, &end);
        const QPoint origin = m_box->viewport()->mapToGlobal(QPoint(0, 0));
        const QRect cursor = text->characterRect(text->cursorPosition());
        const QAccessible::State state = reader->state();
        QStringList lines { view.join(' '),
            QStringLiteral("reader%9%10%11 %1 chars, cursor %2, %3 selected %4-%5, points %6 %7, "
                           "cursor at %8")
                .arg(count)
                .arg(text->cursorPosition())
                .arg(text->selectionCount())
                .arg(start)
                .arg(end)
                .arg(text->offsetAtPoint(origin + QPoint(10, 6)))
                .arg(text->offsetAtPoint(origin + QPoint(10, m_box->viewport()->height() - 3)))
                .arg(cursor.isNull() ? QStringLiteral("none")
                                     : QStringLiteral("%1,%2")
                                           .arg(cursor.x() - origin.x())
                                           .arg(cursor.y() - origin.y()))
                .arg(state.readOnly ? " read-only" : "", state.multiLine ? " multi-line" : "",
                    state.selectableText ? " selectable" : "") };
        // The point just below the last character, which no line holds.
        const QRect last = text->characterRect(count - 1);
        if (!last.isNull())
            lines.front() += QStringLiteral(", below the last %1")
                                 .arg(text->offsetAtPoint(last.bottomLeft() + QPoint(1, 1)));
        // The text as read, when it changed.
        QStringList read;
        for (const int offset : { 0, count / 2, count, count + 1 }) {
            const QString line
                = text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
            read << QStringLiteral("line at %1: %2-%3 %4")
                        .arg(offset)
                        .arg(start)
                        .arg(end)
                        .arg(shortened(line));
        }
        read << "text 2 to end-1 " + shortened(text->text(2, count - 1)) + ", to 0 "
                + shortened(text->text(2, 0));
        if (const int lineBreak = int(m_box->toPlainText().indexOf('\n')); lineBreak >= 0)
            read << "text from the first line break " + shortened(text->text(lineBreak, count));
        if (read != m_read)
            lines << (m_read = read);
        // Inserts that follow one another read as one.
        for (qsizetype i = 0; i < g_told.size();) {
            const auto [at, first] = g_told[i];
            QString told = first;
            int pieces = 1;
            for (++i; at >= 0 && i < g_told.size() && g_told[i].first == at + told.size();
                 ++i, ++pieces)
                told += g_told[i].second;
            lines << (at < 0 ? QStringLiteral("replaced from %1 by ").arg(-1 - at)
                             : QStringLiteral("%1 inserted at %2 ").arg(pieces).arg(at))
                    + shortened(told);
        }
        g_told.clear();
        return lines.join('\n') + '\n';
    }

private slots:
    void initTestCase()
    {
        AppFonts::install();
        // Qt passes events on only while accessibility is on, as a screen reader turns it on.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(&record);
    }

    // Steps: "append TEXT" (\r, \n and \xNN written out), "set TEXT", "lines A B" (line A to
    // line B-1 appended one by one, each then shown at the end), "words N" (so many words
    // appended to one line, each shown at the end), "end", "show N" (the view to line N), "bar
    // N", "size W H", "font POINTS", "key KEYS", "wheel DELTA", "click", "click right", "disable",
    // "enable", "menu" (its actions, then closed), "menu ACTION" (chosen), "reader select A B",
    // "reader cursor N", "reader scroll N"; "whole" compares the drawing with a box given the whole
    // text at once, both at the end. The rows are the reviewed transcripts' steps.
    void steps_data() { addReviewedRows(); }

    void steps()
    {
        QFETCH(QStringList, steps);
        LogBox box(nullptr);
        m_box = &box;
        box.setFont(AppFonts::tahoma(8.25, true));
        box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box.resize(240, 160);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.viewport()->installEventFilter(this);
        QGuiApplication::clipboard()->clear();
        g_told.clear();
        m_read.clear();
        QString transcript;
        for (const QString& step : steps) {
            const QString word = step.section(' ', 0, 0), rest = step.section(' ', 1);
            const QStringList numbers = rest.split(' ');
            const int n = numbers.value(0).toInt(), m = numbers.value(1).toInt();
            QAccessibleTextInterface* reader
                = QAccessible::queryAccessibleInterface(&box)->textInterface();
            transcript += "> " + step + '\n';
            if (word == "append") {
                box.appendLog(unquoted(rest));
            } else if (word == "set") {
                box.setLogText(unquoted(rest));
            } else if (word == "lines" || word == "words") {
                const bool lines = word == "lines";
                for (int i = lines ? n : 0; i < (lines ? m : n); ++i) {
                    box.appendLog(QString(lines ? "line %1\r\n" : "word%1 ").arg(i));
                    box.showEnd();
                }
            } else if (word == "end") {
                box.showEnd();
            } else if (word == "show") {
                box.showLine(n);
            } else if (word == "bar") {
                box.verticalScrollBar()->setValue(n);
            } else if (word == "size") {
                box.resize(n, m);
            } else if (word == "font") {
                box.setFont(AppFonts::tahoma(n));
            } else if (word == "key") {
                QTest::keySequence(&box, QKeySequence(rest));
            } else if (word == "wheel") {
                QWheelEvent wheel(QPointF(5, 5), box.viewport()->mapToGlobal(QPointF(5, 5)), {},
                    { 0, n }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(box.viewport(), &wheel);
            } else if (word == "click") {
                QTest::mouseClick(box.viewport(),
                    rest == "right" ? Qt::RightButton : Qt::LeftButton, {}, QPoint(10, 10));
            } else if (word == "disable" || word == "enable") {
                box.setLogEnabled(word == "enable");
            } else if (word == "menu") {
                QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(10, 10),
                    box.viewport()->mapToGlobal(QPoint(10, 10)));
                QApplication::sendEvent(box.viewport(), &open);
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                for (QAction* action : menu ? menu->actions() : QList<QAction*>()) {
                    if (rest.isEmpty())
                        transcript += "menu "
                            + dumpText(action->text(), action->shortcut().toString()).trimmed()
                            + (action->isEnabled() ? "\n" : " disabled\n");
                    else if (action->text() == rest)
                        action->trigger();
                }
                if (menu)
                    menu->close();
                else
                    transcript += "no menu\n";
            } else if (step.startsWith("reader select")) {
                reader->setSelection(0, m, numbers.value(2).toInt());
            } else if (step.startsWith("reader cursor")) {
                reader->setCursorPosition(m);
            } else if (step.startsWith("reader scroll")) {
                reader->scrollToSubstring(m, m + 1);
            } else if (word == "whole") {
                LogBox whole(nullptr);
                whole.setFont(box.font());
                whole.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                whole.resize(box.size());
                whole.show();
                QVERIFY(QTest::qWaitForWindowExposed(&whole));
                whole.setLogText(box.logText());
                box.showEnd();
                whole.showEnd();
                QCoreApplication::processEvents();
                const bool same
                    = box.viewport()->grab().toImage() == whole.viewport()->grab().toImage();
                transcript += same ? "drawn as the whole text\n" : "drawn unlike the whole text\n";
                g_told.clear();
            } else {
                QFAIL(qPrintable("no such step: " + step));
            }
            QCoreApplication::processEvents();
            const QString copied = QGuiApplication::clipboard()->text();
            if (!copied.isEmpty())
                transcript += "clipboard " + shortened(copied) + '\n';
            QGuiApplication::clipboard()->clear();
            transcript += reading();
        }
        const QString difference = reviewedDifference(transcript);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

QTEST_MAIN(TestLogBox)
#include "tst_logbox.moc"
