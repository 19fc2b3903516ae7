// A data-archive update either completes or leaves the archive exactly as it
// was: a failure at any write restores it at once, or, when even that cannot
// be written, on the next open from the journal beside it.

#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "archive/Zlib.h"
#include "base/Errors.h"
#include "gamedata/DataArchiveSession.h"
#include "gamedata/EmptyArchives.h"
#include "gamedata/GameDataTestSupport.h"
#include "gamedata/PakSystem.h"
#include "gamedata/TailJournal.h"
#include "platform/Platform.h"
#include "support/FaultyFileSystem.h"

namespace tailpack {
namespace {

class DataArchiveAtomicityTest : public test::TempFolderTest {
 protected:
  DataArchiveAtomicityTest() : host_(temp_ / "Game") {
    Files().CreateFolder(temp_ / "Game");
    EXPECT_TRUE(CreateEmptyDataArchive(Archive()).Ok());
    test::WriteArchive(temp_ / "setup.pak", {{"a.txt", 1, test::TextBytes(5000)},
                                             {"b.bin", 1, test::RandomBytes(3000, 2)},
                                             {"c.txt", 2, test::TextBytes(7000)},
                                             {"a.txt", 2, test::RandomBytes(100, 3)},
                                             {"d.wav", 2, test::WaveFile(1, 16, test::RandomBytes(3000, 4))},
                                             {"e.dat", 2, {}}});
    EXPECT_TRUE(pak_.Create(temp_ / "setup.pak"));
    EXPECT_TRUE(TPakSystem(host_, pak_).UpdateArchive(1, "data.zrp", "pw").Ok());
  }

  std::string Archive() const { return temp_ / "Game\\data.zrp"; }

  // Opens the archive as the next update would, which applies a journal.
  void OpenAgain() {
    TDataArchiveSession session(host_);
    TStatus opened = session.Open(Archive());
    EXPECT_TRUE(opened.Ok()) << opened.Message();
  }

  test::TTestUpdateHost host_;
  TPak pak_;
};

TEST_F(DataArchiveAtomicityTest, AFailureAtAnyWriteLeavesTheOldArchive) {
  const TBytes old = test::ReadFile(Archive());
  for (bool persistent : {false, true}) {
    bool completed = false;
    for (uint64_t call = 1; !completed; ++call) {
      SCOPED_TRACE((persistent ? "from write " : "write ") + std::to_string(call));
      ASSERT_LT(call, 100u) << "the update never completed";
      TStatus status = TStatus::Success();
      {
        test::TFaultyFileSystem faulty;
        TFileSystemOverride use(faulty);
        faulty.FailWriteCall(call, persistent);
        status = TPakSystem(host_, pak_).UpdateArchive(2, "data.zrp", "pw");
      }
      if (status.Ok()) {
        completed = true;
        continue;
      }
      EXPECT_EQ(status.Message().rfind("Disk full, ", 0), 0u) << status.Message();
      OpenAgain();
      ASSERT_EQ(test::ReadFile(Archive()), old);
      EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));
    }
    // The update that got through holds everything.
    EXPECT_EQ(test::EntryNames(test::ReadZrp(Archive())),
              (std::vector<std::string>{"b.bin", "c.txt", "a.txt", "d.wav", "e.dat"}));
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(Archive(), old));
  }
}

// The journal's name must be on the disk before the archive is cut: when
// its folder cannot be flushed, the archive is never touched.
TEST_F(DataArchiveAtomicityTest, AJournalWhoseNameCannotBeStoredStopsTheUpdateFirst) {
  const TBytes old = test::ReadFile(Archive());
  TStatus status = TStatus::Success();
  {
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    faulty.FailFolderFlushes();
    status = TPakSystem(host_, pak_).UpdateArchive(2, "data.zrp", "pw");
  }
  EXPECT_EQ(status.Message().rfind("Disk full, ", 0), 0u) << status.Message();
  EXPECT_EQ(test::ReadFile(Archive()), old);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));
}

TEST_F(DataArchiveAtomicityTest, AnArchiveLeftCutByACrashIsRestoredWhenNextOpened) {
  const TBytes old = test::ReadFile(Archive());
  const uint64_t tableStart = test::ReadZrp(Archive()).TableStart;
  {
    // What a process killed while adding entries leaves: the journal, and
    // the archive cut at its table with half an entry after it.
    auto file = Files().Open(Archive(), TFileMode::OpenReadWrite);
    ASSERT_TRUE(SaveTailJournal(Archive(), *file, tableStart).Ok());
    ASSERT_TRUE(file->Seek(tableStart));
    TBytes half = test::RandomBytes(777, 5);
    ASSERT_EQ(file->Write(half.data(), static_cast<uint32_t>(half.size())), half.size());
    ASSERT_TRUE(file->Truncate());
  }
  OpenAgain();
  EXPECT_EQ(test::ReadFile(Archive()), old);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));

  // The same state, found by an update, which then goes ahead.
  {
    auto file = Files().Open(Archive(), TFileMode::OpenReadWrite);
    ASSERT_TRUE(SaveTailJournal(Archive(), *file, tableStart).Ok());
    ASSERT_TRUE(file->Seek(tableStart));
    ASSERT_TRUE(file->Truncate());
  }
  ASSERT_TRUE(TPakSystem(host_, pak_).UpdateArchive(2, "data.zrp", "pw").Ok());
  EXPECT_EQ(test::ReadZrp(Archive()).Entries.size(), 5u);
}

TEST_F(DataArchiveAtomicityTest, AnIncompleteJournalWasNeverActedUponAndIsDropped) {
  const TBytes old = test::ReadFile(Archive());
  {
    auto file = Files().Open(Archive(), TFileMode::OpenReadWrite);
    ASSERT_TRUE(SaveTailJournal(Archive(), *file, test::ReadZrp(Archive()).TableStart).Ok());
  }
  TBytes journal = test::ReadFile(TailJournalPath(Archive()));
  journal.pop_back();
  test::WriteFile(TailJournalPath(Archive()), journal);
  OpenAgain();
  EXPECT_EQ(test::ReadFile(Archive()), old);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));
}

TEST_F(DataArchiveAtomicityTest, AnErrorWhileAddingRestoresBeforeItGoesOn) {
  const TBytes old = test::ReadFile(Archive());
  // A compressed wave whose stream is damaged under a matching checksum:
  // inflating it raises.
  pak_.Close();
  std::string setup = temp_ / "broken.pak";
  test::WriteArchive(setup,
                     {{"x.txt", 3, test::TextBytes(100)}, {"quiet.wav", 3, test::WaveFile(1, 16, TBytes(9000))}});
  {
    TPak reader;
    ASSERT_TRUE(reader.Create(setup));
    const TPakFile& wave = reader.Files()[1];
    ASSERT_NE(wave.StoredSize, 0u);
    TBytes stream = *reader.ReadStored(1);
    reader.Close();
    stream[stream.size() / 2] ^= 0xFF;
    stream[stream.size() / 2 + 1] ^= 0xFF;
    test::PatchBytes(setup, wave.Offset, stream);
    test::PatchU32(setup, test::RecordFieldOffset(setup, 1, test::TRecordField::Checksum),
                   Crc32(stream.data(), stream.size()));
  }
  ASSERT_TRUE(pak_.Create(setup));
  EXPECT_THROW(TPakSystem(host_, pak_).UpdateArchive(3, "data.zrp", "pw"), EDecompressionError);
  EXPECT_EQ(test::ReadFile(Archive()), old);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));
}

}  // namespace
}  // namespace tailpack
