// Drives the real dialogs of the programs under test from another process, by control id.
// Every wait is bounded; what a failed wait saw on screen goes into the test's failure text.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

constexpr DWORD kDefaultWaitMs = 10000;

// A top-level window with the given caption (and window class, "#32770" for dialogs and
// message boxes), waited for up to timeoutMs. Null when none appeared.
HWND WaitForWindow(const char* caption, DWORD timeoutMs = kDefaultWaitMs, const char* windowClass = "#32770");
// True when no such window exists any more within timeoutMs.
bool WaitForWindowGone(const char* caption, DWORD timeoutMs = kDefaultWaitMs, const char* windowClass = "#32770");
// A top-level window of that caption right now, or null.
HWND FindTopWindow(const char* caption, const char* windowClass = "#32770");

std::string WindowText(HWND window);
std::string Text(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::string& text);
void Click(HWND dialog, int id);  // WM_COMMAND / BN_CLICKED, as the control itself sends it
// The same click posted: returns at once, for a click that opens a modal message box (a sent
// click would wait for that box, and the test could never answer it).
void PostClick(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);
bool IsEnabled(HWND dialog, int id);
bool IsVisible(HWND dialog, int id);

// List box rows (the list must keep strings) and the selection.
std::vector<std::string> ListRows(HWND dialog, int id);
int ListSelection(HWND dialog, int id);
// Selects a row and tells the owner, as a click would (LB_SETCURSEL alone sends no notice).
void SelectRow(HWND dialog, int id, int row);
void DoubleClickRow(HWND dialog, int id, int row);

// A message box as seen on screen: its caption, its text and its buttons' texts and ids.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<std::pair<int, std::string>> buttons;
  std::string Describe() const;
};
MessageBoxSeen ReadMessageBox(HWND box);
// Waits for a message box with this caption, reads it and presses buttonId. The returned box
// has a null window when none appeared in time.
MessageBoxSeen AnswerMessageBox(const char* caption, int buttonId, DWORD timeoutMs = kDefaultWaitMs);

// Every visible top-level window with its class, caption, rectangle and child controls:
// what a failing wait reports.
std::string DescribeScreen();

}  // namespace ui
