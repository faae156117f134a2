// Instance marks, stop events and the stop command.
#include "poller/engine/instance_control.h"

#include "platform/unique_handle.h"

namespace {

PollerEvents g_events;
HANDLE g_passGuard = nullptr;
bool g_passGuardHeld = false;

bool ClaimMutex(const char* name) {
  CreateMutexA(nullptr, FALSE, name);  // deliberately never closed
  DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

HANDLE CreateManualEvent(const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); }

void StopProduct(const char* runEventName, const char* abortEventName) {
  UniqueHandle run(CreateManualEvent(runEventName));
  DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) return;
  UniqueHandle abort(CreateManualEvent(abortEventName));
  if (abort) SetEvent(abort.Get());
  if (run) WaitForSingleObject(run.Get(), kStopWaitMs);
}

}  // namespace

bool IsPollerRunning() { return ClaimMutex(kPollerMutexName); }
bool IsPassRunning() { return ClaimMutex(kPassMutexName); }

PollerEvents CreatePollerEvents() {
  g_events.abort = CreateManualEvent(kAbortEventName);
  g_events.run = CreateManualEvent(kRunEventName);
  return g_events;
}

const PollerEvents& CurrentPollerEvents() { return g_events; }

void SignalStopped() {
  ResetEvent(g_events.abort);
  SetEvent(g_events.run);
}

bool EnterPass(HANDLE abortEvent) {
  if (!g_passGuard) g_passGuard = CreateMutexA(nullptr, FALSE, kPassGuardName);  // kept for the process
  // Without the guard (it could not be made, the wait failed) the pass still runs, as it did
  // before passes took turns.
  if (!g_passGuard) return true;
  // The abort event comes first: when both are set, the stop wins.
  const HANDLE handles[] = {abortEvent, g_passGuard};
  const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (result == WAIT_OBJECT_0) return false;
  g_passGuardHeld = result == WAIT_OBJECT_0 + 1 || result == WAIT_ABANDONED_0 + 1;
  return true;
}

void LeavePass() {
  if (g_passGuardHeld) ReleaseMutex(g_passGuard);
  g_passGuardHeld = false;
}

void StopPollers() {
  StopProduct(kRunEventName, kAbortEventName);
  StopProduct("Marrowby - Run", "Marrowby - Abort");
  StopProduct("Quillfen - Run", "Quillfen - Abort");
}
