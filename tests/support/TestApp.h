#pragma once

#include "TestPlatform.h"

#include <QTemporaryDir>
#include <memory>

class Halvoren;

// The whole program in a temporary folder that holds the shipped files, started in-process on
// a TestPlatform. Data files are written and read back as real files.
class TestApp
{
public:
    TestApp();
    ~TestApp();

    QString dir() const { return m_dir.path(); }
    QString path(const QString& fileName) const { return m_dir.filePath(fileName); }
    void writeFile(const QString& fileName, const QByteArray& bytes) const;
    QByteArray readFile(const QString& fileName) const;

    // A configured program: "cconfig.ini" for port 1, and an empty phone book.
    void writeConfiguration() const;

    // Runs start-up: the main window's load step.
    Halvoren& start();
    Halvoren& app() { return *m_app; }
    TestPlatform& platform() { return *m_platform; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<Halvoren> m_app;
};
