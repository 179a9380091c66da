#pragma once
// One owner for every kind of operating-system handle. A kind is a small traits
// type: the handle type, its "none" value (not always null: file and find handles
// use INVALID_HANDLE_VALUE) and the call that gives it back. Kept free of OS
// headers so that the ownership rules are tested natively.
#include <utility>

namespace parvex {

// Traits: `using Handle = ...; static Handle Invalid(); void Close(Handle) const;`
// Close may use state kept in the traits object (a window DC needs its window).
template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() noexcept = default;
  explicit ScopedHandle(Handle handle, Traits closer = Traits()) noexcept : handle_(handle), closer_(closer) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()), closer_(other.closer_) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      reset(other.release());
      closer_ = other.closer_;
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  // Gives up ownership without closing.
  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  // Closes what is held (if anything) and takes the new handle.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) closer_.Close(old);
  }

 private:
  Handle handle_ = Traits::Invalid();
  Traits closer_{};
};

}  // namespace parvex
