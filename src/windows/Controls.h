#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

// Makes a window's controls, each named as the window's layout names it, so that tests and
// screenshots can find it.
namespace Controls {

template <class Control> Control* make(QWidget* form, const QString& name)
{
    auto* control = new Control(form);
    control->setObjectName(name);
    return control;
}

template <class Control> Control* make(QWidget* form, const QString& name, const QString& caption)
{
    auto* control = make<Control>(form, name);
    control->setText(caption);
    return control;
}

// A caption shown as plain text from the top left corner, as the layout's labels are.
QLabel* label(QWidget* form, const QString& name, const QString& caption);

// Sets a box's text as the program does: shown from its start, however long it is.
void setText(QLineEdit* box, const QString& text);
void setEditText(QComboBox* box, const QString& text);

// Ties a control to the label beside it, and names it for a screen reader by the label's caption
// without its colon. Only for labels without an access key, which would pass to the control.
void labelFor(QLabel* label, QWidget* control);

} // namespace Controls
