// Search health file: outcome words, line and file formats, and the whole-file read and write.
#include "common/search_health_file.h"

#include <cerrno>

#include "common/file_rewrite.h"

namespace {

constexpr std::string_view kCauseWords[] = {"refused", "connection", "status", "credentials", "redirect", "file"};
constexpr int kHealthFields = 6;
constexpr std::size_t kMostCountDigits = 9;  // kHealthMostPassesInRow

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// A count of 1 to kHealthMostPassesInRow written as plain digits.
bool ParseCount(std::string_view text, long* count) {
  if (text.empty() || text.size() > kMostCountDigits || text[0] == '0') return false;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *count = value;
  return true;
}

// "MM/DD/YY HH:MM:SS": digits in pairs, as the pass log's last-search line has them.
bool IsPassTime(std::string_view text) {
  constexpr std::string_view kShape = "00/00/00 00:00:00";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

}  // namespace

SearchOutcome PageReadOutcome(long items) {
  SearchOutcome outcome;
  outcome.kind = items > 0 ? OutcomeKind::Items : OutcomeKind::None;
  outcome.items = items > 0 ? items : 0;
  return outcome;
}

SearchOutcome FailedOutcome(FailureCause cause, int status) {
  SearchOutcome outcome;
  outcome.kind = OutcomeKind::Failed;
  outcome.cause = cause;
  outcome.status = status;
  return outcome;
}

std::string FormatCause(const SearchOutcome& outcome) {
  std::string cause(kCauseWords[static_cast<int>(outcome.cause)]);
  if (outcome.cause == FailureCause::Status) cause += ' ' + std::to_string(outcome.status);
  return cause;
}

std::string FormatOutcome(const SearchOutcome& outcome) {
  switch (outcome.kind) {
    case OutcomeKind::Items:
      return "items " + std::to_string(outcome.items);
    case OutcomeKind::None:
      return "none";
    case OutcomeKind::Failed:
      break;
  }
  return "failed " + FormatCause(outcome);
}

bool ParseOutcome(std::string_view text, SearchOutcome* outcome) {
  SearchOutcome parsed;
  if (text == "none") {
    parsed.kind = OutcomeKind::None;
  } else if (StartsWith(text, "items ")) {
    parsed.kind = OutcomeKind::Items;
    if (!ParseCount(text.substr(6), &parsed.items)) return false;
  } else if (StartsWith(text, "failed ")) {
    parsed.kind = OutcomeKind::Failed;
    const std::string_view cause = text.substr(7);
    long status = 0;
    if (StartsWith(cause, "status ")) {
      const std::string_view code = cause.substr(7);
      if (code.size() != 3 || !ParseCount(code, &status) || status < 400) return false;
      parsed.cause = FailureCause::Status;
      parsed.status = static_cast<int>(status);
    } else {
      int index = 0;
      while (index < static_cast<int>(std::size(kCauseWords)) &&
             (cause != kCauseWords[index] || index == static_cast<int>(FailureCause::Status)))
        ++index;
      if (index == static_cast<int>(std::size(kCauseWords))) return false;
      parsed.cause = static_cast<FailureCause>(index);
    }
  } else {
    return false;
  }
  *outcome = parsed;
  return true;
}

std::string FormatHealthLine(const SearchHealth& health) {
  std::string line = health.description;
  for (const std::string& field : {health.address, FormatOutcome(health.outcome), std::to_string(health.passesInRow),
                                   health.lastItemsFound, std::string(health.warned ? "1" : "0")}) {
    line += '\t';
    line += field;
  }
  return line;
}

bool ParseHealthLine(std::string_view line, SearchHealth* health) {
  if (line.find('\0') != std::string_view::npos) return false;
  // From the right: every field after the description is free of tabs.
  std::string_view fields[kHealthFields];
  std::string_view rest = line;
  for (int field = kHealthFields - 1; field > 0; --field) {
    const std::size_t tab = rest.rfind('\t');
    if (tab == std::string_view::npos) return false;
    fields[field] = rest.substr(tab + 1);
    rest = rest.substr(0, tab);
  }
  fields[0] = rest;

  SearchHealth parsed;
  parsed.description = std::string(fields[0]);
  parsed.address = std::string(fields[1]);
  if (parsed.address.empty() || parsed.address.find(' ') != std::string::npos) return false;
  if (!ParseOutcome(fields[2], &parsed.outcome)) return false;
  if (!ParseCount(fields[3], &parsed.passesInRow)) return false;
  if (fields[4] != kHealthNeverFound && !IsPassTime(fields[4])) return false;
  parsed.lastItemsFound = std::string(fields[4]);
  if (fields[5] != "0" && fields[5] != "1") return false;
  parsed.warned = fields[5] == "1";
  *health = std::move(parsed);
  return true;
}

bool ParseHealthFile(std::string_view bytes, std::vector<SearchHealth>* records) {
  std::vector<SearchHealth> parsed;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return false;  // cut short
    std::string_view line = bytes.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    SearchHealth health;
    if (!ParseHealthLine(line, &health)) return false;
    parsed.push_back(std::move(health));
    bytes.remove_prefix(end + 1);
  }
  *records = std::move(parsed);
  return true;
}

std::string FormatHealthFile(const std::vector<SearchHealth>& records) {
  std::string bytes;
  for (const SearchHealth& health : records) {
    bytes += FormatHealthLine(health);
    bytes += "\r\n";
  }
  return bytes;
}

HealthFileRead LoadSearchHealth(const char* path, std::vector<SearchHealth>* records) {
  records->clear();
  std::string bytes;
  errno = 0;
  if (!ReadAllBytes(path, bytes)) return errno == ENOENT ? HealthFileRead::Missing : HealthFileRead::Damaged;
  return ParseHealthFile(bytes, records) ? HealthFileRead::Read : HealthFileRead::Damaged;
}

std::string TemporaryHealthPath(const char* path) { return std::string(path) + ".tmp"; }

bool SaveSearchHealth(const char* path, const std::vector<SearchHealth>& records) {
  // Binary mode: the line ends are CR LF on every system.
  return RewriteFileInOneStep(path, TemporaryHealthPath(path), FormatHealthFile(records), "wb");
}
