#pragma once

#include <QString>
#include <QStringList>

// Maps the program's port numbers 1, 2, 3, ... to serial devices. On Windows port N is COMN.
// Elsewhere a folder "ports" next to the program pins numbers to devices (ports/comN); without
// it the system's devices are numbered in order: ttyACM, then ttyUSB, then ttyS.
namespace PortNumbering {

// The device of port `number`, or an empty string when there is no such port.
QString deviceFor(const QString& appPath, int number);
// The same with the system's devices taken from `devFolder` (ttyACM*, ttyUSB*) and `ttyS`, the
// serial ports the system reports, in any order.
QString deviceFor(const QString& appPath, int number, const QString& devFolder, QStringList ttyS);

} // namespace PortNumbering
