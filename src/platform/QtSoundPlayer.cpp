#include "QtSoundPlayer.h"

#include <QApplication>
#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString& wavFile)
{
    // A fresh effect per call: a new call's sound replaces the previous one, as with the
    // system's asynchronous sound call.
    m_effect = std::make_unique<QSoundEffect>();
    m_effect->setSource(QUrl::fromLocalFile(wavFile));
    m_effect->play();
}

void QtSoundPlayer::beep()
{
    QApplication::beep();
}
