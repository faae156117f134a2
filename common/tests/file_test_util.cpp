#include "common/tests/file_test_util.h"

#include <cstdio>

#include "common/unique_file.h"

void WriteText(const std::string& path, const std::string& text) {
  const UniqueFile file(std::fopen(path.c_str(), "w"));
  if (file) std::fwrite(text.data(), 1, text.size(), file.get());
}

bool Exists(const std::string& path) { return UniqueFile(std::fopen(path.c_str(), "r")) != nullptr; }
