#include "mail/quoted_printable.h"

#include <algorithm>
#include <vector>

#include "mail/mail_errors.h"

namespace parvex {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kReadBlock = 64 * 1024;

[[noreturn]] void TooLarge() { throw EMessageError("Paragraph is too large"); }

bool IsLineBreak(unsigned char c) { return c == '\r' || c == '\n'; }

bool NeedsEscape(unsigned char c) { return c < 32 || c == '=' || c >= 128; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendEscaped(const unsigned char* p, std::size_t n, bool softBreak, std::string& out) {
  out.resize(n * 3 + 1);
  char* o = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = p[i];
    if (NeedsEscape(c)) {
      o[0] = '=';
      o[1] = kHex[c >> 4];
      o[2] = kHex[c & 15];
      o += 3;
    } else {
      *o++ = static_cast<char>(c);
    }
  }
  if (softBreak) *o++ = '=';
  out.resize(static_cast<std::size_t>(o - out.data()));
}

// Splits one line into chunks of at most 65 characters, preferring to break
// before a blank, and hands their escaped forms to the sink.
void EncodeLine(const std::string& line, std::string& scratch, const TQuotedPrintable::LineSink& sink) {
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  std::size_t start = 0;
  for (;;) {
    const std::size_t rest = n - start;
    if (rest < TQuotedPrintable::kChunkLength) {
      AppendEscaped(p + start, rest, false, scratch);
      sink(scratch);
      return;
    }
    // Look from the 66th character back; never at the chunk's first one, so
    // that every chunk makes progress.
    std::size_t end = start + TQuotedPrintable::kChunkLength;
    std::size_t j = end;
    while (j > start && (j >= n || p[j] != ' ')) --j;
    if (j > start) end = j;
    AppendEscaped(p + start, end - start, true, scratch);
    sink(scratch);
    start = end;
  }
}

// Sequential reader over a stream in blocks, with one byte of push-back.
class ByteReader {
 public:
  explicit ByteReader(TStream& stream) : stream_(stream), buffer_(kReadBlock) {}
  // Makes at least one byte available; false at the end of the stream.
  bool Fill() {
    if (index_ < filled_) return true;
    filled_ = stream_.Read(buffer_.data(), buffer_.size());
    index_ = 0;
    return filled_ > 0;
  }
  const unsigned char* Data() const { return buffer_.data() + index_; }
  std::size_t Available() const { return filled_ - index_; }
  void Skip(std::size_t count) { index_ += count; }
  bool Next(unsigned char& c) {
    if (!Fill()) return false;
    c = buffer_[index_++];
    return true;
  }
  // Only ever called right after Next returned a byte.
  void StepBack() { --index_; }

 private:
  TStream& stream_;
  std::vector<unsigned char> buffer_;
  std::size_t index_ = 0;
  std::size_t filled_ = 0;
};

}  // namespace

void TQuotedPrintable::Encode() {
  EncodeStream(stream_, progress_, [this](std::string_view line) { lines_.emplace_back(line); });
}

void TQuotedPrintable::EncodeStream(TStream& stream, const EncodeProgress& progress, const LineSink& sink) {
  stream.SetPosition(0);
  const std::int64_t size = stream.Size();
  if (size <= 0) {
    sink(std::string_view());
    return;
  }
  ByteReader reader(stream);
  ProgressTicker ticker(progress);
  std::string scratch;
  std::string line;
  std::int64_t position = 0;
  while (position < size && reader.Fill()) {
    line.clear();
    // Whole runs of ordinary bytes at a time.
    for (;;) {
      if (!reader.Fill()) break;
      const unsigned char* p = reader.Data();
      const std::size_t available =
          static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(reader.Available()), size - position));
      std::size_t run = 0;
      while (run < available && !IsLineBreak(p[run])) ++run;
      bool lineBreak = run < available;
      // The stream's last byte is stored whatever it is.
      if (lineBreak && position + static_cast<std::int64_t>(run) + 1 == size) {
        ++run;
        lineBreak = false;
      }
      if (line.size() + run > kLineBufferSize - 1) TooLarge();
      line.append(reinterpret_cast<const char*>(p), run);
      reader.Skip(run);
      position += static_cast<std::int64_t>(run);
      ticker.Advance(run);
      if (lineBreak) {
        // CR LF, LF CR, CR CR and LF LF are one line break each.
        reader.Skip(1);
        ++position;
        unsigned char d = 0;
        if (reader.Next(d)) {
          if (IsLineBreak(d))
            ++position;
          else
            reader.StepBack();
        }
        break;
      }
      if (position >= size) break;
    }
    EncodeLine(line, scratch, sink);
  }
}

void TQuotedPrintable::Decode() {
  ProgressTicker ticker(progress_);
  std::string paragraph;
  bool open = false;
  for (const std::string& raw : lines_) {
    // A soft break is a literal "=" at the very end of the encoded line.
    const bool soft = !raw.empty() && raw.back() == '=';
    const std::size_t n = soft ? raw.size() - 1 : raw.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (raw[i] == '=' && i + 2 < n) {
        const int hi = HexValue(raw[i + 1]);
        const int lo = HexValue(raw[i + 2]);
        if (hi >= 0 && lo >= 0) {
          paragraph.push_back(static_cast<char>(hi * 16 + lo));
          i += 2;
          continue;
        }
      }
      paragraph.push_back(raw[i]);
    }
    open = true;
    if (!soft) {
      if (raw.empty() || raw.back() != '\x1A') paragraph.append("\r\n");
    }
    if (paragraph.size() >= kLineBufferSize - 1) TooLarge();
    if (!soft) {
      stream_.WriteBuffer(paragraph.data(), paragraph.size());
      ticker.Advance(paragraph.size());
      paragraph.clear();
      open = false;
    }
  }
  // A last soft-broken line still carries text: keep it.
  if (open && !paragraph.empty()) {
    stream_.WriteBuffer(paragraph.data(), paragraph.size());
  }
}

}  // namespace parvex
