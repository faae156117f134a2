// Instance marks, stop events and the stop command.
#include "poller/engine/instance_control.h"

#include "platform/unique_handle.h"

namespace {

PollerEvents g_events;
HANDLE g_passGuard = nullptr;
bool g_passGuardHeld = false;

constexpr DWORD kStopPollMs = 50;

bool AlreadyExisted() {
  const DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

bool ClaimMutex(const char* name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!AlreadyExisted()) return false;  // ours: never closed, holding it is the mark
  // The mark is another process's: a refused process keeps no part in it, so the stop
  // command never waits for one that only shows why it was refused.
  if (mutex) CloseHandle(mutex);
  return true;
}

bool MutexExists(const char* name) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(mutex);
  return true;
}

// Every continuous poller and one-pass run holds its instance mark until it ends.
bool AnyPollerAlive() { return MutexExists(kPollerMutexName) || MutexExists(kPassMutexName); }

HANDLE CreateManualEvent(const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); }

// A continuous poller and a one-pass run share the abort event, and either may see it first
// (a one-pass run waiting for its turn sees it at once). No poller resets it: the stop is
// meant for all of them. It is done when the last one has ended; only then is the event
// cleared, should any other process still hold it. A poller that does not end within the wait
// (a dialog waits for the user) still finds the event set when it next looks.
void StopLotwise() {
  UniqueHandle run(CreateManualEvent(kRunEventName));
  if (!AlreadyExisted()) return;
  UniqueHandle abort(CreateManualEvent(kAbortEventName));
  if (!abort) return;
  SetEvent(abort.Get());
  const DWORD start = GetTickCount();
  while (AnyPollerAlive()) {
    if (GetTickCount() - start >= kPollerStopWaitMs) return;
    Sleep(kStopPollMs);
  }
  ResetEvent(abort.Get());
}

// The sibling products stop one at a time: the first to stop sets the run event.
void StopSibling(const char* runEventName, const char* abortEventName) {
  UniqueHandle run(CreateManualEvent(runEventName));
  if (!AlreadyExisted()) return;
  UniqueHandle abort(CreateManualEvent(abortEventName));
  if (abort) SetEvent(abort.Get());
  if (run) WaitForSingleObject(run.Get(), kPollerStopWaitMs);
}

}  // namespace

bool IsPollerRunning() { return ClaimMutex(kPollerMutexName); }
bool IsPassRunning() { return ClaimMutex(kPassMutexName); }

PollerEvents CreatePollerEvents() {
  g_events.abort = CreateManualEvent(kAbortEventName);
  g_events.run = CreateManualEvent(kRunEventName);
  g_events.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return g_events;
}

const PollerEvents& CurrentPollerEvents() { return g_events; }

void SignalStopped() { SetEvent(g_events.run); }

bool StopRequested(HANDLE abortEvent, DWORD timeoutMs) {
  const HANDLE handles[] = {abortEvent, g_events.stop};
  const DWORD count = g_events.stop ? 2 : 1;
  return WaitForMultipleObjects(count, handles, FALSE, timeoutMs) != WAIT_TIMEOUT;
}

bool EnterPass(HANDLE abortEvent) {
  if (!g_passGuard) g_passGuard = CreateMutexA(nullptr, FALSE, kPassGuardName);  // kept for the process
  // Without the guard (it could not be made, the wait failed) the pass still runs, as it did
  // before passes took turns.
  if (!g_passGuard) return true;
  // The stops come first: when a stop and the turn are both there, the stop wins.
  HANDLE handles[3] = {abortEvent};
  DWORD stops = 1;
  if (g_events.stop) handles[stops++] = g_events.stop;
  handles[stops] = g_passGuard;
  const DWORD result = WaitForMultipleObjects(stops + 1, handles, FALSE, INFINITE);
  if (result < WAIT_OBJECT_0 + stops) return false;
  g_passGuardHeld = result == WAIT_OBJECT_0 + stops || result == WAIT_ABANDONED_0 + stops;
  return true;
}

void LeavePass() {
  if (g_passGuardHeld) ReleaseMutex(g_passGuard);
  g_passGuardHeld = false;
}

void StopPollers() {
  StopLotwise();
  StopSibling("Marrowby - Run", "Marrowby - Abort");
  StopSibling("Quillfen - Run", "Quillfen - Abort");
}
