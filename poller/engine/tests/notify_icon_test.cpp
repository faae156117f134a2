// The notification-area icon inside this process, under Wine: added with its window, its menu,
// and deleted while the window still exists. Wine drops the icons of destroyed windows itself,
// so only a look from inside, before the window goes, shows that the poller deletes its icon.
// What the icon shows across passes and what its commands do are tested on the real poller.
#include "poller/engine/notify_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "poller/engine/notify_ids.h"
#include "tests/support/icon_probe.h"

using testing_support::IconExists;

namespace {

std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// What the window's own procedure saw as it was being destroyed.
WNDPROC g_procedure = nullptr;
bool g_destroyed = false;
bool g_aliveAtDestroy = false;
bool g_iconAtDestroy = true;

LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    g_destroyed = true;
    g_aliveAtDestroy = IsWindow(window) != FALSE;
    g_iconAtDestroy = IconExists(window);
  }
  return CallWindowProcA(g_procedure, window, message, wParam, lParam);
}

}  // namespace

TEST(NotifyIcon, StartAddsTheIconToAHiddenTopLevelWindowAndStopDeletesItBeforeTheWindowGoes) {
  // Without an icon, the polling loop's calls do nothing (one-pass runs make them too).
  NotifyPassBegun({"\"a\" http://x/ 0 0 1 1"});
  NotifyPassEnded(30, 0);

  PollerNotifyIcon icon;
  ASSERT_TRUE(icon.Start(nullptr));
  const HWND window = FindWindowA(kNotifyWindowClass, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, icon.Window());
  EXPECT_TRUE(IconExists(window));
  EXPECT_FALSE(IsWindowVisible(window));
  // Top-level, not message-only: only top-level windows hear "TaskbarCreated".
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId()) << "the window has a thread of its own";
  EXPECT_EQ(Text(window), "Lotwise\nPass in progress");

  g_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchDestroy)));
  ASSERT_NE(g_procedure, nullptr);
  icon.Stop();
  EXPECT_TRUE(g_destroyed);
  EXPECT_TRUE(g_aliveAtDestroy);
  EXPECT_FALSE(g_iconAtDestroy) << "the icon was left to the shell";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(icon.Window(), nullptr);

  // A second start in one process (the class is registered already) works as the first.
  ASSERT_TRUE(icon.Start(nullptr));
  EXPECT_TRUE(IconExists(icon.Window()));
  EXPECT_EQ(Text(icon.Window()), "Lotwise\nPass in progress");
}

TEST(NotifyIcon, TheMenuOffersTheManagerAPassStartingAtLogonAndStopping) {
  for (bool startAtLogon : {true, false}) {
    const HMENU menu = CreateNotifyMenu(startAtLogon);
    ASSERT_NE(menu, nullptr);
    const struct {
      UINT id;
      const char* text;
    } expected[] = {
        {kNotifyOpenManager, "&Open Lotwise Manager"}, {kNotifySearchNow, "&Search now"}, {0, ""},
        {kNotifyStartAtLogon, "Start at &logon"},      {0, ""},                           {kNotifyStopWatching, "S&top watching"},
    };
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    for (int i = 0; i < 6; ++i) {
      char text[64] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      EXPECT_EQ(GetMenuItemID(menu, i), expected[i].id) << i;  // 0 for a separator
      EXPECT_STREQ(text, expected[i].text);
      EXPECT_EQ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0, expected[i].id == 0) << i;
    }
    EXPECT_EQ((GetMenuState(menu, kNotifyStartAtLogon, MF_BYCOMMAND) & MF_CHECKED) != 0, startAtLogon);
    EXPECT_EQ(GetMenuState(menu, kNotifySearchNow, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(kNotifyOpenManager));
    DestroyMenu(menu);
  }
}
