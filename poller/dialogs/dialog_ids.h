// Resource and control identifiers of the poller's dialogs (fixed: tests and users rely on them).
#pragma once

#define kSettingsDialogId 101
#define kAlertDialogId 113
