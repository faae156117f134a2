// Command line parsing of the poller ("-r", "-t file", "-s", "-u", "-k", or none).
#include "poller/engine/core/command_line.h"

#include <cctype>
#include <cstring>

#include "common/text_scan.h"

namespace {
constexpr char kBlanks[] = " \t\n\r\v\f";  // what "%s" skips
}  // namespace

StartupSettings ParseCommandLine(const char* commandLine) {
  StartupSettings settings;
  // The word must follow the dash directly or after blanks ("-%s"); the dash itself comes first.
  if (!commandLine || commandLine[0] != '-') return settings;
  const char* letter = commandLine + 1 + std::strspn(commandLine + 1, kBlanks);
  if (*letter == '\0') return settings;

  switch (std::tolower(static_cast<unsigned char>(*letter))) {
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
      // The name follows the letter, directly or after blanks: "-tpage.html", "-t page.html" and
      // "- T  page.html" name the same page, and a word joined to the letter ("-test") names its
      // tail ("est"). A name cut to fit could name another, existing file: it is refused.
      char name[kStartupPathSize + 1];
      if (TextScan(letter + 1).Word(name, sizeof name)) {
        if (std::strlen(name) >= kStartupPathSize) return StartupSettings{PollerMode::PageNameTooLong};
        std::memcpy(settings.workingPageName, name, std::strlen(name) + 1);
      }
      break;
    }
    default: break;  // any other letter: continuous polling on the default search list
  }
  return settings;
}
