// The download's text rules: status number, redirect address, body pieces.
#include "poller/fetch/download_rules.h"

bool ParseStatusCode(std::string_view text, int* status) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *status = value;
  return true;
}

bool FindRedirectAddress(std::string_view headers, std::string* address) {
  constexpr std::string_view kLocation = "Location: ";
  const size_t found = headers.find(kLocation);
  if (found == std::string_view::npos) return false;
  std::string_view rest = headers.substr(found + kLocation.size());
  rest = rest.substr(0, rest.find('\n'));
  if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
  address->assign(rest);
  return true;
}

BodyPieces::Outcome BodyPieces::Next(char* piece, size_t* length) {
  size_t stored = 0;
  for (;;) {
    if (position_ == filled_) {
      if (ended_ || failed_) break;
      size_t got = 0;
      if (!source_(block_, sizeof block_, &got)) {
        failed_ = true;  // what came before the failure still goes out as a piece
        break;
      }
      position_ = 0;
      filled_ = got < sizeof block_ ? got : sizeof block_;
      if (filled_ == 0) {
        ended_ = true;
        break;
      }
    }
    const char c = block_[position_++];
    if (c == '\r') continue;
    piece[stored++] = c;
    if (c == '\n' || stored == kDownloadMaxPieceLength) break;
  }
  piece[stored] = '\0';
  *length = stored;
  if (stored > 0) return Outcome::Piece;
  return failed_ ? Outcome::Failed : Outcome::End;
}
