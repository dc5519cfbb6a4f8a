#pragma once

#include "SoundPlayer.h"

#include <memory>

class QSoundEffect;

class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void play(const QString& wavFile) override;
    void beep() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};
