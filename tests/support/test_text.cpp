// Whole-file reads and line splitting for the tests.
#include "tests/support/test_text.h"

#include <cstdio>

namespace {

std::string ReadFile(const std::string& path, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return {};
  std::string bytes;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  std::fclose(file);
  return bytes;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) { return ReadFile(path, "rb"); }
std::string ReadFileText(const std::string& path) { return ReadFile(path, "r"); }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool WriteFileWith(const std::string& path, const std::function<void(std::FILE*)>& write) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  write(file);
  const bool ok = std::ferror(file) == 0;
  return std::fclose(file) == 0 && ok;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string> CompleteLines(const std::string& text, const std::string& lineEnd) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(lineEnd, start)) != std::string::npos; start = end + lineEnd.size())
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::vector<std::string> SplitColumns(const std::string& row) {
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
    columns.push_back(row.substr(start, tab - start));
  columns.push_back(row.substr(start));
  return columns;
}
