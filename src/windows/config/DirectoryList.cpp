#include "DirectoryList.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

DirectoryList::DirectoryList(QWidget* parent)
    : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this,
        [this](QListWidgetItem* item) { setPath(item->data(Qt::UserRole).toString()); });
}

bool DirectoryList::setPath(const QString& path)
{
    const QFileInfo folder(path);
    if (!folder.isDir() || !folder.isReadable())
        return false;
    const QString absolute = folder.absoluteFilePath();

    QStringList openFolders { absolute };
    QDir up(absolute);
    while (up.cdUp())
        openFolders.prepend(up.absolutePath());

    clear();
    int depth = 0;
    for (const QString& open : openFolders) {
        const QString name = QDir(open).isRoot() ? open : QFileInfo(open).fileName();
        addFolder(name, open, depth++, true);
    }
    setCurrentRow(count() - 1);
    const QFileInfoList subfolders = QDir(absolute).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders)
        addFolder(subfolder.fileName(), subfolder.absoluteFilePath(), depth, false);

    if (path == m_path)
        return true;
    m_path = path;
    emit pathChanged();
    return true;
}

void DirectoryList::addFolder(const QString& name, const QString& path, int depth, bool open)
{
    const QIcon icon = style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirIcon);
    auto* item = new QListWidgetItem(icon, QString(depth * 2, u' ') + name, this);
    item->setData(Qt::UserRole, path);
}
