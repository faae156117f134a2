// ManagerApp: the program object of LotwiseMgr.exe; it runs the main window and ends, or hands
// over to the manager already running.
#include <windows.h>

#include "manager/manager_dialog.h"
#include "manager/manager_instance.h"
#include "manager/shortcut_removal.h"
#include "platform/application.h"

namespace {

class ManagerApp : public Application {
 protected:
  bool InitInstance() override {
    {
      UniqueHandle mark;
      if (!ClaimManagerInstance(mark)) {
        ShowRunningManager();
        return false;
      }
      ManagerDialog dialog;
      dialog.Run(nullptr);
    }  // the mark goes with the window: a manager started now opens its own
    FinishShortcutRemovals();
    return false;  // no message loop: the program ends with its window
  }
};

ManagerApp g_managerApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return Application::Current()->Start(instance); }
