#pragma once

#include "platform/QtSoundPlayer.h"

#include <functional>

// The program's real sound player, with a note of every announcement it plays.
class ObservedSound : public SoundPlayer
{
public:
    std::function<void(const QString& wavFile)> onPlay;

    void play(const QString& wavFile) override;
    void beep() override;

private:
    QtSoundPlayer m_player;
};
