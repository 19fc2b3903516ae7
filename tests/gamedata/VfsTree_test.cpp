#include "gamedata/VfsTree.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "archive/Zlib.h"
#include "gamedata/GameDataErrors.h"
#include "gamedata/VfsTestSupport.h"

namespace tailpack {
namespace {

class VfsTreeTest : public test::TempFolderTest {
 protected:
  VfsTreeTest() { test::MakeVfs(Archive(), test::SmallGeometry(128, 256, 8)); }

  std::string Archive() const { return temp_ / "game.vfs"; }

  void Open(TVFSFile& vfs) {
    TStatus opened = vfs.Open(Archive(), true);
    ASSERT_TRUE(opened.Ok()) << opened.Message();
  }

  // Every live path with its kind, in node order.
  static std::vector<std::string> Paths(TVFSFile& vfs) {
    std::vector<std::string> paths;
    for (const TTreeFileInfo& node : vfs.Tree().Nodes())
      if (node.Live()) paths.push_back((node.Entry->IsFolder() ? "D " : "F ") + node.Path);
    return paths;
  }
};

TEST_F(VfsTreeTest, PutFileCreatesTheMissingFoldersAndWritesEachLevel) {
  TBytes data = test::TextBytes(1000);
  {
    TVFSFile vfs;
    Open(vfs);
    vfs.Tree().PutFile("Maps\\Level1\\a.dat", data.data(), 1000);
    EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"D Maps", "D Maps\\Level1", "F Maps\\Level1\\a.dat"}));
    const TTreeFileInfo& maps = vfs.Tree().Node(0);
    EXPECT_EQ(maps.Slot, 0);
    EXPECT_EQ(maps.Entry->StoredSize, 88u);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  // Read back from disk alone.
  TVFSFile vfs;
  Open(vfs);
  EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"D Maps", "D Maps\\Level1", "F Maps\\Level1\\a.dat"}));
  EXPECT_EQ(test::VfsFileContent(vfs, "maps\\level1\\A.DAT"), data);
}

TEST_F(VfsTreeTest, PathsWithoutAFolderPartGoToTheRoot) {
  TVFSFile vfs;
  Open(vfs);
  TBytes one = test::TextBytes(10), two = test::TextBytes(20);
  vfs.Tree().PutFile("readme", one.data(), 10);
  EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"F readme"}));
  vfs.Tree().PutFile("Docs\\readme", two.data(), 20);  // no "." anywhere
  EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"F readme"}));
  EXPECT_EQ(test::VfsFileContent(vfs, "readme"), two);
}

TEST_F(VfsTreeTest, AnExistingFolderIsFoundWhateverItsCase) {
  TVFSFile vfs;
  Open(vfs);
  vfs.Tree().PutFile("Maps\\a.dat", nullptr, 0);
  vfs.Tree().PutFile("maps\\b.dat", nullptr, 0);
  vfs.Tree().PutFile("MAPS\\Sub\\c.dat", nullptr, 0);
  EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"D Maps", "F Maps\\a.dat", "F Maps\\b.dat", "D Maps\\Sub",
                                                  "F Maps\\Sub\\c.dat"}));
}

TEST_F(VfsTreeTest, ReplacingAFileFreesItsChainFirst) {
  TVFSFile vfs;
  Open(vfs);
  TBytes first = test::RandomBytes(300, 1), second = test::RandomBytes(300, 2);
  int32_t old = vfs.Tree().PutFile("a.bin", first.data(), 300);
  int32_t oldFirstBlock = vfs.Tree().Node(old).Entry->FirstBlock;
  int32_t used = vfs.Header().UsedBlocks;
  int32_t replaced = vfs.Tree().PutFile("A.BIN", second.data(), 300);
  EXPECT_EQ(vfs.Tree().Node(replaced).Entry->FirstBlock, oldFirstBlock);
  EXPECT_EQ(vfs.Header().UsedBlocks, used);
  EXPECT_EQ(test::VfsFileContent(vfs, "A.BIN"), second);
  EXPECT_EQ(vfs.Tree().FileCount(), 1u);
  // The first spelling's root slot stays taken until the archive is reopened.
  EXPECT_EQ(vfs.Tree().Node(replaced).Slot, 1);
}

TEST_F(VfsTreeTest, FilesAreStoredInCompressedChunksOnlyWhenThatIsSmaller) {
  TVFSFile vfs;
  Open(vfs);
  TBytes text = test::TextBytes(120000);
  int32_t packed = vfs.Tree().PutFile("big.txt", text.data(), 120000);
  const TVFSEntry& entry = *vfs.Tree().Node(packed).Entry;
  EXPECT_EQ(entry.Flags, kVfsFlagFile | kVfsFlagCompressed);
  EXPECT_EQ(entry.OriginalSize, 120000u);
  // Three streams of 50000, 50000 and 20000 bytes, each after its length.
  TBytes stored = vfs.ReadFile(entry)->Data();
  uint32_t expectedStored = 0;
  size_t at = 0;
  for (uint32_t input : {50000u, 50000u, 20000u}) {
    uint32_t length = GetU32(&stored[at]);
    EXPECT_EQ(Inflate(&stored[at + 4], length, input).TotalLength, input);
    at += 4 + length;
    expectedStored += 4 + length;
  }
  EXPECT_EQ(entry.StoredSize, expectedStored);
  EXPECT_EQ(test::VfsFileContent(vfs, "big.txt"), text);

  TBytes noise = test::RandomBytes(1000, 4);
  const TVFSEntry& raw = *vfs.Tree().Node(vfs.Tree().PutFile("noise.bin", noise.data(), 1000)).Entry;
  EXPECT_EQ(raw.Flags, kVfsFlagFile);
  EXPECT_EQ(raw.StoredSize, 1000u);
  EXPECT_EQ(raw.OriginalSize, 0u);

  const TVFSEntry& empty = *vfs.Tree().Node(vfs.Tree().PutFile("empty.txt", nullptr, 0)).Entry;
  EXPECT_EQ(empty.Flags, kVfsFlagFile);
  EXPECT_EQ(empty.StoredSize, 0u);
  EXPECT_EQ(vfs.Chain(empty).size(), 1u);
}

TEST_F(VfsTreeTest, DeletingRewritesTheParentOrClearsTheRootSlot) {
  {
    TVFSFile vfs;
    Open(vfs);
    vfs.Tree().PutFile("Maps\\a.dat", nullptr, 0);
    vfs.Tree().PutFile("Maps\\b.dat", nullptr, 0);
    vfs.Tree().PutFile("top.dat", nullptr, 0);
    int32_t used = vfs.Header().UsedBlocks;
    vfs.Tree().DeleteByPath("Maps\\a.dat", false);
    vfs.Tree().DeleteByPath("top.dat", false);
    // Both files' blocks, and one of Maps's two: its content shrank to one entry.
    EXPECT_EQ(vfs.Header().UsedBlocks, used - 3);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  TVFSFile vfs;
  Open(vfs);
  EXPECT_EQ(Paths(vfs), (std::vector<std::string>{"D Maps", "F Maps\\b.dat"}));
  EXPECT_TRUE(vfs.RootTable()[1].Name.empty());
  // Deleting a folder takes everything below it.
  vfs.Tree().DeleteByPath("MAPS", false);
  EXPECT_EQ(vfs.Header().UsedBlocks, 0);
  EXPECT_TRUE(Paths(vfs).empty());
}

TEST_F(VfsTreeTest, HashRecordsFollowTheKeys) {
  TVFSFile vfs;
  Open(vfs);
  vfs.Tree().PutFile("a.dat", nullptr, 0);
  vfs.Tree().PutFile("Maps\\Level1\\b.dat", nullptr, 0);
  auto records = vfs.Tree().BuildHashRecords();
  ASSERT_EQ(records.size(), 2u);
  uint32_t a = VfsHash("a.dat"), b = VfsHash("Maps\\Level1/b.dat");
  EXPECT_EQ(records[0].Hash, std::min(a, b));
  EXPECT_EQ(records[1].Hash, std::max(a, b));
  EXPECT_EQ(records[a < b ? 1 : 0].FirstBlock,
            vfs.Tree().Node(vfs.Tree().FindByPath("Maps\\Level1\\b.dat")).Entry->FirstBlock);
}

TEST_F(VfsTreeTest, RefusesWhatTheArchiveCannotHold) {
  TVFSFile vfs;
  Open(vfs);
  vfs.Tree().PutFile("Maps.dat", nullptr, 0);
  // A file standing where a folder is needed.
  EXPECT_THROW(vfs.Tree().PutFile("Maps.dat\\x.dat", nullptr, 0), EArchiveError);
  // Eight root slots: Maps.dat and seven more.
  for (int i = 0; i < 7; ++i) vfs.Tree().PutFile("r" + std::to_string(i), nullptr, 0);
  EXPECT_THROW(vfs.Tree().PutFile("one-too-many", nullptr, 0), EArchiveError);
  // More data than free blocks.
  TBytes noise = test::RandomBytes(128 * 300, 5);
  EXPECT_THROW(vfs.Tree().PutFile("r0", noise.data(), static_cast<uint32_t>(noise.size())), EArchiveError);
}

}  // namespace
}  // namespace tailpack
