#pragma once
// zlib never shrinks data by more than about 1032 to 1. A stored size that
// claims to inflate to more is impossible, and is refused before memory is
// set aside for it: a damaged or hostile archive cannot make a reader
// allocate gigabytes from a few bytes.

#include <cstdint>

namespace tailpack {

inline bool MayInflateTo(uint64_t compressedSize, uint64_t inflatedSize) {
  return inflatedSize <= compressedSize * 1040 + 1024;
}

}  // namespace tailpack
