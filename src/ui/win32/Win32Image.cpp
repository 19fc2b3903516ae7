#include "ui/win32/Win32Image.h"

#include <shlwapi.h>

#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {

namespace {

// A GDI+ drawing surface, deleted when it goes.
class TGraphics {
 public:
  TGraphics(const TGdiPlusApi& api, Gdiplus::GpGraphics* graphics) : api_(api), graphics_(graphics) {}
  ~TGraphics() {
    if (graphics_) api_.DeleteGraphics(graphics_);
  }
  TGraphics(const TGraphics&) = delete;
  TGraphics& operator=(const TGraphics&) = delete;
  Gdiplus::GpGraphics* Get() const { return graphics_; }

 private:
  const TGdiPlusApi& api_;
  Gdiplus::GpGraphics* graphics_;
};

}  // namespace

TWin32Image::TWin32Image(std::string name, TWin32PageArea& area)
    : TWin32WindowlessControl(TControlKind::Image, std::move(name), area) {}

TWin32Image::~TWin32Image() { Clear(); }

void TWin32Image::Clear() {
  if (picture_)
    if (const TGdiPlusApi* api = GdiPlus()) api->DisposeImage(picture_);
  picture_ = nullptr;
  stream_.Reset();
  size_ = TSize{};
  isBitmap_ = false;
}

bool TWin32Image::LoadPicture(const TBytes& bytes, TPictureFormat format) {
  Clear();
  Invalidate();
  const TGdiPlusApi* api = GdiPlus();
  if (!api || bytes.empty() || bytes.size() > 0x7FFFFFFF) return false;
  *stream_.Put() = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (!stream_) return false;
  Gdiplus::GpStatus status;
  if (format == TPictureFormat::Metafile) {
    Gdiplus::GpMetafile* metafile = nullptr;
    status = api->CreateMetafileFromStream(stream_.Get(), &metafile);
    picture_ = metafile;
  } else {
    Gdiplus::GpBitmap* bitmap = nullptr;
    status = api->CreateBitmapFromStream(stream_.Get(), &bitmap);
    picture_ = bitmap;
  }
  UINT width = 0;
  UINT height = 0;
  if (status != Gdiplus::Ok || !picture_ || api->GetImageWidth(picture_, &width) != Gdiplus::Ok ||
      api->GetImageHeight(picture_, &height) != Gdiplus::Ok || width == 0 || height == 0) {
    Clear();
    return false;
  }
  size_ = TSize{static_cast<int>(width), static_cast<int>(height)};
  isBitmap_ = format == TPictureFormat::Bitmap;
  return true;
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
  const TGdiPlusApi* api = GdiPlus();
  if (!api || !picture_ || bounds_.Width <= 0 || bounds_.Height <= 0) return;
  Gdiplus::GpBitmap* tiled = nullptr;
  if (api->CreateBitmapFromScan0(bounds_.Width, bounds_.Height, 0, PixelFormat32bppARGB, nullptr, &tiled) !=
          Gdiplus::Ok ||
      !tiled)
    return;
  {
    Gdiplus::GpGraphics* surface = nullptr;
    api->GetImageGraphicsContext(tiled, &surface);
    TGraphics graphics(*api, surface);
    if (graphics.Get())
      for (const TPoint& origin : origins)
        api->DrawImageRectI(graphics.Get(), picture_, origin.X, origin.Y, size_.Width, size_.Height);
  }
  const bool wasBitmap = isBitmap_;
  Clear();
  picture_ = tiled;
  size_ = TSize{bounds_.Width, bounds_.Height};
  isBitmap_ = wasBitmap;
  Invalidate();
}

void TWin32Image::Paint(HDC dc) {
  const TGdiPlusApi* api = GdiPlus();
  if (!api || !picture_) return;
  RECT target{bounds_.Left, bounds_.Top, size_.Width, size_.Height};  // left, top, width, height
  if (stretch_) {
    target.right = bounds_.Width;
    target.bottom = bounds_.Height;
  } else if (center_) {
    target.left = bounds_.Left + (bounds_.Width - size_.Width) / 2;
    target.top = bounds_.Top + (bounds_.Height - size_.Height) / 2;
  }
  Gdiplus::GpGraphics* surface = nullptr;
  api->CreateFromHDC(dc, &surface);
  TGraphics graphics(*api, surface);
  if (!graphics.Get()) return;
  api->SetClipRectI(graphics.Get(), bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height, Gdiplus::CombineModeReplace);
  api->SetInterpolationMode(graphics.Get(), Gdiplus::InterpolationModeHighQualityBicubic);
  api->SetPixelOffsetMode(graphics.Get(), Gdiplus::PixelOffsetModeHalf);
  Gdiplus::GpImageAttributes* attributes = nullptr;
  if (transparent_ && isBitmap_) {
    // The colour of the bottom-left pixel is left out.
    Gdiplus::ARGB corner = 0;
    api->BitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(picture_), 0, size_.Height - 1, &corner);
    if (api->CreateImageAttributes(&attributes) == Gdiplus::Ok)
      api->SetImageAttributesColorKeys(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE, corner, corner);
  }
  api->DrawImageRectRectI(graphics.Get(), picture_, target.left, target.top, target.right, target.bottom, 0, 0,
                          size_.Width, size_.Height, Gdiplus::UnitPixel, attributes, nullptr, nullptr);
  if (attributes) api->DisposeImageAttributes(attributes);
}

}  // namespace tailpack::win32
