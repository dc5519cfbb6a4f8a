#pragma once

#include <QString>

// What port detection needs of the configuration window: its message label, port list, Save
// config button, timer, and the window itself.
class DetectionView
{
public:
    virtual ~DetectionView() = default;

    // Label3, the window's message area.
    virtual void setHelpCaption(const QString& caption) = 0;

    // Combo1's list; the text in the box stays as it is.
    virtual void clearPortList() = 0;
    virtual void addPortItem(const QString& item) = 0;
    // Moves the focus to Combo1, unless the window is hidden or disabled at that moment.
    virtual void focusPortList() = 0;

    // Command7, "&Save config".
    virtual void enableSaveConfig() = 0;

    // Timer1; enabling it starts a new period.
    virtual void setTimerEnabled(bool enabled) = 0;

    virtual void disableWindow() = 0;
    virtual void unloadWindow() = 0;
};
