#pragma once
// Quoted-printable between a byte stream and a list of lines.
#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>

#include "mail/encode_progress.h"
#include "mail/string_list.h"
#include "runtime/streams.h"

namespace parvex {

class TQuotedPrintable {
 public:
  // The longest line (encode) or paragraph (decode) the codec accepts is one
  // byte less than this buffer.
  static constexpr std::size_t kLineBufferSize = 24576;
  // Lines are cut into chunks of at most this many characters before escaping.
  static constexpr std::size_t kChunkLength = 65;

  // Neither the stream nor the list is owned. The progress, when given, hears
  // about every few kilobytes read (encode) or written (decode).
  TQuotedPrintable(TStream& stream, TStrings& lines, EncodeProgress progress = {})
      : stream_(stream), lines_(lines), progress_(std::move(progress)) {}

  // Reads the whole stream from position 0 and appends encoded lines.
  // Raises EMessageError "Paragraph is too large" for a line that does not fit.
  void Encode();
  // Encode without the list: each encoded line goes to the sink as it is made.
  using LineSink = std::function<void(std::string_view)>;
  static void EncodeStream(TStream& stream, const EncodeProgress& progress, const LineSink& sink);
  // Decodes the lines and writes the bytes at the stream's current position.
  void Decode();

 private:
  TStream& stream_;
  TStrings& lines_;
  EncodeProgress progress_;
};

}  // namespace parvex
