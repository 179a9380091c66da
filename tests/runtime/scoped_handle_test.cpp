// The handle owner: every handle it takes is closed exactly once, whatever moves
// and resets happen on the way, and "none" is never closed.
#include "runtime/scoped_handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace parvex {
namespace {

std::vector<int> closed;

// -1 is "none", as INVALID_HANDLE_VALUE is for file handles; the tag tells which
// closer closed a handle.
struct TestKind {
  using Handle = int;
  int tag = 0;
  static Handle Invalid() { return -1; }
  void Close(Handle h) const { closed.push_back(h + tag); }
};
using Owned = ScopedHandle<TestKind>;

TEST(ScopedHandle, ClosesEachHandleOnceThroughMovesAndResets) {
  closed.clear();
  {
    Owned none;
    EXPECT_FALSE(none);
    Owned zero(0);  // a valid handle although it is zero
    EXPECT_TRUE(zero);
    Owned a(1);
    Owned b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), 1);
    Owned c(2);
    c = std::move(b);  // closes 2, takes 1
    EXPECT_EQ(closed, std::vector<int>({2}));
    Owned& same = c;
    c = std::move(same);  // self-move keeps the handle
    EXPECT_EQ(c.Get(), 1);
    c.reset(3);  // closes 1
    const int kept = Owned(4).release();
    EXPECT_EQ(kept, 4);
    none.reset();
    EXPECT_EQ(closed, std::vector<int>({2, 1}));
  }
  // At scope end: c (3) and zero (0); none, a and b held nothing.
  EXPECT_EQ(closed, std::vector<int>({2, 1, 3, 0}));
}

TEST(ScopedHandle, StatefulCloserTravelsWithTheHandle) {
  closed.clear();
  {
    Owned window(1, TestKind{100});
    Owned other(2, TestKind{200});
    other = std::move(window);  // 2 closes with its own closer; 1 keeps 100
  }
  EXPECT_EQ(closed, std::vector<int>({202, 101}));
}

}  // namespace
}  // namespace parvex
