// The framework's per-process initialisation, which its internet classes rely on.
#pragma once
#include <windows.h>

// Checks that the given module belongs to this process and that the internet layer is loaded.
// Safe to call any number of times; false when the framework cannot be used in this process.
bool InitFramework(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showState);
