// The page stream read a piece at a time from blocks: fgets' pieces without its cost per call.
#include <cstring>

#include "poller/parse/result_page.h"

std::size_t ReadPagePiece(ResultPage& page, char* line, std::size_t size) {
  ResultPage::ReadAhead& ahead = page.readAhead;
  if (ahead.owner != page.stream) {
    ahead.owner = page.stream;
    ahead.begin = ahead.end = 0;
    ahead.ended = false;
  }
  if (!page.stream || size == 0) return 0;
  const std::size_t limit = size - 1;
  if (ahead.end - ahead.begin >= limit) {
    // The usual case: the whole piece lies in what was read ahead.
    const char* from = ahead.bytes + ahead.begin;
    const void* lineBreak = std::memchr(from, '\n', limit);
    const std::size_t take =
        lineBreak ? static_cast<std::size_t>(static_cast<const char*>(lineBreak) - from) + 1 : limit;
    std::memcpy(line, from, take);
    line[take] = '\0';
    ahead.begin += take;
    return take;
  }
  std::size_t length = 0;
  while (length < limit) {
    if (ahead.begin == ahead.end) {
      // As with fgets, the end of the stream counts only once a piece needs more than is left.
      if (ahead.ended) break;
      const std::size_t got = std::fread(ahead.bytes, 1, sizeof ahead.bytes, page.stream);
      if (got == 0) {
        ahead.ended = true;
        break;
      }
      ahead.begin = 0;
      ahead.end = got;
    }
    const char* from = ahead.bytes + ahead.begin;
    std::size_t take = ahead.end - ahead.begin;
    if (take > limit - length) take = limit - length;
    const void* lineBreak = std::memchr(from, '\n', take);
    if (lineBreak) take = static_cast<std::size_t>(static_cast<const char*>(lineBreak) - from) + 1;
    std::memcpy(line + length, from, take);
    length += take;
    ahead.begin += take;
    if (lineBreak) break;
  }
  if (length > 0) line[length] = '\0';
  return length;
}
