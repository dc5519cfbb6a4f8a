#pragma once

#include <QtGlobal>

// The kinds of call the benchmarks place: a caller marked "B" (cut off by dialling), and a caller
// in the phone book with a picture and a sound (announced, then the ringing is waited out).
enum class CallKind { Blocked, Known };

// One call as the benchmark saw it. Times are microseconds on the monotonic clock; -1 = did not
// happen.
struct CallRecord
{
    CallKind kind = CallKind::Blocked;
    // The program began the call cycle that took this call (it asked whether the port is open).
    qint64 cycleStartUs = -1;
    qint64 cpuAtStartUs = 0;
    // The modem sent "RING".
    qint64 ringUs = -1;
    // The program's read of the port returned the RING.
    qint64 ringReadUs = -1;
    // Label2(0) was painted with the new count.
    qint64 countShownUs = -1;
    // The last Timer1 tick before the count was shown (-1: none since the ring).
    qint64 tickBeforeCountUs = -1;
    // The modem sent the caller-ID text.
    qint64 cidUs = -1;
    // The Timer1 tick that ended the collection of the caller-ID text.
    qint64 collectionTickUs = -1;
    // The program's write of "ATDT1" returned (the text is on the line), and the modem read it;
    // either may come first.
    qint64 dialUs = -1;
    qint64 modemDialUs = -1;
    // The announcement sound was started.
    qint64 announcedUs = -1;
    // CPU time of the whole call: from this cycle's start to the next one's.
    qint64 cpuUs = -1;
    // The program's time waiting for a CPU (Measure::runQueueWaitUs) when the call was placed,
    // when the count was shown, at the collection's last tick and when ATDT1 was written.
    qint64 queuedAtPlaceUs = -1;
    qint64 queuedAtCountUs = -1;
    qint64 queuedAtTickUs = -1;
    qint64 queuedAtDialUs = -1;
};
