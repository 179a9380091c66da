#pragma once
// The 256 horizontal bands of the about box's background: where each starts, how
// high it is and its colour, from blue at the top down to black (all blue) or
// to red (the blend).
#include <array>
#include <cstdint>

namespace parvex {

inline constexpr int kGradientBandCount = 256;

struct Rgb {
  std::uint8_t red, green, blue;
  bool operator==(const Rgb&) const = default;
};

using GradientTable = std::array<Rgb, kGradientBandCount>;

GradientTable BlueGradientTable();   // entry i: blue 255 - i
GradientTable BlendGradientTable();  // entry i: red i, blue 255 - i

struct GradientBand {
  int top;
  int height;
};

// The step is a single-precision height / 255 and each band is one pixel
// taller than it, so neighbouring bands overlap rather than leave gaps; band i
// (i >= 1) starts at the whole part of (i - 1) x step, and bands 0 and 1 both at
// the top.
std::array<GradientBand, kGradientBandCount> GradientBands(int controlHeight);

}  // namespace parvex
