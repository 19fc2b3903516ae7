#include "platform/Clock.h"

#include <ctime>

namespace tailpack {

TLocalDate Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return TLocalDate{};
  return TLocalDate{static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint8_t>(local.tm_mon + 1),
                    static_cast<uint8_t>(local.tm_mday)};
}

}  // namespace tailpack
