#pragma once
// GDI+ loaded at run time from the system folder, never from the folder the
// setup was started in (a setup often runs elevated from a downloads folder
// where anybody may have put a library of that name). Only the flat
// functions the image kind uses are looked up.

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <gdiplus.h>

namespace tailpack::win32 {

// A system library by its full path in the system folder; null when missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

struct TGdiPlusApi {
  decltype(&Gdiplus::GdiplusStartup) Startup = nullptr;
  decltype(&Gdiplus::GdiplusShutdown) Shutdown = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateBitmapFromStream) CreateBitmapFromStream = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateMetafileFromStream) CreateMetafileFromStream = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateBitmapFromScan0) CreateBitmapFromScan0 = nullptr;
  decltype(&Gdiplus::DllExports::GdipGetImageWidth) GetImageWidth = nullptr;
  decltype(&Gdiplus::DllExports::GdipGetImageHeight) GetImageHeight = nullptr;
  decltype(&Gdiplus::DllExports::GdipDisposeImage) DisposeImage = nullptr;
  decltype(&Gdiplus::DllExports::GdipGetImageGraphicsContext) GetImageGraphicsContext = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateFromHDC) CreateFromHDC = nullptr;
  decltype(&Gdiplus::DllExports::GdipDeleteGraphics) DeleteGraphics = nullptr;
  decltype(&Gdiplus::DllExports::GdipDrawImageRectI) DrawImageRectI = nullptr;
  decltype(&Gdiplus::DllExports::GdipDrawImageRectRectI) DrawImageRectRectI = nullptr;
  decltype(&Gdiplus::DllExports::GdipSetClipRectI) SetClipRectI = nullptr;
  decltype(&Gdiplus::DllExports::GdipSetInterpolationMode) SetInterpolationMode = nullptr;
  decltype(&Gdiplus::DllExports::GdipSetPixelOffsetMode) SetPixelOffsetMode = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateImageAttributes) CreateImageAttributes = nullptr;
  decltype(&Gdiplus::DllExports::GdipDisposeImageAttributes) DisposeImageAttributes = nullptr;
  decltype(&Gdiplus::DllExports::GdipSetImageAttributesColorKeys) SetImageAttributesColorKeys = nullptr;
  decltype(&Gdiplus::DllExports::GdipBitmapGetPixel) BitmapGetPixel = nullptr;
};

// GDI+ started for the process while the object lives.
class TGdiPlusSession {
 public:
  TGdiPlusSession();
  ~TGdiPlusSession();
  TGdiPlusSession(const TGdiPlusSession&) = delete;
  TGdiPlusSession& operator=(const TGdiPlusSession&) = delete;

 private:
  HMODULE module_ = nullptr;
  ULONG_PTR token_ = 0;
  TGdiPlusApi api_;
};

// The functions of the session in place; null without one (images stay empty).
const TGdiPlusApi* GdiPlus();

}  // namespace tailpack::win32
