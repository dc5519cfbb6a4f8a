#include "QtMessageBoxes.h"

#include "AppTitle.h"

#include <QMessageBox>

namespace {

QMessageBox* makeBox(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    if (icon == MessageIcon::Exclamation)
        qtIcon = QMessageBox::Warning;
    else if (icon == MessageIcon::Information)
        qtIcon = QMessageBox::Information;
    auto* box = new QMessageBox(qtIcon, kAppTitle, text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

void QtMessageBoxes::showModal(QWidget* parent, const QString& text, MessageIcon icon)
{
    makeBox(parent, text, icon)->exec();
}

void QtMessageBoxes::showLater(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox* box = makeBox(parent, text, icon);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
