// Shortcut removal: one short-lived thread per opened item, each waiting for its helper.
#include "manager/shortcut_removal.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/unique_handle.h"

namespace {

// How long the shell's helper may take to read the shortcut before it is removed.
constexpr DWORD kShortcutReadMs = 5000;

struct Removal {
  UniqueHandle helper;
  std::string path;
};

// The removal threads not yet seen to end; touched by the window's thread only.
std::vector<UniqueHandle> g_pendingRemovals;

DWORD WINAPI RemoveWhenRead(void* param) {
  const std::unique_ptr<Removal> removal(static_cast<Removal*>(param));
  // Without the helper's handle there is no telling when it has read the file: it gets the
  // whole time.
  if (removal->helper) {
    WaitForSingleObject(removal->helper.Get(), kShortcutReadMs);
  } else {
    Sleep(kShortcutReadMs);
  }
  DeleteFileA(removal->path.c_str());
  return 0;
}

}  // namespace

void RemoveShortcutWhenRead(HANDLE helper, const std::string& path) {
  g_pendingRemovals.erase(std::remove_if(g_pendingRemovals.begin(), g_pendingRemovals.end(),
                                       [](const UniqueHandle& thread) {
                                         return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
                                       }),
                        g_pendingRemovals.end());
  auto removal = std::make_unique<Removal>(Removal{UniqueHandle(helper), path});
  HANDLE thread = CreateThread(nullptr, 0, RemoveWhenRead, removal.get(), 0, nullptr);
  if (!thread) {
    DeleteFileA(path.c_str());  // no thread to wait on: gone at once rather than left behind
    return;
  }
  removal.release();  // the thread frees it
  g_pendingRemovals.emplace_back(thread);
}

void FinishShortcutRemovals() {
  for (const UniqueHandle& thread : g_pendingRemovals) WaitForSingleObject(thread.Get(), INFINITE);
  g_pendingRemovals.clear();
}
