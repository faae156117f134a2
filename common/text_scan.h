// Bounded replacements for the "%s %d %f" scans of the shared file formats.
#pragma once
#include <cstddef>

// Reads fields from a text the way sscanf does ("%s", "%d", "%f": white space before each
// field is skipped), but never writes past a buffer and never overflows: a word longer than
// its buffer is cut and the rest of it skipped, a number out of range is clamped.
class TextScan {
 public:
  explicit TextScan(const char* text) : cursor_(text) {}
  bool Word(char* out, std::size_t size);
  bool Int(int& out);
  bool Float(float& out);
  const char* Rest() const { return cursor_; }

 private:
  void SkipBlanks();
  const char* cursor_;
};

// Copies at most size - 1 bytes of text and terminates; for the fixed-size fields.
void CopyText(char* out, std::size_t size, const char* text, std::size_t length);
