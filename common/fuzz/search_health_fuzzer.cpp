// libFuzzer target: any bytes as a search health file through its reader, against a plain
// split of the lines; what is read writes back byte for byte, and a pass folded into it (or
// into nothing, for a refused file) gives one well-formed line per search.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/fuzz/fuzz_support.h"
#include "common/search_health_file.h"
#include "common/search_health_update.h"

namespace {

const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

// The plain reading of one line: split at every tab; the last five pieces are the fields and
// whatever comes before them, tabs and all, is the description.
bool PlainSplit(const std::string& line, std::string* description, std::vector<std::string>* fields) {
  std::vector<std::string> pieces(1);
  for (char c : line) {
    if (c == '\t') {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  if (pieces.size() < 6) return false;
  fields->assign(pieces.end() - 5, pieces.end());
  description->clear();
  for (std::size_t i = 0; i + 5 < pieces.size(); ++i) *description += (i ? "\t" : "") + pieces[i];
  return true;
}

void CheckRecord(const SearchHealth& health, const std::string& line) {
  std::string description;
  std::vector<std::string> fields;
  if (!PlainSplit(line, &description, &fields)) FuzzFail("line accepted", "fewer than six fields: " + Escaped(line));
  if (health.description != description || health.address != fields[0] || FormatOutcome(health.outcome) != fields[1] ||
      std::to_string(health.passesInRow) != fields[2] || health.lastItemsFound != fields[3] ||
      (health.warned ? "1" : "0") != fields[4])
    FuzzFail("line read", Escaped(line) + " | read " + Escaped(FormatHealthLine(health)));
  if (health.passesInRow < 1 || health.passesInRow > kHealthMostPassesInRow) FuzzFail("passes in a row", Escaped(line));
}

// The reader on any bytes: accepted only when every line is whole and reads; read records
// write back as the same lines with CR LF ends.
std::vector<SearchHealth> CheckAnyFile(const std::string& bytes) {
  std::vector<SearchHealth> records;
  const bool accepted = ParseHealthFile(bytes, &records);

  std::vector<std::string> lines;
  bool whole = true;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      whole = false;
      break;
    }
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  bool everyLineReads = whole;
  for (const std::string& line : lines) {
    SearchHealth health;
    everyLineReads = everyLineReads && ParseHealthLine(line, &health);
  }
  if (accepted != everyLineReads) FuzzFail("ParseHealthFile", accepted ? "took a damaged file" : "refused a good file");
  if (!accepted) {
    if (!records.empty()) FuzzFail("ParseHealthFile", "records from a refused file");
    return {};
  }
  if (records.size() != lines.size()) FuzzFail("ParseHealthFile", "record count");
  std::string written;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    CheckRecord(records[i], lines[i]);
    written += lines[i] + "\r\n";
  }
  if (FormatHealthFile(records) != written) FuzzFail("FormatHealthFile", "not the lines read");

  // Through the disk, the loader agrees.
  const std::string path = Scratch().File(kSearchHealthName);
  WriteFileOrFail(path, bytes);
  std::vector<SearchHealth> loaded;
  if (LoadSearchHealth(path.c_str(), &loaded) != HealthFileRead::Read || FormatHealthFile(loaded) != written)
    FuzzFail("LoadSearchHealth", "differs from ParseHealthFile");
  return records;
}

SearchOutcome AnyOutcome(FuzzedDataProvider& provider) {
  SearchOutcome outcome;
  outcome.kind = static_cast<OutcomeKind>(provider.ConsumeIntegralInRange(0, 2));
  if (outcome.kind == OutcomeKind::Items) outcome.items = provider.ConsumeIntegralInRange<long>(1, 1000000);
  outcome.cause = static_cast<FailureCause>(provider.ConsumeIntegralInRange(0, 5));
  if (outcome.cause == FailureCause::Status) outcome.status = provider.ConsumeIntegralInRange(400, 999);
  return outcome;
}

// A pass of searches, some of them those of the file, folded in and written: one line per
// search, each reading back, and every warning about a search that is warned now.
void CheckPass(FuzzedDataProvider& provider, const std::vector<SearchHealth>& previous) {
  std::vector<SearchPassResult> pass;
  const int searches = provider.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < searches; ++i) {
    SearchPassResult result;
    if (!previous.empty() && provider.ConsumeBool()) {
      const SearchHealth& known = previous[provider.ConsumeIntegralInRange<std::size_t>(0, previous.size() - 1)];
      result.search = {known.description, known.address};
    } else {
      result.search.description = provider.ConsumeRandomLengthString(40);
      for (char& c : result.search.description)
        if (c == '\n' || c == '\0') c = '_';
      result.search.address = "http://h/" + std::to_string(i);
    }
    result.outcome = AnyOutcome(provider);
    pass.push_back(result);
  }
  const HealthUpdate update = UpdateSearchHealth(previous, pass, "12/06/26 10:00:00");
  if (update.records.size() != pass.size()) FuzzFail("UpdateSearchHealth", "not one record per search");
  std::vector<SearchHealth> back;
  if (!ParseHealthFile(FormatHealthFile(update.records), &back) || back.size() != pass.size())
    FuzzFail("UpdateSearchHealth", "records that do not read back");
  for (std::size_t i = 0; i < back.size(); ++i) {
    if (back[i].outcome.kind == OutcomeKind::Items && (back[i].warned || back[i].lastItemsFound == kHealthNeverFound))
      FuzzFail("UpdateSearchHealth", "items found but still warned: " + Escaped(FormatHealthLine(back[i])));
  }
  std::size_t warnedNow = 0;
  for (const SearchHealth& health : back) warnedNow += health.warned ? 1 : 0;
  if (update.warnings.size() > warnedNow) FuzzFail("UpdateSearchHealth", "a warning about a search not warned");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Scratch().Clear();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<SearchHealth> records = CheckAnyFile(bytes);
  FuzzedDataProvider provider(data, size);
  CheckPass(provider, records);
  return 0;
}
