// libFuzzer target: any bytes as a status text, as an answer's header block and as a body
// delivered in fuzzed reads, through the download's text rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/fuzz/fuzz_support.h"
#include "poller/fetch/download_rules.h"

namespace {

void CheckStatus(std::string_view text) {
  bool digits = !text.empty() && text.size() <= 3;
  int want = 0;
  for (char c : text) digits = digits && c >= '0' && c <= '9';
  for (std::size_t i = 0; digits && i < text.size(); ++i) want = want * 10 + (text[i] - '0');
  int status = -77;
  const bool read = ParseStatusCode(text, &status);
  if (read != digits || (read && status != want) || (!read && status != -77))
    FuzzFail("ParseStatusCode", Escaped(std::string(text)) + " gave " + std::to_string(status));
}

// The first "Location: " found byte by byte; the address runs to the next LF, less the CR
// that ends the header line.
void CheckRedirect(std::string_view headers) {
  const std::string_view label = "Location: ";
  std::size_t at = std::string_view::npos;
  for (std::size_t i = 0; at == std::string_view::npos && i + label.size() <= headers.size(); ++i) {
    if (std::memcmp(headers.data() + i, label.data(), label.size()) == 0) at = i;
  }
  std::string want;
  if (at != std::string_view::npos) {
    for (std::size_t i = at + label.size(); i < headers.size() && headers[i] != '\n'; ++i) want += headers[i];
    if (!want.empty() && want.back() == '\r') want.pop_back();
  }
  std::string address = "untouched";
  const bool found = FindRedirectAddress(headers, &address);
  if (found != (at != std::string_view::npos)) FuzzFail("FindRedirectAddress", "found or not: " + Escaped(std::string(headers)));
  if (found ? address != want : address != "untouched")
    FuzzFail("FindRedirectAddress", Escaped(address) + " | want " + Escaped(want));
}

// The body comes in reads of fuzzed sizes, perhaps ending in a failed read; the pieces must
// join to the bytes delivered without their CRs, each cut at a LF or at 1022 characters.
void CheckBodyPieces(const std::string& body, const std::vector<std::size_t>& readSizes, int failingRead) {
  std::size_t delivered = 0;
  int reads = 0;
  bool over = false;
  BodyPieces pieces([&](char* buffer, std::size_t size, std::size_t* got) {
    if (over) FuzzFail("BodyPieces", "read again after the end or a failure");
    if (size != kDownloadReadAheadSize) FuzzFail("BodyPieces", "read of " + std::to_string(size));
    const int read = reads++;
    if (read == failingRead) {
      over = true;
      return false;
    }
    std::size_t length = readSizes[read % readSizes.size()];
    if (length > size) length = size;
    if (length > body.size() - delivered) length = body.size() - delivered;
    std::memcpy(buffer, body.data() + delivered, length);
    delivered += length;
    *got = length;
    over = length == 0;
    return true;
  });

  std::string joined;
  std::unique_ptr<char[]> piece(new char[kDownloadPieceBufferSize]);  // exact size: an overrun shows
  bool cutShort = false;  // a piece that ended for want of bytes must be the last one
  BodyPieces::Outcome outcome;
  std::size_t length = 0;
  while ((outcome = pieces.Next(piece.get(), &length)) == BodyPieces::Outcome::Piece) {
    if (cutShort) FuzzFail("BodyPieces", "a piece after one cut short");
    if (length == 0 || length > kDownloadMaxPieceLength || piece[length] != '\0')
      FuzzFail("BodyPieces", "piece of " + std::to_string(length));
    const std::string text(piece.get(), length);
    if (text.find('\r') != std::string::npos) FuzzFail("BodyPieces", "a CR passed: " + Escaped(text));
    if (text.find('\n') != std::string::npos && text.find('\n') != length - 1)
      FuzzFail("BodyPieces", "a piece runs past a LF: " + Escaped(text));
    cutShort = text.back() != '\n' && length < kDownloadMaxPieceLength;
    joined += text;
  }
  std::string want;
  for (std::size_t i = 0; i < delivered; ++i)
    if (body[i] != '\r') want += body[i];
  if (joined != want) FuzzFail("BodyPieces", "joined " + Escaped(joined) + " | want " + Escaped(want));
  const bool failed = reads > failingRead && failingRead >= 0;
  if ((outcome == BodyPieces::Outcome::Failed) != failed) FuzzFail("BodyPieces", "failure reported wrongly");
  if (!failed && delivered != body.size()) FuzzFail("BodyPieces", "ended before the body did");
  if (pieces.Next(piece.get(), &length) != outcome || length != 0) FuzzFail("BodyPieces", "the end does not last");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t length = 0; length <= size && length <= 5; ++length) CheckStatus(text.substr(0, length));
  CheckStatus(text);
  CheckRedirect(text);
  CheckRedirect(text.substr(0, text.find('\0')));  // the header block as its query returns it

  FuzzedDataProvider provider(data, size);
  const int failingRead = provider.ConsumeIntegralInRange(-1, 6);
  std::vector<std::size_t> readSizes(provider.ConsumeIntegralInRange(1, 4));
  for (std::size_t& readSize : readSizes) readSize = provider.ConsumeIntegralInRange<std::size_t>(1, 2 * kDownloadReadAheadSize);
  CheckBodyPieces(std::string(text), readSizes, failingRead);
  return 0;
}
