#pragma once

#include "platform/QtMessageBoxes.h"

#include <QStringList>

// Records every message box instead of showing it, so no test ever waits on a modal box. With
// `real` set, a modal box is also shown for real and waits until the test answers it.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString text;
        MessageIcon icon;
    };

    void showModal(QWidget* parent, const QString& text, MessageIcon icon) override
    {
        shown.push_back({ text, icon });
        if (real)
            QtMessageBoxes().showModal(parent, text, icon);
    }
    void showLater(QWidget*, const QString& text, MessageIcon icon) override
    {
        shown.push_back({ text, icon });
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Shown& box : shown)
            all << box.text;
        return all;
    }

    std::vector<Shown> shown;
    bool real = false;
};
