// One owner for a C stdio file, and the close that tells whether what was written arrived.
#pragma once
#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// Closes the file on every way out of its scope; a failed close there goes unnoticed, so a
// file that was written is closed with CloseChecked instead.
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Closes a written file. False when a write or read failed before, or the flush or the close
// fails now: a full disk often shows only here.
bool CloseChecked(UniqueFile file);
