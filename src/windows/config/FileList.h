#pragma once

#include <QListWidget>

// The files of one folder whose names match a pattern; several patterns are joined by ";".
class FileList : public QListWidget
{
    Q_OBJECT

public:
    explicit FileList(QWidget* parent);

    QString pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);
    void setPath(const QString& path);
    // The selected file's name without its folder; empty when no file is selected.
    QString fileName() const;

private:
    void refresh();

    QString m_path;
    QString m_pattern;
};
