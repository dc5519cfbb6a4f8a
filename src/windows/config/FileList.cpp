#include "FileList.h"

#include <QDir>

FileList::FileList(QWidget* parent)
    : QListWidget(parent)
{
}

void FileList::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::setPath(const QString& path)
{
    m_path = path;
    refresh();
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QStringList patterns = m_pattern.split(u';', Qt::SkipEmptyParts);
    addItems(QDir(m_path).entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase));
}
