#pragma once
// DOS date-times as the archive records store them: the date in the high 16
// bits (years since 1980, month, day), the time in the low 16 bits.

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace tailpack {

// The date at 00:00:00.
uint32_t DosDateOf(const TLocalDate& date);
// Today at 00:00:00, the date every record written gets.
uint32_t TodayDosDate();
// "YYYY-MM-DD", with " HH:MM:SS" when the time part is not midnight.
std::string DosDateText(uint32_t dosDateTime);

}  // namespace tailpack
