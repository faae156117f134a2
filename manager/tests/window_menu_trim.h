// The window menu as Windows shows it, for the guide's picture: a hook library that the test
// loads into the manager takes out what Wine adds to every window menu.
#pragma once

// Sent to the manager's window once the hook is set: the hook trims that window's menu.
constexpr char kTrimWindowMenuMessage[] = "Lotwise test: trim the window menu";
// Set on the window by the hook once it has trimmed the menu.
constexpr char kWindowMenuTrimmedProperty[] = "Lotwise test: window menu trimmed";
// The library, and its export that returns the WH_CALLWNDPROC hook procedure.
constexpr char kWindowMenuTrimLibrary[] = "window_menu_trim.dll";
constexpr char kWindowMenuTrimHookExport[] = "WindowMenuTrimHook";
