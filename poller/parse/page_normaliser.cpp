// The result page normaliser: entities out, printable characters only, a line break before '>'.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "common/unique_file.h"
#include "poller/parse/result_page.h"

namespace {

constexpr char kIntermediateFile[] = "temphtml.txt";
constexpr char kNormalisedFile[] = "temphtml.html";
constexpr std::size_t kFileBuffer = 1 << 16;  // fewer system calls on pages of megabytes

UniqueFile OpenBuffered(const char* name, const char* mode) {
  UniqueFile file(std::fopen(name, mode));
  if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kFileBuffer);
  return file;
}

// Ends a pass: the page read so far goes, the file just written becomes "temphtml.html" and
// the page stream is reopened on it. Whatever fails leaves no stream rather than one on a
// half-written or stale page, so the page then simply has no items.
void ReopenOnResult(ResultPage& page, UniqueFile written) {
  const bool writtenWhole = CloseChecked(std::move(written));
  ClosePage(page);
  if (!writtenWhole) {
    std::remove(kIntermediateFile);
    return;
  }
  std::remove(kNormalisedFile);  // absent in test mode and on the first page: nothing to do
  if (std::rename(kIntermediateFile, kNormalisedFile) != 0) {
    std::remove(kIntermediateFile);
    return;
  }
  page.stream = OpenBuffered(kNormalisedFile, "r").release();
}

}  // namespace

void EntityPass(ResultPage& page) {
  if (!page.stream) return;
  UniqueFile out = OpenBuffered(kIntermediateFile, "w");
  if (!out) return ClosePage(page);
  char line[kPageWorkingLineSize];
  while (std::fgets(line, sizeof line, page.stream)) {
    CleanEntities(line);
    std::fputs(line, out.get());
  }
  ReopenOnResult(page, std::move(out));
}

void TagBreakPass(ResultPage& page) {
  if (!page.stream) return;
  UniqueFile out = OpenBuffered(kIntermediateFile, "w");
  if (!out) return ClosePage(page);
  char piece[kPageWorkingLineSize];
  char rewritten[2 * kPageWorkingLineSize];  // every character of a piece, each with a break
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
    std::fwrite(rewritten, 1, length, out.get());
  }
  ReopenOnResult(page, std::move(out));
}

namespace {

// Pass two's rule on one character c of its input, at column `column` of pass two's piece.
inline char* BreakOne(char* out, char c, std::size_t& column) {
  // A '>' that opens a piece gets no break: it joins the text before it.
  *out = '\n';
  out += c == '>' && column != 0;
  *out = c;
  out += c >= 0x20 && c <= 0x7E;
  column = c == '\n' || column + 1 == kPageWorkingLineSize - 1 ? 0 : column + 1;
  return out;
}

// How many of the eight bytes of word (in memory order) come before the first that needs more
// than a copy: a byte below 0x20 (the NUL that ends the text among them), 0x7F and up, or '>'.
inline unsigned PlainBytes(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  // Each test marks the high bit of a byte that matches; a borrow can mark a byte wrongly
  // only above a true match, so the lowest mark is exact.
  const std::uint64_t below = (word - kOnes * 0x20) & ~word;
  const std::uint64_t notDel = word ^ (kOnes * 0x7F);
  const std::uint64_t notClose = word ^ (kOnes * '>');
  const std::uint64_t marks =
      (below | ((notDel - kOnes) & ~notDel) | ((notClose - kOnes) & ~notClose) | word) & kHighs;
  if (marks == 0) return 8;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return static_cast<unsigned>(__builtin_ctzll(marks)) / 8;
#else
  return 0;  // the byte at a time path finds it
#endif
}

// Pass two over one piece of pass one's output (text, NUL-terminated, with at least eight
// readable bytes from every character on): column carries pass two's own piece boundaries,
// which fall after a line break or after 1023 characters of pass one's output.
char* BreakPiece(char* out, const char* text, std::size_t& column) {
  for (;;) {
    if (column + 8 <= kPageWorkingLineSize - 2) {  // no boundary among the next eight
      std::uint64_t word;
      std::memcpy(&word, text, 8);
      const unsigned plain = PlainBytes(word);
      std::memcpy(out, text, 8);
      out += plain;
      text += plain;
      column += plain;
      if (plain == 8) continue;
    }
    if (*text == '\0') return out;
    out = BreakOne(out, *text++, column);
  }
}

}  // namespace

// Both passes in one: each piece of the page is cleaned as pass one would and goes through
// pass two's rule at once, with pass two's piece boundaries counted along the way, so the
// normalised page is the same to the byte without the intermediate round trip.
void NormaliseResultPage(ResultPage& page) {
  if (!page.stream) return;
  UniqueFile out = OpenBuffered(kIntermediateFile, "w");
  if (!out) return ClosePage(page);
  char line[kPageWorkingLineSize + 8] = {};  // room for the last eight-byte read of a piece
  constexpr std::size_t kBlock = 1 << 15;
  static_assert(kBlock > 2 * kPageWorkingLineSize + 8, "a block holds a rewritten piece");
  char block[kBlock + 2 * kPageWorkingLineSize + 8];
  std::size_t used = 0;
  std::size_t column = 0;
  page.readAhead.owner = nullptr;
  while (ReadPagePiece(page, line, kPageWorkingLineSize) > 0) {
    CleanEntities(line);
    used = static_cast<std::size_t>(BreakPiece(block + used, line, column) - block);
    if (used >= kBlock) {
      std::fwrite(block, 1, used, out.get());
      used = 0;
    }
  }
  std::fwrite(block, 1, used, out.get());
  ReopenOnResult(page, std::move(out));
}
