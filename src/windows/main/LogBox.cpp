#include "LogBox.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>

namespace {

// CR LF, and a CR or LF on its own, each show as one line break. Any other control character,
// which caller-ID text may carry, shows as a visible symbol instead of vanishing or acting on
// the view.
QString shownLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 && code != u'\n' && code != u'\t')
            c = QChar(char16_t(0x2400 + code));
        else if (code == 0x7f)
            c = QChar(char16_t(0x2421));
        else if (code >= 0x80 && code < 0xa0)
            c = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

} // namespace

LogBox::LogBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // A log that only grows must not also grow an undo history.
    setUndoRedoEnabled(false);
}

void LogBox::setLogText(const QString& text)
{
    m_text = text;
    setPlainText(shownLines(text));
}

void LogBox::appendLog(const QString& text)
{
    QString shown = text;
    // A CR that ended the previous append has already been shown as the break of this CR LF.
    if (m_text.endsWith(u'\r') && shown.startsWith(u'\n'))
        shown.remove(0, 1);
    m_text += text;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(shownLines(shown));
}

void LogBox::showEnd()
{
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogBox::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton
        && viewport()->rect().contains(event->position().toPoint()))
        emit clicked();
}
