// Held messages: a message box waits for the user, and while a pass waits, so do the passes
// of the other process queued behind its turn. Each distinct text is shown once per pass.
#include "poller/engine/held_messages.h"

#include <windows.h>

#include <algorithm>

void HeldMessages::Hold(const std::string& text, const char* caption) {
  const bool known = std::any_of(held_.begin(), held_.end(), [&text](const Message& m) { return m.text == text; });
  if (!known) held_.push_back({text, caption});
}

void HeldMessages::ShowAll() {
  for (const Message& message : held_) MessageBoxA(nullptr, message.text.c_str(), message.caption.c_str(), MB_OK);
  held_.clear();
}
