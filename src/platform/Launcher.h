#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Starts outside programs without waiting for them.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Opens a text file in the desktop's viewer. `failed` runs, now or later from the event
    // loop, when no viewer could be started or the opener reported a failure.
    virtual void openTextFile(const QString& file, std::function<void()> failed) = 0;
    // Starts the first sound recorder that is installed; false when none could be started.
    virtual bool startRecorder() = 0;
    // The recorder programs that startRecorder tries, in order.
    virtual QStringList recorders() const = 0;
};
