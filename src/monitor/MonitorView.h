#pragma once

#include <QString>

// What the call monitor needs of the main window: its log, captions, counters, picture and timer.
class MonitorView
{
public:
    virtual ~MonitorView() = default;

    // Text1, the call log, as plain text with CR LF line ends.
    virtual QString logText() const = 0;
    virtual void setLogText(const QString& text) = 0;
    virtual void appendLog(const QString& text) = 0;
    virtual void focusLog() = 0;
    virtual void showLogEnd() = 0;

    virtual void setCaption(const QString& caption) = 0;
    virtual void restoreIfMinimized() = 0;
    virtual void disableWindow() = 0;

    // Command1, and Command3 with Command8.
    virtual void setActivateCaption(const QString& caption) = 0;
    virtual void setConfigAndPhonebookEnabled(bool enabled) = 0;

    // Label2(0) and Label2(1).
    virtual void setTotalCallsCaption(const QString& caption) = 0;
    virtual QString blockedCallsCaption() const = 0;
    virtual void setBlockedCallsCaption(const QString& caption) = 0;

    // Image1. A picture that cannot be loaded leaves the box empty and returns false.
    virtual bool showPicture(const QString& file) = 0;
    virtual void clearPicture() = 0;

    // Timer1; enabling it starts a new period.
    virtual void setTimerEnabled(bool enabled) = 0;

    // The two messages of the monitor; each returns once the user has closed it. The port
    // message goes on with `cause`, the failure's own account, when there is one.
    virtual void showPortInUse(const QString& cause) = 0;
    virtual void showNotResponding() = 0;
};
