#pragma once

#include "AppFolders.h"

#include <functional>
#include <memory>

class EventPump;
class Launcher;
class LogPrinter;
class MessageBoxes;
class PictureLoader;
class ProgramEnd;
class SerialLink;
class SoundPlayer;

// The platform services the windows and the call monitor reach; main wires the Qt ones, tests
// put doubles in where a real service cannot run.
struct Platform
{
    std::function<std::unique_ptr<SerialLink>()> makeSerialLink;
    EventPump& pump;
    SoundPlayer& sound;
    PictureLoader& pictures;
    Launcher& launcher;
    LogPrinter& printer;
    MessageBoxes& messages;
    ProgramEnd& end;
    AppFolders folders;
    // The Timer1 period of every window; tests shorten it.
    int timerIntervalMs = 500;
};
