// A hook library, loaded into the manager by the window test: on its message, removes Wine's
// "About Wine" item from the window's menu (Windows has none) and the separator that Wine puts
// before it, so the window menu looks as it does on Windows.
#include <windows.h>

#include <string>

#include "manager/tests/window_menu_trim.h"

namespace {

bool IsSeparator(HMENU menu, int position) {
  MENUITEMINFOA item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE;
  return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR);
}

// The item's text without its '&' marks.
std::string ItemText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  std::string plain;
  for (const char* c = text; *c; ++c)
    if (*c != '&') plain += *c;
  return plain;
}

void TrimWindowMenu(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
    if (ItemText(menu, position) != "About Wine") continue;
    DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (position > 0 && IsSeparator(menu, position - 1)) DeleteMenu(menu, static_cast<UINT>(position - 1), MF_BYPOSITION);
  }
  SetPropA(window, kWindowMenuTrimmedProperty, reinterpret_cast<HANDLE>(1));
}

LRESULT CALLBACK TrimWindowMenuHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == RegisterWindowMessageA(kTrimWindowMenuMessage)) TrimWindowMenu(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// Exported plainly (a stdcall export would carry its argument size in its name).
extern "C" __declspec(dllexport) HOOKPROC WindowMenuTrimHook() { return TrimWindowMenuHook; }
