// The download's text rules, free of the internet layer: the status number, the redirect
// address in a header block, and how a body is cut into the pieces the copy writes.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t kDownloadPieceBufferSize = 1024;  // the copy buffer
constexpr size_t kDownloadMaxPieceLength = 1022;   // each read asks for 1023 characters with the NUL
constexpr size_t kDownloadReadAheadSize = 4096;    // the internet layer's read-ahead block

// The status code as the internet layer gives it, as text: one to three digits, nothing else.
bool ParseStatusCode(std::string_view text, int* status);

// The address that follows the first "Location: " (case-sensitive, one space) anywhere in the
// block, up to the next LF; the CR that ends the line is not part of it. False without one.
bool FindRedirectAddress(std::string_view headers, std::string* address);

// Cuts a body into pieces: the characters up to and including the next LF, at most
// kDownloadMaxPieceLength of them, with every CR dropped. Other bytes (NUL included) pass unchanged,
// so the pieces joined are the body without its CRs.
class BodyPieces {
 public:
  // Fills buffer with up to size bytes and sets *got (0 at the end of the body); false when
  // the read failed.
  using Source = std::function<bool(char* buffer, size_t size, size_t* got)>;
  enum class Outcome { Piece, End, Failed };

  explicit BodyPieces(Source source) : source_(std::move(source)) {}
  // The next piece into piece (kDownloadPieceBufferSize bytes), NUL-terminated after *length bytes.
  // End once the body is exhausted; Failed after a failed read, once every byte received
  // before it has gone out in a piece.
  Outcome Next(char* piece, size_t* length);

 private:
  Source source_;
  char block_[kDownloadReadAheadSize];
  size_t position_ = 0;
  size_t filled_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};
