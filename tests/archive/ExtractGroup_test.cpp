// Extraction of whole groups: what lands on disk, what is recorded and posted,
// and that no failure is ever reported as an installed file.

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "archive/Verification.h"
#include "base/Text.h"
#include "support/FaultyFileSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/Links.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::TTestEntry;

class ExtractGroupTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    entries_ = {
        {"SetupInfo", 0, test::TextBytes(100)},
        {"a.txt", 1, test::TextBytes(5000)},
        {"Sub\\Deeper\\b.bin", 1, test::RandomBytes(3000, 2)},
        {"empty.txt", 1, {}},
        {"other.txt", 2, test::TextBytes(10)},
    };
    ASSERT_NO_FATAL_FAILURE(Write());
  }

  void Write() { test::WriteArchive(Archive(), entries_); }
  std::string Archive() const { return temp_ / "setup.pak"; }
  std::string Out() const { return temp_ / "out"; }

  void Open(TPak& pak) {
    ASSERT_TRUE(pak.Create(Archive()));
    pak.SetStatusTemplate([] { return std::u16string(u"Extracting <%FileName%>"); });
    pak.SetRecorder(&recorder_);
  }

  std::vector<TTestEntry> entries_;
  test::TRecordingRecorder recorder_;
};

TEST_F(ExtractGroupTest, WritesEveryEntryRecordsAndReportsIt) {
  test::TFaultyFileSystem counting;  // no faults: it counts the flushes
  TFileSystemOverride use(counting);
  TPak pak;
  ASSERT_NO_FATAL_FAILURE(Open(pak));
  test::TProgressCapture progress(pak);
  TStatus status = pak.ExtractGroup(Out(), 1);
  ASSERT_TRUE(status.Ok()) << status.Message();

  EXPECT_EQ(test::ReadFile(Out() + "\\a.txt"), entries_[1].Data);
  EXPECT_EQ(test::ReadFile(Out() + "\\Sub\\Deeper\\b.bin"), entries_[2].Data);
  EXPECT_TRUE(Files().FileExists(Out() + "\\empty.txt"));
  EXPECT_TRUE(test::ReadFile(Out() + "\\empty.txt").empty());
  EXPECT_FALSE(Files().Exists(Out() + "\\other.txt"));

  // Every file in table order, every folder made once, each before the
  // folders inside it (files may be written ahead of their turn, so the two
  // kinds interleave as the threads went).
  const std::vector<std::string> files = {"file:" + Out() + "\\a.txt", "file:" + Out() + "\\Sub\\Deeper\\b.bin",
                                          "file:" + Out() + "\\empty.txt"};
  const std::vector<std::string> folders = {"folder:" + Out(), "folder:" + Out() + "\\Sub\\",
                                            "folder:" + Out() + "\\Sub\\Deeper"};
  auto only = [&](const std::string& kind) {
    std::vector<std::string> events;
    for (const std::string& event : recorder_.Events)
      if (event.rfind(kind, 0) == 0) events.push_back(event);
    return events;
  };
  EXPECT_EQ(only("file:"), files);
  EXPECT_EQ(only("folder:"), folders);
  const std::vector<std::u16string> lines = {u"Extracting a.txt", u"Extracting Sub\\Deeper\\b.bin",
                                             u"Extracting empty.txt", u"Extracting "};
  EXPECT_EQ(progress.Lines, lines);
  EXPECT_EQ(progress.Steps(), 3u);
  // Durability comes with the run's one flush at its end, not file by file.
  EXPECT_TRUE(counting.FlushedFiles().empty());
}

TEST_F(ExtractGroupTest, UnsafeNameRefusesTheWholeGroup) {
  for (const char* unsafe : {"..\\evil.txt", "C:\\evil.txt", "nul.txt", "x/../../evil"}) {
    SCOPED_TRACE(unsafe);
    entries_[3].Name = unsafe;  // the third entry of group 1: two safe ones come first
    ASSERT_NO_FATAL_FAILURE(Write());
    recorder_.Events.clear();
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    test::TProgressCapture progress(pak);
    TStatus status = pak.ExtractGroup(Out(), 1);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find(unsafe), std::string::npos) << status.Message();
    EXPECT_FALSE(Files().Exists(Out()));
    EXPECT_FALSE(Files().Exists(temp_ / "evil.txt"));
    EXPECT_TRUE(recorder_.Events.empty());
    EXPECT_EQ(progress.Steps(), 0u);
  }
}

TEST_F(ExtractGroupTest, DamagedEntryStopsWithoutLeavingAFile) {
  uint32_t offset = 0;
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    offset = pak.Files()[2].Offset;
  }
  test::FlipByte(Archive(), offset + 10);
  TPak pak;
  ASSERT_NO_FATAL_FAILURE(Open(pak));
  test::TProgressCapture progress(pak);
  TStatus status = pak.ExtractGroup(Out(), 1);
  EXPECT_FALSE(status.Ok());
  EXPECT_NE(status.Message().find("Sub\\Deeper\\b.bin"), std::string::npos) << status.Message();
  EXPECT_TRUE(Files().FileExists(Out() + "\\a.txt"));
  EXPECT_FALSE(Files().Exists(Out() + "\\Sub\\Deeper\\b.bin"));
  EXPECT_FALSE(Files().Exists(Out() + "\\empty.txt"));
  EXPECT_EQ(progress.Steps(), 1u);
}

TEST_F(ExtractGroupTest, WriteFailuresAreReportedAndLeaveNoFile) {
  enum class TFault { WritesAfterLimit, Open, Close };
  struct TCase {
    const char* Label;
    TFault Fault;
    uint64_t WriteLimit;  // bytes the target accepts
  };
  const TCase kCases[] = {
      {"disk full after 100 bytes", TFault::WritesAfterLimit, 100},
      {"disk full at once", TFault::WritesAfterLimit, 0},
      {"target cannot be created", TFault::Open, 0},
      {"a write lost, told on closing", TFault::Close, 0},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    switch (row.Fault) {
      case TFault::WritesAfterLimit: faulty.FailWritesAfter(row.WriteLimit, "b.bin"); break;
      case TFault::Open: faulty.FailOpens("b.bin"); break;
      case TFault::Close: faulty.FailCloses("b.bin"); break;
    }
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    TStatus status = pak.ExtractGroup(Out(), 1);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find("b.bin"), std::string::npos) << status.Message();
    faulty.ClearFaults();
    EXPECT_FALSE(Files().Exists(Out() + "\\Sub\\Deeper\\b.bin"));
    EXPECT_FALSE(Files().Exists(Out() + "\\empty.txt"));
  }
}

// A file that cannot be created (another program holds it open) or written
// completely (a full drive) is asked about: trying again after the cause is
// gone finishes the group; declining ends it with an empty message (the
// user has been told) and nothing after it.
TEST_F(ExtractGroupTest, AFileThatCannotBeWrittenIsAskedAboutAndTriedAgain) {
  enum class TFault { Open, DiskFull };
  for (TFault fault : {TFault::Open, TFault::DiskFull}) {
    for (bool retry : {true, false}) {
      SCOPED_TRACE(std::string(fault == TFault::Open ? "open" : "disk full") + (retry ? ", retry" : ", cancel"));
      DeleteTree(Out());
      test::TFaultyFileSystem faulty;
      TFileSystemOverride use(faulty);
      if (fault == TFault::Open) faulty.FailOpens("b.bin");
      else faulty.FailWritesAfter(100, "b.bin");
      TPak pak;
      ASSERT_NO_FATAL_FAILURE(Open(pak));
      std::vector<std::string> asked;
      pak.SetRetryQuestion([&](const std::string& message) {
        asked.push_back(message);
        if (retry && asked.size() == 2) faulty.ClearFaults();  // mended after the first answer
        return retry;
      });
      TStatus status = pak.ExtractGroup(Out(), 1);
      faulty.ClearFaults();
      const std::string target = Out() + "\\Sub\\Deeper\\b.bin";
      ASSERT_EQ(asked.size(), retry ? 2u : 1u);
      EXPECT_NE(asked[0].find("\"" + target + "\""), std::string::npos) << asked[0];
      EXPECT_EQ(status.Ok(), retry);
      EXPECT_EQ(status.Message(), "");
      if (retry) EXPECT_EQ(test::ReadFile(target), entries_[2].Data);
      else EXPECT_FALSE(Files().Exists(target));
      EXPECT_EQ(Files().FileExists(Out() + "\\empty.txt"), retry);
    }
  }
}

// A group much larger than what the prefetching reader keeps in flight: the
// reader waits for the writer, and a failure in the middle (a damaged entry,
// a file that cannot be written) ends the extraction there, with everything
// before it written whole and nothing after it.
TEST_F(ExtractGroupTest, AGroupLargerThanThePrefetchEndsCleanlyAtAFailureInTheMiddle) {
  constexpr uint32_t kEntries = 24, kFailing = 9;
  std::vector<TTestEntry> entries;
  for (uint32_t i = 0; i < kEntries; ++i)
    entries.push_back({"f" + std::to_string(i) + ".bin", 1, i % 2 ? test::TextBytes(600 * 1024) : test::RandomBytes(700 * 1024, i)});
  entries_ = entries;
  ASSERT_NO_FATAL_FAILURE(Write());
  enum class TFault { None, Damaged, CannotWrite };
  for (TFault fault : {TFault::None, TFault::Damaged, TFault::CannotWrite}) {
    SCOPED_TRACE(static_cast<int>(fault));
    DeleteTree(Out());
    ASSERT_NO_FATAL_FAILURE(Write());
    if (fault == TFault::Damaged) {
      TPak pak;
      ASSERT_TRUE(pak.Create(Archive()));
      const uint32_t offset = pak.Files()[kFailing].Offset;
      pak.Close();
      test::FlipByte(Archive(), offset + 100);
    }
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    if (fault == TFault::CannotWrite) faulty.FailWritesAfter(1000, "f" + std::to_string(kFailing) + ".bin");
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    TStatus status = pak.ExtractGroup(Out(), 1);
    faulty.ClearFaults();
    EXPECT_EQ(status.Ok(), fault == TFault::None) << status.Message();
    for (uint32_t i = 0; i < kEntries; ++i) {
      const std::string target = Out() + "\\f" + std::to_string(i) + ".bin";
      if (fault == TFault::None || i < kFailing) EXPECT_EQ(test::ReadFile(target), entries[i].Data) << target;
      else EXPECT_FALSE(Files().Exists(target)) << target;
    }
  }
}

// Two threads write entries ahead of their turn, each inflating on its own
// reader, small and large ones mixed: every byte must land in its own file.
TEST_F(ExtractGroupTest, EveryMixOfSizesComesThroughIntact) {
  const size_t sizes[] = {1, 17, 4000, 70000, 300 * 1024, 0, 2600 * 1024, 5};
  std::vector<TTestEntry> entries;
  for (uint32_t i = 0; i < 160; ++i) {
    const size_t size = sizes[i % std::size(sizes)];
    if (size > 1024 * 1024 && i > 40) continue;  // two of the largest are enough
    entries.push_back({"f" + std::to_string(i) + ".bin", 1, i % 3 ? test::TextBytes(size) : test::RandomBytes(size, i)});
  }
  entries_ = entries;
  ASSERT_NO_FATAL_FAILURE(Write());
  TPak pak;
  ASSERT_NO_FATAL_FAILURE(Open(pak));
  TStatus status = pak.ExtractGroup(Out(), 1);
  ASSERT_TRUE(status.Ok()) << status.Message();
  for (const TTestEntry& entry : entries) EXPECT_EQ(test::ReadFile(Out() + "\\" + entry.Name), entry.Data) << entry.Name;
}

// Entries are written ahead of their turn only as new files. Two entries for
// one file (names that differ in letter case) still end with the later one's
// bytes; a file that was there before is replaced in its turn; and after a
// failure the files behind it that were there before keep their old bytes,
// while the ones written ahead are gone.
TEST_F(ExtractGroupTest, FilesWrittenAheadNeverTakeTheTurnOfAnother) {
  // Large enough to be written ahead (small files are written in their turn).
  constexpr uint32_t kEntries = 160, kFailing = 80;
  std::vector<TTestEntry> entries;
  for (uint32_t i = 0; i < kEntries; ++i)
    entries.push_back({"f" + std::to_string(i) + ".txt", 1, test::TextBytes(64 * 1024 + i * 37 % 9000)});
  // The first entry is always written in its turn, while the other thread
  // already writes the next ones.
  entries[0] = {"Same.txt", 1, test::RandomBytes(3 * 1024 * 1024, 3)};
  entries[2] = {"SAME.TXT", 1, test::TextBytes(70000)};
  entries_ = entries;
  auto before = [](uint32_t i) { return TBytes(10, static_cast<uint8_t>(i)); };
  for (bool failing : {false, true}) {
    SCOPED_TRACE(failing);
    DeleteTree(Out());
    ASSERT_NO_FATAL_FAILURE(Write());
    Files().CreateFolder(Out());
    // Every seventh file is there already.
    for (uint32_t i = 0; i < kEntries; i += 7) {
      if (i != 0 && i != 2) {
        ASSERT_TRUE(WriteWholeFile(Out() + "\\" + entries[i].Name, before(i).data(), 10).Ok());
      }
    }
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    if (failing) faulty.FailWritesAfter(10, "f" + std::to_string(kFailing) + ".txt");
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    TStatus status = pak.ExtractGroup(Out(), 1);
    faulty.ClearFaults();
    EXPECT_EQ(status.Ok(), !failing) << status.Message();
    EXPECT_EQ(test::ReadFile(Out() + "\\Same.txt"), entries[2].Data);
    for (uint32_t i = 0; i < kEntries; ++i) {
      if (i == 0 || i == 2) continue;
      const std::string target = Out() + "\\" + entries[i].Name;
      if (!failing || i < kFailing) EXPECT_EQ(test::ReadFile(target), entries[i].Data) << target;
      else if (i % 7 == 0) EXPECT_EQ(test::ReadFile(target), before(i)) << target;
      else EXPECT_FALSE(Files().Exists(target)) << target;
    }
  }
}

// Half noise, half text: deflate keeps it compressed, at about half its size.
TBytes HalfCompressible(size_t count, uint32_t seed) {
  TBytes bytes = test::TextBytes(count);
  TBytes noise = test::RandomBytes(count, seed);
  for (size_t i = 0; i < count; i += 128) std::copy_n(noise.begin() + i, std::min<size_t>(64, count - i), bytes.begin() + i);
  return bytes;
}

// Entries larger than a read window are checked and inflated piece by piece.
// A damaged one must still fail as damaged (never as a stream error), leave
// a file already at its target alone, and one that inflates to another
// length than its record says must hand back the DecompSize message (shown by
// the caller, never by the archive); verification at start-up must find the same.
TEST_F(ExtractGroupTest, EntriesPastTheReadWindowAreCheckedBeforeTheyAreWritten) {
  const TBytes compressed = HalfCompressible(5 << 20, 4);
  const TBytes raw = test::RandomBytes(3 << 20, 5);
  enum class TDamage { None, FlippedByte, RecordOneByteLonger };
  struct TCase {
    const char* Label;
    const TBytes* Data;
    TDamage Damage;
  };
  const TCase kCases[] = {
      {"compressed, intact", &compressed, TDamage::None},
      {"raw, intact", &raw, TDamage::None},
      {"compressed, a byte flipped", &compressed, TDamage::FlippedByte},
      {"raw, a byte flipped", &raw, TDamage::FlippedByte},
      {"compressed, one byte short of its record", &compressed, TDamage::RecordOneByteLonger},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    {
      TPackedEntry packed = PackBuffer(row.Data->data(), static_cast<uint32_t>(row.Data->size()));
      ASSERT_GT(packed.Stored.size(), 1u << 20);
      ASSERT_EQ(packed.StoredSize != 0, row.Data == &compressed);
      if (row.Damage == TDamage::RecordOneByteLonger) ++packed.Size;
      TPak pak;
      ASSERT_TRUE(pak.Create(Archive(), true, false));
      ASSERT_TRUE(pak.WritePacked(pak.AddFile("big.bin", "", 1), packed).Ok());
      ASSERT_TRUE(pak.WriteHeader().Ok());
    }
    if (row.Damage == TDamage::FlippedByte) test::FlipByte(Archive(), 3 << 19);
    const std::string target = Out() + "\\big.bin";
    ASSERT_TRUE(WriteBufferToFile(target, reinterpret_cast<const uint8_t*>("older"), 5).Ok());
    test::TMessageCapture messages;
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    const bool intact = row.Damage == TDamage::None;
    EXPECT_EQ(pak.VerifyFile(0), intact);
    const std::string verifyMessage = VerifyArchive(pak).Message;
    TStatus status = pak.ExtractGroup(Out(), 1);
    EXPECT_EQ(status.Ok(), intact) << status.Message();
    if (intact) {
      EXPECT_EQ(test::ReadFile(target), *row.Data);
    } else {
      EXPECT_NE(status.Message().find("is damaged"), std::string::npos) << status.Message();
      if (row.Damage == TDamage::FlippedByte) EXPECT_EQ(BytesToString(test::ReadFile(target)), "older");
      else EXPECT_FALSE(Files().Exists(target));
    }
    const std::string decompSize = "big.bin\r\rError: DecompSize - " + std::to_string(compressed.size()) +
                                   " OrigSize - " + std::to_string(compressed.size() + 1);
    const std::string expected = row.Damage == TDamage::RecordOneByteLonger ? decompSize : "";
    EXPECT_EQ(verifyMessage, expected);
    EXPECT_EQ(status.Notice(), expected);
    EXPECT_TRUE(messages.Texts.empty());
  }
}

// Removes a folder (as another program might) just before the file named
// Trigger is opened.
class TFolderRemover final : public test::TForwardingFileSystem {
 public:
  TFolderRemover(std::string trigger, std::string folder)
      : TForwardingFileSystem(Files()), trigger_(std::move(trigger)), folder_(std::move(folder)) {}
  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override {
    if (!done_ && path.size() >= trigger_.size() && path.compare(path.size() - trigger_.size(), trigger_.size(), trigger_) == 0) {
      done_ = true;
      DeleteTree(folder_);
    }
    return inner_.Open(path, mode, share);
  }

 private:
  std::string trigger_;
  std::string folder_;
  bool done_ = false;
};

// The folders made for the first files are remembered for the next ones;
// one that something else removed meanwhile is made again, and recorded.
TEST_F(ExtractGroupTest, AFolderRemovedDuringTheExtractionIsMadeAgain) {
  // One entry, so the removal comes at a known moment: between the folders
  // being made and the file being opened, on the extracting thread.
  entries_ = {{"Sub\\two.txt", 1, test::TextBytes(20)}};
  ASSERT_NO_FATAL_FAILURE(Write());
  TFolderRemover remover("two.txt", Out());
  TFileSystemOverride use(remover);
  TPak pak;
  ASSERT_NO_FATAL_FAILURE(Open(pak));
  TStatus status = pak.ExtractGroup(Out(), 1);
  ASSERT_TRUE(status.Ok()) << status.Message();
  EXPECT_EQ(test::ReadFile(Out() + "\\Sub\\two.txt"), entries_[0].Data);
  const std::vector<std::string> expected = {
      "file:" + Out() + "\\Sub\\two.txt", "folder:" + Out() + "\\", "folder:" + Out() + "\\Sub",
      "folder:" + Out() + "\\", "folder:" + Out() + "\\Sub",
  };
  EXPECT_EQ(recorder_.Events, expected);
}

// Links planted in the target before the setup runs: a folder link below the
// folder the extraction works in stops the group before anything is written
// through it (Boundary names that folder when it holds the target folder); a
// file link at a target is replaced by the file.
TEST_F(ExtractGroupTest, NothingIsWrittenThroughALinkPlantedInTheTarget) {
  const std::string outside = temp_ / "outside";
  ASSERT_TRUE(Files().CreateFolder(outside));
  ASSERT_TRUE(Files().CreateFolder(Out()));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(outside + "\\victim.txt", std::string("keep")));
  if (!test::MakeLink(Out() + "\\Sub", outside, true) || !test::MakeLink(Out() + "\\a.txt", outside + "\\victim.txt", false))
    GTEST_SKIP() << "this system cannot make links that report themselves as such";
  struct TCase {
    const char* Label;
    std::string Folder;
    std::string Boundary;
  };
  const TCase kCases[] = {
      {"the group's own folder", Out(), ""},
      {"a subfolder of the working folder", Out() + "\\Sub", Out()},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    TPak pak;
    ASSERT_NO_FATAL_FAILURE(Open(pak));
    TStatus status = pak.ExtractGroup(row.Folder, 1, row.Boundary);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find("is a link"), std::string::npos) << status.Message();
    EXPECT_FALSE(Files().Exists(outside + "\\Deeper"));
    EXPECT_FALSE(Files().Exists(outside + "\\b.bin"));
    EXPECT_FALSE(Files().Exists(outside + "\\a.txt"));
    EXPECT_EQ(test::ReadFile(outside + "\\victim.txt"), (TBytes{'k', 'e', 'e', 'p'}));
  }
  // The file link at a.txt (the first entry) was replaced by the file itself.
  EXPECT_EQ(test::ReadFile(Out() + "\\a.txt"), entries_[1].Data);
  EXPECT_EQ(Files().Attributes(Out() + "\\a.txt").value_or(0) & kAttributeReparsePoint, 0u);
}

TEST_F(ExtractGroupTest, WriteBufferToFileRemovesATruncatedFile) {
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  faulty.FailWritesAfter(10, "full.bin");
  TBytes data = test::RandomBytes(100, 3);
  TStatus status = WriteBufferToFile(temp_ / "full.bin", data.data(), 100);
  EXPECT_FALSE(status.Ok());
  EXPECT_FALSE(Files().Exists(temp_ / "full.bin"));
  EXPECT_TRUE(WriteBufferToFile(temp_ / "fine.bin", data.data(), 100).Ok());
  EXPECT_EQ(test::ReadFile(temp_ / "fine.bin"), data);
}

}  // namespace
}  // namespace tailpack
