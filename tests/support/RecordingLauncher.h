#pragma once

#include "platform/Launcher.h"

#include <QStringList>

// Records what the program asked to start; whether a start succeeds is up to the test.
class RecordingLauncher : public Launcher
{
public:
    bool openTextFile(const QString& file) override
    {
        openedFiles << file;
        return viewerAvailable;
    }
    bool startRecorder() override
    {
        ++recorderStarts;
        return recorderAvailable;
    }

    QStringList openedFiles;
    int recorderStarts = 0;
    bool viewerAvailable = true;
    bool recorderAvailable = true;
};
