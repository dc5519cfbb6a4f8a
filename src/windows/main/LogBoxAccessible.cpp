#include "LogBoxAccessible.h"

#include "LogBox.h"

LogBoxAccessible::LogBoxAccessible(LogBox* box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

QAccessibleInterface* LogBoxAccessible::create(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<LogBox*>(object))
        return new LogBoxAccessible(box);
    return nullptr;
}

LogBox* LogBoxAccessible::box() const
{
    return static_cast<LogBox*>(widget());
}

void* LogBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString LogBoxAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
        return QStringLiteral("Call log");
    return QAccessibleWidget::text(type);
}

QAccessible::State LogBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void LogBoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const bool selected = selectionIndex == 0 && box()->allSelected();
    *startOffset = 0;
    *endOffset = selected ? characterCount() : 0;
}

int LogBoxAccessible::selectionCount() const
{
    return box()->allSelected() ? 1 : 0;
}

// The log box selects all of its text or nothing.
void LogBoxAccessible::addSelection(int startOffset, int endOffset)
{
    if (startOffset <= 0 && endOffset >= characterCount())
        box()->selectAll();
}

void LogBoxAccessible::removeSelection(int)
{
}

void LogBoxAccessible::setSelection(int, int startOffset, int endOffset)
{
    addSelection(startOffset, endOffset);
}

// The box has no caret; the start of its first shown line stands for one.
int LogBoxAccessible::cursorPosition() const
{
    return int(box()->log().shownStart(box()->topLine()));
}

void LogBoxAccessible::setCursorPosition(int position)
{
    box()->showLine(box()->log().lineAtShown(position));
}

QString LogBoxAccessible::text(int startOffset, int endOffset) const
{
    const LogText& log = box()->log();
    const int count = characterCount();
    startOffset = qBound(0, startOffset, count);
    endOffset = endOffset < 0 ? count : qBound(startOffset, endOffset, count);
    QString text;
    for (int line = log.lineAtShown(startOffset); line < log.lineCount(); ++line) {
        const qsizetype start = log.shownStart(line);
        const QString shown = log.shownLine(line);
        const qsizetype from = qMax(startOffset - start, qsizetype(0));
        const qsizetype to = qMin(endOffset - start, shown.size());
        if (to > from)
            text += QStringView(shown).mid(from, to - from);
        const qsizetype lineBreak = start + shown.size();
        if (lineBreak >= endOffset || line + 1 == log.lineCount())
            break;
        if (lineBreak >= startOffset)
            text += u'\n';
    }
    return text;
}

QString LogBoxAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    const LogText& log = box()->log();
    if (boundaryType != QAccessible::LineBoundary || offset < 0 || offset > characterCount())
        return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
    const int line = log.lineAtShown(offset);
    // A line is read with its line break, as Qt's own text boxes give it.
    const bool lineBreak = line + 1 < log.lineCount();
    *startOffset = int(log.shownStart(line));
    *endOffset = lineBreak ? int(log.shownStart(line + 1)) : characterCount();
    return log.shownLine(line) + (lineBreak ? QStringLiteral("\n") : QString());
}

int LogBoxAccessible::characterCount() const
{
    return int(box()->log().shownSize());
}

QRect LogBoxAccessible::characterRect(int offset) const
{
    const LogText& log = box()->log();
    const int line = log.lineAtShown(offset);
    const QRect rect = box()->characterRect(line, int(offset - log.shownStart(line)));
    if (rect.isNull())
        return rect;
    return rect.translated(box()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int LogBoxAccessible::offsetAtPoint(const QPoint& point) const
{
    const int line = box()->lineAt(box()->viewport()->mapFromGlobal(point));
    return line < 0 ? -1 : int(box()->log().shownStart(line));
}

void LogBoxAccessible::scrollToSubstring(int startIndex, int)
{
    box()->showLine(box()->log().lineAtShown(startIndex));
}

QString LogBoxAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
