#pragma once

#include "LineRows.h"
#include "LogText.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QTextLayout>
#include <functional>

// The call log box. It shows the log's text as plain text, so caller-ID text is never read as
// markup, wrapped at the box's width. It lays out only the lines it shows and keeps only a few
// of them laid out, so its memory and the cost of an append, a repaint or a scroll do not grow
// with the log.
class LogBox : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit LogBox(QWidget* parent);

    // The log with CR LF line ends, exactly as it is saved and printed.
    const QString& logText() const { return m_log.text(); }
    void setLogText(const QString& text);
    void appendLog(const QString& text);
    // Moves the view to the last line.
    void showEnd();
    // Moves the view to start at a line, as far as the last page allows.
    void showLine(int line);

    // The log as shown and as Copy copies it: one line a line, control characters as symbols.
    QString toPlainText() const;
    int lineCount() const { return m_log.lineCount(); }
    const LogText& log() const { return m_log; }
    int topLine() const { return m_top.line; }
    // The line shown at a point of the viewport; -1 in the margins.
    int lineAt(const QPoint& point) const;
    // Where a character of a line is drawn in the viewport; null when it is not shown.
    QRect characterRect(int line, int column) const;

    void selectAll();
    bool allSelected() const { return m_allSelected; }
    void copy() const;

    // Disabled, the box refuses the focus, keys, clicks and selection, as a disabled control
    // does, but keeps its look, and the wheel and the scroll bar still scroll it; QWidget's own
    // disabling would grey the text and stop both.
    void setLogEnabled(bool enabled);
    bool isLogEnabled() const { return m_logEnabled; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    using Position = LineRows::Row;

    const QTextLayout& laidOut(int line) const;
    void relayout();
    Position endPosition(int& rowsShown) const;
    void sync();
    // The log as shown from an offset in a line to its end.
    QString shownFrom(int line, qsizetype offset) const;
    void forEachShownLine(
        const std::function<void(int line, const QTextLayout& layout, qreal top)>& visit) const;

    LogText m_log;
    // Rows per line at the current width and font; the layouts of the lines shown lately.
    mutable LineRows m_rows;
    mutable QCache<int, QTextLayout> m_layouts;
    mutable bool m_rowsChanged = false;
    int m_width = -1;
    // The view's first row.
    Position m_top { 0, 0 };
    bool m_syncing = false;
    bool m_allSelected = false;
    bool m_logEnabled = true;
};
