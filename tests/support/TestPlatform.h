#pragma once

#include "RecordingLauncher.h"
#include "RecordingMessageBoxes.h"
#include "RecordingProgramEnd.h"
#include "RecordingSound.h"
#include "platform/Platform.h"
#include "platform/QtEventPump.h"
#include "platform/QtLogPrinter.h"
#include "platform/QtPictureLoader.h"

// The program's platform for tests: real event pump, pictures and serial ports (over the
// folder's ports/), a printer that writes a PDF, and recording doubles for message boxes,
// sound, outside programs and the program's end.
class TestPlatform
{
public:
    explicit TestPlatform(const QString& appDir);

    QString printedPdf() const { return platform.folders.dataFolder + "/printed.pdf"; }

    RecordingMessageBoxes messages;
    RecordingSound sound;
    RecordingLauncher launcher;
    RecordingProgramEnd end;
    QtEventPump pump;
    QtPictureLoader pictures;
    QtLogPrinter printer;
    Platform platform;
};
