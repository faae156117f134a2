// Helpers shared by the libFuzzer targets: a scratch folder, whole files, and failing loudly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Reports a broken property and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void FuzzFail(const char* what, const std::string& detail);
// Shows bytes with the unprintable ones escaped, for FuzzFail's details.
std::string Escaped(const std::string& bytes);

// A folder of its own under the current one (each test runs in its own), emptied between
// inputs and removed when the process ends.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const char* name) const { return path_ + "/" + name; }
  void Clear() const;  // removes every file in it

 private:
  std::string path_;
};

bool FileExists(const std::string& path);
// Writes bytes as the whole file, or stops the run.
void WriteFileOrFail(const std::string& path, const std::string& bytes);

// The C locale's white space, which the line formats' scans skip.
inline bool IsScanBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
