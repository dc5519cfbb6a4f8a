#pragma once

#include "MessageBoxes.h"

class QtMessageBoxes : public MessageBoxes
{
public:
    void showModal(QWidget* parent, const QString& text, MessageIcon icon) override;
    void showLater(QWidget* parent, const QString& text, MessageIcon icon) override;
    void askToSave(QWidget* parent, const QString& text, const QString& save,
        const QString& discard, std::function<void(SaveChoice)> answered) override;
};
