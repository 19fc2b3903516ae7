#include "ui/win32/GdiPlus.h"

#include <string>

namespace tailpack::win32 {

namespace {

const TGdiPlusApi* current = nullptr;

template <typename TFunction>
bool Find(HMODULE module, const char* name, TFunction& function) {
  function = reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

bool FindAll(HMODULE module, TGdiPlusApi& api) {
  return Find(module, "GdiplusStartup", api.Startup) && Find(module, "GdiplusShutdown", api.Shutdown) &&
         Find(module, "GdipCreateBitmapFromStream", api.CreateBitmapFromStream) &&
         Find(module, "GdipCreateMetafileFromStream", api.CreateMetafileFromStream) &&
         Find(module, "GdipCreateBitmapFromScan0", api.CreateBitmapFromScan0) &&
         Find(module, "GdipGetImageWidth", api.GetImageWidth) &&
         Find(module, "GdipGetImageHeight", api.GetImageHeight) && Find(module, "GdipDisposeImage", api.DisposeImage) &&
         Find(module, "GdipGetImageGraphicsContext", api.GetImageGraphicsContext) &&
         Find(module, "GdipCreateFromHDC", api.CreateFromHDC) && Find(module, "GdipDeleteGraphics", api.DeleteGraphics) &&
         Find(module, "GdipDrawImageRectI", api.DrawImageRectI) &&
         Find(module, "GdipDrawImageRectRectI", api.DrawImageRectRectI) &&
         Find(module, "GdipSetClipRectI", api.SetClipRectI) &&
         Find(module, "GdipSetInterpolationMode", api.SetInterpolationMode) &&
         Find(module, "GdipSetPixelOffsetMode", api.SetPixelOffsetMode) &&
         Find(module, "GdipCreateImageAttributes", api.CreateImageAttributes) &&
         Find(module, "GdipDisposeImageAttributes", api.DisposeImageAttributes) &&
         Find(module, "GdipSetImageAttributesColorKeys", api.SetImageAttributesColorKeys) &&
         Find(module, "GdipBitmapGetPixel", api.BitmapGetPixel);
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  path += L"\\";
  path += name;
  return LoadLibraryW(path.c_str());
}

TGdiPlusSession::TGdiPlusSession() {
  module_ = LoadSystemLibrary(L"gdiplus.dll");
  if (!module_ || !FindAll(module_, api_)) return;
  Gdiplus::GdiplusStartupInput input;
  if (api_.Startup(&token_, &input, nullptr) != Gdiplus::Ok) {
    token_ = 0;
    return;
  }
  current = &api_;
}

TGdiPlusSession::~TGdiPlusSession() {
  if (current == &api_) current = nullptr;
  if (token_) api_.Shutdown(token_);
  if (module_) FreeLibrary(module_);
}

const TGdiPlusApi* GdiPlus() { return current; }

}  // namespace tailpack::win32
