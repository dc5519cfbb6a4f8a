#pragma once

#include "Int16.h"
#include "PhoneBook.h"

#include <QString>

// The process-wide state shared by every window and the call monitor.
struct AppState
{
    // The caller-ID command that every settings writer saves, whatever CallerIdCommand holds.
    static inline const QString kSavedCallerIdCommand = QStringLiteral("AT+VCID=1");

    QString AppPath;
    QString CommPort;
    QString CallerIdCommand;
    bool AutoUpdate = false;
    bool BlockingEnabled = false;
    bool AgreementPending = false;
    // The settings file was read at start-up or written in this session.
    bool SettingsSaved = false;
    Int16 LogEntryCount;
    Int16 TotalCalls;
    QString ReceiveBuffer;
    PhoneBook Book;
};
