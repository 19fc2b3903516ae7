#pragma once
// A read cursor over a private copy of a VFS entry's content.

#include <cstdint>
#include <string>

#include "base/Bytes.h"

namespace tailpack {

class TVFSFileBuffer {
 public:
  explicit TVFSFileBuffer(TBytes data) : data_(std::move(data)) {}

  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  uint32_t Position() const { return position_; }
  const TBytes& Data() const { return data_; }

  // Copies the smaller of Count and the bytes left, advances past them and
  // returns how many it copied.
  uint32_t Read(void* destination, uint32_t count);
  // Four little-endian bytes; missing bytes read as 0.
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  // Count single characters, zero bytes included (fewer at the end).
  std::string ReadChars(uint32_t count);

 private:
  TBytes data_;
  uint32_t position_ = 0;
};

}  // namespace tailpack
