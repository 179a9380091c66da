#pragma once
// What the server sends, cut into reply lines, without any I/O: the socket
// hands over whatever a receive gave, and what follows a line waits for the
// next one. Once the connection is secure the bytes are records, decrypted as
// lines are asked for; the text that came with the server's close of the
// secure channel (a "221 Bye") is read before the close counts.
#include <cstddef>
#include <string>
#include <string_view>

#include "net/tls_channel.h"

namespace parvex {

class InboundLines {
 public:
  static constexpr std::size_t kMaxLine = 1024;  // bytes of one line, LF included

  enum class Result {
    Line,      // `line` holds the next line, without its line end
    NeedMore,  // receive more, then ask again
    Ended,     // nothing more will come
    TooLong,   // kMaxLine bytes without a line end: the stream cannot be trusted
  };

  // From now on the bytes received are records of `channel` (not owned).
  void Secure(TlsChannel& channel);
  void Received(std::string_view bytes);
  // The connection is closed: what is buffered is all there will be.
  void ConnectionClosed() { connectionClosed_ = true; }
  // Raises ETlsError for a record that does not decrypt.
  Result TakeLine(std::string& line);

  // Bytes received and not read yet (plain text or records).
  bool HasUnread() const { return start_ < text_.size() || !records_.empty(); }
  // The server closed the secure channel.
  bool ChannelClosed() const { return channelClosed_; }
  void Clear();

 private:
  TlsChannel* channel_ = nullptr;
  std::string records_;  // received, not decrypted yet
  std::string text_;     // plain text; text_[0, start_) is read already
  std::size_t start_ = 0;
  bool connectionClosed_ = false;
  bool channelClosed_ = false;
};

}  // namespace parvex
