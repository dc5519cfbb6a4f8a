#pragma once

#include <QString>

#include <functional>

struct AppState;

// Reads and writes the program's data files in AppPath. Readers fail with RuntimeError; writers
// replace their file atomically and report a failure through the handler instead of throwing.
class DataStore
{
public:
    using WriteFailureHandler = std::function<void(const QString& file, const QString& reason)>;

    explicit DataStore(AppState& state);

    void setWriteFailureHandler(WriteFailureHandler handler);

    void LoadSettings();
    bool SaveSettings(const QString& portName);
    void LoadPhoneBook();
    bool SavePhoneBook();
    bool SaveCallLog(const QString& logText);

    QString filePath(const QString& fileName) const;

private:
    QString readAll(const QString& fileName) const;
    bool write(const QString& fileName, const QByteArray& bytes);

    AppState& m_state;
    WriteFailureHandler m_onWriteFailure;
};
