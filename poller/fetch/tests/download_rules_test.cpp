// The download's text rules: status numbers, the "Location: " rule, and the body pieces.
#include "poller/fetch/download_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ParseStatusCode, TakesOneToThreeDigitsAndNothingElse) {
  const struct {
    const char* text;
    bool ok;
    int status;
  } cases[] = {
      {"200", true, 200}, {"404", true, 404}, {"302", true, 302},        {"0", true, 0},     {"99", true, 99},
      {"", false, 0},     {"20a", false, 0},  {" 200", false, 0},        {"200 ", false, 0}, {"-1", false, 0},
      {"+200", false, 0}, {"2000", false, 0}, {"99999999999", false, 0},
  };
  for (const auto& c : cases) {
    int status = -7;
    EXPECT_EQ(ParseStatusCode(c.text, &status), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(status, c.status) << c.text;
    }
  }
}

TEST(FindRedirectAddress, TakesTheTextAfterTheFirstExactLocationUpToTheLineEnd) {
  const struct {
    const char* name;
    std::string headers;
    bool found;
    const char* address;
  } cases[] = {
      {"plain", "HTTP/1.0 302 Found\r\nLocation: http://b/x?y=1\r\nServer: s\r\n\r\n", true, "http://b/x?y=1"},
      {"Content-Location comes first and wins",
       "HTTP/1.0 302 Found\r\nContent-Location: http://a/\r\nLocation: http://b/\r\n\r\n", true, "http://a/"},
      {"LF line ends", "HTTP/1.0 302 Found\nLocation: http://b/\n\n", true, "http://b/"},
      {"last line without a line end", "HTTP/1.0 302 Found\r\nLocation: http://b/", true, "http://b/"},
      {"blanks inside are kept", "Location: http://b/a b \r\n", true, "http://b/a b "},
      {"only the CR before the LF goes", "Location: http://b/\r\r\n", true, "http://b/\r"},
      {"empty value", "Location: \r\n", true, ""},
      {"lower case is no match", "HTTP/1.0 302 Found\r\nlocation: http://b/\r\n\r\n", false, ""},
      {"no blank after the colon", "HTTP/1.0 302 Found\r\nLocation:http://b/\r\n\r\n", false, ""},
      {"none at all", "HTTP/1.0 302 Found\r\nServer: s\r\n\r\n", false, ""},
      {"empty block", "", false, ""},
  };
  for (const auto& c : cases) {
    std::string address = "untouched";
    EXPECT_EQ(FindRedirectAddress(c.headers, &address), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(address, c.address) << c.name;
    }
  }
}

// A body delivered in reads of a fixed size, optionally failing after some bytes.
struct ScriptedSource {
  std::string body;
  size_t readSize;
  size_t failAfter = std::string::npos;  // the read that would go past this offset fails
  size_t offset = 0;
  size_t largestAsk = 0;

  bool operator()(char* buffer, size_t size, size_t* got) {
    largestAsk = std::max(largestAsk, size);
    if (offset >= failAfter) return false;
    size_t n = std::min({size, readSize, body.size() - offset});
    if (failAfter != std::string::npos) n = std::min(n, failAfter - offset);
    body.copy(buffer, n, offset);
    offset += n;
    *got = n;
    return true;
  }
};

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

// Cuts the whole body; checks every piece's shape on the way and gives the pieces joined.
std::string JoinPieces(ScriptedSource& source, BodyPieces::Outcome* last, const std::string& label) {
  BodyPieces pieces([&source](char* b, size_t s, size_t* g) { return source(b, s, g); });
  std::string joined;
  char piece[kDownloadPieceBufferSize];
  size_t length = 0;
  for (int guard = 0; guard < 1000000; ++guard) {
    std::memset(piece, 'X', sizeof piece);
    *last = pieces.Next(piece, &length);
    if (*last != BodyPieces::Outcome::Piece) {
      EXPECT_EQ(length, 0u) << label;
      break;
    }
    EXPECT_GE(length, 1u) << label;
    EXPECT_LE(length, kDownloadMaxPieceLength) << label;
    EXPECT_EQ(piece[length], '\0') << label;
    const std::string text(piece, length);
    EXPECT_EQ(text.find('\r'), std::string::npos) << label;
    const size_t lf = text.find('\n');
    EXPECT_TRUE(lf == std::string::npos || lf == length - 1) << label << ": a piece ends at its first LF";
    joined += text;
  }
  return joined;
}

std::string Repeat(const std::string& unit, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += unit;
  return out;
}

TEST(BodyPieces, JoinedPiecesAreTheBodyWithoutItsCarriageReturns) {
  std::string everyByte;
  for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
  std::string pseudoRandom;
  for (uint32_t x = 12345, i = 0; i < 20000; ++i) {
    x = x * 1103515245u + 12345u;
    const char alphabet[] = "ab\r\n\r\0x";
    pseudoRandom += alphabet[(x >> 16) % 7];
  }
  const struct {
    const char* name;
    std::string body;
  } bodies[] = {
      {"empty", ""},
      {"CR LF lines", "<html>\r\n<b>item</b>\r\n</html>\r\n"},
      {"lone CRs", "a\rb\r\rc\n\r"},
      {"only CRs", "\r\r\r\r"},
      {"NUL bytes", std::string("a\0b\n\0\0c", 7)},
      {"no final line end", "line one\nline two"},
      {"a line of exactly 1022", std::string(1022, 'x') + "\n"},
      {"a line of 1023", std::string(1023, 'y') + "\n"},
      {"one long line", std::string(5000, 'z')},
      {"CR LF split over the read-ahead edge", std::string(4095, 'q') + "\r\n" + std::string(10, 'r')},
      {"every byte value", everyByte},
      {"many short lines", Repeat("ab\r\n", 3000)},
      {"pseudo-random mix", pseudoRandom},
  };
  for (const auto& b : bodies) {
    for (size_t readSize : {size_t{1}, size_t{7}, size_t{1023}, size_t{4096}}) {
      const std::string label = std::string(b.name) + " in reads of " + std::to_string(readSize);
      ScriptedSource source{b.body, readSize};
      BodyPieces::Outcome last{};
      EXPECT_EQ(JoinPieces(source, &last, label), WithoutCarriageReturns(b.body)) << label;
      EXPECT_EQ(last, BodyPieces::Outcome::End) << label;
      EXPECT_LE(source.largestAsk, kDownloadReadAheadSize) << label;
    }
  }
}

TEST(BodyPieces, AFailedReadComesAfterEveryByteReceivedBeforeIt) {
  const std::string body = Repeat("line of the page\r\n", 500);
  for (size_t failAfter : {size_t{0}, size_t{5}, size_t{4096}, size_t{5000}}) {
    ScriptedSource source{body, 4096, failAfter};
    BodyPieces::Outcome last{};
    const std::string joined = JoinPieces(source, &last, "fail after " + std::to_string(failAfter));
    EXPECT_EQ(joined, WithoutCarriageReturns(body.substr(0, failAfter))) << failAfter;
    EXPECT_EQ(last, BodyPieces::Outcome::Failed) << failAfter;
  }
}

TEST(BodyPieces, StaysEndedOrFailed) {
  ScriptedSource ended{"a\n", 4096};
  BodyPieces endedPieces([&](char* b, size_t s, size_t* g) { return ended(b, s, g); });
  char piece[kDownloadPieceBufferSize];
  size_t length = 0;
  EXPECT_EQ(endedPieces.Next(piece, &length), BodyPieces::Outcome::Piece);
  EXPECT_EQ(endedPieces.Next(piece, &length), BodyPieces::Outcome::End);
  EXPECT_EQ(endedPieces.Next(piece, &length), BodyPieces::Outcome::End);

  ScriptedSource failing{"abc", 4096, 0};
  BodyPieces failingPieces([&](char* b, size_t s, size_t* g) { return failing(b, s, g); });
  EXPECT_EQ(failingPieces.Next(piece, &length), BodyPieces::Outcome::Failed);
  EXPECT_EQ(failingPieces.Next(piece, &length), BodyPieces::Outcome::Failed);
}

}  // namespace
