// Application start-up and its message loop.
#include "platform/application.h"

#include <commctrl.h>

#include "platform/dialog.h"

namespace {
Application* g_currentApplication = nullptr;
}  // namespace

Application::Application() { g_currentApplication = this; }

Application::~Application() {
  if (g_currentApplication == this) g_currentApplication = nullptr;
}

Application* Application::Current() { return g_currentApplication; }

int Application::Start(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!InitInstance()) return 0;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (RouteDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
