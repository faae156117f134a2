// The settings dialog (template 101), shown by "-s".
#pragma once
#include <windows.h>

// Shows the dialog modally without an owner. Returns kSettingsSave or IDCANCEL, or -1 when it
// could not be created.
INT_PTR ShowSettingsDialog();

// The dialog procedure, run by ShowSettingsDialog (it forwards to the dialog's object).
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
