#pragma once
// A read cursor over a block of bytes that the caller owns, with the typed
// readers of the binary formats.

#include <cstdint>
#include <string>

#include "base/Bytes.h"

namespace tailpack {

class TBufferManager {
 public:
  TBufferManager(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

  // A copy of up to Count bytes from the position, which advances past them;
  // empty when nothing is left.
  TBytes Read(uint32_t count);
  // Copies up to Count bytes into Dest and advances; returns how many.
  uint32_t ReadInto(uint32_t count, void* dest);
  // Sets the position; reads at or past the end return nothing.
  void Seek(uint32_t position) { position_ = position; }

  uint32_t Position() const { return position_; }
  uint32_t Size() const { return size_; }
  uint32_t Remaining() const { return position_ < size_ ? size_ - position_ : 0; }
  // True once a typed reader wanted more bytes than were left.
  bool Overrun() const { return overrun_; }

  // A pak string. When the block ends early, the bytes that are there.
  std::string ReadString();
  // Little-endian integers. Missing bytes at the end of the block read as 0.
  uint32_t ReadU32();
  uint16_t ReadU16();
  uint8_t ReadU8();

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t position_ = 0;
  bool overrun_ = false;
};

}  // namespace tailpack
