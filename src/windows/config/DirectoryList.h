#pragma once

#include <QListWidget>

// A folder list in the manner of a classic directory box: the open folders from the root down to
// the current one, then the current folder's subfolders. Activating a folder makes it current.
class DirectoryList : public QListWidget
{
    Q_OBJECT

public:
    explicit DirectoryList(QWidget* parent);

    // The current folder exactly as it was set.
    QString path() const { return m_path; }
    // False, with the list left as it was, when the folder cannot be read.
    bool setPath(const QString& path);

signals:
    void pathChanged();

private:
    void addFolder(const QString& name, const QString& path, int depth, bool open);

    QString m_path;
};
