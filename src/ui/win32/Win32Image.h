#pragma once
// The image kind: a picture loaded through GDI+ from the bytes of a bitmap,
// icon, metafile or JPEG, painted at its own size from the top-left corner,
// centred, or stretched to the control; tiling replaces it by a picture of
// the control's size. A transparent bitmap leaves out the colour of its
// bottom-left pixel.

#include <windows.h>
#include <objidl.h>

#include "platform/win32/Com.h"
#include "ui/win32/GdiPlus.h"
#include "ui/win32/Win32Controls.h"

namespace tailpack::win32 {

class TWin32Image final : public TWin32WindowlessControl {
 public:
  TWin32Image(std::string name, TWin32PageArea& area);
  ~TWin32Image() override;

  bool LoadPicture(const TBytes& bytes, TPictureFormat format) override;
  TSize PictureSize() const override { return size_; }
  void SetStretch(bool stretch) override;
  void SetCenter(bool center) override;
  void TilePicture(const std::vector<TPoint>& origins) override;
  void Paint(HDC dc) override;

 private:
  void Clear();

  // GDI+ reads some pictures lazily from their stream, so it lives as long.
  TComPtr<IStream> stream_;
  Gdiplus::GpImage* picture_ = nullptr;
  TSize size_;
  bool isBitmap_ = false;
  bool stretch_ = false;
  bool center_ = false;
};

}  // namespace tailpack::win32
