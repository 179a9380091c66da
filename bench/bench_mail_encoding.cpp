// Throughput of the attachment encodings on a 10 MB file, with the encode
// progress set the way a host sets it (it pumps at most every few
// milliseconds), beside a plain memcpy of the same bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "mail/base64.h"
#include "mail/mail_message.h"
#include "mail/quoted_printable.h"
#include "runtime/streams.h"

using namespace parvex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kSize = 10 * 1024 * 1024;

// Like a window host's progress: it runs the (here empty) message loop at most
// every 5 ms.
class ThrottledHostPump final {
 public:
  void processMessages() {
    ++calls_;
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(5)) return;
    last_ = now;
    ++pumps_;
  }
  unsigned long long calls() const { return calls_; }
  unsigned long long pumps() const { return pumps_; }

 private:
  unsigned long long calls_ = 0;
  unsigned long long pumps_ = 0;
  Clock::time_point last_ = Clock::now();
};

// Processor time where the C library measures it (the machine may be busy
// with other work); the best of three runs.
template <class F>
double Seconds(F&& work) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    work();
    best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return std::max(best, 1e-6);
}

double MBps(double seconds) { return kSize / (1024.0 * 1024.0) / seconds; }

void Report(const char* what, double seconds, double memcpySeconds, const ThrottledHostPump* pump) {
  std::printf("%-38s %9.1f MB/s  %7.1fx memcpy time", what, MBps(seconds), seconds / memcpySeconds);
  if (pump) std::printf("  (progress told %llu times, pumped %llu)", pump->calls(), pump->pumps());
  std::printf("\n");
}

}  // namespace

int main() {
  std::mt19937 random(2000);
  std::string binary(kSize, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  // Text as a log or report file looks: printable lines of varying length.
  std::string text(kSize, ' ');
  for (std::size_t i = 0; i < kSize; ++i) text[i] = static_cast<char>(32 + random() % 95);
  for (std::size_t i = 40 + random() % 60; i + 1 < kSize; i += 2 + 40 + random() % 60) {
    text[i] = '\r';
    text[i + 1] = '\n';
  }

  std::vector<char> target(kSize);
  // Ten copies per run, so that a coarse clock still sees them.
  const double memcpySeconds = Seconds([&] {
                                 for (int i = 0; i < 10; ++i) {
                                   std::memcpy(target.data(), (i & 1 ? text : binary).data(), kSize);
                                   asm volatile("" ::: "memory");
                                 }
                               }) /
                               10;
  volatile char sink = target[kSize / 2];
  (void)sink;
  std::printf("mail encodings of a 10 MB attachment\n");
  Report("memcpy", memcpySeconds, memcpySeconds, nullptr);

  {
    std::string out;
    out.reserve(kSize / 57 * 78 + 80);
    const double s = Seconds([&] {
      out.clear();
      for (std::size_t at = 0; at < kSize; at += 57) {
        out += EncodeBase64Chunk(std::string_view(binary).substr(at, 57));
        out += "\r\n";
      }
    });
    Report("base64 chunks (57-byte reads)", s, memcpySeconds, nullptr);
  }
  // The codec with the host's progress and with none, to show the progress's share.
  for (bool hooked : {true, false}) {
    ThrottledHostPump pump;
    TMemoryStream source;
    source.WriteString(text);
    TStrings lines;
    const double s = Seconds([&] {
      lines.clear();
      TQuotedPrintable(source, lines, hooked ? EncodeProgress([&pump] { pump.processMessages(); }) : EncodeProgress())
          .Encode();
    });
    Report(hooked ? "quoted-printable codec (text)" : "quoted-printable codec, no progress", s, memcpySeconds,
           hooked ? &pump : nullptr);
  }

  // The same through the whole encoder, as the SMTP client gets it.
  for (int encoding : {kAttBase64, kAttQuotedPrintable}) {
    ThrottledHostPump pump;
    TmxMessage message;
    message.Sender().SetAddress("watch@host");
    message.Recipients().AddAddress("you@host", "you@host");
    message.SetEncodeProgress([&pump] { pump.processMessages(); });
    message.Body() = {"attached"};
    TmxAttItem& item = message.Attachments().Add();
    item.SetFileName(encoding == kAttBase64 ? "data.bin" : "report.txt");
    item.SetContentType(encoding == kAttBase64 ? "application/octet-stream" : "text/plain");
    item.SetAttEncoding(static_cast<std::uint8_t>(encoding));
    item.Data().WriteString(encoding == kAttBase64 ? binary : text);
    TMemoryStream out;
    const double s = Seconds([&] { message.EncodeToStream(out); });
    Report(encoding == kAttBase64 ? "encoder, base64 attachment" : "encoder, quoted-printable attachment", s,
           memcpySeconds, &pump);
    if (encoding == kAttBase64)
      std::printf("  base64 with the progress at 100 MB/s or more (native target): %s\n",
                  MBps(s) >= 100 ? "yes" : "no");
  }
  return 0;
}
