#pragma once
// Quoted-printable between a byte stream and a list of lines.
#include <cstddef>
#include <functional>
#include <string_view>

#include "mail/string_list.h"
#include "runtime/message_pump.h"
#include "runtime/streams.h"

namespace parvex {

class TQuotedPrintable {
 public:
  // The longest line (encode) or paragraph (decode) the codec accepts is one
  // byte less than this buffer.
  static constexpr std::size_t kLineBufferSize = 24576;
  // Lines are cut into chunks of at most this many characters before escaping.
  static constexpr std::size_t kChunkLength = 65;

  // Neither the stream nor the list is owned. The pump, when given, gets a
  // turn after every byte read (encode) and every paragraph written (decode).
  TQuotedPrintable(TStream& stream, TStrings& lines, MessagePump* pump = nullptr)
      : stream_(stream), lines_(lines), pump_(pump) {}

  // Reads the whole stream from position 0 and appends encoded lines.
  // Raises EMessageError "Paragraph is too large" for a line that does not fit.
  void Encode();
  // Encode without the list: each encoded line goes to the sink as it is made.
  using LineSink = std::function<void(std::string_view)>;
  static void EncodeStream(TStream& stream, MessagePump* pump, const LineSink& sink);
  // Decodes the lines and writes the bytes at the stream's current position.
  void Decode();

 private:
  TStream& stream_;
  TStrings& lines_;
  MessagePump* pump_;
};

}  // namespace parvex
