// libFuzzer target: any text as the poller's command line, against the switch rules done plainly.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/fuzz/fuzz_support.h"
#include "poller/engine/core/command_line.h"

namespace {

const char* SkipBlanks(const char* text) {
  while (*text && IsScanBlank(*text)) ++text;
  return text;
}

// The first word of text, whole; empty when there is none.
std::string FirstWord(const char* text) {
  const char* start = SkipBlanks(text);
  const char* end = start;
  while (*end && !IsScanBlank(*end)) ++end;
  return std::string(start, end);
}

StartupSettings Reference(const char* commandLine) {
  StartupSettings want;
  if (commandLine[0] != '-') return want;
  const char* letterAt = SkipBlanks(commandLine + 1);
  if (*letterAt == '\0') return want;
  char letter = *letterAt;
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  switch (letter) {
    case 's': want.mode = PollerMode::Settings; break;
    case 'u': want.mode = PollerMode::UpdateCheck; break;
    case 'k': want.mode = PollerMode::Stop; break;
    case 'r':
    case 't': {
      want.mode = PollerMode::OnePass;
      want.onePass = true;
      if (letter == 'r') break;
      want.testMode = true;
      // The page name is the first word after the switch letter; one that does not fit is refused.
      const std::string name = FirstWord(letterAt + 1);
      if (name.size() >= kStartupPathSize) return StartupSettings{PollerMode::PageNameTooLong};
      if (!name.empty()) std::memcpy(want.workingPageName, name.c_str(), name.size() + 1);
      break;
    }
    default: break;
  }
  return want;
}

template <std::size_t N>
bool Terminated(const char (&text)[N]) { return std::memchr(text, '\0', N) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A command line holds no NUL: the text ends at the first one.
  const std::string commandLine(reinterpret_cast<const char*>(data), size);
  const StartupSettings got = ParseCommandLine(commandLine.c_str());
  const StartupSettings want = Reference(commandLine.c_str());
  if (!Terminated(got.searchListPath) || !Terminated(got.workingPageName))
    FuzzFail("ParseCommandLine", "a path not terminated within its buffer");
  if (got.mode != want.mode || got.onePass != want.onePass || got.testMode != want.testMode ||
      std::strcmp(got.searchListPath, want.searchListPath) != 0 ||
      std::strcmp(got.workingPageName, want.workingPageName) != 0)
    FuzzFail("ParseCommandLine", Escaped(commandLine.c_str()) + " gave mode " + std::to_string(static_cast<int>(got.mode)) +
                                     " page " + Escaped(got.workingPageName));
  if (ParseCommandLine(nullptr).mode != PollerMode::Continuous) FuzzFail("ParseCommandLine", "no command line");
  return 0;
}
