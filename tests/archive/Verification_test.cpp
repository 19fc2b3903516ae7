#include "archive/Verification.h"

#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "archive/Zlib.h"
#include "base/Errors.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

class VerificationTest : public test::TempFolderTest {
 protected:
  std::string Archive() const { return temp_ / "setup.pak"; }
  std::vector<test::TTestEntry> Entries() const {
    return {
        {"SetupInfo", 0, test::TextBytes(400)},
        {"a.txt", 1, test::TextBytes(1000)},
        {"b.bin", 2, test::RandomBytes(2000, 1)},
        {"empty", 2, {}},
        {"c.txt", 1, test::TextBytes(30)},
    };
  }
};

TEST_F(VerificationTest, PassesAnIntactArchiveAndTotalsTheGroupedSizes) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), Entries()));
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  std::vector<std::string> steps;
  TVerificationResult result = VerifyArchive(pak, [&](uint32_t index, uint32_t count, const TPakFile& entry) {
    steps.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + entry.Name);
  });
  EXPECT_FALSE(result.FailedIndex);
  EXPECT_EQ(result.GroupedSize, 1000u + 2000u + 30u);  // group 0 is not counted
  EXPECT_EQ(steps, (std::vector<std::string>{"0/5 SetupInfo", "1/5 a.txt", "2/5 b.bin", "3/5 empty", "4/5 c.txt"}));
}

TEST_F(VerificationTest, StopsAtTheFirstCorruptEntryWithItsIndex) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), Entries()));
  uint32_t offset = 0;
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    offset = pak.Files()[2].Offset;
  }
  test::FlipByte(Archive(), offset + 1999);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  uint32_t stepped = 0;
  TVerificationResult result = VerifyArchive(pak, [&](uint32_t, uint32_t, const TPakFile&) { ++stepped; });
  ASSERT_TRUE(result.FailedIndex);
  EXPECT_EQ(*result.FailedIndex, 2u);
  EXPECT_EQ(stepped, 2u);
}

TEST_F(VerificationTest, EmptyEntriesNeverFailAndAnEmptyArchivePasses) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), Entries()));
  // Size 0 with an offset and checksum pointing nowhere: nothing to check.
  test::PatchU32(Archive(), test::RecordFieldOffset(Archive(), 3, test::TRecordField::Offset), 0xFFFFFFF0u);
  test::PatchU32(Archive(), test::RecordFieldOffset(Archive(), 3, test::TRecordField::Checksum), 0x12345678u);
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    EXPECT_FALSE(VerifyArchive(pak).FailedIndex);
  }

  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), {}));
  TPak empty;
  ASSERT_TRUE(empty.Create(Archive()));
  TVerificationResult result = VerifyArchive(empty, [](uint32_t, uint32_t, const TPakFile&) { FAIL(); });
  EXPECT_FALSE(result.FailedIndex);
  EXPECT_EQ(result.GroupedSize, 0u);
}

TEST_F(VerificationTest, AStreamThatCannotBeInflatedReachesTheCaller) {
  TPackedEntry garbage;
  garbage.Stored = test::RandomBytes(64, 5);
  garbage.Size = 100;
  garbage.StoredSize = 64;
  garbage.Checksum = Crc32(garbage.Stored.data(), garbage.Stored.size());
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    ASSERT_TRUE(pak.WritePacked(pak.AddFile("bad", "", 1), garbage).Ok());
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  EXPECT_THROW(VerifyArchive(pak), EDecompressionError);
}

// Enough entries that the readers on other threads take batches of their
// own: whatever they find later in the table, the verdict is that of the
// first entry in table order that fails, and nothing before it is missed.
TEST_F(VerificationTest, ManyEntriesOnSeveralReadersEndAtTheFirstFailureInTableOrder) {
  constexpr uint32_t kEntries = 1200;
  constexpr uint32_t kDamaged = 700, kUninflatable = 1100;
  TPackedEntry garbage;
  garbage.Stored = test::RandomBytes(64, 5);
  garbage.Size = 100;
  garbage.StoredSize = 64;
  garbage.Checksum = Crc32(garbage.Stored.data(), garbage.Stored.size());
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    for (uint32_t i = 0; i < kEntries; ++i) {
      uint32_t index = pak.AddFile("f" + std::to_string(i), "", 1);
      if (i == kUninflatable) {
        ASSERT_TRUE(pak.WritePacked(index, garbage).Ok());
      } else {
        TBytes data = i % 2 ? test::TextBytes(3000) : test::RandomBytes(3000, i);
        ASSERT_TRUE(pak.WriteData(index, data.data(), static_cast<uint32_t>(data.size())).Ok());
      }
    }
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    uint32_t stepped = 0;
    EXPECT_THROW(VerifyArchive(pak, [&](uint32_t index, uint32_t, const TPakFile&) { EXPECT_EQ(index, stepped++); }),
                 EDecompressionError);
    EXPECT_EQ(stepped, kUninflatable);
  }
  uint32_t offset = 0;
  {
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive()));
    offset = pak.Files()[kDamaged].Offset;
  }
  test::FlipByte(Archive(), offset + 10);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  uint32_t stepped = 0;
  TVerificationResult result = VerifyArchive(pak, [&](uint32_t, uint32_t, const TPakFile&) { ++stepped; });
  EXPECT_EQ(result.FailedIndex, std::optional<uint32_t>(kDamaged));
  EXPECT_EQ(stepped, kDamaged);
  EXPECT_EQ(result.GroupedSize, uint64_t{kDamaged} * 3000);
}

}  // namespace
}  // namespace tailpack
