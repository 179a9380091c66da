#pragma once
// The packed 32-bit date-and-time form of the FAT file system, read as a signed
// number: date in the high 16 bits, time in the low 16 bits, two-second steps.
#include <cstdint>

#include "runtime/user_clock.h"

namespace parvex {

// Stamp for times the form cannot hold (before 1980 or after 2107). Month 0 never
// occurs in a packed date, so no real time gives this value.
inline constexpr std::int32_t kUnpackableStamp = 0;

std::int32_t PackFileStamp(const CivilTime& local);

}  // namespace parvex
