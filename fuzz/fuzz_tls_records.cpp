// The secure side of reading reply lines: text cut into records of any size,
// the records joined and delivered in pieces of any size, now and then a
// record that does not decrypt or the server's close. The lines that come out
// are the text's own lines, in order, whatever the cuts; a bad record is an
// error, never a line; the close ends the stream after the text before it.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/inbound_lines.h"

using namespace parvex;

namespace {

// A record: a length byte (1..250) and that many bytes, each XOR 0x5A. A
// length of 0 is the close; above 250 the record does not decrypt.
constexpr unsigned kMaxRecord = 250;

class StandInChannel final : public TlsChannel {
 public:
  bool Handshake(std::string&, std::string&) override { return true; }
  void VerifyServer() override {}
  std::string Encrypt(std::string_view plain) override { return std::string(plain); }
  bool Decrypt(std::string& received, std::string& plain) override {
    std::size_t at = 0;
    while (at < received.size()) {
      const unsigned length = static_cast<unsigned char>(received[at]);
      if (length > kMaxRecord) throw ETlsError("bad record");
      if (length == 0) {
        received.erase(0, at + 1);
        return false;
      }
      if (received.size() - at - 1 < length) break;
      for (unsigned i = 0; i < length; ++i) plain += static_cast<char>(received[at + 1 + i] ^ 0x5A);
      at += 1 + length;
    }
    received.erase(0, at);
    return true;
  }
};

struct Random {
  std::uint32_t state;
  unsigned Below(unsigned n) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % n;
  }
};

std::string Stripped(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  Random random{static_cast<std::uint32_t>(data[0] | data[1] << 8)};
  const std::uint8_t flags = data[2];
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  const bool corrupt = (flags & 1) != 0;
  const bool closeRecord = (flags & 2) != 0;

  // The stream of records, and where in the text a bad record sits.
  std::string stream;
  std::size_t badAt = text.size() + 1;
  for (std::size_t at = 0; at < text.size();) {
    if (corrupt && badAt > text.size() && random.Below(8) == 0) {
      badAt = at;
      stream += static_cast<char>(0xFF);
      break;
    }
    const std::size_t length = std::min<std::size_t>(1 + random.Below(kMaxRecord), text.size() - at);
    stream += static_cast<char>(length);
    for (std::size_t i = 0; i < length; ++i) stream += static_cast<char>(text[at + i] ^ 0x5A);
    at += length;
  }
  if (closeRecord && badAt > text.size()) stream += '\0';

  // What a reader of the plain text (up to a bad record) would find.
  const std::string readable = text.substr(0, std::min(badAt, text.size()));
  std::vector<std::string> expected;
  bool tooLong = false;
  for (std::size_t at = 0; at < readable.size();) {
    const std::size_t lf = readable.find('\n', at);
    if (lf == std::string::npos || lf - at >= InboundLines::kMaxLine) {
      tooLong = readable.size() - at >= InboundLines::kMaxLine;
      break;
    }
    expected.push_back(Stripped(readable.substr(at, lf - at + 1)));
    at = lf + 1;
  }

  StandInChannel channel;
  InboundLines inbound;
  inbound.Secure(channel);
  std::vector<std::string> lines;
  std::size_t delivered = 0;
  bool failed = false;
  InboundLines::Result result = InboundLines::Result::NeedMore;
  for (int rounds = 0; rounds < 1000000; ++rounds) {
    std::string line;
    try {
      result = inbound.TakeLine(line);
    } catch (const ETlsError&) {
      failed = true;
      break;
    }
    if (result == InboundLines::Result::Line) {
      lines.push_back(line);
      continue;
    }
    if (result != InboundLines::Result::NeedMore) break;
    if (delivered == stream.size()) {
      inbound.ConnectionClosed();
      continue;
    }
    const std::size_t piece = std::min<std::size_t>(1 + random.Below(300), stream.size() - delivered);
    inbound.Received(std::string_view(stream).substr(delivered, piece));
    delivered += piece;
  }
  const bool bad = badAt <= text.size();
  // A bad record is an error once the text before it is read (unless a line
  // too long came first); without one the reading always ends cleanly.
  if (!bad) FUZZ_CHECK(!failed);
  if (bad && !tooLong) FUZZ_CHECK(failed);
  if (!failed) {
    FUZZ_CHECK(result == (tooLong ? InboundLines::Result::TooLong : InboundLines::Result::Ended));
    FUZZ_CHECK(lines == expected);
  } else {
    FUZZ_CHECK(lines.size() <= expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(lines[i] == expected[i]);
  }
  if (result == InboundLines::Result::Ended && closeRecord && badAt > text.size())
    FUZZ_CHECK(inbound.ChannelClosed());
  return 0;
}
