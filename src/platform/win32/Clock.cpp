#include "platform/Clock.h"

#include <windows.h>

namespace tailpack {

TLocalDate Today() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return TLocalDate{static_cast<uint16_t>(local.wYear), static_cast<uint8_t>(local.wMonth),
                    static_cast<uint8_t>(local.wDay)};
}

}  // namespace tailpack
