// ManagerDialog and the watching line right of the banner: whether the continuous poller runs
// (its instance mark), when its last pass began, and the button that starts it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/pass_log_reader.h"
#include "common/poller_instance.h"
#include "common/unique_file.h"
#include "manager/core/watching_line.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"

namespace {

constexpr UINT_PTR kWatchingTimer = 1;
constexpr UINT kWatchingCheckMs = 3000;
// Long enough for a started poller to claim its mark on a busy machine.
constexpr DWORD kPollerStartGraceMs = 10000;

// The mark exists for as long as a continuous poller runs.
PollerMark FindPollerMark() {
  HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, kPollerMutexName);
  if (!mark) return GetLastError() == ERROR_ACCESS_DENIED ? PollerMark::Denied : PollerMark::Missing;
  CloseHandle(mark);  // never kept: holding it would keep the mark alive after the poller
  return PollerMark::Open;
}

}  // namespace

void ManagerDialog::StartWatchingTimer() { SetTimer(Handle(), kWatchingTimer, kWatchingCheckMs, nullptr); }

bool ManagerDialog::OnWatchingTimer(WPARAM timer) {
  if (timer != kWatchingTimer) return false;
  UpdateWatchingLine();
  return true;
}

void ManagerDialog::UpdateWatchingLine() {
  const bool watching = IsWatching(FindPollerMark());
  if (watching) RereadLastPass();
  if (startingPoller_ && (watching || GetTickCount() - startingSince_ >= kPollerStartGraceMs)) startingPoller_ = false;

  const std::string line = FormatWatchingLine(watching, lastPass_);
  // Set only when it changes: every setting repaints the line.
  if (ItemText(kWatchingLine) != line) SetItemText(kWatchingLine, line.c_str());
  EnableItem(kStartWatching, !startingPoller_);
  ShowItem(kStartWatching, !watching);
}

// The log is read again only when its write time or size has changed since the last reading:
// the line is checked every few seconds, and a log holds every item of a pass.
void ManagerDialog::RereadLastPass() {
  const std::string path = paths_.passLog;
  if (path != watchedLog_) {
    watchedLog_ = path;
    watchedLogTime_ = FILETIME{};
    watchedLogSize_ = ULARGE_INTEGER{};
    lastPass_.clear();
  }
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  // No log (yet): the time last read stands.
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) return;
  ULARGE_INTEGER size{};
  size.LowPart = attributes.nFileSizeLow;
  size.HighPart = attributes.nFileSizeHigh;
  if (CompareFileTime(&attributes.ftLastWriteTime, &watchedLogTime_) == 0 && size.QuadPart == watchedLogSize_.QuadPart)
    return;

  // Binary, as the results page reads it.
  UniqueFile log(std::fopen(path.c_str(), "rb"));
  if (!log) return;  // held by a writer that shares nothing: tried again at the next check
  PassLogContents contents;
  ReadPassLog(log.get(), contents);
  log.reset();
  watchedLogTime_ = attributes.ftLastWriteTime;
  watchedLogSize_ = size;
  // A pass that has only just begun its new log has no time yet: the last one stands.
  if (!contents.lastSearch.empty()) lastPass_ = contents.lastSearch;
}

void ManagerDialog::StartWatching() {
  // No switch: the continuous poller, in the shared folder like every launch from here.
  if (!LaunchPoller(nullptr)) return;
  startingPoller_ = true;
  startingSince_ = GetTickCount();
  EnableItem(kStartWatching, false);
}
