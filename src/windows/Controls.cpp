#include "Controls.h"

QLabel* Controls::label(QWidget* form, const QString& name, const QString& caption)
{
    auto* label = make<QLabel>(form, name, caption);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}
