#include "archive/Pak.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "archive/Zlib.h"
#include "base/Errors.h"
#include "support/FaultyFileSystem.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::TTestEntry;

class PakTest : public test::TempFolderTest {
 protected:
  std::string Archive() const { return temp_ / "setup.pak"; }

  // Mixed entries: compressible, incompressible, empty, the same name in two
  // groups, a name with folders.
  std::vector<TTestEntry> SampleEntries() const {
    return {
        {"SetupInfo", 0, test::TextBytes(3000)},
        {"random.bin", 1, test::RandomBytes(4096, 1)},
        {"empty.txt", 1, {}},
        {"readme.txt", 0, test::TextBytes(50)},
        {"README.TXT", 2, test::TextBytes(70)},
        {"Data\\Maps\\one.map", 2, test::TextBytes(10000)},
        {"last.txt", 1, test::TextBytes(1)},
    };
  }
};

TEST(PakHeader, EncodesEveryFieldLittleEndian) {
  TPakHeader header;
  header.ID = kPakMagic;
  header.Version = 1;
  header.FileCount = 0x0203;
  header.DataStart = 0x04050607;
  header.TableOffset = 0x08090A0B;
  auto bytes = header.Encode();
  const std::array<uint8_t, 16> expected = {'Z', 'R', 'P', 'F', 1, 0, 3, 2, 7, 6, 5, 4, 0x0B, 0x0A, 9, 8};
  EXPECT_EQ(bytes, expected);
  uint8_t raw[kPakHeaderSize];
  std::copy(bytes.begin(), bytes.end(), raw);
  TPakHeader decoded = TPakHeader::Decode(raw);
  EXPECT_TRUE(decoded.HasMagic());
  EXPECT_EQ(decoded.FileCount, 0x0203);
  EXPECT_EQ(decoded.DataStart, 0x04050607u);
  EXPECT_EQ(decoded.TableOffset, 0x08090A0Bu);
}

TEST_F(PakTest, StandAloneArchiveReadsBackRecordsAndContents) {
  auto entries = SampleEntries();
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), entries));

  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_TRUE(pak.IsValid());
  EXPECT_EQ(pak.Header().IdText(), "ZRPF");
  EXPECT_EQ(pak.Header().Version, 1);
  EXPECT_EQ(pak.Header().FileCount, entries.size());
  EXPECT_EQ(pak.Header().DataStart, 0u);
  ASSERT_EQ(pak.FileCount(), entries.size());
  EXPECT_EQ(pak.Files()[0].Offset, 0u);  // data starts right where the host (none) ended

  uint64_t expectedOffset = 0;
  for (uint32_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(entries[i].Name);
    const TPakFile& record = pak.Files()[i];
    EXPECT_EQ(record.Name, entries[i].Name);
    EXPECT_EQ(record.Group, entries[i].Group);
    EXPECT_EQ(record.Size, entries[i].Data.size());
    EXPECT_EQ(record.Offset, expectedOffset);  // back to back, in table order
    expectedOffset += record.StoredLength();
    EXPECT_TRUE(pak.VerifyFile(i));
    auto contents = pak.ExtractFile(i);
    if (entries[i].Data.empty()) {
      EXPECT_FALSE(contents);
    } else {
      ASSERT_TRUE(contents);
      EXPECT_EQ(*contents, entries[i].Data);
    }
  }
  EXPECT_EQ(pak.Header().TableOffset, expectedOffset);
  EXPECT_FALSE(pak.ExtractFile(pak.FileCount()));
  EXPECT_FALSE(pak.VerifyFile(pak.FileCount()));
}

TEST_F(PakTest, AppendedArchiveStartsWhereTheHostEnded) {
  TBytes host = test::RandomBytes(12345, 3);
  test::WriteFile(Archive(), host);
  auto entries = SampleEntries();
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), entries, /*append=*/true));

  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_EQ(pak.Header().DataStart, host.size());
  ASSERT_EQ(pak.FileCount(), entries.size());
  EXPECT_EQ(pak.Files()[0].Offset, pak.Header().DataStart);
  for (uint32_t i = 0; i < entries.size(); ++i) EXPECT_TRUE(pak.VerifyFile(i)) << i;
  TBytes all = test::ReadFile(Archive());
  EXPECT_TRUE(std::equal(host.begin(), host.end(), all.begin()));
}

TEST_F(PakTest, FindFileMatchesNameCaseInsensitivelyWithinItsGroup) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), SampleEntries()));
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  uint32_t start = 0;
  ASSERT_TRUE(pak.FirstIndexInGroup(1, start));  // FindFile must leave the walk alone

  struct TCase {
    const char* Name;
    uint16_t Group;
    size_t ExpectedSize;  // 0: not found
  };
  const TCase kCases[] = {
      {"setupinfo", 0, 3000}, {"README.txt", 0, 50}, {"readme.txt", 2, 70},
      {"readme.txt", 1, 0},   {"missing", 0, 0},     {"data\\maps\\ONE.MAP", 2, 10000},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(std::string(row.Name) + " in group " + std::to_string(row.Group));
    uint32_t size = 99;
    auto data = pak.FindFile(row.Name, row.Group, size);
    EXPECT_EQ(size, row.ExpectedSize);
    EXPECT_EQ(static_cast<bool>(data), row.ExpectedSize != 0);
    if (data) {
      EXPECT_EQ(data->size(), row.ExpectedSize);
    }
  }
  EXPECT_EQ(pak.Cursor(), start + 1);
}

TEST_F(PakTest, GroupWalksVisitEntriesInTableOrder) {
  auto entries = SampleEntries();
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), entries));
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));

  std::vector<std::string> names;
  uint32_t size = 0;
  std::string name;
  auto data = pak.FindFirstInGroup(1, size, /*extract=*/true, name);
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, entries[1].Data);
  EXPECT_EQ(pak.Cursor(), 2u);
  while (!name.empty()) {
    names.push_back(name + "=" + std::to_string(size));
    data = pak.FindNextInGroup(1, size, /*extract=*/false, name);
    EXPECT_FALSE(data);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"random.bin=4096", "empty.txt=0", "last.txt=1"}));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(pak.Cursor(), 7u);  // unchanged by the walk that found nothing

  std::vector<uint32_t> indices;
  uint32_t index = 0;
  for (bool found = pak.FirstIndexInGroup(2, index); found; found = pak.NextIndexInGroup(2, index))
    indices.push_back(index);
  EXPECT_EQ(indices, (std::vector<uint32_t>{4, 5}));

  std::vector<uint32_t> visited;
  pak.ForEachInGroup(0, [&](uint32_t i) { visited.push_back(i); });
  EXPECT_EQ(visited, (std::vector<uint32_t>{0, 3}));
  pak.ForEachInGroup(0, nullptr);

  EXPECT_EQ(pak.CountGrouped(), 5u);
  EXPECT_EQ(pak.CountInGroup(0), 2u);
  EXPECT_EQ(pak.CountInGroup(1), 3u);
  EXPECT_EQ(pak.CountInGroup(9), 0u);
  EXPECT_FALSE(pak.FirstIndexInGroup(9, index));
}

TEST(PackBuffer, StoresRawWhenDeflateDoesNotHelp) {
  struct TCase {
    const char* Label;
    TBytes Data;
    bool Compressed;
  };
  const TCase kCases[] = {
      {"text", test::TextBytes(5000), true},
      {"random", test::RandomBytes(5000, 9), false},
      {"one byte", TBytes{'x'}, false},
      {"empty", {}, false},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    TPackedEntry packed = PackBuffer(row.Data.data(), static_cast<uint32_t>(row.Data.size()));
    EXPECT_EQ(packed.Size, row.Data.size());
    EXPECT_EQ(packed.StoredSize != 0, row.Compressed);
    if (row.Compressed) {
      EXPECT_EQ(packed.StoredSize, packed.Stored.size());
      EXPECT_LT(packed.Stored.size(), row.Data.size());
    } else {
      EXPECT_EQ(packed.Stored, row.Data);
    }
    // The checksum covers the stored bytes, stream or raw.
    EXPECT_EQ(packed.Checksum, Crc32(packed.Stored.data(), packed.Stored.size()));
  }
}

TEST_F(PakTest, PackDataFillsTheRecord) {
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive(), true, false));
  TBytes data = test::RandomBytes(300, 4);
  uint32_t index = pak.AddFile("x", "", 3);
  EXPECT_EQ(pak.Files()[index].Size, 0u);
  TBytes stored = pak.PackData(index, data.data(), static_cast<uint32_t>(data.size()));
  EXPECT_EQ(stored, data);
  EXPECT_EQ(pak.Files()[index].Size, 300u);
  EXPECT_EQ(pak.Files()[index].StoredSize, 0u);
  EXPECT_EQ(pak.Files()[index].Checksum, Crc32(data.data(), data.size()));
  EXPECT_THROW(pak.PackData(5, data.data(), 1), EListIndexError);
}

TEST_F(PakTest, SourceFilesAndPrePackedEntriesWriteTheSameArchive) {
  TBytes first = test::TextBytes(20000);
  TBytes second = test::RandomBytes(777, 5);
  test::WriteFile(temp_ / "first.txt", first);
  test::WriteFile(temp_ / "second.bin", second);

  // One archive from source files, one from entries packed "elsewhere" (as a
  // builder would on several threads) and appended in order.
  const std::string fromSources = temp_ / "a.pak";
  const std::string fromPacked = temp_ / "b.pak";
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(fromSources, true, false));
    EXPECT_TRUE(pak.WriteSourceFile(pak.AddFile("first.txt", temp_ / "first.txt", 1)).Ok());
    EXPECT_TRUE(pak.WriteSourceFile(pak.AddFile("second.bin", temp_ / "second.bin", 1)).Ok());
    TStatus missing = pak.WriteSourceFile(pak.AddFile("gone", temp_ / "gone.txt", 1));
    EXPECT_FALSE(missing.Ok());
    EXPECT_NE(missing.Message().find("gone.txt"), std::string::npos);
    EXPECT_FALSE(pak.PackSourceFile(2));
  }
  {
    TPackedEntry packedFirst = PackBuffer(first.data(), static_cast<uint32_t>(first.size()));
    TPackedEntry packedSecond = PackBuffer(second.data(), static_cast<uint32_t>(second.size()));
    TPak pak;
    ASSERT_TRUE(pak.Create(fromPacked, true, false));
    EXPECT_TRUE(pak.WritePacked(pak.AddFile("first.txt", "", 1), packedFirst).Ok());
    EXPECT_TRUE(pak.WritePacked(pak.AddFile("second.bin", "", 1), packedSecond).Ok());
    EXPECT_TRUE(pak.WriteHeader().Ok());
  }
  {
    // The first archive without its failed entry, to compare.
    TPak pak;
    ASSERT_TRUE(pak.Create(fromSources, true, false));
    EXPECT_TRUE(pak.WriteSourceFile(pak.AddFile("first.txt", temp_ / "first.txt", 1)).Ok());
    EXPECT_TRUE(pak.WriteSourceFile(pak.AddFile("second.bin", temp_ / "second.bin", 1)).Ok());
    EXPECT_TRUE(pak.WriteHeader().Ok());
  }
  EXPECT_EQ(test::ReadFile(fromSources), test::ReadFile(fromPacked));
}

// The archive shows nothing itself: the DecompSize text comes back for the
// caller to show.
TEST_F(PakTest, StreamOneByteShortYieldsNothingAndTheDecompSizeMessage) {
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    ASSERT_NO_FATAL_FAILURE(test::WriteEntryOneByteShort(pak, "short.txt", 1));
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  test::TMessageCapture messages;
  const std::string expected = "short.txt\r\rError: DecompSize - 999 OrigSize - 1000";
  EXPECT_TRUE(pak.ReadStored(0));  // the stored bytes themselves are intact
  TEntryBytes extracted = pak.ExtractFile(0);
  EXPECT_FALSE(extracted);
  EXPECT_EQ(extracted.Message, expected);
  uint32_t size = 0;
  EXPECT_EQ(pak.FindFile("short.txt", 1, size).Message, expected);
  EXPECT_FALSE(pak.VerifyFile(0));
  EXPECT_EQ(pak.CheckMessage(0, pak.CheckEntry(0)), expected);
  EXPECT_EQ(std::string(kDecompSizeCaption), "Error");
  EXPECT_TRUE(messages.Texts.empty());
}

TEST_F(PakTest, StreamThatCannotBeInflatedRaisesTheDecompressionError) {
  TPackedEntry garbage;
  garbage.Stored = test::RandomBytes(100, 11);
  garbage.Size = 500;
  garbage.StoredSize = 100;
  garbage.Checksum = Crc32(garbage.Stored.data(), garbage.Stored.size());
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    ASSERT_TRUE(pak.WritePacked(pak.AddFile("bad", "", 0), garbage).Ok());
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_THROW(pak.ExtractFile(0), EDecompressionError);
}

TEST_F(PakTest, CorruptedStoredBytesFailTheirCheck) {
  auto entries = SampleEntries();
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), entries));
  uint32_t offset = 0;
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    offset = pak.Files()[5].Offset;
  }
  test::FlipByte(Archive(), offset + 3);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_FALSE(pak.ReadStored(5));
  EXPECT_FALSE(pak.ExtractFile(5));
  EXPECT_FALSE(pak.VerifyFile(5));
  EXPECT_TRUE(pak.VerifyFile(4));
}

TEST_F(PakTest, FilesWithoutTheMagicGiveAnEmptyTable) {
  struct TCase {
    const char* Label;
    TBytes Contents;
  };
  TBytes wrongMagic(40, 0);
  std::copy_n("ZRPX", 4, wrongMagic.end() - 16);
  const TCase kCases[] = {
      {"empty file", {}},
      {"5 bytes", TBytes{'Z', 'R', 'P', 'F', 0}},
      {"15 bytes", TBytes(15, 'Z')},
      {"wrong magic", wrongMagic},
      {"text file", test::TextBytes(1000)},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    test::WriteFile(Archive(), row.Contents);
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    EXPECT_FALSE(pak.Header().HasMagic());
    EXPECT_FALSE(pak.IsValid());
    EXPECT_EQ(pak.FileCount(), 0u);
  }
  TPak missing;
  EXPECT_FALSE(missing.Create(temp_ / "missing.pak"));
  EXPECT_FALSE(missing.Header().HasMagic());
}

TEST_F(PakTest, ArchiveWithNoEntriesIsValidAndEmpty) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), {}));
  EXPECT_EQ(test::ReadFile(Archive()).size(), kPakHeaderSize);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_TRUE(pak.IsValid());
  EXPECT_EQ(pak.FileCount(), 0u);
  uint32_t size = 1;
  EXPECT_FALSE(pak.FindFile("SetupInfo", 0, size));
  EXPECT_EQ(size, 0u);
}

TEST_F(PakTest, DamagedTablesAreReportedNotFollowed) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), SampleEntries()));
  const TBytes good = test::ReadFile(Archive());
  const uint64_t headerStart = good.size() - kPakHeaderSize;
  const uint32_t tableOffset = GetU32(good.data() + headerStart + kPakHeaderTableOffsetOffset);

  struct TCase {
    const char* Label;
    uint64_t Offset;
    TBytes Bytes;
  };
  auto u16 = [](uint16_t v) { TBytes b(2); PutU16(b.data(), v); return b; };
  auto u32 = [](uint32_t v) { TBytes b(4); PutU32(b.data(), v); return b; };
  const TCase kCases[] = {
      {"table offset past the header", headerStart + kPakHeaderTableOffsetOffset, u32(static_cast<uint32_t>(headerStart) + 1)},
      {"table offset far beyond the file", headerStart + kPakHeaderTableOffsetOffset, u32(0xFFFFFFF0u)},
      {"more records than the table holds", headerStart + kPakHeaderFileCountOffset, u16(8)},
      {"the largest record count", headerStart + kPakHeaderFileCountOffset, u16(65535)},
      {"a name running into the header", tableOffset, u16(60000)},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    test::WriteFile(Archive(), good);
    test::PatchBytes(Archive(), row.Offset, row.Bytes);
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    EXPECT_TRUE(pak.Header().HasMagic());
    EXPECT_TRUE(pak.TableDamaged());
    EXPECT_FALSE(pak.IsValid());
    EXPECT_EQ(pak.FileCount(), 0u);
  }
}

// The writer puts the first entry at DataStart and each after the one before
// it. A table that says otherwise is refused whole: shared or overlapping
// streams would be inflated again and again, and a wrong DataStart would cut
// the program the uninstaller is copied from.
TEST_F(PakTest, EntriesThatDoNotLieInTableOrderDamageTheTable) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), SampleEntries()));
  const TBytes good = test::ReadFile(Archive());
  const uint64_t headerStart = good.size() - kPakHeaderSize;
  std::vector<uint32_t> offsets;
  uint32_t storedFive = 0;
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    for (const TPakFile& entry : pak.Files()) offsets.push_back(entry.Offset);
    storedFive = pak.Files()[5].StoredSize;
    ASSERT_NE(storedFive, 0u);
  }
  struct TPatch {
    uint32_t Index;
    test::TRecordField Field;
    uint32_t Value;
  };
  struct TCase {
    const char* Label;
    std::vector<TPatch> Patches;
    std::optional<uint32_t> DataStart;
    const char* Reason;
  };
  using F = test::TRecordField;
  const std::vector<TCase> kCases = {
      {"data start past the first entry", {}, 4096, "is not the first entry's offset"},
      {"first entry past the data start", {{0, F::Offset, 1}}, std::nullopt, "is not the first entry's offset"},
      {"offset beyond the file", {{5, F::Offset, 0xFFFFFF00u}}, std::nullopt, "past the start of the table"},
      {"offset into the table", {{6, F::Offset, static_cast<uint32_t>(good.size() - 40)}}, std::nullopt,
       "past the start of the table"},
      {"stored size beyond the file", {{5, F::StoredSize, 0xFFFFFFF0u}}, std::nullopt, "past the start of the table"},
      {"stream running into the next entry", {{5, F::StoredSize, storedFive + 1}}, std::nullopt, "entry 6"},
      {"two entries sharing one stream", {{5, F::Offset, offsets[4]}}, std::nullopt, "entry 5"},
      {"entries out of table order", {{3, F::Offset, offsets[4]}, {4, F::Offset, offsets[3]}}, std::nullopt,
       "entry 4"},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    test::WriteFile(Archive(), good);
    // Where the fields lie, found in the intact archive before any patch.
    std::vector<uint64_t> at;
    for (const TPatch& patch : row.Patches) at.push_back(test::RecordFieldOffset(Archive(), patch.Index, patch.Field));
    for (size_t i = 0; i < row.Patches.size(); ++i) test::PatchU32(Archive(), at[i], row.Patches[i].Value);
    if (row.DataStart) test::PatchU32(Archive(), headerStart + kPakHeaderDataStartOffset, *row.DataStart);
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    EXPECT_TRUE(pak.TableDamaged());
    EXPECT_FALSE(pak.IsValid());
    EXPECT_EQ(pak.FileCount(), 0u);
    EXPECT_NE(pak.Damage().find(row.Reason), std::string::npos) << pak.Damage();
  }
}

TEST_F(PakTest, AnEmptyTableMustNotStartItsDataPastItself) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), {}));
  ASSERT_NO_FATAL_FAILURE(test::PatchU32(Archive(), kPakHeaderDataStartOffset, 1));
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_TRUE(pak.TableDamaged());
}

TEST_F(PakTest, AnEntryClaimingTheLargeSizeIsNeverRead) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), SampleEntries()));
  test::PatchU32(Archive(), test::RecordFieldOffset(Archive(), 5, test::TRecordField::Size), 0xFFFFFFFFu);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  ASSERT_TRUE(pak.IsValid());
  EXPECT_FALSE(pak.ReadStored(5));
  EXPECT_FALSE(pak.ExtractFile(5));
  EXPECT_FALSE(pak.VerifyFile(5));  // compressed, yet at the size that is always stored raw
  EXPECT_TRUE(pak.VerifyFile(4));
}

// The format allows a stream longer than its data; only this writer never
// makes one.
TEST_F(PakTest, AStreamLongerThanItsDataIsValid) {
  const TBytes data = {'x'};
  TPackedEntry packed;
  packed.Stored = Deflate(data.data(), 1);
  ASSERT_GT(packed.Stored.size(), data.size());
  packed.Size = 1;
  packed.StoredSize = static_cast<uint32_t>(packed.Stored.size());
  packed.Checksum = Crc32(packed.Stored.data(), packed.Stored.size());
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    ASSERT_TRUE(pak.WritePacked(pak.AddFile("x.txt", "", 1), packed).Ok());
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  ASSERT_TRUE(pak.IsValid());
  EXPECT_TRUE(pak.VerifyFile(0));
  EXPECT_EQ(pak.ExtractFile(0).Bytes, data);
}

TEST_F(PakTest, FailedWritesLeaveTheArchiveAsItWas) {
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive(), true, false));
  TBytes first = test::RandomBytes(1000, 1);
  ASSERT_TRUE(pak.WriteData(pak.AddFile("first", "", 1), first.data(), 1000).Ok());
  faulty.FailWritesAfter(0, "setup.pak");
  ASSERT_TRUE(pak.Create(Archive(), false, true));  // reopen, so the limit applies
  TBytes second = test::RandomBytes(5000, 2);
  TStatus status = pak.WriteData(pak.AddFile("second", "", 1), second.data(), 5000);
  EXPECT_FALSE(status.Ok());
  EXPECT_NE(status.Message().find("second"), std::string::npos);
  EXPECT_FALSE(pak.WriteHeader().Ok());
  pak.Close();  // Windows lets nobody else open a file being written
  faulty.ClearFaults();
  EXPECT_EQ(test::ReadFile(Archive()).size(), 1000u);
}

TEST_F(PakTest, RefusesWhatTheFormatCannotHold) {
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive(), true, false));
  for (uint32_t i = 0; i < kMaxPakEntries; ++i) pak.AddFile("e", "", 1);
  EXPECT_TRUE(pak.WriteData(kMaxPakEntries - 1, nullptr, 0).Ok());
  uint32_t extra = pak.AddFile("one too many", "", 1);
  TStatus tooMany = pak.WriteData(extra, nullptr, 0);
  EXPECT_FALSE(tooMany.Ok());
  EXPECT_NE(tooMany.Message().find("65535"), std::string::npos);
  EXPECT_FALSE(pak.WriteHeader().Ok());

  TPak longName;
  ASSERT_TRUE(longName.Create(temp_ / "long.pak", true, false));
  uint32_t index = longName.AddFile(std::string(70000, 'n'), "", 1);
  EXPECT_FALSE(longName.WriteData(index, nullptr, 0).Ok());
  EXPECT_FALSE(longName.WriteHeader().Ok());
}

TEST_F(PakTest, RefusesOffsetsBeyondFourGibibytes) {
  // Sparse host files: their length costs no disk space.
  auto makeHost = [](const std::string& path, uint64_t length) {
    auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Seek(length));
    ASSERT_TRUE(file->Truncate());
  };
  const std::string nearLimit = temp_ / "near.exe";
  ASSERT_NO_FATAL_FAILURE(makeHost(nearLimit, 0xFFFFFFFFull - 50));
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(nearLimit, false, true));
    EXPECT_EQ(pak.Header().DataStart, 0xFFFFFFFFu - 50);
    TBytes small = test::RandomBytes(40, 1);
    EXPECT_TRUE(pak.WriteData(pak.AddFile("fits", "", 1), small.data(), 40).Ok());
    TBytes data = test::RandomBytes(100, 1);
    TStatus status = pak.WriteData(pak.AddFile("too far", "", 1), data.data(), 100);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find("4 GiB"), std::string::npos);
  }
  auto file = Files().Open(nearLimit, TFileMode::OpenRead);
  EXPECT_EQ(file->Size(), 0xFFFFFFFFull - 10);
  file.reset();
  Files().Delete(nearLimit);

  const std::string beyond = temp_ / "beyond.exe";
  ASSERT_NO_FATAL_FAILURE(makeHost(beyond, 0x100000000ull));
  TPak pak;
  EXPECT_FALSE(pak.Create(beyond, false, true));
  Files().Delete(beyond);
}

}  // namespace
}  // namespace tailpack
