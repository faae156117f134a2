// The polling loop: passes over the search list until stopped.
#pragma once
#include <windows.h>

#include "poller/engine/core/command_line.h"

// Returns the process exit code: 0, or -1 when the search list or the pass log cannot be opened.
int RunPoller(const StartupSettings& settings, HANDLE abortEvent);
