// The entity clean-up shared by the normaliser and the item parser.
#include <cstring>

#include "poller/parse/find_text.h"
#include "poller/parse/result_page.h"

// Each rule must act as if it searched again from the start of the line after every change.
// The single passes below give the same result: a removal of "<wbr>" or of a numeric entity
// can only form a new match that ends at the text already kept, which is checked as it grows,
// and the quote replacements cannot form a new match at all.
namespace {

void RemoveWordBreaks(char* line) {
  char* out = FindText(line, "<wbr>");
  if (!out) return;
  for (const char* in = out; *in; ++in) {
    *out++ = *in;
    if (out - line >= 5 && std::memcmp(out - 5, "<wbr>", 5) == 0) out -= 5;
  }
  *out = '\0';
}

template <std::size_t N>
void ReplaceAll(char* line, const char (&pattern)[N], char replacement) {
  constexpr std::size_t length = N - 1;
  char* out = FindText(line, pattern);
  if (!out) return;
  const char* in = out;
  while (*in) {
    if (*in == pattern[0] && std::strncmp(in, pattern, length) == 0) {
      *out++ = replacement;
      in += length;
    } else {
      *out++ = *in++;
    }
  }
  *out = '\0';
}

// "&#" through the first ';' after it goes, whatever lies between; without a ';' the rule ends.
void RemoveNumericEntities(char* line) {
  char* out = FindText(line, "&#");
  if (!out) return;
  const char* in = out;
  while (*in) {
    *out++ = *in++;
    if (out - line >= 2 && out[-2] == '&' && out[-1] == '#') {
      const char* semicolon = std::strchr(in, ';');
      if (!semicolon) {
        std::memmove(out, in, std::strlen(in) + 1);
        return;
      }
      out -= 2;
      in = semicolon + 1;
    }
  }
  *out = '\0';
}

}  // namespace

void CleanEntities(char* line) {
  RemoveWordBreaks(line);
  if (!std::strchr(line, '&')) return;  // most lines: the other three rules all need one
  ReplaceAll(line, "&#39;", '\'');
  ReplaceAll(line, "&quot;", '"');
  RemoveNumericEntities(line);
}
