#pragma once

#include <QString>

class SerialLink;

// What the call monitor and port detection say to the modem alike: the port they open, the line
// settings, the answer they wait for and how they look for it in what arrives.
namespace ModemDialogue {

inline const QString kOk = QStringLiteral("OK\r\n");
inline const QString kLineSettings = QStringLiteral("19200,N,8,1");

// Selects the port, sets the line and opens it, reading whatever arrives in one go.
void openPort(SerialLink& port, int portNumber);

// Appends what the port delivered and tells whether `needle` is now in `buffer`, looking only at
// the new text and the few characters before it that could start a match: a port that floods
// the line costs no more per poll as its text piles up.
bool appendAndFind(QString& buffer, const QString& received, const QString& needle);

} // namespace ModemDialogue
