#pragma once
// The size of a picture read from its file header, without decoding it: what
// the headless backend needs to know of a picture it never draws (tiling asks
// for it). Bitmaps (both header forms), icons (the first image), JPEG (the
// frame header) and metafiles (placeable WMF and EMF).

#include <optional>

#include "base/Bytes.h"
#include "wizard/Widgets.h"

namespace tailpack {

// Nothing when the bytes are not a picture of that format or give no size.
std::optional<TSize> PictureSizeFromBytes(const TBytes& bytes, TPictureFormat format);

}  // namespace tailpack
