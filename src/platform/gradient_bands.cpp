#include "platform/gradient_bands.h"

namespace parvex {

GradientTable BlueGradientTable() {
  GradientTable table{};
  for (int i = 0; i < kGradientBandCount; ++i) table[i] = {0, 0, static_cast<std::uint8_t>(255 - i)};
  return table;
}

GradientTable BlendGradientTable() {
  GradientTable table{};
  for (int i = 0; i < kGradientBandCount; ++i)
    table[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)};
  return table;
}

std::array<GradientBand, kGradientBandCount> GradientBands(int controlHeight) {
  const float step = static_cast<float>(controlHeight * (1.0L / 255));
  const int bandHeight = static_cast<int>(step + 1.0L);
  std::array<GradientBand, kGradientBandCount> bands{};
  int y = 0;
  for (int i = 0; i < kGradientBandCount; ++i) {
    bands[i] = {y, bandHeight};
    y = static_cast<int>(static_cast<long double>(i) * step);
  }
  return bands;
}

}  // namespace parvex
