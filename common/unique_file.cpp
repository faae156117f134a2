// The checked close of a written file.
#include "common/unique_file.h"

bool CloseChecked(UniqueFile file) {
  if (!file) return false;
  const bool ok = std::ferror(file.get()) == 0;
  return std::fclose(file.release()) == 0 && ok;
}
