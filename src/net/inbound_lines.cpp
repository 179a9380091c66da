#include "net/inbound_lines.h"

#include <algorithm>

namespace parvex {

void InboundLines::Secure(TlsChannel& channel) { channel_ = &channel; }

void InboundLines::Received(std::string_view bytes) {
  if (channel_ != nullptr) {
    records_.append(bytes);
  } else {
    text_.append(bytes);
  }
}

void InboundLines::Clear() { *this = InboundLines(); }

InboundLines::Result InboundLines::TakeLine(std::string& line) {
  for (;;) {
    const std::size_t unread = text_.size() - start_;
    const std::size_t window = std::min(unread, kMaxLine);
    const auto begin = text_.begin() + static_cast<std::ptrdiff_t>(start_);
    const auto lf = std::find(begin, begin + static_cast<std::ptrdiff_t>(window), '\n');
    if (lf != begin + static_cast<std::ptrdiff_t>(window)) {
      line.assign(begin, lf + 1);
      start_ += line.size();
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      // Read text is dropped once it is the larger part, so the buffer stays small.
      if (start_ > text_.size() / 2) {
        text_.erase(0, start_);
        start_ = 0;
      }
      return Result::Line;
    }
    if (unread >= kMaxLine) return Result::TooLong;
    if (channel_ != nullptr && !channelClosed_ && !records_.empty()) {
      const std::size_t textBefore = text_.size();
      const std::size_t recordsBefore = records_.size();
      if (!channel_->Decrypt(records_, text_)) {
        channelClosed_ = true;
        continue;
      }
      // A record may carry no text (a session ticket): the next one may.
      if (text_.size() > textBefore || records_.size() < recordsBefore) continue;
    }
    return connectionClosed_ || channelClosed_ ? Result::Ended : Result::NeedMore;
  }
}

}  // namespace parvex
