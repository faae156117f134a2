// Test helper: changes a search list through the manager's own file operations, either many
// times over (beside a running poller) or once, ending the process abruptly at a chosen step.
//
//   search_list_churn LIST ROUNDS URL      per round: add a search of URL, change it, delete it
//   search_list_churn LIST OP STEP         OP add|change|delete on the last line, killed at STEP
//                                          (copy|replaced); OP alone runs it to its end
// Exit code: the number of operations that reported a failure (churn), 0/1 (one operation),
// 9 when killed at the step, 100 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/search_list.h"
#include "common/unique_file.h"

namespace {

RewriteStep g_stopAt;

void StopHere(RewriteStep step) {
  if (step == g_stopAt) TerminateProcess(GetCurrentProcess(), 9);
}

const char* churnUrl = "http://127.0.0.1:9/churn";

SearchTexts Texts(const char* description, int round) {
  SearchTexts t{};
  std::snprintf(t.description, sizeof t.description, "%s %d", description, round);
  std::snprintf(t.url, sizeof t.url, "%s?round=%d", churnUrl, round);
  std::snprintf(t.days, sizeof t.days, "0");
  std::snprintf(t.hours, sizeof t.hours, "0");
  std::snprintf(t.minutes, sizeof t.minutes, "%d", round % 60);
  std::snprintf(t.price, sizeof t.price, "%d.50", round);
  return t;
}

// The last line of the list and its number, as the manager's rows would hold them.
int LastLine(const char* path, std::string& last) {
  const UniqueFile file(OpenListForReading(path));
  if (!file) return 0;
  int lines = 0;
  for (std::string line; ReadFileLine(file.get(), kSearchListLineCap, line); ++lines) last = line;
  return lines;
}

int RunOnce(const char* list, const char* op) {
  std::string lastLine;
  const int last = LastLine(list, lastLine);
  bool ok = false;
  if (std::strcmp(op, "add") == 0) ok = AppendSearch(list, Texts("added", 1));
  else if (std::strcmp(op, "change") == 0) ok = ReplaceSearch(list, last, lastLine, Texts("changed", 2)) == RewriteResult::Done;
  else if (std::strcmp(op, "delete") == 0) ok = DeleteSearch(list, last, lastLine) == RewriteResult::Done;
  else return 100;
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 100;
  const char* list = argv[1];
  const int rounds = std::atoi(argv[2]);
  if (rounds > 0 && argc == 4) churnUrl = argv[3];
  if (rounds <= 0 && argc == 4) {
    g_stopAt = std::strcmp(argv[3], "copy") == 0 ? RewriteStep::CopyWritten : RewriteStep::ListReplaced;
    SetRewriteStepHook(StopHere);
  }
  if (rounds <= 0) return RunOnce(list, argv[2]);

  int failures = 0;
  for (int round = 0; round < rounds; ++round) {
    const SearchTexts added = Texts("churn", round);
    const SearchTexts changed = Texts("CHURN", round);
    if (!AppendSearch(list, added)) ++failures;
    std::string lastLine;
    const int last = LastLine(list, lastLine);
    if (ReplaceSearch(list, last, FormatAddForm(added), changed) != RewriteResult::Done) ++failures;
    if (DeleteSearch(list, last, FormatChangeForm(changed)) != RewriteResult::Done) ++failures;
  }
  return failures;
}
