// libFuzzer target: any bytes as a bargain history, through the reader and the cap. The
// entries are those of the whole lines that read, in file order; each formats back to its
// line byte for byte; the FILE* reader agrees; the cap leaves a short file alone. An entry
// made from the input writes a line that reads back as the cleaned entry.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/alert_history.h"
#include "common/alert_history_cap.h"
#include "common/file_rewrite.h"
#include "common/fuzz/fuzz_support.h"
#include "common/unique_file.h"
#include "tests/support/test_text.h"

namespace {

const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

void CheckAnyFile(const std::string& bytes) {
  const std::vector<AlertHistoryEntry> entries = ReadAlertHistory(bytes);

  std::vector<std::string> expected;
  // The plain reading: the lines that end with an LF, without one CR before it.
  for (std::string line : CompleteLines(bytes, "\n")) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    AlertHistoryEntry entry;
    if (ParseAlertHistoryLine(line, &entry)) expected.push_back(line + "\r\n");
  }
  if (entries.size() != expected.size()) FuzzFail("ReadAlertHistory", "not one entry per line that reads");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string line = FormatAlertHistoryLine(entries[i]);
    if (line != expected[i]) FuzzFail("entry", Escaped(expected[i]) + " | formats as " + Escaped(line));
    if (line.size() > kAlertHistoryLongestLine) FuzzFail("entry", "longer than the longest line: " + Escaped(line));
    const std::vector<AlertHistoryEntry> again = ReadAlertHistory(line);
    if (again.size() != 1 || FormatAlertHistoryLine(again[0]) != line) FuzzFail("entry", "does not read back");
  }

  // Through the disk: the FILE* reader reads the same, and a file within the cap stays.
  const std::string path = Scratch().File(kAlertHistoryName);
  WriteFileOrFail(path, bytes);
  std::vector<AlertHistoryEntry> fromFile;
  {
    const UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file || !ReadAlertHistory(file.get(), &fromFile)) FuzzFail("ReadAlertHistory", "the file did not read");
  }
  if (fromFile.size() != entries.size()) FuzzFail("ReadAlertHistory", "FILE* and bytes differ in count");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (FormatAlertHistoryLine(fromFile[i]) != FormatAlertHistoryLine(entries[i]))
      FuzzFail("ReadAlertHistory", "FILE* and bytes differ at " + std::to_string(i));
  }
  if (CapAlertHistory(path.c_str()) != AlertHistoryCap::Untouched) FuzzFail("CapAlertHistory", "a short file");
  std::string after;
  if (!ReadAllBytes(path, after) || after != bytes) FuzzFail("CapAlertHistory", "changed a short file");
}

std::string Cleaned(std::string text, std::size_t length) {
  text.resize(std::min(text.size(), length));
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return text;
}

// An entry of any texts and numbers, with a real date: it writes one line that reads back as
// the entry with its texts cleaned and cut.
void CheckAnyEntry(FuzzedDataProvider& provider) {
  AlertHistoryEntry entry;
  char raised[32];
  std::snprintf(raised, sizeof raised, "%02d/%02d/%02d %02d:%02d:%02d", provider.ConsumeIntegralInRange(1, 12),
                provider.ConsumeIntegralInRange(1, 31), provider.ConsumeIntegralInRange(0, 99),
                provider.ConsumeIntegralInRange(0, 23), provider.ConsumeIntegralInRange(0, 59),
                provider.ConsumeIntegralInRange(0, 59));
  entry.raised = raised;
  entry.searchDescription = provider.ConsumeRandomLengthString(200);
  entry.id = provider.ConsumeRandomLengthString(100);
  entry.description = provider.ConsumeRandomLengthString(600);
  entry.price = provider.ConsumeRandomLengthString(200);
  entry.days = provider.ConsumeIntegral<int>();
  entry.hours = provider.ConsumeIntegral<int>();
  entry.minutes = provider.ConsumeIntegral<int>();
  const std::uint32_t bits = provider.ConsumeIntegral<std::uint32_t>();
  std::memcpy(&entry.targetPrice, &bits, sizeof bits);
  entry.answer = static_cast<AlertAnswer>(provider.ConsumeIntegralInRange(0, 4));

  const std::string line = FormatAlertHistoryLine(entry);
  if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) FuzzFail("FormatAlertHistoryLine", "no CR LF");
  if (line.find_first_of(std::string("\r\n\0", 3)) != line.size() - 2)
    FuzzFail("FormatAlertHistoryLine", "a line end or NUL inside: " + Escaped(line));
  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(line);
  if (!std::isfinite(entry.targetPrice)) {
    if (!read.empty()) FuzzFail("ReadAlertHistory", "a target that is no number: " + Escaped(line));
    return;
  }
  if (read.size() != 1) FuzzFail("ReadAlertHistory", "the writer's line: " + Escaped(line));
  const AlertHistoryEntry& back = read[0];
  if (back.raised != entry.raised ||
      back.searchDescription != Cleaned(entry.searchDescription, kAlertHistorySearchLength) ||
      back.id != Cleaned(entry.id, kAlertHistoryIdLength) ||
      back.description != Cleaned(entry.description, kAlertHistoryDescriptionLength) ||
      back.price != Cleaned(entry.price, kAlertHistoryPriceLength) || back.days != entry.days ||
      back.hours != entry.hours || back.minutes != entry.minutes || back.answer != entry.answer)
    FuzzFail("entry read back", Escaped(line));
  if (FormatAlertHistoryLine(back) != line) FuzzFail("entry read back", "formats differently: " + Escaped(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Scratch().Clear();
  CheckAnyFile(std::string(reinterpret_cast<const char*>(data), size));
  FuzzedDataProvider provider(data, size);
  CheckAnyEntry(provider);
  return 0;
}
