#include "base/PakString.h"

namespace tailpack {

void AppendPakString(TBytes& out, std::string_view text) {
  auto length = static_cast<uint16_t>(text.size());
  AppendU16(out, length);
  out.insert(out.end(), text.begin(), text.begin() + length);
}

}  // namespace tailpack
