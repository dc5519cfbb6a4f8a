#pragma once

#include "platform/QtMessageBoxes.h"

#include <QList>
#include <QStringList>

// Records every message box instead of showing it, so no test ever waits on a modal box. With
// `real` set, a box is also shown for real, a modal one waiting until the test answers it, and a
// question is shown for real and answered by the test; else it is answered Cancel.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    void showModal(QWidget* parent, const QString& text, MessageIcon icon) override
    {
        texts << text;
        if (real)
            QtMessageBoxes().showModal(parent, text, icon);
    }
    void showLater(QWidget* parent, const QString& text, MessageIcon icon) override
    {
        texts << text;
        if (real)
            QtMessageBoxes().showLater(parent, text, icon);
    }
    void askToSave(QWidget* parent, const QString& text, const QString& save,
        const QString& discard, std::function<void(SaveChoice)> answered) override
    {
        texts << text;
        if (real)
            QtMessageBoxes().askToSave(parent, text, save, discard, answered);
        else
            answered(SaveChoice::Cancel);
    }

    QStringList texts;
    bool real = false;
};
