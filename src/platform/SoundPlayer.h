#pragma once

#include <QString>

// Plays announcement sounds without blocking; a sound that cannot be played is not reported.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    virtual void play(const QString& wavFile) = 0;
    virtual void beep() = 0;
};
