#include "gamedata/VfsUpdate.h"

#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "gamedata/GameDataTestSupport.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTestSupport.h"
#include "support/FaultyFileSystem.h"

namespace tailpack {
namespace {

using test::TTestEntry;

class VfsUpdateTest : public test::TempFolderTest {
 protected:
  VfsUpdateTest() : host_(temp_ / "Game") {
    Files().CreateFolder(temp_ / "Game");
    test::MakeVfs(Archive(), test::SmallGeometry(256, 512, 16));
  }

  std::string Archive() const { return temp_ / "Game\\game.vfs"; }

  void UseSetup(const std::vector<TTestEntry>& entries) {
    pak_.Close();
    ASSERT_NO_FATAL_FAILURE(test::WriteArchive(temp_ / "setup.pak", entries));
    ASSERT_TRUE(pak_.Create(temp_ / "setup.pak"));
  }

  TVfsGroupResult Update(uint16_t group, bool close = true) {
    return state_.UpdateVfsGroup(host_, pak_, group, "game.vfs", close);
  }

  // What the archive holds, read as the installed software would.
  std::vector<std::pair<std::string, TBytes>> Contents() {
    TVFSFile vfs;
    EXPECT_TRUE(vfs.Open(Archive(), true).Ok());
    std::vector<std::pair<std::string, TBytes>> files;
    for (const TTreeFileInfo& node : vfs.Tree().Nodes())
      if (node.Live() && node.Entry->IsFile()) files.emplace_back(node.Path, test::VfsFileContent(vfs, node.Path));
    return files;
  }

  test::TTestUpdateHost host_;
  TPak pak_;
  TVfsUpdateState state_;
};

TEST_F(VfsUpdateTest, PutsTheGroupIntoTheArchiveAndSavesIt) {
  TBytes texture = test::RandomBytes(3000, 1), level = test::TextBytes(60000);
  UseSetup({{"Textures\\wall.bmp", 1, texture}, {"Maps\\level.map", 1, level}, {"empty.cfg", 1, {}}});
  TVfsGroupResult result = Update(1);
  ASSERT_EQ(result.Outcome, TVfsGroupOutcome::Done) << result.Message;
  EXPECT_FALSE(state_.HasOpenArchive());
  // Root entries come first, in slot order.
  EXPECT_EQ(Contents(), (std::vector<std::pair<std::string, TBytes>>{
                            {"empty.cfg", {}}, {"Textures\\wall.bmp", texture}, {"Maps\\level.map", level}}));
  EXPECT_EQ(host_.StatusLines, (std::vector<std::string>{"Opening game.vfs", "game.vfs: 0 of 3", "game.vfs: 0 of 3",
                                                         "game.vfs: 1 of 3", "game.vfs: 2 of 3", "Saving game.vfs"}));
  TBytes hash = test::ReadFile(temp_ / "Game\\game.ht");
  EXPECT_EQ(GetU32(hash.data()), 3u);
  EXPECT_FALSE(Files().Exists(TVfsJournal::PathFor(Archive())));
}

TEST_F(VfsUpdateTest, AnEmptyGroupOpensNothingAndAMissingArchiveIsTold) {
  UseSetup({{"a.txt", 1, test::TextBytes(5)}});
  EXPECT_EQ(Update(2).Outcome, TVfsGroupOutcome::Done);
  EXPECT_EQ(state_.UpdateVfsGroup(host_, pak_, 2, "missing.vfs", true).Outcome, TVfsGroupOutcome::Done);
  EXPECT_TRUE(host_.StatusLines.empty());
  EXPECT_EQ(state_.UpdateVfsGroup(host_, pak_, 1, "missing.vfs", true).Outcome, TVfsGroupOutcome::ArchiveMissing);
  EXPECT_TRUE(host_.StatusLines.empty());
}

TEST_F(VfsUpdateTest, TwoHundredEntriesPublishNinetyNineSteps) {
  std::vector<TTestEntry> entries;
  for (int i = 0; i < 200; ++i) entries.push_back({"Files\\f" + std::to_string(i) + ".txt", 1, {}});
  UseSetup(entries);
  ASSERT_EQ(Update(1).Outcome, TVfsGroupOutcome::Done);
  ASSERT_EQ(host_.Steps.size(), 200u);
  EXPECT_EQ(host_.PublishedSteps(), 99u);
  EXPECT_FALSE(host_.Steps[0]);
  EXPECT_FALSE(host_.Steps[1]);
  EXPECT_TRUE(host_.Steps[2]);    // the 3rd entry: 2 of 200 done is 1 %
  EXPECT_TRUE(host_.Steps[198]);  // the 199th: 99 %
  EXPECT_FALSE(host_.Steps[199]);
}

TEST_F(VfsUpdateTest, AReadOnlyArchiveIsMadeWritable) {
  UseSetup({{"a.txt", 1, test::TextBytes(5)}});
  ASSERT_TRUE(Files().SetAttributes(Archive(), kAttributeReadOnly));
  ASSERT_EQ(Update(1).Outcome, TVfsGroupOutcome::Done);
  EXPECT_EQ(*Files().Attributes(Archive()) & kAttributeReadOnly, 0u);
  EXPECT_EQ(Contents().size(), 1u);
}

TEST_F(VfsUpdateTest, AnArchiveLeftOpenIsSavedByTheNextLine) {
  UseSetup({{"a.txt", 1, test::TextBytes(5)}, {"b.txt", 2, test::TextBytes(6)}});
  ASSERT_EQ(Update(1, false).Outcome, TVfsGroupOutcome::Done);
  EXPECT_TRUE(state_.HasOpenArchive());
  ASSERT_EQ(Update(2, false).Outcome, TVfsGroupOutcome::Done);
  ASSERT_TRUE(state_.CloseVfsArchive(host_).Ok());
  EXPECT_FALSE(state_.HasOpenArchive());
  EXPECT_EQ(host_.StatusLines,
            (std::vector<std::string>{"Opening game.vfs", "game.vfs: 0 of 1", "game.vfs: 0 of 1", "Saving game.vfs",
                                      "Opening game.vfs", "game.vfs: 0 of 1", "game.vfs: 0 of 1", "Saving game.vfs"}));
  EXPECT_EQ(Contents().size(), 2u);
}

TEST_F(VfsUpdateTest, AnArchiveTooFullIsLeftAsItWas) {
  UseSetup({{"a.txt", 1, test::TextBytes(5)}, {"big.bin", 1, test::RandomBytes(256 * 600, 2)}});
  const TBytes before = test::VfsSnapshot(Archive());
  TVfsGroupResult result = Update(1);
  EXPECT_EQ(result.Outcome, TVfsGroupOutcome::Failed);
  EXPECT_EQ(result.Message, Archive() + " is full: \"big.bin\" needs 600 blocks, but only 511 are free. " + Archive() +
                                " is back to its last saved state.");
  EXPECT_FALSE(state_.HasOpenArchive());
  EXPECT_EQ(test::VfsSnapshot(Archive()), before);
}

TEST_F(VfsUpdateTest, ANonArchiveIsRefusedUntouched) {
  test::WriteFile(Archive(), test::TextBytes(5000));
  UseSetup({{"a.txt", 1, test::TextBytes(5)}});
  TVfsGroupResult result = Update(1);
  EXPECT_EQ(result.Outcome, TVfsGroupOutcome::Failed);
  EXPECT_EQ(result.Message.rfind(Archive() + " is not a valid VFS archive: ", 0), 0u) << result.Message;
  EXPECT_EQ(test::ReadFile(Archive()), test::TextBytes(5000));
}

// An update cut short anywhere leaves the archive and its hash file in their
// old state once it is next opened, or in the new one.
class VfsAtomicityTest : public VfsUpdateTest {
 protected:
  VfsAtomicityTest() {
    // An archive with content of its own, saved, so the update replaces
    // files, adds folders and rewrites the hash file.
    UseSetup({{"Maps\\one.map", 1, test::TextBytes(700)},
              {"top.txt", 1, test::RandomBytes(600, 1)},
              {"Maps\\one.map", 2, test::RandomBytes(900, 2)},
              {"maps\\Deep\\two.map", 2, test::TextBytes(400)},
              {"top.txt", 2, {}},
              {"new.txt", 2, test::TextBytes(60000)}});
    EXPECT_EQ(Update(1).Outcome, TVfsGroupOutcome::Done);
  }

  void OpenAgain() {
    TVFSFile vfs;
    TStatus opened = vfs.Open(Archive(), true);
    EXPECT_TRUE(opened.Ok()) << opened.Message();
  }
};

TEST_F(VfsAtomicityTest, AFailureAtAnyWriteLeavesTheOldOrTheNewState) {
  const TBytes old = test::VfsSnapshot(Archive());
  const TBytes oldArchive = test::ReadFile(Archive());
  const TBytes oldHashFile = test::ReadFile(VfsHashFilePath(Archive()));
  std::optional<TBytes> updated;
  for (bool persistent : {false, true}) {
    bool completed = false;
    for (uint64_t call = 1; !completed; ++call) {
      SCOPED_TRACE((persistent ? "from write " : "write ") + std::to_string(call));
      ASSERT_LT(call, 400u) << "the update never completed";
      TVfsGroupResult result;
      {
        test::TFaultyFileSystem faulty;
        TFileSystemOverride use(faulty);
        faulty.FailWriteCall(call, persistent);
        result = Update(2);
      }
      EXPECT_FALSE(state_.HasOpenArchive());
      OpenAgain();
      TBytes now = test::VfsSnapshot(Archive());
      if (result.Outcome == TVfsGroupOutcome::Done) {
        completed = true;
        if (!updated) updated = now;
        EXPECT_EQ(now, *updated);
      } else {
        ASSERT_EQ(now, old) << result.Message;
      }
      EXPECT_FALSE(Files().Exists(TVfsJournal::PathFor(Archive())));
    }
    // Back to the old state for the next round.
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(Archive(), oldArchive));
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(VfsHashFilePath(Archive()), oldHashFile));
    ASSERT_EQ(test::VfsSnapshot(Archive()), old);
  }
}

// The journal's name must be on the disk before the archive's first change:
// when its folder cannot be flushed, the archive is never touched.
TEST_F(VfsAtomicityTest, AJournalWhoseNameCannotBeStoredStopsTheUpdateFirst) {
  const TBytes oldArchive = test::ReadFile(Archive());
  TVfsGroupResult result;
  {
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    faulty.FailFolderFlushes();
    result = Update(2);
  }
  EXPECT_NE(result.Outcome, TVfsGroupOutcome::Done);
  EXPECT_EQ(test::ReadFile(Archive()), oldArchive);
}

TEST_F(VfsAtomicityTest, AnUpdateThatNeverSavedIsRolledBackWhenNextOpened) {
  const TBytes old = test::VfsSnapshot(Archive());
  const TBytes oldArchive = test::ReadFile(Archive());
  {
    // Changes written, then the process is gone before it saved.
    TVFSFile vfs;
    ASSERT_TRUE(vfs.Open(Archive(), true).Ok());
    TBytes data = test::RandomBytes(5000, 9);
    vfs.Tree().PutFile("Maps\\one.map", data.data(), 5000);
    vfs.Tree().PutFile("Other\\x.dat", data.data(), 100);
  }
  EXPECT_NE(test::ReadFile(Archive()), oldArchive);
  EXPECT_TRUE(Files().Exists(TVfsJournal::PathFor(Archive())));
  OpenAgain();
  EXPECT_EQ(test::VfsSnapshot(Archive()), old);
  EXPECT_FALSE(Files().Exists(TVfsJournal::PathFor(Archive())));
}

}  // namespace
}  // namespace tailpack
