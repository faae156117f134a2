// ManagerDialog, the Search Results page: the items of the last pass from the pass log, and
// opening an item's page through an Internet shortcut file.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "common/item_page.h"
#include "common/pass_log_reader.h"
#include "common/settings_store.h"
#include "common/unique_file.h"
#include "manager/core/item_shortcut.h"
#include "manager/core/result_rows.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"
#include "manager/shortcut_removal.h"
#include "platform/unique_handle.h"

void ManagerDialog::LoadResults() {
  results_.Clear();
  ResolvePaths(paths_);
  // Binary: a Ctrl-Z byte in a logged description would end a text-mode read there, and every
  // later item would be missing. The reader drops the CR of each line end.
  UniqueFile log(std::fopen(paths_.passLog, "rb"));
  results_.SetTabStops({kResultsTabStop});
  if (!log) return;
  PassLogContents contents;
  ReadPassLog(log.get(), contents);
  log.reset();  // not held while the rows are drawn: the next pass rewrites it

  // Measured in the window's own device context and font, so the column is approximate.
  HDC dc = GetDC(Handle());
  const auto measure = [dc](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  for (const LoggedItem& item : contents.items) {
    const std::string padded = PadToWidth(item.description, kResultsDescriptionColumnPixels, measure);
    const std::string row = FormatResultRow(item, padded);
    results_.AddColored(row.c_str(), ResultColor(item));
  }
  ReleaseDC(Handle(), dc);
  if (!contents.lastSearch.empty()) SetItemText(kLastSearchedDate, contents.lastSearch.c_str());
}

void ManagerDialog::OpenResultItem() {
  const int selected = results_.Selected();
  if (selected < 0) return;
  const std::string id = RowItemId(results_.Text(selected));
  std::string fileName;
  // An id that could name a file elsewhere (a path, "..", a device) opens nothing.
  if (!ShortcutFileName(id, fileName)) return;
  // In the user's temporary folder, by its full name (the shell may hand it to another process):
  // the manager's current folder is the installation folder when it is started from the Start
  // menu, and there a virtualised manager's file would land in its VirtualStore, where the
  // unvirtualised program that opens .url files would not find it.
  char path[MAX_PATH];
  const DWORD folderLength = GetTempPathA(sizeof path, path);
  if (folderLength == 0 || folderLength + fileName.size() >= sizeof path) return;
  lstrcpynA(path + folderLength, fileName.c_str(), static_cast<int>(sizeof path - folderLength));

  const std::string address = FormatItemPageAddress(ReadItemHost().c_str(), id.c_str());
  const auto openAddress = [&address] {
    ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  // Only a file made here is written and removed again; one of that name that the user had,
  // or a folder where none can be made, leaves the address itself to the shell.
  UniqueHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    openAddress();
    return;
  }
  const std::string text = ShortcutFileText(address);
  DWORD written = 0;
  const bool whole = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                     written == text.size();
  file.Reset();
  if (!whole) {
    DeleteFileA(path);
    openAddress();
    return;
  }

  SHELLEXECUTEINFOA open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOCLOSEPROCESS;
  open.lpFile = path;
  open.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&open)) {
    DeleteFileA(path);
    openAddress();
    return;
  }
  // When the shell hands the file to a program of its own, that program must have read it
  // before it goes; the window does not wait for that.
  RemoveShortcutWhenRead(open.hProcess, path);
}
