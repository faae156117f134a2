// Scratch folder and whole-file helpers of the libFuzzer targets.
#include "common/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "common/unique_file.h"

void FuzzFail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
    }
  }
  return out;
}

ScratchFolder::ScratchFolder() {
  char name[] = "scratch.XXXXXX";
  if (!mkdtemp(name)) FuzzFail("mkdtemp", name);
  path_ = std::filesystem::absolute(name).string();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::Clear() const {
  for (const auto& entry : std::filesystem::directory_iterator(path_)) std::filesystem::remove_all(entry.path());
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

void WriteFileOrFail(const std::string& path, const std::string& bytes) {
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) FuzzFail("fopen", path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fclose(file.release()) != 0)
    FuzzFail("fwrite", path);
}
