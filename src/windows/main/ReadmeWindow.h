#pragma once

#include <QPlainTextEdit>

// readme.txt shown read-only in a window of the program's own, for when the desktop has no
// viewer for it. The window deletes itself when closed.
class ReadmeWindow : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ReadmeWindow(const QString& file);
};
