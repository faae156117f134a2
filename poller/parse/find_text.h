// A substring search for the parser's short lines and markers.
#pragma once
#include <cstring>

// The first occurrence of needle (n characters, no NUL among them) in the text s, as strstr
// finds it. The lines are short and the markers' first characters rare in them, so a jump
// from one first character to the next beats strstr's set-up on every call.
inline const char* FindText(const char* s, const char* needle, std::size_t n) {
  for (s = std::strchr(s, needle[0]); s; s = std::strchr(s + 1, needle[0])) {
    std::size_t i = 1;
    while (i < n && s[i] == needle[i]) ++i;  // a NUL in s is a mismatch
    if (i == n) return s;
  }
  return nullptr;
}

inline char* FindText(char* s, const char* needle, std::size_t n) {
  return const_cast<char*>(FindText(static_cast<const char*>(s), needle, n));
}

template <std::size_t N>
const char* FindText(const char* s, const char (&needle)[N]) {
  return FindText(s, needle, N - 1);
}

template <std::size_t N>
char* FindText(char* s, const char (&needle)[N]) {
  return FindText(s, needle, N - 1);
}
