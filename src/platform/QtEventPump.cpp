#include "QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

void QtEventPump::yieldOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::yieldWaiting()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
