#include "base/BufferManager.h"

#include <algorithm>
#include <cstring>

namespace tailpack {

TBytes TBufferManager::Read(uint32_t count) {
  uint32_t actual = std::min(count, Remaining());
  TBytes copy(data_ + position_, data_ + position_ + actual);
  position_ += actual;
  return copy;
}

uint32_t TBufferManager::ReadInto(uint32_t count, void* dest) {
  uint32_t actual = std::min(count, Remaining());
  if (actual > 0) std::memcpy(dest, data_ + position_, actual);
  position_ += actual;
  return actual;
}

std::string TBufferManager::ReadString() {
  uint16_t length = ReadU16();
  uint32_t actual = std::min<uint32_t>(length, Remaining());
  if (actual < length) overrun_ = true;
  std::string text(reinterpret_cast<const char*>(data_ + position_), actual);
  position_ += actual;
  return text;
}

uint32_t TBufferManager::ReadU32() {
  uint8_t bytes[4] = {0, 0, 0, 0};
  if (ReadInto(4, bytes) < 4) overrun_ = true;
  return GetU32(bytes);
}

uint16_t TBufferManager::ReadU16() {
  uint8_t bytes[2] = {0, 0};
  if (ReadInto(2, bytes) < 2) overrun_ = true;
  return GetU16(bytes);
}

uint8_t TBufferManager::ReadU8() {
  uint8_t byte = 0;
  if (ReadInto(1, &byte) < 1) overrun_ = true;
  return byte;
}

}  // namespace tailpack
