#pragma once

#include "Int16.h"
#include "PhoneBook.h"

#include <QString>

// The process-wide state shared by every window and the call monitor.
struct AppState
{
    QString AppPath;
    QString CommPort;
    QString CallerIdCommand;
    bool AutoUpdate = false;
    bool BlockingEnabled = false;
    bool AgreementPending = false;
    Int16 LogEntryCount;
    Int16 TotalCalls;
    QString ReceiveBuffer;
    PhoneBook Book;
};
