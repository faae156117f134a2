// Whether a search's address is one the poller can watch.
#pragma once
#include <string>

// The editor's refusal, caption "Error".
constexpr const char kOnlyHttpMessage[] = "Lotwise can only watch addresses that begin with http://";

// True when the address begins with "http://" in any case. The poller downloads nothing else,
// and would stop on a message at every pass for an address such as "https://...".
bool IsWatchableAddress(const std::string& url);
