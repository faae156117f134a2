// Command line parsing of the poller ("-r", "-t file", "-s", "-u", "-k", or none).
#include "poller/engine/command_line.h"

#include <cctype>

#include "common/text_scan.h"

StartupSettings ParseCommandLine(const char* commandLine) {
  StartupSettings settings;
  // The word must follow the dash directly or after blanks ("-%s"); the dash itself comes first.
  if (!commandLine || commandLine[0] != '-') return settings;
  char word[kStartupPathSize];
  if (!TextScan(commandLine + 1).Word(word, sizeof word)) return settings;

  switch (std::tolower(static_cast<unsigned char>(word[0]))) {
    case 's': settings.mode = PollerMode::Settings; break;
    case 'u': settings.mode = PollerMode::UpdateCheck; break;
    case 'k': settings.mode = PollerMode::Stop; break;
    case 'r':
      settings.mode = PollerMode::OnePass;
      settings.onePass = true;
      break;
    case 't': {
      settings.mode = PollerMode::OnePass;
      settings.onePass = true;
      settings.testMode = true;
      // The name is scanned from the third character of the command line, so "-tpage.html",
      // "-t page.html" and "-T  page.html" name the same page. A word letter-joined to the dash
      // ("-test") yields its tail ("est"): only the first letter is the switch.
      if (commandLine[1] != '\0') TextScan(commandLine + 2).Word(settings.workingPageName, kStartupPathSize);
      break;
    }
    default: break;  // any other letter: continuous polling on the default search list
  }
  return settings;
}
