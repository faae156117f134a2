// The result page normaliser: entities out, printable characters only, a line break before '>'.
#include <cstdio>

#include "poller/parse/result_page.h"

namespace {

constexpr char kIntermediateFile[] = "temphtml.txt";
constexpr char kNormalisedFile[] = "temphtml.html";
constexpr std::size_t kFileBuffer = 1 << 16;  // fewer system calls on pages of megabytes

std::FILE* OpenBuffered(const char* name, const char* mode) {
  std::FILE* file = std::fopen(name, mode);
  if (file) std::setvbuf(file, nullptr, _IOFBF, kFileBuffer);
  return file;
}

void DropPage(ResultPage& page) {
  if (page.stream) std::fclose(page.stream);
  page.stream = nullptr;
}

// Ends a pass: the page read so far goes, the file just written becomes "temphtml.html" and
// the page stream is reopened on it. Whatever fails leaves no stream rather than one on a
// half-written or stale page, so the page then simply has no items.
void ReopenOnResult(ResultPage& page, std::FILE* written) {
  const bool writeFailed = std::ferror(written) != 0;
  const bool closeFailed = std::fclose(written) != 0;
  DropPage(page);
  if (writeFailed || closeFailed) {
    std::remove(kIntermediateFile);
    return;
  }
  std::remove(kNormalisedFile);  // absent in test mode and on the first page: nothing to do
  if (std::rename(kIntermediateFile, kNormalisedFile) != 0) {
    std::remove(kIntermediateFile);
    return;
  }
  page.stream = OpenBuffered(kNormalisedFile, "r");
}

}  // namespace

void EntityPass(ResultPage& page) {
  if (!page.stream) return;
  std::FILE* out = OpenBuffered(kIntermediateFile, "w");
  if (!out) return DropPage(page);
  char line[kWorkingLineSize];
  while (std::fgets(line, sizeof line, page.stream)) {
    CleanEntities(line);
    std::fputs(line, out);
  }
  ReopenOnResult(page, out);
}

void TagBreakPass(ResultPage& page) {
  if (!page.stream) return;
  std::FILE* out = OpenBuffered(kIntermediateFile, "w");
  if (!out) return DropPage(page);
  char piece[kWorkingLineSize];
  char rewritten[2 * kWorkingLineSize];  // every character of a piece, each with a break
  while (std::fgets(piece, sizeof piece, page.stream)) {
    std::size_t length = 0;
    for (const char* c = piece; *c; ++c) {
      // Written unconditionally and kept only where wanted: no branches on page text.
      rewritten[length] = *c;
      length += *c >= 0x20 && *c <= 0x7E;
      // A '>' that opens a piece gets no break: it joins the text before it.
      rewritten[length] = '\n';
      length += c[1] == '>';
    }
    std::fwrite(rewritten, 1, length, out);
  }
  ReopenOnResult(page, out);
}

void NormaliseResultPage(ResultPage& page) {
  EntityPass(page);
  TagBreakPass(page);
}
