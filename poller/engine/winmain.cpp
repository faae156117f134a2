// lotwise.exe entry: decides the process's mode from its command line, takes its instance mark,
// creates the stop events and hands over to the polling loop.
#include <windows.h>
#include <commctrl.h>

#include "poller/dialogs/settings_dialog.h"
#include "poller/engine/core/command_line.h"
#include "poller/engine/instance_control.h"
#include "poller/engine/notify_icon.h"
#include "poller/engine/run_poller.h"
#include "poller/engine/start_at_logon.h"
#include "poller/fetch/update_check.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  InitCommonControls();
  const StartupSettings settings = ParseCommandLine(commandLine);

  switch (settings.mode) {
    case PollerMode::Settings:
      if (ShowSettingsDialog() == -1)
        MessageBoxA(nullptr, "Failure in creating main dialog window", "Error", MB_OK);
      return 0;
    case PollerMode::UpdateCheck:
      CheckForUpdate();
      return 0;
    case PollerMode::Stop:
      StopPollers();
      return 0;
    case PollerMode::PageNameTooLong:
      MessageBoxA(nullptr, "The file name is too long.", "Error", MB_OK);
      return 1;
    case PollerMode::OnePass:
      if (IsPassRunning()) return 0;
      break;
    case PollerMode::Continuous:
      // The Startup shortcut is every user's: for a user who turned starting at logon off, the
      // poller it starts ends here without a word, before it takes the mark.
      if (StartedByStartupShortcut() && !IsStartAtLogonOn()) return 0;
      if (IsPollerRunning()) {
        MessageBoxA(nullptr, "Lotwise Already Running. Can only have one running process", "Error", MB_OK);
        return 0;
      }
      break;
  }

  const PollerEvents events = CreatePollerEvents();
  // Only the continuous poller shows an icon. It is deleted whenever RunPoller returns: after a
  // stop, an abort, or the message that ends the poller.
  PollerNotifyIcon icon;
  if (settings.mode == PollerMode::Continuous) icon.Start(events.stop);
  return RunPoller(settings, events.abort);
}
