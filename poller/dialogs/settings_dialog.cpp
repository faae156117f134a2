// PLACEHOLDER until the settings dialog lands: template 101 is not in the resources yet, so
// DialogBoxParamA fails and "-s" reports "Failure in creating main dialog window".
#include "poller/dialogs/settings_dialog.h"

INT_PTR CALLBACK SettingsDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
