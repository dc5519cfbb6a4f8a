#include "LogBox.h"

#include "LogBoxAccessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QtMath>

namespace {

// The space around the text, as in a text document.
constexpr int kMargin = 4;
// Enough for the lines on screen and the last page; more only costs memory.
constexpr int kLaidOutLines = 100;

// How far down its line a row ends.
qreal heightOf(const QTextLine& row)
{
    return row.y() + row.height();
}

qreal heightOf(const QTextLayout& layout)
{
    return heightOf(layout.lineAt(layout.lineCount() - 1));
}

} // namespace

LogBox::LogBox(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_layouts(kLaidOutLines)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    relayout();
    // Once for every log box of the process.
    static const bool accessible = (QAccessible::installFactory(&LogBoxAccessible::create), true);
    Q_UNUSED(accessible)
}

void LogBox::setLogText(const QString& text)
{
    // The whole log is copied only for a screen reader that listens.
    const bool reported = QAccessible::isActive();
    const QString oldText = reported ? toPlainText() : QString();
    m_log.setText(text);
    m_layouts.clear();
    m_rows.reset(m_log.lineCount());
    m_top = { 0, 0 };
    m_allSelected = false;
    sync();
    viewport()->update();
    if (reported) {
        QAccessibleTextUpdateEvent event(this, 0, oldText, toPlainText());
        QAccessible::updateAccessibility(&event);
    }
}

void LogBox::appendLog(const QString& text)
{
    const int last = m_log.lineCount() - 1;
    const qsizetype shownBefore = m_log.shownSize();
    m_log.append(text);
    // The text may have gone on the last line.
    m_layouts.remove(last);
    m_rows.addLines(m_log.lineCount() - 1 - last);
    sync();
    viewport()->update();
    // A screen reader speaks the call as it is logged.
    if (QAccessible::isActive() && m_log.shownSize() > shownBefore) {
        QAccessibleTextInsertEvent event(this, int(shownBefore), shownFrom(last, shownBefore));
        QAccessible::updateAccessibility(&event);
    }
}

void LogBox::showEnd()
{
    // Past the last line; sync() brings the view back to the last page.
    m_top = { m_log.lineCount(), 0 };
    sync();
    viewport()->update();
}

void LogBox::showLine(int line)
{
    m_top = { qBound(0, line, m_log.lineCount() - 1), 0 };
    sync();
    viewport()->update();
}

QString LogBox::shownFrom(int line, qsizetype offset) const
{
    QString shown = m_log.shownLine(line).mid(offset - m_log.shownStart(line));
    for (++line; line < m_log.lineCount(); ++line)
        shown += u'\n' + m_log.shownLine(line);
    return shown;
}

QString LogBox::toPlainText() const
{
    QStringList lines;
    for (int line = 0; line < m_log.lineCount(); ++line)
        lines << m_log.shownLine(line);
    return lines.join(u'\n');
}

int LogBox::lineAt(const QPoint& point) const
{
    int found = -1;
    forEachShownLine([&](int line, const QTextLayout& layout, qreal top) {
        if (point.y() >= top && point.y() < top + heightOf(layout))
            found = line;
    });
    return found;
}

QRect LogBox::characterRect(int line, int column) const
{
    QRect found;
    forEachShownLine([&](int shownLine, const QTextLayout& layout, qreal top) {
        if (shownLine != line)
            return;
        const QTextLine row = layout.lineForTextPosition(column);
        if (!row.isValid())
            return;
        const qreal left = row.cursorToX(column);
        const qreal right = column < layout.text().size() ? row.cursorToX(column + 1) : left + 1;
        found = QRectF(left, top + row.y(), qMax(right - left, 1.0), row.height()).toRect();
    });
    return found;
}

void LogBox::selectAll()
{
    m_allSelected = true;
    viewport()->update();
}

void LogBox::copy() const
{
    if (m_allSelected)
        QGuiApplication::clipboard()->setText(toPlainText());
}

void LogBox::setLogEnabled(bool enabled)
{
    m_logEnabled = enabled;
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
}

const QTextLayout& LogBox::laidOut(int line) const
{
    if (const QTextLayout* cached = m_layouts.object(line))
        return *cached;
    auto* layout = new QTextLayout(m_log.shownLine(line), font(), viewport());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLeadingIncluded(true);
        row.setLineWidth(m_width);
        row.setPosition(QPointF(kMargin, y));
        y += row.height() + qMin(0, qCeil(row.leading()));
    }
    layout->endLayout();
    if (m_rows.rows(line) != layout->lineCount()) {
        m_rows.setRows(line, layout->lineCount());
        m_rowsChanged = true;
    }
    m_layouts.insert(line, layout);
    return *layout;
}

void LogBox::relayout()
{
    // Every line's rows change with the width or the font; each counts one until it is shown.
    m_width = qMax(1, viewport()->width() - 2 * kMargin);
    m_layouts.clear();
    m_rows.reset(m_log.lineCount());
}

LogBox::Position LogBox::endPosition(int& rowsShown) const
{
    // The last row stays a margin and a pixel clear of the bottom edge, as in a text document.
    const qreal room = viewport()->height() - kMargin - 1;
    qreal used = kMargin;
    rowsShown = 0;
    for (int line = m_log.lineCount() - 1; line >= 0; --line) {
        const QTextLayout& layout = laidOut(line);
        used += heightOf(layout);
        if (used > room) {
            int row = 0;
            while (row < layout.lineCount() && layout.lineAt(row).y() < used - room)
                ++row;
            if (rowsShown == 0)
                row = qMin(row, layout.lineCount() - 1);
            rowsShown += layout.lineCount() - row;
            return row < layout.lineCount() ? Position { line, row } : Position { line + 1, 0 };
        }
        rowsShown += layout.lineCount();
    }
    return { 0, 0 };
}

void LogBox::sync()
{
    int pageRows = 0;
    const Position end = endPosition(pageRows);
    if (end.line < m_top.line || (end.line == m_top.line && end.row < m_top.row))
        m_top = end;
    m_top.row = qMin(m_top.row, laidOut(m_top.line).lineCount() - 1);
    m_syncing = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, m_rows.rowsBefore(end.line) + end.row);
    bar->setPageStep(pageRows);
    bar->setValue(m_rows.rowsBefore(m_top.line) + m_top.row);
    m_syncing = false;
    m_rowsChanged = false;
}

void LogBox::forEachShownLine(
    const std::function<void(int line, const QTextLayout& layout, qreal top)>& visit) const
{
    // The top margin shows only above the log's first row.
    qreal top = m_top.line == 0 && m_top.row == 0 ? kMargin : 0;
    for (int line = m_top.line; line < m_log.lineCount() && top < viewport()->height(); ++line) {
        const QTextLayout& layout = laidOut(line);
        // A view that starts inside a wrapped line starts where the row above it ends, which a
        // font's negative leading puts below the next row's top, as in a text document.
        const int row = line == m_top.line ? qMin(m_top.row, layout.lineCount() - 1) : 0;
        if (row > 0)
            top -= heightOf(layout.lineAt(row - 1));
        visit(line, layout, top);
        top += heightOf(layout);
    }
}

void LogBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    QTextCharFormat selected;
    selected.setBackground(palette().highlight());
    selected.setForeground(palette().highlightedText());
    forEachShownLine([&](int line, const QTextLayout& layout, qreal top) {
        QList<QTextLayout::FormatRange> selection;
        // A selected line break shows as a selected space after the line.
        const bool lineBreak = line + 1 < m_log.lineCount();
        if (m_allSelected)
            selection.append({ 0, int(layout.text().size()) + int(lineBreak), selected });
        layout.draw(&painter, QPointF(0, top), selection, event->rect());
    });
    // Lines laid out for the first time may take more rows than the scroll bar counted.
    if (m_rowsChanged)
        QMetaObject::invokeMethod(this, &LogBox::sync, Qt::QueuedConnection);
}

void LogBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (viewport()->width() - 2 * kMargin != m_width)
        relayout();
    sync();
}

void LogBox::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        relayout();
        sync();
    }
}

void LogBox::scrollContentsBy(int, int)
{
    if (!m_syncing)
        m_top = m_rows.find(verticalScrollBar()->value());
    viewport()->update();
}

void LogBox::keyPressEvent(QKeyEvent* event)
{
    if (!m_logEnabled) {
        event->ignore();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (event == QKeySequence::MoveToStartOfDocument || (plain && event->key() == Qt::Key_Home))
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event == QKeySequence::MoveToEndOfDocument || (plain && event->key() == Qt::Key_End))
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
    else if (event == QKeySequence::SelectAll)
        selectAll();
    else if (event == QKeySequence::Copy)
        copy();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void LogBox::mousePressEvent(QMouseEvent* event)
{
    // Passed on to the window, as a disabled control passes it.
    if (!m_logEnabled) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton && m_allSelected) {
        m_allSelected = false;
        viewport()->update();
    }
    event->accept();
}

void LogBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_logEnabled) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton
        && viewport()->rect().contains(event->position().toPoint()))
        emit clicked();
}

void LogBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_logEnabled) {
        event->ignore();
        return;
    }
    // Shown without a nested event loop, which would hold up the monitor's polling.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copyAction = menu->addAction(QStringLiteral("&Copy"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(m_allSelected);
    connect(copyAction, &QAction::triggered, this, &LogBox::copy);
    QAction* selectAllAction = menu->addAction(QStringLiteral("Select All"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    connect(selectAllAction, &QAction::triggered, this, &LogBox::selectAll);
    menu->popup(event->globalPos());
}
