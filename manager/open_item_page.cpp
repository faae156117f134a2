// Opening an item's page through an Internet shortcut file.
#include "manager/open_item_page.h"

#include <windows.h>
#include <shellapi.h>

#include "common/item_page.h"
#include "common/settings_store.h"
#include "manager/core/item_shortcut.h"
#include "manager/shortcut_removal.h"
#include "platform/unique_handle.h"

void OpenItemPage(const std::string& id) {
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
