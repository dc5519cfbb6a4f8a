#pragma once

#include "platform/Launcher.h"

#include <QStringList>

// Records the text files the program asked to open; every start succeeds.
class RecordingLauncher : public Launcher
{
public:
    bool openTextFile(const QString& file) override
    {
        openedFiles << file;
        return true;
    }
    bool startRecorder() override { return true; }

    QStringList openedFiles;
};
