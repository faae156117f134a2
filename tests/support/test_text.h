// Files and lines as the tests of every folder read them, in the native and the Windows build.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The whole file as bytes; empty when it is missing.
std::string ReadFileBytes(const std::string& path);
// The whole file in text mode, as a program that opens it with "r" reads it (on Windows a
// CR LF reads as LF, and a Ctrl-Z ends it); empty when it is missing.
std::string ReadFileText(const std::string& path);
// Writes bytes as the whole file; false when it cannot be written whole.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Creates the file in text mode and lets write fill it, as a program's own writers would;
// false when it cannot be created or written whole.
bool WriteFileWith(const std::string& path, const std::function<void(std::FILE*)>& write);
// The lines of text without their ends: split at each LF, a CR before it dropped. A last line
// without an end is kept.
std::vector<std::string> SplitLines(const std::string& text);
// A list row's columns: the text split at each tab (a row without a tab is one column).
std::vector<std::string> SplitColumns(const std::string& row);
// The lines that end with lineEnd, without it; a rest without an end is left out.
std::vector<std::string> CompleteLines(const std::string& text, const std::string& lineEnd = "\r\n");
