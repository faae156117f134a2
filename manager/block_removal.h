// "Alert me again": lifting an item's block on a thread of its own, inside the pass turn, so
// that no lookup prunes the blocked list while it is rewritten and the window never waits.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "platform/unique_handle.h"

enum class BlockRemovalOutcome {
  Lifted,     // every entry of the item is gone from the list (or there was none left)
  Failed,     // the list could not be read or rewritten: it is as it was
  NoTurn,     // the pass turn could not be waited for
  CalledOff,  // called off before it began: nothing was written
};

class BlockRemoval {
 public:
  // What the thread posts to the window as the message's wParam.
  static constexpr WPARAM kWaiting = 0;  // a pass holds the turn: the removal waits for it
  static constexpr WPARAM kDone = 1;     // Outcome() is ready

  // Starts the thread; null when it could not be started. list and temp are the blocked list's
  // paths; message is posted to window as the removal goes.
  static std::unique_ptr<BlockRemoval> Start(HWND window, UINT message, const std::string& id,
                                             const std::string& list, const std::string& temp);
  // Calls off the removal unless it has begun, which then completes, and waits for the thread.
  ~BlockRemoval();
  BlockRemoval(const BlockRemoval&) = delete;
  BlockRemoval& operator=(const BlockRemoval&) = delete;

  const std::string& Id() const { return id_; }
  // The same as the destructor, the outcome kept: CalledOff when it had not begun.
  BlockRemovalOutcome Finish();

 private:
  BlockRemoval(HWND window, UINT message, const std::string& id, const std::string& list, const std::string& temp);
  static DWORD WINAPI Run(void* self);
  BlockRemovalOutcome Remove();

  HWND window_;
  UINT message_;
  std::string id_;
  std::string list_;
  std::string temp_;
  UniqueHandle cancel_;
  UniqueHandle thread_;
  // Written by the thread before it ends, read once it has.
  BlockRemovalOutcome outcome_ = BlockRemovalOutcome::CalledOff;
};
