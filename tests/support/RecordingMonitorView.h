#pragma once

#include "RecordingProgramEnd.h"
#include "RecordingSound.h"
#include "ScriptedPump.h"
#include "ScriptedSerialLink.h"
#include "monitor/CallMonitor.h"
#include "monitor/MonitorView.h"
#include "state/AppState.h"

#include <QStringList>

// The main window as the call monitor sees it, recorded field by field.
class RecordingMonitorView : public MonitorView
{
public:
    QString logText() const override { return log; }
    void setLogText(const QString& text) override { log = text; }
    void appendLog(const QString& text) override { log += text; }
    void focusLog() override { }
    void showLogEnd() override { }

    void setCaption(const QString& text) override { captions << text; }
    void restoreIfMinimized() override { minimized = false; }
    void disableWindow() override { enabled = false; }

    void setActivateCaption(const QString& text) override { activateCaption = text; }
    void setConfigAndPhonebookEnabled(bool value) override { configAndPhonebookEnabled = value; }

    void setTotalCallsCaption(const QString& text) override { totalCalls = text; }
    QString blockedCallsCaption() const override { return blockedCalls; }
    void setBlockedCallsCaption(const QString& text) override { blockedCalls = text; }

    bool showPicture(const QString& file) override { return !(picture = file).isNull(); }
    void clearPicture() override { picture.clear(); }
    void setTimerEnabled(bool value) override { timerEnabled = value; }

    // Which of the monitor's two messages was shown, and the port message's cause.
    void showPortInUse(const QString& cause) override
    {
        messages << QStringLiteral("port in use");
        causes << cause;
    }
    void showNotResponding() override { messages << QStringLiteral("not responding"); }

    QString caption() const { return captions.value(captions.size() - 1); }

    QString log, picture;
    QString activateCaption = QStringLiteral("&Activate");
    QString totalCalls = QStringLiteral("0"), blockedCalls = QStringLiteral("0");
    QStringList captions, messages, causes;
    bool minimized = false, enabled = true, configAndPhonebookEnabled = true, timerEnabled = false;
};

// The call monitor over the recording view, a scripted port and a scripted pump; "com3:" and
// "AT+VCID=1" configured, the shipped files in "/app" and the data files elsewhere.
struct MonitorRig
{
    MonitorRig()
    {
        state.AppPath = QStringLiteral("/data");
        state.ShippedPath = QStringLiteral("/app");
        state.CommPort = QStringLiteral("com3:");
        state.CallerIdCommand = QStringLiteral("AT+VCID=1");
    }

    AppState state;
    RecordingMonitorView view;
    ScriptedSerialLink link;
    ScriptedPump pump;
    RecordingSound sound;
    RecordingProgramEnd end;
    CallMonitor monitor { state, view, link, pump, sound, end };
};
