// The Win32 controls of the layout kinds on a page area of a hidden window:
// what the wizard sets never reaches its own handlers, what a user does
// does; texts keep their line breaks; pictures load through GDI+ and tile.

#include <gtest/gtest.h>

#include <windows.h>

#include "base/Bytes.h"
#include "ui/win32/GdiPlus.h"
#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {
namespace {

// A 2 x 3 bitmap file of 24-bit pixels.
TBytes TinyBitmap() {
  const int width = 2, height = 3, rowBytes = 8;  // rows padded to 4 bytes
  TBytes file(54 + rowBytes * height, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutU32(file.data() + 2, static_cast<uint32_t>(file.size()));
  PutU32(file.data() + 10, 54);
  PutU32(file.data() + 14, 40);
  PutU32(file.data() + 18, width);
  PutU32(file.data() + 22, height);
  PutU16(file.data() + 26, 1);
  PutU16(file.data() + 28, 24);
  return file;
}

// An enhanced metafile of a frame 20 x 10 mm with a rectangle in it, made
// by the system's own metafile recorder.
TBytes TinyMetafile() {
  RECT frame{0, 0, 2000, 1000};  // in 0.01 mm
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  if (!recorder) return {};
  Rectangle(recorder, 5, 5, 60, 30);
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  if (!metafile) return {};
  TBytes bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(metafile);
  return bytes;
}

class Win32ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    richEdit_ = LoadSystemLibrary(L"msftedit.dll");
    owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 578, 375, nullptr, nullptr, nullptr, nullptr);
    area_ = std::make_unique<TWin32PageArea>(L"RICHEDIT50W");
    if (owner_) area_->Create(owner_, TBounds{0, 0, 578, 375});
    // Wine without a display has no desktop to put windows on; the GUI test
    // (tests/wine/gui_setup.sh) runs these cases again on its own display.
    if (!area_->Handle()) GTEST_SKIP() << "no windows can be made here (no display)";
  }
  void TearDown() override {
    area_.reset();
    if (owner_) DestroyWindow(owner_);
    if (richEdit_) FreeLibrary(richEdit_);
  }

  HMODULE richEdit_ = nullptr;
  HWND owner_ = nullptr;
  std::unique_ptr<TWin32PageArea> area_;
};

TEST_F(Win32ControlsTest, OnlyTheUserChangesReachAnEditsHandler) {
  IControl& edit = area_->CreateControl(TControlKind::Edit, "installdir_edit");
  int changes = 0;
  edit.SetChangeHandler([&changes] { ++changes; });
  edit.SetText(u"C:\\Games");
  EXPECT_EQ(edit.Text(), u"C:\\Games");
  EXPECT_EQ(changes, 0);

  HWND window = FindWindowExW(area_->Handle(), nullptr, L"EDIT", nullptr);
  ASSERT_TRUE(window);
  SendMessageW(window, EM_SETSEL, 8, 8);
  SendMessageW(window, WM_CHAR, L'X', 0);
  EXPECT_EQ(edit.Text(), u"C:\\GamesX");
  EXPECT_EQ(changes, 1);
}

TEST_F(Win32ControlsTest, ARadioButtonClickedChecksItselfOnce) {
  IControl& radio = area_->CreateControl(TControlKind::Radio, "english");
  int changes = 0;
  radio.SetChangeHandler([&changes] { ++changes; });
  radio.SetChecked(false);
  HWND window = FindWindowExW(area_->Handle(), nullptr, L"BUTTON", nullptr);
  ASSERT_TRUE(window);
  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_TRUE(radio.Checked());
  EXPECT_EQ(SendMessageW(window, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_EQ(changes, 1);
}

TEST_F(Win32ControlsTest, TextsKeepTheirLineBreaks) {
  IControl& memo = area_->CreateControl(TControlKind::Memo, "memo");
  memo.SetText(u"one\rtwo");
  EXPECT_EQ(memo.Text(), u"one\rtwo");

  if (!richEdit_) GTEST_SKIP() << "no rich edit on this system";
  IControl& rich = area_->CreateControl(TControlKind::RichEdit, "rich");
  std::string rtf = "{\\rtf1\\ansi Version 1.1\\par\\b Extra\\b0  levels}";
  rich.LoadRichText(TBytes(rtf.begin(), rtf.end()));
  EXPECT_EQ(rich.Text(), u"Version 1.1\rExtra levels");
}

TEST_F(Win32ControlsTest, AnAutoSizedLabelTakesTheSizeOfItsText) {
  IControl& label = area_->CreateControl(TControlKind::Label, "title");
  label.SetBounds(TBounds{24, 16, 530, 100});
  label.SetText(u"Welcome");
  TBounds fitted = label.Bounds();
  EXPECT_GT(fitted.Width, 0);
  EXPECT_LT(fitted.Width, 530);
  EXPECT_LT(fitted.Height, 100);

  IControl& fixed = area_->CreateControl(TControlKind::Label, "text");
  fixed.SetAutoSize(false);
  fixed.SetBounds(TBounds{24, 72, 530, 100});
  fixed.SetText(u"Welcome");
  EXPECT_EQ(fixed.Bounds(), (TBounds{24, 72, 530, 100}));
}

TEST_F(Win32ControlsTest, PicturesLoadThroughGdiPlusAndTileToTheControl) {
  TGdiPlusSession session;
  if (!GdiPlus()) GTEST_SKIP() << "no GDI+ on this system";
  IControl& image = area_->CreateControl(TControlKind::Image, "band");
  image.SetBounds(TBounds{0, 0, 7, 5});
  EXPECT_FALSE(image.LoadPicture(TBytes{'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'}, TPictureFormat::Bitmap));
  EXPECT_EQ(image.PictureSize(), (TSize{0, 0}));
  ASSERT_TRUE(image.LoadPicture(TinyBitmap(), TPictureFormat::Bitmap));
  EXPECT_EQ(image.PictureSize(), (TSize{2, 3}));
  image.TilePicture({TPoint{0, 0}, TPoint{2, 0}, TPoint{4, 0}, TPoint{6, 0}, TPoint{0, 3}});
  EXPECT_EQ(image.PictureSize(), (TSize{7, 5}));
}

TEST_F(Win32ControlsTest, MetafilesLoadThroughGdiPlusAndStretch) {
  TGdiPlusSession session;
  if (!GdiPlus()) GTEST_SKIP() << "no GDI+ on this system";
  const TBytes metafile = TinyMetafile();
  ASSERT_FALSE(metafile.empty());
  IControl& image = area_->CreateControl(TControlKind::Image, "logo");
  image.SetBounds(TBounds{10, 10, 120, 40});
  EXPECT_FALSE(image.LoadPicture(TinyBitmap(), TPictureFormat::Metafile));
  ASSERT_TRUE(image.LoadPicture(metafile, TPictureFormat::Metafile));
  const TSize size = image.PictureSize();
  EXPECT_GT(size.Width, 0);
  EXPECT_GT(size.Height, 0);
  // Drawn stretched into the control, the way a layout shows a logo.
  image.SetStretch(true);
  ShowWindow(owner_, SW_SHOWNOACTIVATE);
  RedrawWindow(owner_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ShowWindow(owner_, SW_HIDE);
}

}  // namespace
}  // namespace tailpack::win32
