#include "Controls.h"

#include <QAbstractItemView>

QLabel* Controls::label(QWidget* form, const QString& name, const QString& caption)
{
    auto* label = make<QLabel>(form, name, caption);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void Controls::setText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

void Controls::setEditText(QComboBox* box, const QString& text)
{
    box->setEditText(text);
    box->lineEdit()->setCursorPosition(0);
}

void Controls::labelFor(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    QString name = label->text();
    if (name.endsWith(u':'))
        name.chop(1);
    control->setAccessibleName(name);
    // A combo box's edit line and list are read on their own.
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->view()->setAccessibleName(name);
        if (QLineEdit* edit = combo->lineEdit())
            edit->setAccessibleName(name);
    }
}
