// Bounded replacements for the "%s %d %f" scans of the shared file formats and the page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

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

// The integer scans. Each skips leading blanks, takes an optional sign and decimal digits and
// moves past them; without a digit it fails and moves nothing. They differ in the blanks they
// skip and in what becomes of a number out of range:
//
//   TextScan::Int   "%d" of the shared files: C blanks (space, tab, CR, LF, VT, FF); clamped
//                   to the int range.
//   ScanPageInt     "%d" of a result page: C blanks and the non-breaking space 0xA0; clamped to
//                   the int range.
//   ScanStamp       "%ld" of a blocked list's time stamp (32 bits on Windows): C blanks; a
//                   number out of the 32-bit range is no stamp, and fails.
bool ScanPageInt(std::string_view& text, int& value);
bool ScanStamp(std::string_view& text, std::int32_t& value);

// Copies at most size - 1 bytes of text and terminates; for the fixed-size fields.
void CopyText(char* out, std::size_t size, const char* text, std::size_t length);
