#pragma once
// A coarse "still working" notice from the mail codecs, so that a host can keep
// its window answering while a large message is encoded. The codecs know
// nothing of windows: what the notice does is the host's business.
#include <cstddef>
#include <functional>

namespace parvex {

using EncodeProgress = std::function<void()>;

// Turns a stream of "so many input bytes done" into at most one notice per
// kEvery bytes: a notice per byte or per line would cost more than the coding.
class ProgressTicker {
 public:
  static constexpr std::size_t kEvery = 4096;

  // The progress is not copied; it must outlive the ticker.
  explicit ProgressTicker(const EncodeProgress& progress) : progress_(progress) {}

  void Advance(std::size_t bytes) {
    if (!progress_) return;
    pending_ += bytes;
    if (pending_ < kEvery) return;
    // One notice however far a single step went.
    pending_ %= kEvery;
    progress_();
  }

 private:
  const EncodeProgress& progress_;
  std::size_t pending_ = 0;
};

}  // namespace parvex
