// Reading the line-based files (search list, blocked list, pass log) line by line.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// A cap that keeps every byte of a line.
constexpr std::size_t kWholeLine = static_cast<std::size_t>(-1);

// Reads one physical line, without its line end, whatever its length; NUL bytes are kept. Of
// a line longer than maxLength only the first maxLength bytes are kept, and the rest is read
// and dropped, so it never passes for a line of its own. Returns false at the end of the file
// when nothing was read. A final line without a line end is returned too; hadLineEnd tells
// which. In the Windows build the CR of a CR LF line end is dropped, as text mode would, so
// that the files can be opened in binary mode (text mode ends a file at a Ctrl-Z byte).
bool ReadFileLine(std::FILE* file, std::size_t maxLength, std::string& line, bool* hadLineEnd = nullptr);

// Appends every line of the file to lines. False when a read error cut the reading short:
// a file read in part must not pass for a whole one.
bool ReadFileLines(std::FILE* file, std::size_t maxLength, std::vector<std::string>& lines);
