#pragma once

#include "platform/Launcher.h"

#include <QStringList>

// Records the text files the program asked to open; every start succeeds unless the test says
// the opener fails or no recorder starts.
class RecordingLauncher : public Launcher
{
public:
    void openTextFile(const QString& file, std::function<void()> failed) override
    {
        openedFiles << file;
        if (openerFails)
            failed();
    }
    bool startRecorder() override { return recorderStarts; }
    QStringList recorders() const override { return { "rec-one", "rec-two" }; }

    QStringList openedFiles;
    bool openerFails = false, recorderStarts = true;
};
