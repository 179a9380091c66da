#include "platform/gradient_bands.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

TEST(GradientBands, StartAtTheSinglePrecisionStepWithTheFirstTwoAtTheTop) {
  struct Case {
    int height, bandHeight, top2, top86, top128, top255;
  };
  // 261 tells the single-precision step from an exact one (band 86: 86, not 87).
  const Case cases[] = {{316, 2, 1, 105, 157, 314}, {261, 2, 1, 86, 129, 259},
                        {255, 2, 1, 85, 127, 254},  {10, 1, 0, 3, 4, 9}};
  for (const auto& c : cases) {
    const auto bands = GradientBands(c.height);
    EXPECT_EQ(bands[0].top, 0) << c.height;
    EXPECT_EQ(bands[1].top, 0) << c.height;
    EXPECT_EQ(bands[2].top, c.top2) << c.height;
    EXPECT_EQ(bands[86].top, c.top86) << c.height;
    EXPECT_EQ(bands[128].top, c.top128) << c.height;
    EXPECT_EQ(bands[255].top, c.top255) << c.height;
    EXPECT_EQ(bands[255].height, c.bandHeight) << c.height;
  }
}

TEST(GradientBands, TablesRunFromBlueToBlackOrRed) {
  const auto blue = BlueGradientTable(), blend = BlendGradientTable();
  EXPECT_EQ(blue[0], (Rgb{0, 0, 255}));
  EXPECT_EQ(blue[255], (Rgb{0, 0, 0}));
  EXPECT_EQ(blend[128], (Rgb{128, 0, 127}));
  EXPECT_EQ(blend[255], (Rgb{255, 0, 0}));
}

}  // namespace
}  // namespace parvex
