// Instance marks and the named stop events shared with other processes.
#pragma once
#include <windows.h>

#include "common/poller_instance.h"

constexpr const char kPassMutexName[] = "Lotwise Once";
constexpr const char kAbortEventName[] = "Lotwise - Abort";
constexpr const char kRunEventName[] = "Lotwise - Run";
constexpr DWORD kPollerStopWaitMs = 60000;

// Each claims its mutex for the rest of the process and reports whether another process
// already held it. The handle of a claimed mark is never closed: holding it is the mark.
bool IsPollerRunning();
bool IsPassRunning();

// The poller's own events, created (or opened) once at start-up and kept until the process ends.
struct PollerEvents {
  HANDLE abort = nullptr;
  HANDLE run = nullptr;
  // This process's own stop, unnamed: the notification icon's "Stop watching" ends this poller
  // alone, the way the abort event ends every poller.
  HANDLE stop = nullptr;
};
PollerEvents CreatePollerEvents();
const PollerEvents& CurrentPollerEvents();

// True when the abort event or this process's own stop is set within timeoutMs (a wait that
// fails counts as set). Every wait of the polling thread watches both.
bool StopRequested(HANDLE abortEvent, DWORD timeoutMs);

// Sets the run event as the poller stops after an abort. The abort event stays set, so every
// other poller sees it too.
void SignalStopped();

// The stop command: sets the abort event and waits (at most kPollerStopWaitMs) until every poller of
// this product has ended; then the events of the two sibling products.
void StopPollers();

// A continuous poller and a one-pass run may run side by side in the same folder, and a pass
// writes the working page, the pass log and the blocked auctions file under fixed names that
// the manager reads too. Passes therefore take turns: each holds the "Lotwise Pass" mutex from
// reading the search list to closing its log. The wait for it also ends on the abort event
// and on the process's own stop, so a stop request is seen at once. A pass whose holder died gets the mutex as abandoned:
// the next pass writes every file anew, and the blocked list mends itself.
//
// True when the guard is held; false when the abort event was set (or the wait failed).
bool EnterPass(HANDLE abortEvent);
void LeavePass();
