// The headless backend's own work: picture sizes from file headers, the
// plain text of rich texts, and the folder tree's model of the folders.

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "support/TempFolder.h"
#include "ui/headless/HeadlessControls.h"
#include "ui/headless/PictureHeader.h"
#include "ui/headless/RichTextPlain.h"

namespace tailpack {
namespace {

TBytes Bytes(std::initializer_list<int> values) {
  TBytes bytes;
  for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
  return bytes;
}

TBytes Bitmap(uint32_t headerSize, int32_t width, int32_t height) {
  TBytes bytes = {'B', 'M'};
  bytes.resize(14, 0);
  AppendU32(bytes, headerSize);
  if (headerSize == 12) {
    AppendU16(bytes, static_cast<uint16_t>(width));
    AppendU16(bytes, static_cast<uint16_t>(height));
  } else {
    AppendU32(bytes, static_cast<uint32_t>(width));
    AppendU32(bytes, static_cast<uint32_t>(height));
  }
  bytes.resize(64, 0);
  return bytes;
}

TBytes PlaceableMetafile(int16_t right, int16_t bottom, uint16_t unitsPerInch) {
  TBytes bytes;
  AppendU32(bytes, 0x9AC6CDD7u);
  AppendU16(bytes, 0);  // handle
  for (int16_t value : {int16_t{0}, int16_t{0}, right, bottom}) AppendU16(bytes, static_cast<uint16_t>(value));
  AppendU16(bytes, unitsPerInch);
  bytes.resize(22, 0);
  return bytes;
}

TBytes EnhancedMetafile(int32_t right, int32_t bottom) {
  TBytes bytes;
  AppendU32(bytes, 1);
  AppendU32(bytes, 108);
  for (int32_t value : {0, 0, right, bottom}) AppendU32(bytes, static_cast<uint32_t>(value));
  bytes.resize(40, 0);
  AppendU32(bytes, 0x464D4520u);
  return bytes;
}

TEST(PictureHeader, SizesOfEveryFormat) {
  TBytes jpeg = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00,  // an APP0 segment first
                       0xFF, 0xC4, 0x00, 0x02,                          // a table, not a frame
                       0xFF, 0xC2, 0x00, 0x0B, 0x08, 0x01, 0x2C, 0x02, 0x58, 0x03});
  struct TCase {
    const char* Name;
    TBytes Data;
    TPictureFormat Format;
    std::optional<TSize> Size;
  } cases[] = {
      {"bitmap", Bitmap(40, 30, 20), TPictureFormat::Bitmap, TSize{30, 20}},
      {"top-down bitmap", Bitmap(40, 30, -20), TPictureFormat::Bitmap, TSize{30, 20}},
      {"core bitmap", Bitmap(12, 16, 8), TPictureFormat::Bitmap, TSize{16, 8}},
      {"bitmap as icon", Bitmap(40, 30, 20), TPictureFormat::Icon, std::nullopt},
      {"icon", Bytes({0, 0, 1, 0, 1, 0, 32, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0}), TPictureFormat::Icon,
       TSize{32, 256}},
      {"jpeg", jpeg, TPictureFormat::Jpeg, TSize{600, 300}},
      {"placeable metafile", PlaceableMetafile(1440, 720, 1440), TPictureFormat::Metafile, TSize{96, 48}},
      {"enhanced metafile", EnhancedMetafile(99, 49), TPictureFormat::Metafile, TSize{100, 50}},
      {"text", StringToBytes("not a picture at all"), TPictureFormat::Jpeg, std::nullopt},
      {"empty", TBytes{}, TPictureFormat::Bitmap, std::nullopt},
      {"cut jpeg", TBytes(jpeg.begin(), jpeg.begin() + 16), TPictureFormat::Jpeg, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(PictureSizeFromBytes(c.Data, c.Format), c.Size);
  }
}

TEST(RichTextPlain, TextWithoutItsFormatting) {
  struct TCase {
    const char* Rtf;
    std::u16string Text;
  } cases[] = {
      {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}\\f0\\fs20 One\\par Two\\par}",
       u"One\rTwo"},
      {"{\\rtf1{\\*\\generator Writer;}A\\tab B\\line C}", u"A\tB\rC"},
      {"{\\rtf1 caf\\'e9 \\{x\\} a\\\\b}", u"caf\u00e9 {x} a\\b"},
      {"{\\rtf1\\uc1 \\u8364?5 and \\u-3 ?}", u"\u20ac5 and \ufffd"},
      {"{\\rtf1\\uc0 \\u8364 x}", u"\u20acx"},
      {"{\\rtf1 {\\pict\\wmetafile8 0102ff}after}", u"after"},
      {"plain text", u"plain text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Rtf);
    EXPECT_EQ(RtfToPlainText(StringToBytes(c.Rtf)), c.Text);
  }
}

class HeadlessFolderTreeTest : public test::TempFolderTest {};

TEST_F(HeadlessFolderTreeTest, KnowsTheFoldersItWasNavigatedThrough) {
  for (const char* folder : {"b", "A", "A\\inner", "c"}) ASSERT_TRUE(Files().CreateFolder(temp_ / folder));
  test::WriteFile(temp_ / "file.txt", std::string("not a folder"));
  THeadlessFolderTree tree("tree", nullptr);
  ASSERT_EQ(tree.NodeCount(), 4u);
  EXPECT_EQ(tree.Nodes()[2]->Caption, "My Computer");
  EXPECT_EQ(tree.NodePath(2), "");

  tree.ExpandNode(2);
  auto drives = Files().LogicalDrives();
  ASSERT_EQ(tree.NodeCount(), 4u + drives.size());
  EXPECT_EQ(tree.NodePath(3), drives.front());

  tree.SelectPath(temp_ / "a\\");
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_TRUE(SameTextAnsi(tree.SelectedPath(), temp_ / "A")) << tree.SelectedPath();
  // Its siblings were read on the way, sorted without regard to case; files
  // are no nodes.
  const TFolderNode* parent = tree.FindNode(temp_.Path());
  ASSERT_NE(parent, nullptr);
  EXPECT_TRUE(parent->Expanded);
  std::vector<std::string> children;
  for (const auto& child : parent->Children) children.push_back(child->Caption);
  EXPECT_EQ(children, (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_FALSE(tree.Selected()->Listed);  // not opened itself yet

  // A folder that is not there ends the navigation at the last one found.
  tree.SelectPath(temp_ / "A\\inner\\missing");
  EXPECT_TRUE(SameTextAnsi(tree.SelectedPath(), temp_ / "A\\inner")) << tree.SelectedPath();
  tree.SelectPath("Q:\\unmapped");
  EXPECT_TRUE(SameTextAnsi(tree.SelectedPath(), temp_ / "A\\inner")) << tree.SelectedPath();
}

}  // namespace
}  // namespace tailpack
