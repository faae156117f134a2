// UI driver: cross-process window lookup, control text, clicks, list rows and message boxes.
#include "tests/uidriver/ui_driver.h"

#include <cstdio>

namespace ui {
namespace {

constexpr DWORD kPollMs = 25;

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct FindRequest {
  const char* caption;
  const char* windowClass;
  HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<FindRequest*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  if (request->windowClass && ClassName(window) != request->windowClass) return TRUE;
  if (WindowText(window) != request->caption) return TRUE;
  request->found = window;
  return FALSE;
}

}  // namespace

HWND FindTopWindow(const char* caption, const char* windowClass) {
  FindRequest request{caption, windowClass, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND WaitForWindow(const char* caption, DWORD timeoutMs, const char* windowClass) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindTopWindow(caption, windowClass)) return window;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitForWindowGone(const char* caption, DWORD timeoutMs, const char* windowClass) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (!FindTopWindow(caption, windowClass)) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

std::string WindowText(HWND window) {
  // WM_GETTEXT crosses processes; GetWindowText would not read another process's controls.
  char text[4096] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void SetText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostClick(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsChecked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
  SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool IsVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

std::vector<std::string> ListRows(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  std::vector<std::string> rows;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Wine 8 answers the A form with UTF-16 across processes; ask for UTF-16 and narrow it.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) break;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(wcslen(wide.c_str()));
    std::string row(wide.size(), '\0');
    for (size_t k = 0; k < wide.size(); ++k) row[k] = static_cast<char>(wide[k] & 0xFF);
    rows.push_back(row);
  }
  return rows;
}

int ListSelection(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0));
}

void SelectRow(HWND dialog, int id, int row) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, LB_SETCURSEL, row, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void DoubleClickRow(HWND dialog, int id, int row) {
  SelectRow(dialog, id, row);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string MessageBoxSeen::Describe() const {
  if (!window) return "no message box";
  std::string text = "message box \"" + caption + "\": \"" + this->text + "\" buttons:";
  for (const auto& button : buttons) text += " [" + std::to_string(button.first) + " " + button.second + "]";
  return text;
}

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.window = box;
  seen.caption = WindowText(box);
  seen.text = Text(box, 0xFFFF);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == "Button" && IsWindowVisible(child))
      seen.buttons.emplace_back(GetDlgCtrlID(child), WindowText(child));
  }
  return seen;
}

MessageBoxSeen AnswerMessageBox(const char* caption, int buttonId, DWORD timeoutMs) {
  HWND box = WaitForWindow(caption, timeoutMs);
  if (!box) return {};
  MessageBoxSeen seen = ReadMessageBox(box);
  Click(box, buttonId);
  return seen;
}

namespace {
BOOL CALLBACK DescribeChild(HWND child, LPARAM param) {
  auto* out = reinterpret_cast<std::string*>(param);
  char line[512];
  std::snprintf(line, sizeof line, "    id %d %s%s \"%s\"\n", GetDlgCtrlID(child), ClassName(child).c_str(),
                IsWindowVisible(child) ? "" : " (hidden)", WindowText(child).c_str());
  *out += line;
  return TRUE;
}

BOOL CALLBACK DescribeTop(HWND window, LPARAM param) {
  if (!IsWindowVisible(window)) return TRUE;
  auto* out = reinterpret_cast<std::string*>(param);
  RECT r{};
  GetWindowRect(window, &r);
  char line[512];
  std::snprintf(line, sizeof line, "  window %s \"%s\" at %ld,%ld-%ld,%ld\n", ClassName(window).c_str(),
                WindowText(window).c_str(), r.left, r.top, r.right, r.bottom);
  *out += line;
  EnumChildWindows(window, DescribeChild, param);
  return TRUE;
}
}  // namespace

std::string DescribeScreen() {
  std::string out = "on screen:\n";
  EnumWindows(DescribeTop, reinterpret_cast<LPARAM>(&out));
  return out;
}

}  // namespace ui
