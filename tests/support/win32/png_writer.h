#pragma once
// Writes 24-bit RGB pictures as PNG files, uncompressed (stored deflate blocks),
// so that no compression library is needed.
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};

bool writePng(const std::string& path, const Image& image);

}  // namespace e2e
