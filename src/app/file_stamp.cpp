#include "app/file_stamp.h"

namespace parvex {

std::int32_t PackFileStamp(const CivilTime& t) {
  if (t.year < 1980 || t.year > 2107 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > 31 || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59)
    return kUnpackableStamp;
  const std::uint32_t date = static_cast<std::uint32_t>((t.year - 1980) * 512 + t.month * 32 + t.day);
  const std::uint32_t time = static_cast<std::uint32_t>(t.hour * 2048 + t.minute * 32 + t.second / 2);
  return static_cast<std::int32_t>((date << 16) | time);
}

}  // namespace parvex
