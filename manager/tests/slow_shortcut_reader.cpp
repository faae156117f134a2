// Stands in for the shell's helper that opens an Internet shortcut: registered as the handler
// of .url files, it takes its time, as a browser starting up would, then appends what the
// shortcut held (or "missing") to the record file.
//   slow_shortcut_reader DELAY_MS RECORD SHORTCUT
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) return 100;
  Sleep(static_cast<DWORD>(std::atoi(argv[1])));
  std::string content = "missing";
  if (std::FILE* shortcut = std::fopen(argv[3], "rb")) {
    content.clear();
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, shortcut)) > 0;) content.append(buffer, n);
    std::fclose(shortcut);
  }
  std::FILE* record = std::fopen(argv[2], "ab");
  if (!record) return 1;
  std::fwrite(content.data(), 1, content.size(), record);
  std::fclose(record);
  return 0;
}
