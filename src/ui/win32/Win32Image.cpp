#include "ui/win32/Win32Image.h"

#include <shlwapi.h>

#include <algorithm>
#include <gdiplus.h>

#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {

TGdiPlusSession::TGdiPlusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

TGdiPlusSession::~TGdiPlusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

TWin32Image::TWin32Image(std::string name, TWin32PageArea& area)
    : TWin32WindowlessControl(TControlKind::Image, std::move(name), area) {}

TWin32Image::~TWin32Image() { Clear(); }

void TWin32Image::Clear() {
  picture_.reset();
  stream_.Reset();
  isBitmap_ = false;
}

bool TWin32Image::LoadPicture(const TBytes& bytes, TPictureFormat format) {
  Clear();
  Invalidate();
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return false;
  *stream_.Put() = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (!stream_) return false;
  std::unique_ptr<Gdiplus::Image> picture;
  if (format == TPictureFormat::Metafile) picture = std::make_unique<Gdiplus::Metafile>(stream_.Get());
  else picture = std::make_unique<Gdiplus::Bitmap>(stream_.Get());
  if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0 || picture->GetHeight() == 0) {
    Clear();
    return false;
  }
  picture_ = std::move(picture);
  isBitmap_ = format == TPictureFormat::Bitmap;
  return true;
}

TSize TWin32Image::PictureSize() const {
  if (!picture_) return {};
  return TSize{static_cast<int>(picture_->GetWidth()), static_cast<int>(picture_->GetHeight())};
}

void TWin32Image::SetStretch(bool stretch) {
  stretch_ = stretch;
  Invalidate();
}

void TWin32Image::SetCenter(bool center) {
  center_ = center;
  Invalidate();
}

void TWin32Image::TilePicture(const std::vector<TPoint>& origins) {
  if (!picture_ || bounds_.Width <= 0 || bounds_.Height <= 0) return;
  const TSize size = PictureSize();
  auto tiled = std::make_unique<Gdiplus::Bitmap>(bounds_.Width, bounds_.Height, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(tiled.get());
    for (const TPoint& origin : origins)
      graphics.DrawImage(picture_.get(), origin.X, origin.Y, size.Width, size.Height);
  }
  picture_ = std::move(tiled);
  stream_.Reset();
  Invalidate();
}

void TWin32Image::Paint(HDC dc) {
  if (!picture_) return;
  const TSize size = PictureSize();
  Gdiplus::Rect target(bounds_.Left, bounds_.Top, size.Width, size.Height);
  if (stretch_) {
    target.Width = bounds_.Width;
    target.Height = bounds_.Height;
  } else if (center_) {
    target.X = bounds_.Left + (bounds_.Width - size.Width) / 2;
    target.Y = bounds_.Top + (bounds_.Height - size.Height) / 2;
  }
  Gdiplus::Graphics graphics(dc);
  graphics.SetClip(Gdiplus::Rect(bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height));
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  Gdiplus::ImageAttributes attributes;
  if (transparent_ && isBitmap_) {
    // The colour of the bottom-left pixel is left out.
    Gdiplus::Color corner;
    static_cast<Gdiplus::Bitmap*>(picture_.get())->GetPixel(0, static_cast<INT>(size.Height) - 1, &corner);
    attributes.SetColorKey(corner, corner);
  }
  graphics.DrawImage(picture_.get(), target, 0, 0, size.Width, size.Height, Gdiplus::UnitPixel, &attributes);
}

}  // namespace tailpack::win32
