#include "gamedata/VfsInspector.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "gamedata/VfsTestSupport.h"

namespace tailpack {
namespace {

class VfsInspectorTest : public test::TempFolderTest {
 protected:
  // An archive of 64-byte blocks with a folder, a compressed and a plain
  // file, saved.
  VfsInspectorTest() {
    test::MakeVfs(Archive(), test::SmallGeometry(64, 128, 4));
    TVFSFile vfs;
    EXPECT_TRUE(vfs.Open(Archive(), true).Ok());
    TBytes text = test::TextBytes(3000), noise = test::RandomBytes(100, 1);
    vfs.Tree().PutFile("Maps\\big.txt", text.data(), 3000);
    vfs.Tree().PutFile("noise.bin", noise.data(), 100);
    EXPECT_TRUE(vfs.Save().Ok());
  }

  std::string Archive() const { return temp_ / "game.vfs"; }
  std::string HashFile() const { return temp_ / "game.ht"; }

  std::vector<std::string> Faults() {
    TVFSFile vfs;
    TStatus opened = vfs.Open(Archive(), true, {}, true);
    EXPECT_TRUE(opened.Ok()) << opened.Message();
    return opened ? CheckVfsArchive(vfs) : std::vector<std::string>{};
  }

  // Patches the archive and, unless told otherwise, gives it a fresh digest
  // so only the patched fault shows.
  void Patch(const std::function<void(TBytes&)>& change, bool redigest = true) {
    TBytes bytes = test::ReadFile(Archive());
    change(bytes);
    test::WriteFile(Archive(), bytes);
    if (!redigest) return;
    TVFSFile vfs;
    ASSERT_TRUE(vfs.Open(Archive(), false).Ok());
    auto digest = vfs.ComputeDigest();
    vfs.Close();
    bytes = test::ReadFile(Archive());
    std::copy(digest->begin(), digest->end(), bytes.begin() + kVfsDigestOffset);
    test::WriteFile(Archive(), bytes);
  }

  uint64_t BlockEntry(uint32_t block) const { return 52 + 256 + 8ull * block; }
  uint64_t RootSlot(uint32_t slot) const { return 52 + 256 + 8ull * 128 + 88ull * slot; }
};

TEST_F(VfsInspectorTest, AnArchiveSavedByAnUpdateHasNoFault) { EXPECT_TRUE(Faults().empty()); }

TEST_F(VfsInspectorTest, EveryFaultIsNamed) {
  const TBytes good = test::ReadFile(Archive());
  const TBytes goodHash = test::ReadFile(HashFile());
  struct TCase {
    const char* What;
    std::function<void()> Damage;
    std::vector<std::string> Faults;
  };
  const std::vector<TCase> cases = {
      {"stale digest",
       [&] { Patch([](TBytes& b) { b.back() ^= 1; }, false); },
       {"the MD5 digest in the header does not match the contents"}},
      {"bytes after the blocks",
       [&] { Patch([](TBytes& b) { b.push_back(0); }); },
       {"the file has 1 bytes after its last block"}},
      {"used count",
       [&] { Patch([](TBytes& b) { PutU32(&b[48 + 256], 99); }); },
       {"the header counts 99 used blocks, the table " + std::to_string(GetU32(&good[48 + 256]))}},
      {"used flag",
       [&] { Patch([this](TBytes& b) { PutU32(&b[BlockEntry(0)], 0); }); },
       {"1 block table entries have a used flag that disagrees with their link"}},
      {"leaked block",
       [&] {
         Patch([this](TBytes& b) {
           PutU32(&b[BlockEntry(127)], 1);
           PutU32(&b[BlockEntry(127) + 4], static_cast<uint32_t>(-1));
           PutU32(&b[48 + 256], GetU32(&b[48 + 256]) + 1);
         });
       },
       {"1 blocks are in use but belong to no entry"}},
      {"flags of neither kind",
       [&] { Patch([this](TBytes& b) { PutU32(&b[RootSlot(1) + 68], 0); }); },
       {"\"noise.bin\" has the flags 0, which make it neither file nor folder",
        HashFile() + " holds 2 records; the archive's files make 1"}},
      {"missing hash file", [&] { Files().Delete(HashFile()); }, {HashFile() + " is missing"}},
      {"different hash file",
       [&] {
         TBytes hash = goodHash;
         hash.back() ^= 1;
         test::WriteFile(HashFile(), hash);
       },
       {HashFile() + " does not match the archive's files (a hash, size, block or uniqueness flag differs)"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    test::WriteFile(Archive(), good);
    test::WriteFile(HashFile(), goodHash);
    c.Damage();
    EXPECT_EQ(Faults(), c.Faults);
  }
}

TEST_F(VfsInspectorTest, DamagedChunksAndLeftoverHashFilesAreFaults) {
  {
    TVFSFile vfs;
    ASSERT_TRUE(vfs.Open(Archive(), true).Ok());
    int32_t node = vfs.Tree().FindByPath("Maps\\big.txt");
    int32_t block = vfs.Tree().Node(node).Entry->FirstBlock - 1;
    uint64_t at = vfs.Layout().DataStart + 64ull * static_cast<uint64_t>(block) + 10;
    vfs.Close();
    Patch([at](TBytes& b) { b[at] ^= 0xFF; });
  }
  std::vector<std::string> faults = Faults();
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].rfind("\"Maps\\big.txt\": chunk 0 ", 0), 0u) << faults[0];

  {
    TVFSFile vfs;
    ASSERT_TRUE(vfs.Open(Archive(), true).Ok());
    vfs.Tree().DeleteByPath("Maps", false);
    vfs.Tree().DeleteByPath("noise.bin", false);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  test::WriteFile(HashFile(), TBytes{0, 0, 0, 0});
  EXPECT_EQ(Faults(), std::vector<std::string>{HashFile() + " exists, but the archive holds no files"});
}

}  // namespace
}  // namespace tailpack
