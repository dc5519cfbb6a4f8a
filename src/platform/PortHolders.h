#pragma once

#include <QList>
#include <QString>

// Who else has a serial device: the processes that hold it open, as fuser finds them, the
// owner of its lock file, and whether ModemManager may take it. Only Linux is looked at;
// elsewhere nothing is found.
namespace PortHolders {

struct Holder
{
    qint64 pid = 0;
    QString name;
};

// The processes other than this one that hold `device` open, among those this user may
// inspect. A process holding the master side of a pseudo-terminal is the line's other end
// (a modem simulator, say), not a holder of it.
QList<Holder> holdersOf(const QString& device);

// The name of the running process `pid`, or an empty string when there is none.
QString processName(qint64 pid);

// The lock file a serial port library takes for `device` in the shared lock folders, when one
// is there; an empty string otherwise.
QString lockFileOf(const QString& device);

// The process that wrote `lockFile`; 0 when it cannot be read.
qint64 lockOwner(const QString& lockFile);

// ModemManager's pid when it runs and has not been told to leave `device` alone; 0 otherwise.
qint64 modemManagerWatching(const QString& device);

} // namespace PortHolders
