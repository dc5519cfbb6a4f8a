#pragma once

#include "Launcher.h"

class QtLauncher : public Launcher
{
public:
    bool openTextFile(const QString& file) override;
    bool startRecorder() override;
};
