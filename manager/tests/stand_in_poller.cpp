// Stands in for lotwise.exe in the manager's tests: appends its switches and its working
// directory, one line each, to "launch.txt" in that directory, and ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  std::FILE* record = std::fopen("launch.txt", "a");
  if (!record) return 1;
  std::fprintf(record, "%s\n%s\n", commandLine, folder);
  std::fclose(record);
  return 0;
}
