#pragma once
// The local calendar date, for the dates that archive records carry.

#include <cstdint>

namespace tailpack {

struct TLocalDate {
  uint16_t Year = 1980;
  uint8_t Month = 1;  // 1 to 12
  uint8_t Day = 1;    // 1 to 31
};

// Today in the local time zone.
TLocalDate Today();

}  // namespace tailpack
