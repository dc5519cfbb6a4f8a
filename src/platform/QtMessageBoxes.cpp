#include "QtMessageBoxes.h"

#include "AppTitle.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Room for the window icon and the minimise, maximise and close buttons of the frame.
constexpr int kFrameButtons = 4;
constexpr int kFrameButtonHeights = 2;

// Qt sizes a box by its text, so the window manager, which draws the caption in its own bold
// face beside its buttons, would cut the caption of a short message.
void fitCaption(QMessageBox* box)
{
    QFont captionFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    captionFont.setBold(true);
    const QFontMetrics metrics(captionFont);
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = metrics.horizontalAdvance(box->windowTitle())
        + kFrameButtons * kFrameButtonHeights * metrics.height() - margins.left() - margins.right();
    // The box sets its own fixed size from its layout, so the width goes there.
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox* makeBox(QWidget* parent, const QString& text, MessageIcon icon,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    if (icon == MessageIcon::Exclamation)
        qtIcon = QMessageBox::Warning;
    else if (icon == MessageIcon::Information)
        qtIcon = QMessageBox::Information;
    auto* box = new QMessageBox(qtIcon, kAppTitle, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

void QtMessageBoxes::showModal(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox* box = makeBox(parent, text, icon);
    fitCaption(box);
    box->exec();
}

void QtMessageBoxes::showLater(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox* box = makeBox(parent, text, icon);
    fitCaption(box);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void QtMessageBoxes::askToSave(QWidget* parent, const QString& text, const QString& save,
    const QString& discard, std::function<void(SaveChoice)> answered)
{
    QMessageBox* box = makeBox(parent, text, MessageIcon::Exclamation, QMessageBox::NoButton);
    QPushButton* saveButton = box->addButton(save, QMessageBox::AcceptRole);
    QPushButton* discardButton = box->addButton(discard, QMessageBox::DestructiveRole);
    box->setEscapeButton(box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole));
    box->setDefaultButton(saveButton);
    fitCaption(box);
    QObject::connect(box, &QMessageBox::finished, box, [=] {
        const QAbstractButton* clicked = box->clickedButton();
        answered(clicked == saveButton     ? SaveChoice::Save
                : clicked == discardButton ? SaveChoice::Discard
                                           : SaveChoice::Cancel);
    });
    // Window-modal and without a nested event loop, which would hold up the monitor's polling.
    box->open();
}
