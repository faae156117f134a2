// The program object of a dialog application: one static instance, started from WinMain.
#pragma once
#include <windows.h>

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The one instance of the program, or null before it is built.
  static Application* Current();
  HINSTANCE Instance() const { return instance_; }

  // Called once by WinMain: initialises the common controls, runs InitInstance and, when it
  // asks for one, a message loop. Returns the program's exit code.
  int Start(HINSTANCE instance);

 protected:
  // The program's start-up. True runs a message loop until WM_QUIT; false ends the program.
  virtual bool InitInstance() = 0;

 private:
  HINSTANCE instance_ = nullptr;
};
