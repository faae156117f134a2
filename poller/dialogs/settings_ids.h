// Control identifiers of the settings dialog (template kSettingsDialogId); Cancel is IDCANCEL.
#pragma once

#define kSettingsEmailAddress 1001
#define kSettingsRunInterval 1003
#define kSettingsSave 1004
#define kSettingsPopupMessages 1005
#define kSettingsEmailMessages 1006
#define kSettingsBrowserButton 1007
