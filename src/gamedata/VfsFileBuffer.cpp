#include "gamedata/VfsFileBuffer.h"

#include <algorithm>
#include <cstring>

namespace tailpack {

uint32_t TVFSFileBuffer::Read(void* destination, uint32_t count) {
  uint32_t left = Size() - position_;
  uint32_t copied = std::min(count, left);
  if (copied > 0) std::memcpy(destination, data_.data() + position_, copied);
  position_ += copied;
  return copied;
}

uint32_t TVFSFileBuffer::ReadU32() {
  uint8_t bytes[4] = {0, 0, 0, 0};
  Read(bytes, 4);
  return GetU32(bytes);
}

std::string TVFSFileBuffer::ReadChars(uint32_t count) {
  std::string text(std::min(count, Size() - position_), '\0');
  Read(text.data(), static_cast<uint32_t>(text.size()));
  return text;
}

}  // namespace tailpack
