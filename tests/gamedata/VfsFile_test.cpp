#include "gamedata/VfsFile.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "gamedata/DosDate.h"
#include "gamedata/GameDataErrors.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTestSupport.h"
#include "platform/Crypto.h"

namespace tailpack {
namespace {

class VfsFileTest : public test::TempFolderTest {
 protected:
  std::string Archive() const { return temp_ / "game.vfs"; }

  void Open(TVFSFile& vfs, bool rebuild = true) {
    TStatus opened = vfs.Open(Archive(), rebuild);
    ASSERT_TRUE(opened.Ok()) << opened.Message();
  }

  TVFSBlockEntry BlockOnDisk(uint32_t block) {
    TBytes bytes = test::ReadFile(Archive());
    uint64_t at = 52 + 256 + 8ull * block;
    return {GetU32(&bytes[at]), static_cast<int32_t>(GetU32(&bytes[at + 4]))};
  }
};

TEST_F(VfsFileTest, ChainsTakeWholeBlocksWithAtLeastOne) {
  test::MakeVfs(Archive(), test::SmallGeometry(64, 16, 4));
  TVFSFile vfs;
  Open(vfs);
  struct TCase {
    uint32_t Size;
    size_t Blocks;
  };
  for (TCase c : {TCase{64, 1}, TCase{65, 2}, TCase{0, 1}, TCase{200, 4}}) {
    SCOPED_TRACE(c.Size);
    TBytes data = test::RandomBytes(c.Size, c.Size);
    TVFSEntry entry;
    entry.Name = "x";
    int32_t before = vfs.Header().UsedBlocks;
    vfs.WriteFile(entry, c.Size ? data.data() : nullptr, c.Size);
    EXPECT_EQ(entry.StoredSize, c.Size);
    EXPECT_EQ(entry.Date, TodayDosDate());
    std::vector<int32_t> chain = vfs.Chain(entry);
    ASSERT_EQ(chain.size(), c.Blocks);
    EXPECT_EQ(vfs.BlockTable()[static_cast<size_t>(chain.back())].Next, -1);
    EXPECT_EQ(BlockOnDisk(static_cast<uint32_t>(chain.back())).Next, -1);
    EXPECT_EQ(vfs.Header().UsedBlocks, before + static_cast<int32_t>(c.Blocks));
    auto read = vfs.ReadFile(entry);
    EXPECT_EQ(read ? read->Data() : TBytes{}, data);
    // The rest of the last block is zero.
    TBytes archive = test::ReadFile(Archive());
    uint64_t end = vfs.Layout().DataStart + 64ull * static_cast<uint64_t>(chain.back()) + 64;
    uint64_t used = c.Size % 64 == 0 ? (c.Size == 0 ? 0 : 64) : c.Size % 64;
    EXPECT_EQ(TBytes(archive.begin() + static_cast<ptrdiff_t>(end - 64 + used),
                     archive.begin() + static_cast<ptrdiff_t>(end)),
              TBytes(64 - used, 0));
    vfs.FreeChain(entry);
    EXPECT_EQ(vfs.Header().UsedBlocks, before);
  }
}

TEST_F(VfsFileTest, AWriteTakesTheFirstFreeBlocksInTableOrder) {
  test::MakeVfs(Archive(), test::SmallGeometry(32, 12, 2));
  {
    // Every block in use except 5 and 9.
    TBytes archive = test::ReadFile(Archive());
    for (uint32_t block = 0; block < 12; ++block) {
      if (block == 5 || block == 9) continue;
      PutU32(&archive[52 + 256 + 8 * block], 1);
      PutU32(&archive[52 + 256 + 8 * block + 4], static_cast<uint32_t>(-1));
    }
    test::WriteFile(Archive(), archive);
  }
  TVFSFile vfs;
  Open(vfs, false);
  EXPECT_EQ(vfs.FindFreeBlock(false), 5);
  EXPECT_EQ(vfs.FindFreeBlock(true), 9);
  TBytes data = test::RandomBytes(64, 3);
  TVFSEntry entry;
  vfs.WriteFile(entry, data.data(), 64);
  EXPECT_EQ(entry.FirstBlock, 6);
  EXPECT_EQ(BlockOnDisk(5).Next, 10);
  EXPECT_EQ(BlockOnDisk(5).Used, 1u);
  EXPECT_EQ(BlockOnDisk(9).Next, -1);
  EXPECT_EQ(vfs.FindFreeBlock(false), -1);

  // Nothing is left: a write is refused before it changes anything.
  TBytes before = test::ReadFile(Archive());
  TVFSEntry more;
  more.Name = "more";
  EXPECT_THROW(vfs.WriteFile(more, nullptr, 0), EArchiveError);
  EXPECT_EQ(test::ReadFile(Archive()), before);
  EXPECT_EQ(more.FirstBlock, 0);
}

TEST_F(VfsFileTest, SaveWritesTheDigestOfEverythingAfterTheHeaderFront) {
  test::MakeVfs(Archive(), test::SmallGeometry());
  TVFSFile vfs;
  Open(vfs);
  TBytes data = test::TextBytes(300);
  vfs.Tree().PutFile("a.txt", data.data(), 300);
  ASSERT_TRUE(vfs.Save().Ok());
  TBytes archive = test::ReadFile(Archive());
  auto md5 = CreateMd5Hash();
  ASSERT_TRUE(md5);
  md5->Update(archive.data() + 44, archive.size() - 44);
  auto digest = md5->Finish();
  ASSERT_TRUE(digest);
  EXPECT_TRUE(std::equal(digest->begin(), digest->end(), archive.begin() + 28));
  EXPECT_EQ(GetU32(&archive[48 + 256]), static_cast<uint32_t>(vfs.Header().UsedBlocks));
  EXPECT_FALSE(Files().Exists(TVfsJournal::PathFor(Archive())));

  ASSERT_TRUE(vfs.Save(true).Ok());
  TBytes skipped = test::ReadFile(Archive());
  EXPECT_EQ(TBytes(skipped.begin() + 28, skipped.begin() + 44), TBytes(16, 0));
}

TEST_F(VfsFileTest, ALongerTextAreaMovesTheTablesAndIsKept) {
  // A header with TextSize 300: 44 bytes of Extra after the text.
  TVFSHeader header;
  header.Ident = {'A', 'B', 'C', 'D'};
  header.BlockSize = 16;
  header.BlockCount = 4;
  header.RootCount = 2;
  header.Reserved1 = 7;
  header.Reserved3 = -3;
  header.TextSize = 300;
  header.Text[0] = 'T';
  header.Extra = test::RandomBytes(44, 9);
  TBytes archive = header.EncodeFront();
  TBytes back = header.EncodeBack();
  archive.insert(archive.end(), back.begin(), back.end());
  archive.resize(archive.size() + 4 * 8 + 2 * 88 + 4 * 16, 0);
  test::WriteFile(Archive(), archive);

  TVFSFile vfs;
  Open(vfs);
  EXPECT_EQ(vfs.Layout().BlockTableStart, 352u);
  vfs.Tree().PutFile("a", nullptr, 0);
  ASSERT_TRUE(vfs.Save().Ok());
  TBytes saved = test::ReadFile(Archive());
  EXPECT_EQ(GetU32(&saved[348]), 1u);  // UsedBlocks
  EXPECT_EQ(TBytes(saved.begin() + 304, saved.begin() + 348), header.Extra);
  EXPECT_EQ(saved[48], 'T');
  EXPECT_EQ(TBytes(saved.begin(), saved.begin() + 28), TBytes(archive.begin(), archive.begin() + 28));
  EXPECT_EQ(GetU32(&saved[352]), 1u);  // block 0 is in use
}

TEST_F(VfsFileTest, TheHashFileIsRewrittenOnlyWhenTheTreeOrItWasLoaded) {
  test::MakeVfs(Archive(), test::SmallGeometry());
  std::string hashFile = temp_ / "game.ht";
  {
    TVFSFile vfs;
    Open(vfs);
    vfs.Tree().PutFile("a.txt", nullptr, 0);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  ASSERT_TRUE(Files().Exists(hashFile));
  TBytes hash = test::ReadFile(hashFile);
  EXPECT_EQ(GetU32(hash.data()), 1u);

  // Opened without the tree: the loaded hash file is written back as it was.
  test::WriteFile(hashFile, hash);
  {
    TVFSFile vfs;
    Open(vfs, false);
    EXPECT_TRUE(vfs.HashFile().Loaded());
    ASSERT_TRUE(vfs.Save().Ok());
  }
  EXPECT_EQ(test::ReadFile(hashFile), hash);

  // Without a hash file to load nothing is created.
  Files().Delete(hashFile);
  {
    TVFSFile vfs;
    Open(vfs, false);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  EXPECT_FALSE(Files().Exists(hashFile));

  // A tree without files leaves no hash file.
  test::WriteFile(hashFile, hash);
  {
    TVFSFile vfs;
    Open(vfs);
    vfs.Tree().DeleteByPath("a.txt", false);
    ASSERT_TRUE(vfs.Save().Ok());
  }
  EXPECT_FALSE(Files().Exists(hashFile));
}

TEST_F(VfsFileTest, RefusesWhatIsNotAValidArchive) {
  test::MakeVfs(Archive(), test::SmallGeometry(64, 8, 4));
  const TBytes good = test::ReadFile(Archive());
  auto patched = [&good](size_t offset, uint32_t value) {
    TBytes bytes = good;
    PutU32(&bytes[offset], value);
    return bytes;
  };
  const uint64_t table = 52 + 256;
  const uint64_t roots = table + 8 * 8;
  // A root file whose chain starts at block 1 and links as given.
  auto rootWithChain = [&](std::vector<std::pair<uint32_t, int32_t>> links, uint32_t storedSize, uint32_t flags = 1,
                           int32_t first = 1) {
    TBytes bytes = good;
    TVFSEntry entry;
    entry.Name = "f";
    entry.Flags = flags;
    entry.FirstBlock = first;
    entry.StoredSize = storedSize;
    entry.EncodeInto(&bytes[roots]);
    for (auto [block, next] : links) {
      PutU32(&bytes[table + 8 * block], 1);
      PutU32(&bytes[table + 8 * block + 4], static_cast<uint32_t>(next));
    }
    return bytes;
  };
  // A folder in block 0 whose content names itself.
  TBytes selfFolder = rootWithChain({{0, -1}}, 88, 2);
  {
    TVFSEntry child;
    child.Name = "again";
    child.Flags = 2;
    child.FirstBlock = 1;
    child.StoredSize = 88;
    child.EncodeInto(&selfFolder[roots + 4 * 88]);
  }
  TBytes crossLinked = rootWithChain({{0, -1}}, 10);
  {
    TVFSEntry other;
    other.Name = "g";
    other.Flags = 1;
    other.FirstBlock = 1;
    other.EncodeInto(&crossLinked[roots + 88]);
  }

  const std::vector<std::pair<const char*, TBytes>> cases = {
      {"too short for a header", TBytes(good.begin(), good.begin() + 200)},
      {"no blocks", patched(8, 0)},
      {"block size 0", patched(4, 0)},
      {"no root slots", patched(12, 0)},
      {"257 root slots", patched(12, 257)},
      {"text size 255", patched(44, 255)},
      {"blocks beyond the end", patched(8, 9)},
      {"chain looping", rootWithChain({{0, 2}, {1, 1}}, 200)},
      {"chain leaving the table", rootWithChain({{0, 99}}, 100)},
      {"chain into a free block", rootWithChain({{0, 2}}, 100)},
      {"chain too short", rootWithChain({{0, -1}}, 65)},
      {"first block outside", rootWithChain({}, 1, 1, 0)},
      {"folder inside itself", selfFolder},
      {"two entries on one block", crossLinked},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    test::WriteFile(Archive(), bytes);
    TVFSFile vfs;
    TStatus opened = vfs.Open(Archive(), true);
    EXPECT_FALSE(opened.Ok());
    EXPECT_EQ(opened.Message().rfind(Archive() + " is not a valid VFS archive: ", 0), 0u) << opened.Message();
    EXPECT_FALSE(vfs.IsOpen());
    EXPECT_EQ(test::ReadFile(Archive()), bytes);
  }
}

TEST(VfsFormat, HashKeysAndHashes) {
  EXPECT_EQ(VfsHashKeyText("a.dat", "a.dat"), "a.dat");
  EXPECT_EQ(VfsHashKeyText("Maps\\Level1\\b.dat", "b.dat"), "Maps\\Level1/b.dat");
  EXPECT_EQ(VfsHash(""), 0u);
  EXPECT_EQ(VfsHash("a"), 97u);
  EXPECT_EQ(VfsHash("ab"), 97u * 65599u + 98u);
  // Modulo 2^32, bytes taken unsigned.
  EXPECT_EQ(VfsHash("\xFF\xFF\xFF"), ((255u * 65599u + 255u) * 65599u + 255u));
}

TEST(VfsHashFile, RecordsAreSortedAndCollisionsMarked) {
  THashTableBuilder builder;
  for (uint32_t hash : {50u, 40u, 30u, 40u, 0u, 10u})
    builder.Insert(TVFSHashRecord{hash, 1, hash, 0, static_cast<int32_t>(hash), 1});
  const auto& records = builder.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].Hash, 10u);
  EXPECT_EQ(records[1].Hash, 30u);
  EXPECT_EQ(records[2].Hash, 40u);
  EXPECT_EQ(records[2].Unique, 0);
  EXPECT_EQ(records[3].Hash, 50u);
  EXPECT_EQ(records[3].Unique, 1);

  TBytes bytes = EncodeHashFile(records);
  ASSERT_EQ(bytes.size(), 4u + 4 * 21);
  EXPECT_EQ(GetU32(bytes.data()), 4u);
  EXPECT_EQ(GetU32(&bytes[4 + 21 * 2 + 16]), 40u);  // FirstBlock of the third
  EXPECT_EQ(bytes[4 + 21 * 2 + 20], 0);
  auto decoded = DecodeHashFile(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->size(), 4u);
  bytes.pop_back();
  EXPECT_FALSE(DecodeHashFile(bytes));
  EXPECT_EQ(VfsHashFilePath("C:\\Game\\data.vfs"), "C:\\Game\\data.ht");
  EXPECT_EQ(VfsHashFilePath("C:\\Ga.me\\data"), "C:\\Ga.me\\data.ht");
}

// The loader tells a missing file and a damaged one by its status; a damaged
// one counts as read with no records, so saving rebuilds it.
TEST_F(VfsFileTest, TheHashFileLoaderFailsOnAMissingOrDamagedFile) {
  TBytes intact = EncodeHashFile({TVFSHashRecord{7, 1, 2, 3, 4, 1}});
  TBytes damaged = intact;
  damaged.pop_back();
  struct TCase {
    const char* Label;
    const TBytes* Bytes;  // null: no file
    bool Ok;
    bool Loaded;
    size_t Records;
  };
  const TCase kCases[] = {
      {"missing", nullptr, false, false, 0}, {"damaged", &damaged, false, true, 0}, {"intact", &intact, true, true, 1}};
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    const std::string path = temp_ / (std::string(row.Label) + ".ht");
    if (row.Bytes) test::WriteFile(path, *row.Bytes);
    TVFSHashFile hashFile;
    TStatus status = hashFile.Load(path);
    EXPECT_EQ(status.Ok(), row.Ok) << status.Message();
    EXPECT_EQ(hashFile.Loaded(), row.Loaded);
    EXPECT_EQ(hashFile.Records().size(), row.Records);
  }
}

TEST(PlatformMd5, KnownDigests) {
  auto md5 = CreateMd5Hash();
  ASSERT_TRUE(md5);
  ASSERT_TRUE(md5->Update(reinterpret_cast<const uint8_t*>("a"), 1));
  ASSERT_TRUE(md5->Update(reinterpret_cast<const uint8_t*>("bc"), 2));
  auto digest = md5->Finish();
  ASSERT_TRUE(digest);
  const TMd5Digest abc = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                          0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  EXPECT_EQ(*digest, abc);
  auto empty = CreateMd5Hash();
  const TMd5Digest none = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                           0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
  EXPECT_EQ(*empty->Finish(), none);
}

}  // namespace
}  // namespace tailpack

namespace tailpack {
namespace {

TEST(VfsFileBuffer, ReadsNoFurtherThanItsCopy) {
  TBytes data = {1, 0, 0, 0, 'a', 0, 'b', 9};
  TVFSFileBuffer buffer(data);
  data[0] = 7;  // the buffer holds its own copy
  EXPECT_EQ(buffer.ReadU32(), 1u);
  EXPECT_EQ(buffer.ReadChars(3), std::string("a\0b", 3));
  uint8_t rest[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(buffer.Read(rest, 4), 1u);
  EXPECT_EQ(rest[0], 9);
  EXPECT_EQ(rest[1], 0xEE);
  EXPECT_EQ(buffer.Read(rest, 4), 0u);
  EXPECT_EQ(buffer.ReadU32(), 0u);  // nothing left reads as 0
  EXPECT_EQ(buffer.ReadChars(2), "");
  EXPECT_EQ(buffer.Position(), buffer.Size());
}

}  // namespace
}  // namespace tailpack
