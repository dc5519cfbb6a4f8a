// The log view's text and row index against a plain list of lines, split afresh from the whole
// text after every step: appends and replacements of text full of CR, LF and other control
// characters, rows set per line as the view lays them out, and every query of both classes.
#include "windows/main/LineRows.h"
#include "windows/main/LogText.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {

// Line breaks and the characters the view replaces with symbols come often.
const char16_t kAlphabet[16] = { u'a', u'b', u' ', u'\t', u'\r', u'\n', u'\r', u'\n', 0x00, 0x1b,
    0x7f, 0x80, 0x9f, 0xa0, 0x2028, 0xd800 };

QStringList linesOf(const QString& text)
{
    QStringList lines { QString() };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            i += c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            lines << QString();
            continue;
        }
        const char16_t code = c.unicode();
        lines.last() += code == 0x7f       ? QChar(0x2421)
            : code >= 0x80 && code < 0xa0  ? QChar(0xfffd)
            : code < 0x20 && code != u'\t' ? QChar(char16_t(0x2400 + code))
                                           : c;
    }
    return lines;
}

void check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LogText log;
    LineRows rows;
    rows.reset(1);
    QString text;
    QList<int> model { 1 };
    for (std::size_t at = 0; at + 1 < size;) {
        const int op = data[at] % 4;
        const int arg = data[at + 1];
        at += 2;
        if (op <= 1) {
            // `arg` characters, as the view takes them: appended, or replacing the log.
            QString added;
            for (; added.size() < arg % 32 && at < size; ++at)
                added += QChar(kAlphabet[data[at] % 16]);
            if (op == 0) {
                text += added;
                log.append(added);
            } else {
                text = added;
                log.setText(added);
            }
            const int lines = int(linesOf(text).size());
            if (op == 1) {
                rows.reset(lines);
                model = QList<int>(lines, 1);
            } else {
                rows.addLines(lines - int(model.size()));
                model.resize(lines, 1);
            }
        } else if (op == 2) {
            const int line = arg % int(model.size());
            const int count = 1 + (at < size ? data[at++] % 8 : 0);
            rows.setRows(line, count);
            model[line] = count;
        } else {
            // Laid out afresh at another width: every line one row again.
            rows.reset(int(model.size()));
            model.fill(1);
        }

        const QStringList lines = linesOf(text);
        check(log.text() == text && log.lineCount() == lines.size());
        check(rows.lineCount() == model.size());
        int before = 0;
        for (int line = 0; line < lines.size(); ++line) {
            check(log.shownLine(line) == lines[line]);
            check(rows.rows(line) == model[line] && rows.rowsBefore(line) == before);
            for (int row = 0; row < model[line]; ++row) {
                const LineRows::Row found = rows.find(before + row);
                check(found.line == line && found.row == row);
            }
            before += model[line];
        }
        check(rows.rowsBefore(int(model.size())) == before);
        const LineRows::Row past = rows.find(before + 1);
        check(past.line == model.size() && past.row == 1);
    }
    return 0;
}
