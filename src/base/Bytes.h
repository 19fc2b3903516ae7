#pragma once
// Byte blocks and the little-endian integer encoding every binary format of
// the system uses.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tailpack {

using TBytes = std::vector<uint8_t>;

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void AppendU8(TBytes& out, uint8_t v) { out.push_back(v); }
inline void AppendU16(TBytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendU32(TBytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void AppendBytes(TBytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

inline std::string BytesToString(const TBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
inline TBytes StringToBytes(std::string_view text) { return TBytes(text.begin(), text.end()); }

}  // namespace tailpack
