#include "WindowDump.h"

#include "windows/Form.h"
#include "windows/main/LogBox.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>

namespace {

// Temporary folders as "~", the log's dates and times as <date> and <time>, pseudo-terminals and
// process numbers as N, so a text reads the same on every run; control characters written out,
// so it stays a line of text.
QString quoted(QString text)
{
    static const QRegularExpression temporary(
        "(/tmp/)?" + QCoreApplication::applicationName() + "-\\w{6}");
    static const QRegularExpression stamp("\\d\\d-\\d\\d-\\d{4}\r\n\\d\\d:\\d\\d:\\d\\d");
    static const QRegularExpression pts("pts([/_])\\d+"), pid("pid \\d+");
    text.replace(stamp, "<date>\r\n<time>").replace("\r", "\\r").replace("\n", "\\n");
    text.replace(pts, "pts\\1N").replace(pid, "pid N");
    QString written;
    for (const QChar c : text)
        written += c.category() == QChar::Other_Control
            ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
            : QString(c);
    return '"' + written.replace(temporary, "~") + '"';
}

// A cursor not at the text's end, as a box that shows a long path from its start has it, and
// text margins other than Qt's own, as a box that keeps its text clear of the frame sets them.
QString editing(const QLineEdit* edit)
{
    if (!edit)
        return {};
    const QMargins m = edit->textMargins();
    return (edit->cursorPosition() == edit->text().size()
                   ? QString()
                   : QStringLiteral(" cursor %1").arg(edit->cursorPosition()))
        + (m.isNull() ? QString()
                      : QStringLiteral(" margins %1,%2,%3,%4")
                            .arg(m.left())
                            .arg(m.top())
                            .arg(m.right())
                            .arg(m.bottom()));
}

QString twips(const QWidget* control, int pixels)
{
    return QString::number(pixels * 1440 / control->logicalDpiX());
}

QString place(const QWidget* control)
{
    const QRect r = control->geometry();
    return twips(control, r.x()) + ',' + twips(control, r.y()) + ' ' + twips(control, r.width())
        + 'x' + twips(control, r.height());
}

QString text(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return quoted(button->text())
            + (button->isCheckable() && button->isChecked() ? " checked" : "");
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->pixmap().isNull() ? quoted(label->text())
                                        : QStringLiteral("picture %1x%2")
                                              .arg(label->pixmap().width())
                                              .arg(label->pixmap().height())
                + (label->hasScaledContents() ? " scaled" : "");
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return quoted(edit->text()) + (edit->isReadOnly() ? " read-only" : "") + editing(edit);
    // A list that is not edited is the drive list, whose items are this machine's mounts.
    if (const auto* combo = qobject_cast<const QComboBox*>(control); combo && !combo->isEditable())
        return quoted(combo->currentText()) + (combo->findText("/") >= 0 ? " lists /" : "");
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return quoted(combo->currentText()) + " items " + quoted(items.join('|'))
            + editing(combo->lineEdit());
    }
    if (const auto* list = qobject_cast<const QListWidget*>(control)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return quoted(items.join('|'))
            + (list->currentItem() ? " at " + quoted(list->currentItem()->text()) : "");
    }
    if (const auto* bar = qobject_cast<const QScrollBar*>(control))
        return QStringLiteral("%1 of %2..%3 page %4")
            .arg(bar->value())
            .arg(bar->minimum())
            .arg(bar->maximum())
            .arg(bar->pageStep());
    if (const auto* log = qobject_cast<const LogBox*>(control)) {
        const QScrollBar* bar = log->verticalScrollBar();
        return quoted(log->logText())
            + QStringLiteral(" from line %1, bar %2 of %3 page %4")
                  .arg(log->topLine())
                  .arg(bar->value())
                  .arg(bar->maximum())
                  .arg(bar->pageStep())
            + (bar->isVisibleTo(log) ? "" : " (bar hidden)")
            + (log->allSelected() ? " all selected" : "") + (log->isLogEnabled() ? "" : " off");
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return quoted(plain->toPlainText())
            + (plain->lineWrapMode() == QPlainTextEdit::NoWrap ? " unwrapped" : "");
    return {};
}

QString face(const QWidget* control)
{
    const QFont font = control->font();
    const bool installed = QFontInfo(font).family() == font.family();
    return font.family() + (installed ? "" : " (not installed)") + ' '
        + QString::number(font.pointSize()) + "pt" + (font.bold() ? " bold" : "")
        + (font.italic() ? " italic" : "") + (font.underline() ? " underlined" : "");
}

QString control(const QWidget* widget)
{
    QStringList line { widget->objectName(), widget->metaObject()->className(), place(widget),
        text(widget), face(widget) };
    if (!widget->isEnabled())
        line << "disabled";
    // A text box disabled only against editing stays legible.
    if (!widget->isEnabled() && qobject_cast<const QAbstractScrollArea*>(widget))
        line << widget->palette().color(QPalette::Disabled, QPalette::Text).name() + " on "
                + widget->palette().color(QPalette::Disabled, QPalette::Base).name();
    if (!widget->isVisible())
        line << "hidden";
    if (QApplication::focusWidget() == widget || widget->window()->focusWidget() == widget)
        line << "focus";
    QAccessibleInterface* reader
        = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
    const QString name = reader->text(QAccessible::Name);
    const QString description = reader->text(QAccessible::Description);
    if (!name.isEmpty())
        line << "read as " + quoted(name);
    if (!description.isEmpty())
        line << "described as " + quoted(description);
    line.removeAll(QString());
    return line.join(' ');
}

// A window's own icon by a digest of its picture; without one the frame shows the program's.
QString icon(const QWidget* window)
{
    if (window->windowIcon().isNull())
        return QStringLiteral(" no icon");
    if (!window->testAttribute(Qt::WA_SetWindowIcon))
        return {};
    const QImage image = window->windowIcon().pixmap(16, 16).toImage();
    const QByteArray bits(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    return " icon " + QCryptographicHash::hash(bits, QCryptographicHash::Md5).toHex().left(8);
}

} // namespace

QString dumpWindow(const QWidget* window)
{
    // A message box is as wide as its text, which may hold a temporary folder, a terminal or a
    // process number.
    const auto* box = qobject_cast<const QMessageBox*>(window);
    static const QRegularExpression varying("~|pid N|pts.N");
    const bool sized = !box || !quoted(box->text()).contains(varying);
    QStringList lines { quoted(window->windowTitle())
        + (sized ? ' ' + twips(window, window->width()) + 'x' + twips(window, window->height())
                 : "")
        + icon(window) + (window->windowType() == Qt::Dialog ? " dialog" : "")
        + (window->isModal() ? " modal" : "") + (window->isEnabled() ? "" : " disabled")
        + (window->isMinimized() ? " minimized" : "") };
    if (const auto* form = qobject_cast<const Form*>(window); form && !form->isFormEnabled())
        lines.front() += QStringLiteral(" taking no input");
    QStringList open;
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != window)
            open << (top->objectName().isEmpty() ? top->metaObject()->className()
                                                 : top->objectName());
    open.sort();
    if (!open.isEmpty())
        lines << "over " + open.join(' ');
    // A window that is a text: its first line and its length.
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(window)) {
        lines << QStringLiteral("shows %1 lines from ").arg(plain->blockCount())
                + quoted(plain->document()->firstBlock().text())
                + (plain->isReadOnly() ? " read-only" : "")
                + (plain->lineWrapMode() == QPlainTextEdit::NoWrap ? " unwrapped" : "");
    }
    if (box) {
        QStringList buttons;
        for (const QAbstractButton* button : box->buttons())
            buttons << quoted(button->text());
        lines << "says " + quoted(box->text()) + " icon " + QString::number(box->icon())
                + " buttons " + buttons.join(' ');
    }
    QStringList tabOrder;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
            continue;
        lines << control(widget);
        if (widget->focusPolicy() & Qt::TabFocus)
            tabOrder << widget->objectName();
    }
    QStringList walk;
    for (QWidget* next = window->nextInFocusChain(); next != window && walk.size() < 100;
         next = next->nextInFocusChain()) {
        if (tabOrder.contains(next->objectName()))
            walk << next->objectName();
    }
    lines << "tab " + walk.join(' ');
    for (const QTimer* timer : window->findChildren<QTimer*>())
        if (!timer->objectName().isEmpty())
            lines << timer->objectName() + " timer " + QString::number(timer->interval()) + "ms"
                    + (timer->isActive() ? " running" : "");
    return lines.join('\n') + '\n';
}

QString dumpText(const QString& label, const QString& text)
{
    return label + ' ' + quoted(text) + '\n';
}

QString dumpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo(path).fileName() + " missing\n";
    // A file in the Windows code page, byte for byte.
    const QByteArray bytes = file.readAll();
    QString text = QString::fromUtf8(bytes);
    const bool utf8 = !text.contains(QChar::ReplacementCharacter);
    return dumpText(QFileInfo(path).fileName() + (utf8 ? "" : " in Latin-1"),
        utf8 ? text : QString::fromLatin1(bytes));
}

QString unquoted(QString text)
{
    static const QRegularExpression escape(R"(\\(?:(r)|(n)|x([0-9a-f]{2})|\{(\d+)\}))");
    if (text.size() > 1 && text.startsWith('"') && text.endsWith('"'))
        text = text.mid(1, text.size() - 2);
    QString plain;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : escape.globalMatch(text)) {
        plain += text.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        if (m.hasCaptured(4))
            plain += QString(m.captured(4).toInt() - 1, plain.back());
        else
            plain += m.hasCaptured(3) ? QChar(m.captured(3).toInt(nullptr, 16))
                                      : QChar(m.hasCaptured(1) ? '\r' : '\n');
    }
    return plain + text.mid(from);
}

namespace {

QString reviewedFolder()
{
    return QStringLiteral(HALVOREN_TESTS_DIR "/walks/")
        + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace

void addReviewedRows()
{
    QTest::addColumn<QStringList>("steps");
    const QString prefix = QTest::currentTestFunction() + QStringLiteral("-");
    const QDir folder(reviewedFolder());
    for (const QString& name : folder.entryList({ prefix + "*.txt" }, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        QStringList steps;
        if (file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
                if (line.startsWith("> "))
                    steps << line.mid(2);
        QTest::newRow(qPrintable(name.mid(prefix.size()).chopped(4))) << steps;
    }
}

QString reviewedDifference(const QString& shown)
{
    const QString name = QTest::currentTestFunction() + QStringLiteral("-")
        + QString(QTest::currentDataTag()).replace(' ', '-').remove(':') + ".txt";
    QFile file(reviewedFolder() + '/' + name);
    if (qEnvironmentVariableIsSet("HALVOREN_WRITE_WALKS"))
        return file.open(QIODevice::WriteOnly) && file.write(shown.toUtf8()) > 0
            ? QString()
            : "not written: " + file.fileName();
    const QStringList reviewed = file.open(QIODevice::ReadOnly)
        ? QString::fromUtf8(file.readAll()).split('\n')
        : QStringList();
    const QStringList lines = shown.split('\n');
    QString step;
    for (int i = 0; i < qMax(lines.size(), reviewed.size()); ++i) {
        if (lines.value(i).startsWith("> "))
            step = lines.value(i);
        if (lines.value(i) != reviewed.value(i))
            return name + " line " + QString::number(i + 1) + ", after " + quoted(step) + ": shown "
                + quoted(lines.value(i)) + ", reviewed " + quoted(reviewed.value(i));
    }
    return {};
}
