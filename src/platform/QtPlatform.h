#pragma once

#include "Platform.h"
#include "QtEventPump.h"
#include "QtLauncher.h"
#include "QtLogPrinter.h"
#include "QtMessageBoxes.h"
#include "QtPictureLoader.h"
#include "QtProgramEnd.h"
#include "QtSoundPlayer.h"

// The program's real platform: the Qt implementation of every service, over serial ports
// numbered for the data folder.
class QtPlatform
{
public:
    explicit QtPlatform(const AppFolders& folders);

    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    QtEventPump pump;
    QtSoundPlayer sound;
    QtPictureLoader pictures;
    QtLauncher launcher;
    QtLogPrinter printer;
    QtMessageBoxes messages;
    QtProgramEnd end;
    Platform platform;
};
