// The block removal's thread: the turn, the cancel event, and the rewrite of the list.
#include "manager/block_removal.h"

#include "common/blocked_auctions.h"
#include "common/poller_instance.h"

std::unique_ptr<BlockRemoval> BlockRemoval::Start(HWND window, UINT message, const std::string& id,
                                                  const std::string& list, const std::string& temp) {
  std::unique_ptr<BlockRemoval> removal(new BlockRemoval(window, message, id, list, temp));
  if (!removal->cancel_) return nullptr;
  removal->thread_.Reset(CreateThread(nullptr, 0, Run, removal.get(), 0, nullptr));
  if (!removal->thread_) return nullptr;
  return removal;
}

BlockRemoval::BlockRemoval(HWND window, UINT message, const std::string& id, const std::string& list,
                           const std::string& temp)
    : window_(window),
      message_(message),
      id_(id),
      list_(list),
      temp_(temp),
      cancel_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

BlockRemoval::~BlockRemoval() { Finish(); }

BlockRemovalOutcome BlockRemoval::Finish() {
  if (thread_) {
    SetEvent(cancel_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  return outcome_;
}

DWORD WINAPI BlockRemoval::Run(void* param) {
  auto* self = static_cast<BlockRemoval*>(param);
  self->outcome_ = self->Remove();
  PostMessageA(self->window_, self->message_, kDone, 0);
  return 0;
}

BlockRemovalOutcome BlockRemoval::Remove() {
  // Created when no pass has made it yet, as a pass would find it then.
  const UniqueHandle turn(CreateMutexA(nullptr, FALSE, kPassGuardName));
  if (!turn) return BlockRemovalOutcome::NoTurn;
  // The cancel event first: when both are set, the removal is called off rather than begun.
  const HANDLE handles[] = {cancel_.Get(), turn.Get()};
  DWORD got = WaitForMultipleObjects(2, handles, FALSE, 0);
  if (got == WAIT_TIMEOUT) {
    PostMessageA(window_, message_, kWaiting, 0);
    got = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  }
  if (got == WAIT_OBJECT_0) return BlockRemovalOutcome::CalledOff;
  // A pass that died holding the turn leaves it abandoned: the list mends itself at the next
  // step that reads it, so the turn is as good as given back.
  if (got != WAIT_OBJECT_0 + 1 && got != WAIT_ABANDONED_0 + 1) return BlockRemovalOutcome::NoTurn;
  const Unblocked result = UnblockItem(id_.c_str(), BlockListFiles{list_.c_str(), temp_.c_str()});
  // Given back by the thread that holds it, as a mutex must be.
  ReleaseMutex(turn.Get());
  return result == Unblocked::Failed ? BlockRemovalOutcome::Failed : BlockRemovalOutcome::Lifted;
}
