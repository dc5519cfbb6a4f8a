#pragma once

#include <QString>

// Starts outside programs without waiting for them.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Opens a text file in the desktop's viewer; false when no viewer could be started.
    virtual bool openTextFile(const QString& file) = 0;
    // Starts the first sound recorder that is installed; false when none could be started.
    virtual bool startRecorder() = 0;
};
