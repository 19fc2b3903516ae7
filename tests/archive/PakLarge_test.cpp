// Entries at the 70 MiB limit and the 25 MiB copy chunks. The files are
// sparse where possible and removed afterwards; the shared archive is built
// once for the suite.

#include <gtest/gtest.h>

#include <memory>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "archive/Verification.h"
#include "support/FaultyFileSystem.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

const std::string kHead = "HEAD";
const std::string kTail = "TAIL";

// A file of Length bytes, zero but for a marker at each end; sparse on disk.
void WriteMarkedFile(const std::string& path, uint64_t length) {
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  ASSERT_TRUE(file);
  ASSERT_EQ(file->Write(kHead.data(), 4), 4u);
  ASSERT_TRUE(file->Seek(length - 4));
  ASSERT_EQ(file->Write(kTail.data(), 4), 4u);
}

void ExpectMarkedFile(const std::string& path, uint64_t length) {
  auto file = Files().Open(path, TFileMode::OpenRead);
  ASSERT_TRUE(file) << path;
  EXPECT_EQ(file->Size(), length);
  std::string head(4, '\0'), tail(4, '\0');
  file->Read(head.data(), 4);
  file->Seek(length - 4);
  file->Read(tail.data(), 4);
  EXPECT_EQ(head, kHead);
  EXPECT_EQ(tail, kTail);
}

class PakLargeTest : public test::TempFolderTest {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<test::TTempFolder>();
    WriteMarkedFile(*folder_ / "exact.src", kLargeFileLimit);
    WriteMarkedFile(*folder_ / "below.src", kLargeFileLimit - 1);
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    TPak pak;
    ASSERT_TRUE(pak.Create(Archive(), true, false));
    TBytes info = test::TextBytes(100);
    ASSERT_TRUE(pak.WriteData(pak.AddFile("SetupInfo", "", 0), info.data(), 100).Ok());
    ASSERT_TRUE(pak.WriteSourceFile(pak.AddFile("Sub\\exact.bin", *folder_ / "exact.src", 1)).Ok());
    largestReadWritingExact_ = faulty.LargestRead();
    largestWriteWritingExact_ = faulty.LargestWrite();
    ASSERT_TRUE(pak.WriteSourceFile(pak.AddFile("below.bin", *folder_ / "below.src", 2)).Ok());
    ASSERT_TRUE(pak.WriteHeader().Ok());
    Files().Delete(*folder_ / "exact.src");
    Files().Delete(*folder_ / "below.src");
  }
  static void TearDownTestSuite() { folder_.reset(); }

  static std::string Archive() { return *folder_ / "large.pak"; }

  static std::unique_ptr<test::TTempFolder> folder_;
  static uint32_t largestReadWritingExact_;
  static uint32_t largestWriteWritingExact_;
};

std::unique_ptr<test::TTempFolder> PakLargeTest::folder_;
uint32_t PakLargeTest::largestReadWritingExact_ = 0;
uint32_t PakLargeTest::largestWriteWritingExact_ = 0;

TEST_F(PakLargeTest, EntriesFromTheLimitOnAreStoredRawAndCopiedInChunks) {
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  ASSERT_EQ(pak.FileCount(), 3u);
  const TPakFile& exact = pak.Files()[1];
  EXPECT_EQ(exact.Size, kLargeFileLimit);
  EXPECT_EQ(exact.StoredSize, 0u);
  EXPECT_EQ(exact.Checksum, 0u);
  const TPakFile& below = pak.Files()[2];
  EXPECT_EQ(below.Size, kLargeFileLimit - 1);
  EXPECT_NE(below.StoredSize, 0u);  // mostly zeros: compressed
  EXPECT_LE(largestReadWritingExact_, kLargeFileChunk);
  EXPECT_LE(largestWriteWritingExact_, kLargeFileChunk);
  EXPECT_GT(largestWriteWritingExact_, 0u);
}

TEST_F(PakLargeTest, LimitSizedEntryIsVerifiedWithoutReadingItButOneByteLessIsChecked) {
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  faulty.ResetCounters();
  EXPECT_TRUE(pak.VerifyFile(1));
  EXPECT_EQ(faulty.BytesRead(Archive()), 0u);
  EXPECT_FALSE(pak.ExtractFile(1));  // never held in memory whole
  EXPECT_EQ(faulty.BytesRead(Archive()), 0u);

  EXPECT_TRUE(pak.VerifyFile(2));
  EXPECT_EQ(faulty.BytesRead(Archive()), pak.Files()[2].StoredSize);

  TVerificationResult result = VerifyArchive(pak);
  EXPECT_FALSE(result.FailedIndex);
  EXPECT_EQ(result.GroupedSize, 2ull * kLargeFileLimit - 1);

  // The one byte smaller entry really is checked: damage it, then repair it.
  const uint64_t damaged = pak.Files()[2].Offset + pak.Files()[2].StoredSize / 2;
  test::FlipByte(Archive(), damaged);
  EXPECT_FALSE(pak.VerifyFile(2));
  EXPECT_EQ(VerifyArchive(pak).FailedIndex, std::optional<uint32_t>(2));
  test::FlipByte(Archive(), damaged);
  EXPECT_TRUE(pak.VerifyFile(2));
}

TEST_F(PakLargeTest, ExtractGroupCopiesALargeEntryIntoFoldersItCreates) {
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive()));
  test::TRecordingRecorder recorder;
  pak.SetRecorder(&recorder);
  test::TProgressCapture progress(pak);
  const std::string out = temp_ / "out";
  TStatus status = pak.ExtractGroup(out, 1);
  ASSERT_TRUE(status.Ok()) << status.Message();
  ExpectMarkedFile(out + "\\Sub\\exact.bin", kLargeFileLimit);
  EXPECT_LE(faulty.LargestRead(), kLargeFileChunk);
  EXPECT_LE(faulty.LargestWrite(), kLargeFileChunk);
  EXPECT_EQ(recorder.Events, (std::vector<std::string>{"file:" + out + "\\Sub\\exact.bin", "folder:" + out + "\\",
                                                       "folder:" + out + "\\Sub"}));
  const std::vector<std::u16string> lines = {
      u"Sub\\exact.bin",
      u"Sub\\exact.bin - 0.00 Bytes / 70.00 MB",
      u"Sub\\exact.bin - 25.00 MB / 70.00 MB",
      u"Sub\\exact.bin - 50.00 MB / 70.00 MB",
      u"",
  };
  EXPECT_EQ(progress.Lines, lines);
  EXPECT_EQ(progress.Steps(), 1u);
  Files().Delete(out + "\\Sub\\exact.bin");
}

class ExtractLargeFileTest : public test::TempFolderTest {};

TEST_F(ExtractLargeFileTest, CopiesWholeChunksAndOneLastPartialChunk) {
  const TBytes data = test::RandomBytes(kLargeFileChunk + 1, 21);
  struct TCase {
    uint32_t Size;
    std::vector<std::u16string> Lines;
  };
  const TCase kCases[] = {
      {kLargeFileChunk, {u"big.bin - 0.00 Bytes / 25.00 MB"}},
      {kLargeFileChunk + 1, {u"big.bin - 0.00 Bytes / 25.00 MB", u"big.bin - 25.00 MB / 25.00 MB"}},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Size);
    const std::string archive = temp_ / "chunks.pak";
    {
      TPackedEntry raw;
      raw.Stored.assign(data.begin(), data.begin() + row.Size);
      raw.Size = row.Size;
      TPak pak;
      ASSERT_TRUE(pak.Create(archive, true, false));
      ASSERT_TRUE(pak.WritePacked(pak.AddFile("big.bin", "", 1), raw).Ok());
      ASSERT_TRUE(pak.WriteHeader().Ok());
    }
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    TPak pak;
    ASSERT_TRUE(pak.Create(archive));
    test::TProgressCapture progress(pak);
    const std::string target = temp_ / "big.out";
    TStatus status = pak.ExtractLargeFile(target, "big.bin", row.Size, 0);
    ASSERT_TRUE(status.Ok()) << status.Message();
    EXPECT_EQ(progress.Lines, row.Lines);
    EXPECT_LE(faulty.LargestRead(), kLargeFileChunk);
    EXPECT_LE(faulty.LargestWrite(), kLargeFileChunk);
    TBytes copied = test::ReadFile(target);
    EXPECT_TRUE(copied.size() == row.Size && std::equal(copied.begin(), copied.end(), data.begin()));
    Files().Delete(target);
    Files().Delete(archive);
  }
}

TEST_F(ExtractLargeFileTest, FailuresRemoveThePartialTarget) {
  const std::string archive = temp_ / "chunks.pak";
  const uint32_t size = kLargeFileChunk + 100;
  {
    TPackedEntry raw;
    raw.Stored = test::RandomBytes(size, 4);
    raw.Size = size;
    TPak pak;
    ASSERT_TRUE(pak.Create(archive, true, false));
    ASSERT_TRUE(pak.WritePacked(pak.AddFile("big.bin", "", 1), raw).Ok());
    ASSERT_TRUE(pak.WriteHeader().Ok());
  }
  const std::string target = temp_ / "big.out";
  {
    // The disk fills up in the second chunk.
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    faulty.FailWritesAfter(kLargeFileChunk + 10, "big.out");
    TPak pak;
    ASSERT_TRUE(pak.Create(archive));
    TStatus status = pak.ExtractLargeFile(target, "big.bin", size, 0);
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find("big.out"), std::string::npos);
    EXPECT_FALSE(Files().Exists(target));
  }
  {
    // Every chunk written, but the system reports a lost write on closing.
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    faulty.FailCloses("big.out");
    TPak pak;
    ASSERT_TRUE(pak.Create(archive));
    EXPECT_FALSE(pak.ExtractLargeFile(target, "big.bin", size, 0).Ok());
    EXPECT_FALSE(Files().Exists(target));
  }
  {
    // A size beyond the archive's data is refused before anything is created.
    TPak pak;
    ASSERT_TRUE(pak.Create(archive));
    EXPECT_FALSE(pak.ExtractLargeFile(target, "big.bin", size + 1000, 0).Ok());
    EXPECT_FALSE(pak.ExtractLargeFile(target, "big.bin", size, 1).Ok());
    EXPECT_FALSE(Files().Exists(target));
  }
}

}  // namespace
}  // namespace tailpack
