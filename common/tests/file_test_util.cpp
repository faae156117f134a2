#include "common/tests/file_test_util.h"

#include <cstdio>

void WriteText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

bool Exists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file) std::fclose(file);
  return file != nullptr;
}
