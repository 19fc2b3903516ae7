#include "gamedata/DosDate.h"

#include <cstdio>

namespace tailpack {

uint32_t DosDateOf(const TLocalDate& date) {
  uint32_t year = date.Year >= 1980 ? date.Year - 1980u : 0u;
  uint32_t packed = ((year & 0x7F) << 9) | ((date.Month & 0x0Fu) << 5) | (date.Day & 0x1Fu);
  return packed << 16;
}

uint32_t TodayDosDate() { return DosDateOf(Today()); }

std::string DosDateText(uint32_t dosDateTime) {
  uint32_t date = dosDateTime >> 16;
  uint32_t time = dosDateTime & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", 1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F);
  std::string result = text;
  if (time != 0) {
    std::snprintf(text, sizeof text, " %02u:%02u:%02u", time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
    result += text;
  }
  return result;
}

}  // namespace tailpack
