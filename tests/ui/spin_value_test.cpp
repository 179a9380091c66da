#include "ui/spin_value.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

TEST(SpinValue, HoldsTheIntervalInRange) {
  EXPECT_EQ(SpinValue("60", 5, 600), 60);
  EXPECT_EQ(SpinValue("5", 5, 600), 5);
  EXPECT_EQ(SpinValue("600", 5, 600), 600);
  EXPECT_EQ(SpinValue("0", 5, 600), 5);
  EXPECT_EQ(SpinValue("4", 5, 600), 5);
  EXPECT_EQ(SpinValue("601", 5, 600), 600);
  EXPECT_EQ(SpinValue("9999999999", 5, 600), 600) << "too large for 32 bits is still too large";
  EXPECT_EQ(SpinValue("  +2147483648", 5, 600), 600);
  EXPECT_EQ(SpinValue("-9999999999", 5, 600), 5);
  EXPECT_EQ(SpinValue("99999999999x", 5, 600), 5);
  EXPECT_EQ(SpinValue("", 5, 600), 5);
  EXPECT_EQ(SpinValue("abc", 5, 600), 5);
  EXPECT_EQ(SpinValue("-20", 5, 600), 5);
}

}  // namespace
}  // namespace parvex
