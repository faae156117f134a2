// The continuous poller's instance mark: a named mutex that it holds for as long as it runs.
// The poller claims it; the manager only looks for it, to say whether Lotwise is watching.
#pragma once

constexpr const char kPollerMutexName[] = "Lotwise";

// The pass turn: a named mutex that each pass holds while it works on the shared files, so
// that passes take turns. The manager takes it too before it rewrites the blocked list.
constexpr const char kPassGuardName[] = "Lotwise Pass";
