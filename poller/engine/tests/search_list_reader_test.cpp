// The poller's reading of the search list: a list that could not be read to its end is no list.
#include "poller/engine/core/search_list_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "common/unique_file.h"

namespace {

constexpr char kListName[] = "reader_lotwise2.ini";
constexpr char kList[] =
    "\"one\" http://127.0.0.1:9/1 0 0 1 1\r\n\"two\" http://127.0.0.1:9/2 0 0 1 1\r\n"
    "\"three\" http://127.0.0.1:9/3 0 0 1 1\r\n";

// A stream on the list whose first read fails.
std::FILE* OpenUnreadable(const char* path) {
#ifdef _WIN32
  // Through a descriptor without read access: Wine's C library answers a read on a stream
  // opened for writing with a plain end of file.
  const int fd = _open(path, _O_WRONLY | _O_BINARY);
  return fd < 0 ? nullptr : _fdopen(fd, "rb");
#else
  return std::fopen(path, "ab");
#endif
}

#ifdef __GLIBC__
// A stream that gives the first line and a half of the list, then fails as a failing disk would.
ssize_t ReadThenFail(void* cookie, char* buffer, size_t size) {
  size_t& given = *static_cast<size_t*>(cookie);
  const size_t limit = 50;
  if (given >= limit) return -1;
  const size_t count = std::min(size, limit - given);
  std::copy(kList + given, kList + given + count, buffer);
  given += count;
  return static_cast<ssize_t>(count);
}
std::FILE* OpenCutOff(const char*) {
  static size_t given;
  given = 0;
  return fopencookie(&given, "r", cookie_io_functions_t{ReadThenFail, nullptr, nullptr, nullptr});
}
#endif

}  // namespace

TEST(SearchListReader, AListReadOnlyInPartIsNotRead) {
  {
    const UniqueFile file(std::fopen(kListName, "wb"));
    ASSERT_NE(file, nullptr);
    std::fputs(kList, file.get());
  }
  std::vector<std::string> lines;
  ASSERT_EQ(ReadSearchList(kListName, lines), SearchListRead::Read);
  EXPECT_EQ(lines.size(), 3u);

  const struct {
    const char* name;
    SearchListOpener open;
  } cases[] = {
      {"the first read fails", OpenUnreadable},
#ifdef __GLIBC__
      {"a read fails after the first line", OpenCutOff},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetSearchListOpener(c.open);
    lines.clear();
    EXPECT_EQ(ReadSearchList(kListName, lines), SearchListRead::Failed);
  }
  SetSearchListOpener(nullptr);
  std::remove(kListName);
}

// Only a list that is not there is an empty list; one that is there but will not open is not.
TEST(SearchListReader, AMissingListIsNoSearchAndAnUnopenableOneIsAFailure) {
  std::remove(kListName);
  std::vector<std::string> lines;
  EXPECT_EQ(ReadSearchList(kListName, lines), SearchListRead::Missing);
  EXPECT_TRUE(lines.empty());

  SetSearchListOpener([](const char*) -> std::FILE* {
    errno = EACCES;
    return nullptr;
  });
  EXPECT_EQ(ReadSearchList(kListName, lines), SearchListRead::Failed);
  SetSearchListOpener(nullptr);
}
