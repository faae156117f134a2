// The NUL-safe line reader of the line-based files.
#include "common/file_lines.h"

namespace {
#ifdef _WIN32
// A file read in binary mode still has the CR of its CR LF line ends.
constexpr bool kDropsCr = true;
#else
constexpr bool kDropsCr = false;
#endif
}  // namespace

bool ReadFileLine(std::FILE* file, std::size_t maxLength, std::string& line, bool* hadLineEnd) {
  line.clear();
  if (hadLineEnd) *hadLineEnd = false;
  // Byte by byte rather than through fgets: a NUL inside a line would hide the rest of an
  // fgets piece, its line end included, and run two lines, two searches, into one.
  bool readAny = false;
  bool lastWasCr = false;
  std::size_t length = 0;  // of the whole line, however much of it is kept
  for (int c; (c = std::getc(file)) != EOF;) {
    readAny = true;
    if (c == '\n') {
      // A CR beyond the cap was never kept.
      if (kDropsCr && lastWasCr && length <= maxLength) line.pop_back();
      if (hadLineEnd) *hadLineEnd = true;
      return true;
    }
    lastWasCr = c == '\r';
    ++length;
    if (line.size() < maxLength) line.push_back(static_cast<char>(c));
  }
  return readAny;
}

bool ReadFileLines(std::FILE* file, std::size_t maxLength, std::vector<std::string>& lines) {
  for (std::string line; ReadFileLine(file, maxLength, line);) lines.push_back(line);
  return std::ferror(file) == 0;
}
