#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

class RecordingSound : public SoundPlayer
{
public:
    void play(const QString& wavFile) override { played << wavFile; }
    void beep() override { ++beeps; }

    QStringList played;
    int beeps = 0;
};
