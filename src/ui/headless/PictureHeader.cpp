#include "ui/headless/PictureHeader.h"

#include <cstdlib>

namespace tailpack {

namespace {

int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(GetU16(p)); }
uint16_t GetU16BigEndian(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

std::optional<TSize> Positive(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
  return TSize{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<TSize> BitmapSize(const TBytes& b) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  uint32_t headerSize = GetU32(&b[14]);
  if (headerSize == 12) return Positive(GetU16(&b[18]), GetU16(&b[20]));  // the old core header
  if (headerSize < 40) return std::nullopt;
  // A negative height marks a top-down bitmap.
  return Positive(GetI32(&b[18]), std::llabs(static_cast<int64_t>(GetI32(&b[22]))));
}

std::optional<TSize> IconSize(const TBytes& b) {
  if (b.size() < 6 + 16 || GetU16(&b[0]) != 0 || GetU16(&b[2]) != 1 || GetU16(&b[4]) == 0) return std::nullopt;
  // A 0 in the directory entry stands for 256 pixels.
  int width = b[6] == 0 ? 256 : b[6];
  int height = b[7] == 0 ? 256 : b[7];
  return TSize{width, height};
}

std::optional<TSize> JpegSize(const TBytes& b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return std::nullopt;
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    uint16_t length = GetU16BigEndian(&b[at + 2]);
    if (length < 2) return std::nullopt;
    // Start-of-frame markers; C4, C8 and CC are tables, not frames.
    bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size()) return std::nullopt;
      return Positive(GetU16BigEndian(&b[at + 7]), GetU16BigEndian(&b[at + 5]));
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end of image or scan before a frame
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<TSize> MetafileSize(const TBytes& b) {
  // A placeable Windows metafile: its bounding box in units of 1/inch.
  if (b.size() >= 22 && GetU32(&b[0]) == 0x9AC6CDD7u) {
    int64_t width = GetI16(&b[10]) - GetI16(&b[6]);
    int64_t height = GetI16(&b[12]) - GetI16(&b[8]);
    uint16_t unitsPerInch = GetU16(&b[14]);
    if (unitsPerInch == 0) return std::nullopt;
    return Positive(width * 96 / unitsPerInch, height * 96 / unitsPerInch);
  }
  // An enhanced metafile: its inclusive bounds in device pixels.
  if (b.size() >= 44 && GetU32(&b[0]) == 1 && GetU32(&b[40]) == 0x464D4520u)
    return Positive(static_cast<int64_t>(GetI32(&b[16])) - GetI32(&b[8]) + 1,
                    static_cast<int64_t>(GetI32(&b[20])) - GetI32(&b[12]) + 1);
  return std::nullopt;
}

}  // namespace

std::optional<TSize> PictureSizeFromBytes(const TBytes& bytes, TPictureFormat format) {
  switch (format) {
    case TPictureFormat::Bitmap: return BitmapSize(bytes);
    case TPictureFormat::Icon: return IconSize(bytes);
    case TPictureFormat::Jpeg: return JpegSize(bytes);
    case TPictureFormat::Metafile: return MetafileSize(bytes);
  }
  return std::nullopt;
}

}  // namespace tailpack
