#pragma once

#include "platform/MessageBoxes.h"

#include <QStringList>

// Records every message box instead of showing it, so no test ever waits on a modal box.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString text;
        MessageIcon icon;
        bool modal;
    };

    void showModal(QWidget*, const QString& text, MessageIcon icon) override
    {
        shown.push_back({ text, icon, true });
    }
    void showLater(QWidget*, const QString& text, MessageIcon icon) override
    {
        shown.push_back({ text, icon, false });
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Shown& box : shown)
            all << box.text;
        return all;
    }

    std::vector<Shown> shown;
};
