#pragma once

#include "monitor/MonitorView.h"

#include <QStringList>

// The main window as the call monitor sees it, recorded field by field.
class RecordingMonitorView : public MonitorView
{
public:
    QString logText() const override { return log; }
    void setLogText(const QString& text) override { log = text; }
    void appendLog(const QString& text) override { log += text; }
    void focusLog() override { ++logFocused; }
    void showLogEnd() override { ++logEndShown; }

    void setCaption(const QString& text) override { captions << text; }
    void restoreIfMinimized() override { minimized = false; }
    void disableWindow() override { enabled = false; }

    void setActivateCaption(const QString& text) override { activateCaption = text; }
    void setConfigAndPhonebookEnabled(bool value) override { configAndPhonebookEnabled = value; }

    void setTotalCallsCaption(const QString& text) override { totalCalls = text; }
    QString blockedCallsCaption() const override { return blockedCalls; }
    void setBlockedCallsCaption(const QString& text) override { blockedCalls = text; }

    bool showPicture(const QString& file) override
    {
        pictures << file;
        picture = loadablePictures.contains(file) ? file : QString();
        return !picture.isEmpty();
    }
    void clearPicture() override { picture.clear(); }

    void setTimerEnabled(bool value) override { timerEnabled = value; }

    void showPortInUse() override { messages << QStringLiteral("The modem port is currently in use."); }
    void showNotResponding() override
    {
        messages << QStringLiteral("This modem is not responding to V90 caller ID commands.");
    }

    QString caption() const { return captions.isEmpty() ? QString() : captions.last(); }

    QString log;
    int logFocused = 0;
    int logEndShown = 0;
    QStringList captions;
    bool minimized = false;
    bool enabled = true;
    QString activateCaption = QStringLiteral("&Activate");
    bool configAndPhonebookEnabled = true;
    QString totalCalls = QStringLiteral("0");
    QString blockedCalls = QStringLiteral("0");
    QStringList pictures;
    QStringList loadablePictures;
    QString picture;
    bool timerEnabled = false;
    QStringList messages;
};
