#pragma once

#include "TestApp.h"
#include "windows/main/Form1.h"

#include <QLabel>
#include <QPushButton>
#include <deque>
#include <functional>

class ModemSim;

// Drives a test from inside the program's own event handling: a click such as Activate returns
// only when its loop ends, so the steps run from a polling timer while it yields. Each step waits
// for its condition, then acts.
struct Scenario
{
    struct Step
    {
        std::function<bool()> when;
        std::function<void()> then;
        QString what = {};
    };
    // Runs `procedure` with the steps running meanwhile; after `limitMs` runs `onTimeOut`, which
    // must make it return. True when every step ran.
    bool run(const std::function<void()>& procedure, const std::function<void()>& onTimeOut,
        int limitMs = 30000);

    std::deque<Step> steps;
};

// The program started in a temporary folder, configured for port 1 ("com1:") with blocking on,
// with 5551234567 (picture ann.bmp of 7 x 5 pixels, sound ann.wav) in entry 1 and 5550001111
// marked blocked in entry 2.
struct ProgramRig
{
    // Without `configured` the folder is empty: a first run.
    explicit ProgramRig(int tickMs, bool autoUpdate = false, bool configured = true);

    QString log() const { return form1->logText(); }
    // Label2(0) and Label2(1): "total blocked".
    QString counters() const { return form1->Label2[0]->text() + ' ' + form1->Label2[1]->text(); }
    bool monitoring() const { return form1->Command1->text() == QLatin1String("&Deactivate"); }
    // The monitor waits for a ring, once the modem has taken the caller-ID command.
    bool waitingForRing(bool modemAnswered) const;
    // Clicks Activate and plays `steps` until the monitor returns; false if a step never came.
    // A step is "condition: action". Conditions: "waiting" (for a ring, the modem having taken
    // the caller-ID command since the click); "ringing" (a ring seen, Timer1 running); "timing
    // out"; "settled" (waiting, half a second after the step before); "about" (the About box is
    // up); "enabled" (the main window); "counters T B"; "modem EVENT"; "buffer TEXT" (received,
    // not yet consumed). Actions: "Deactivate" (keeps the log in lastLog first); "double click"
    // (two clicks on Command1 close together); "About", "About OK" (open and close the About
    // box); else a modem-sim command.
    bool play(ModemSim& modem, const QStringList& steps);
    // Clicks Activate and runs `scenario` until the monitor returns; false if a step never ran.
    bool activate(Scenario& scenario);

    TestApp app;
    Form1* form1 = nullptr;
    QString lastLog;
};
