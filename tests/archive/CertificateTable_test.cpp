// Setups signed after they were built: the certificate table that signing
// appends (named in the PE header, padded to 8 bytes) must not hide the
// archive, and the uninstaller's copy of the program part must not name it.

#include <gtest/gtest.h>

#include <cstring>

#include "archive/CertificateTable.h"
#include "archive/PakTestSupport.h"
#include "archive/Verification.h"
#include "base/Bytes.h"
#include "runtime/Uninstaller.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::TTestEntry;

constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kSecurityEntry = kPeOffset + 4 + 20 + 112 + 4 * 8;  // PE32+

// The header of a 64-bit program with no sections, 0x200 bytes long.
TBytes ProgramHost() {
  TBytes host(0x200, 0);
  host[0] = 'M';
  host[1] = 'Z';
  PutU32(host.data() + 0x3C, kPeOffset);
  std::memcpy(host.data() + kPeOffset, "PE\0\0", 4);
  PutU16(host.data() + kPeOffset + 24, 0x20B);
  PutU32(host.data() + kPeOffset + 24 + 108, 16);  // data directories
  return host;
}

// Signs the file as signing does: pads it to 8 bytes, appends a table and
// names it in the header.
void AppendCertificateTable(const std::string& path, uint32_t tableSize) {
  TBytes file = test::ReadFile(path);
  while (file.size() % 8 != 0) file.push_back(0);
  const auto offset = static_cast<uint32_t>(file.size());
  TBytes table = test::RandomBytes(tableSize, 7);
  file.insert(file.end(), table.begin(), table.end());
  PutU32(file.data() + kSecurityEntry, offset);
  PutU32(file.data() + kSecurityEntry + 4, tableSize);
  test::WriteFile(path, file);
}

class CertificateTableTest : public test::TempFolderTest {};

TEST_F(CertificateTableTest, ASignedSetupStillOpensVerifiesAndKnowsItsProgramPart) {
  // Archives of several lengths, so the padding takes every width from 0 to 7.
  for (size_t extra = 0; extra < 8; ++extra) {
    SCOPED_TRACE(extra);
    std::string setup = temp_ / ("setup" + std::to_string(extra) + ".exe");
    test::WriteFile(setup, ProgramHost());
    test::WriteArchive(setup,
                       {TTestEntry{"SetupInfo", 0, test::TextBytes(100 + extra)},
                        TTestEntry{"bin\\game.exe", 1, test::RandomBytes(300, 3)}},
                       true);
    AppendCertificateTable(setup, 1500);

    TPak pak;
    ASSERT_TRUE(pak.Create(setup));
    ASSERT_TRUE(pak.IsValid());
    ASSERT_EQ(pak.FileCount(), 2u);
    EXPECT_FALSE(VerifyArchive(pak).FailedIndex);
    uint32_t size = 0;
    EXPECT_EQ(pak.FindFile("SetupInfo", 0, size).Bytes, test::TextBytes(100 + extra));
    EXPECT_EQ(ProgramLength(setup), 0x200u);
  }
}

TEST_F(CertificateTableTest, TablesThatDoNotFollowTheArchiveChangeNothing) {
  // A signed stub with an archive appended after its table: the archive ends the file.
  std::string setup = temp_ / "stub-signed.exe";
  test::WriteFile(setup, ProgramHost());
  AppendCertificateTable(setup, 64);
  test::WriteArchive(setup, {TTestEntry{"SetupInfo", 0, test::TextBytes(50)}}, true);
  TPak pak;
  ASSERT_TRUE(pak.Create(setup));
  EXPECT_TRUE(pak.IsValid());
  EXPECT_EQ(pak.FileCount(), 1u);

  // A table after bytes that are no trailer: nothing is found before it.
  std::string plain = temp_ / "plain.exe";
  test::WriteFile(plain, ProgramHost());
  AppendCertificateTable(plain, 64);
  TPak none;
  ASSERT_TRUE(none.Create(plain));
  EXPECT_FALSE(none.Header().HasMagic());
}

TEST_F(CertificateTableTest, TheCopiedProgramPartDropsATablePastItsEnd) {
  std::string setup = temp_ / "setup.exe";
  test::WriteFile(setup, ProgramHost());
  test::WriteArchive(setup, {TTestEntry{"SetupInfo", 0, test::TextBytes(40)}}, true);
  AppendCertificateTable(setup, 256);

  // The program part alone, as the uninstaller is made from it.
  TBytes bytes = test::ReadFile(setup);
  bytes.resize(*ProgramLength(setup));
  std::string host = temp_ / "host.exe";
  test::WriteFile(host, bytes);
  auto file = Files().Open(host, TFileMode::OpenReadWrite);
  ASSERT_TRUE(file);
  ASSERT_TRUE(FindCertificateTable(*file));
  EXPECT_TRUE(DropDanglingCertificateTable(*file));
  EXPECT_FALSE(FindCertificateTable(*file));
  file.reset();
  TBytes dropped = test::ReadFile(host);
  EXPECT_EQ(GetU32(dropped.data() + kSecurityEntry), 0u);
  EXPECT_EQ(GetU32(dropped.data() + kSecurityEntry + 4), 0u);
  EXPECT_EQ(dropped.size(), 0x200u);

  // The signed setup itself keeps its table.
  auto signedFile = Files().Open(setup, TFileMode::OpenReadWrite);
  ASSERT_TRUE(signedFile);
  EXPECT_TRUE(DropDanglingCertificateTable(*signedFile));
  EXPECT_TRUE(FindCertificateTable(*signedFile));
}

}  // namespace
}  // namespace tailpack
