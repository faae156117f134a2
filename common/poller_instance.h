// The continuous poller's instance mark: a named mutex that it holds for as long as it runs.
// The poller claims it; the manager only looks for it, to say whether Lotwise is watching.
#pragma once

constexpr const char kPollerMutexName[] = "Lotwise";
