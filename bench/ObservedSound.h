#pragma once

#include "platform/QtSoundPlayer.h"

#include <functional>

// The program's real sound player, with a note of every announcement it plays.
class ObservedSound : public QtSoundPlayer
{
public:
    std::function<void()> onPlay;

    void play(const QString& wavFile) override
    {
        QtSoundPlayer::play(wavFile);
        if (onPlay)
            onPlay();
    }
};
