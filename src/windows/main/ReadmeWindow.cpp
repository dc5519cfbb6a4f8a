#include "ReadmeWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>

ReadmeWindow::ReadmeWindow(const QString& file)
{
    setObjectName(QStringLiteral("ReadmeWindow"));
    setWindowTitle(QFileInfo(file).fileName() + QStringLiteral(" - Halvoren"));
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    // The file lines its text up in columns.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFile text(file);
    if (text.open(QIODevice::ReadOnly))
        setPlainText(QString::fromUtf8(text.readAll())
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    resize(640, 480);
}
