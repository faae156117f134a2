// Messages for the user that come up while a pass holds its turn, shown once it is given back.
#pragma once
#include <string>
#include <vector>

class HeldMessages {
 public:
  // Keeps a message for later; a text already held is not kept twice.
  void Hold(const std::string& text, const char* caption);
  // Shows each held message in a message box (no owner, OK), in the order they were first
  // held, and forgets them.
  void ShowAll();
  // Forgets them unshown.
  void Clear() { held_.clear(); }

 private:
  struct Message {
    std::string text;
    std::string caption;
  };
  std::vector<Message> held_;
};
