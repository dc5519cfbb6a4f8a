#include "ObservedSound.h"

void ObservedSound::play(const QString& wavFile)
{
    m_player.play(wavFile);
    if (onPlay)
        onPlay(wavFile);
}

void ObservedSound::beep()
{
    m_player.beep();
}
