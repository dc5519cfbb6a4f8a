#pragma once

#include "Launcher.h"

class QtLauncher : public Launcher
{
public:
    void openTextFile(const QString& file, std::function<void()> failed) override;
    bool startRecorder() override;
    QStringList recorders() const override;
};
