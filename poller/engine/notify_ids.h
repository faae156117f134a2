// Names and numbers of the continuous poller's notification-area icon: its window's class, the
// icon's callback message and id, and the menu's commands. Plain defines: lotwise.rc reads the
// icon's resource id from here too.
#pragma once

// The hidden top-level window that owns the icon; its text mirrors the icon's tooltip.
#define kNotifyWindowClass "LotwiseNotifyWindow"
// The program's icon (the manager's picture): the exe's own icon and the notification icon.
#define kPollerIconId 128

#define kNotifyIconId 1
// Sent by the shell for the icon (version 4: the event in LOWORD(lParam), the point in wParam).
#define kNotifyCallbackMessage (WM_APP + 1)
// Registered by the shell and sent to every top-level window when the taskbar is made anew.
#define kTaskbarCreatedMessageName "TaskbarCreated"

// The icon's menu.
#define kNotifyOpenManager 40001
#define kNotifySearchNow 40002
#define kNotifyStartAtLogon 40003
#define kNotifyStopWatching 40004
