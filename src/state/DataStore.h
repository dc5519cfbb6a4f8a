#pragma once

#include <QSet>
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
    QString phoneBookPath() const;
    bool phoneBookExists() const;

private:
    // The file's text: UTF-8, or the Windows code page for a file that is not valid UTF-8.
    QString readAll(const QString& fileName);
    static QString decoded(const QByteArray& bytes, bool& ansi);
    // The text in the encoding its file was last read in, so an old file is written back as it was.
    QByteArray encoded(const QString& fileName, const QString& text);
    bool write(const QString& fileName, const QByteArray& bytes);

    AppState& m_state;
    WriteFailureHandler m_onWriteFailure;
    QSet<QString> m_ansiFiles;
};
