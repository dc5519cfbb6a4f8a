#pragma once

#include "MessageBoxes.h"

class QtMessageBoxes : public MessageBoxes
{
public:
    void showModal(QWidget* parent, const QString& text, MessageIcon icon) override;
    void showLater(QWidget* parent, const QString& text, MessageIcon icon) override;
};
