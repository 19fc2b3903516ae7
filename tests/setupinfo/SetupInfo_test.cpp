#include "setupinfo/SetupInfo.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/FaultyFileSystem.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;

class SetupInfoFile : public test::TempFolderTest {};

TSetupInfo SampleInfo() {
  TSetupInfo info;
  info.SetupName = "Demo Setup";
  info.ShortName = "Demo";
  info.SetupExeName = "demo_setup.exe";
  info.UninstallExeName = "demo_Uninstall.exe";
  info.UninstallPrefix = "demo_";
  info.InstallDir = "$PROGRAMFILES\\Demo";
  info.Changelog = "Line one\r\nLine \xE9two";
  info.InstallDirRegKeys[0] = {1, "Software\\Demo", "InstallPath"};
  info.InstallDirRegKeys[1] = {0, "SOFTWARE\\Demo", "Folder"};
  // Unused slots keep whatever root byte they were given.
  info.InstallDirRegKeys[2] = {4, "", ""};
  info.InstallDirRegKeys[4] = {3, "S-1-5-18\\Demo", ""};
  info.Pages = "pages";
  info.UninstallPages = "uninstallpages";
  info.IsUninstaller = 1;
  info.HasUninstaller = 1;
  return info;
}

TEST(SetupInfo, EmptyRecordIsFortyFiveZeroBytes) {
  EXPECT_EQ(SerializeSetupInfo(TSetupInfo{}), TBytes(kEmptySetupInfoSize, 0));
}

TEST(SetupInfo, SerializesFieldsInRecordOrder) {
  TSetupInfo info;
  info.SetupName = "A";
  info.ShortName = "B";
  info.SetupExeName = "C";
  info.UninstallExeName = "D";
  info.UninstallPrefix = "E";
  info.InstallDir = "F";
  info.Changelog = "G";
  info.InstallDirRegKeys[0] = {2, "P", "K"};
  info.InstallDirRegKeys[4] = {4, "Q", ""};
  info.Pages = "H";
  info.UninstallPages = "I";
  info.IsUninstaller = 1;
  info.HasUninstaller = 0;
  std::string expected = std::string("\1\0A\1\0B\1\0C\1\0D\1\0E\1\0F\1\0G", 21) +
                         std::string("\2\1\0P\1\0K", 7) + std::string(3 * 5, '\0') +
                         std::string("\4\1\0Q\0\0", 6) + std::string("\1\0H\1\0I\1\0", 8);
  EXPECT_EQ(BytesToString(SerializeSetupInfo(info)), expected);
}

TEST(SetupInfo, OverlongStringIsCutSoTheRecordStaysReadable) {
  TSetupInfo info;
  info.Changelog = std::string(70000, 'x');
  info.Pages = "pages";
  TBytes bytes = SerializeSetupInfo(info);
  EXPECT_EQ(bytes.size(), kEmptySetupInfoSize + (70000 - 65536) + 5);
  TSetupInfoFile read;
  read.LoadFromBuffer(bytes);
  EXPECT_EQ(read.Info.Changelog, std::string(70000 - 65536, 'x'));
  EXPECT_EQ(read.Info.Pages, "pages");
}

TEST_F(SetupInfoFile, SaveThenLoadReproducesEveryField) {
  TSetupInfoFile written;
  written.Info = SampleInfo();
  std::string path = temp_ / "SIF.temp";
  ASSERT_TRUE(written.SaveToFile(path));
  TBytes bytes = ReadFile(path);
  EXPECT_EQ(bytes, written.Serialize());

  TSetupInfoFile read;
  read.Info.SetupName = "stale";
  read.LoadFromBuffer(bytes);
  EXPECT_EQ(read.Info, written.Info);
  EXPECT_EQ(read.Info.InstallDirRegKeys[2].Root, 4);
  EXPECT_EQ(read.Info.InstallDirRegKeys[4].Root, 3);
}

TEST(SetupInfo, TruncatedRecordReadsAsFarAsTheDataGoes) {
  TBytes full = SerializeSetupInfo(SampleInfo());
  struct TCase {
    const char* Name;
    size_t Cut;  // bytes kept
    std::string SetupName, ShortName, Pages;
    uint8_t FirstRoot, IsUninstaller, HasUninstaller;
  };
  const size_t nameEnd = 2 + 10;
  const TCase cases[] = {
      {"nothing", 0, "", "", "", 0, 0, 0},
      {"half a length", 1, "", "", "", 0, 0, 0},
      {"inside the first string", 6, "Demo", "", "", 0, 0, 0},
      {"after the first string", nameEnd, "Demo Setup", "", "", 0, 0, 0},
      {"last flag missing", full.size() - 1, "Demo Setup", "Demo", "pages", 1, 1, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSetupInfoFile file;
    file.Info = SampleInfo();  // everything must be overwritten
    file.LoadFromBuffer(full.data(), static_cast<uint32_t>(c.Cut));
    EXPECT_EQ(file.Info.SetupName, c.SetupName);
    EXPECT_EQ(file.Info.ShortName, c.ShortName);
    EXPECT_EQ(file.Info.Pages, c.Pages);
    EXPECT_EQ(file.Info.InstallDirRegKeys[0].Root, c.FirstRoot);
    EXPECT_EQ(file.Info.IsUninstaller, c.IsUninstaller);
    EXPECT_EQ(file.Info.HasUninstaller, c.HasUninstaller);
  }
}

TEST_F(SetupInfoFile, SaveReportsFailuresAndLeavesNoCutFile) {
  TSetupInfoFile file;
  file.Info = SampleInfo();

  EXPECT_FALSE(file.SaveToFile(temp_ / "missing\\SIF.temp"));

  std::string path = temp_ / "SIF.temp";
  {
    test::TFaultyFileSystem shortDisk(Files());
    shortDisk.FailWritesAfter(20);
    TFileSystemOverride override(shortDisk);
    TStatus status = file.SaveToFile(path);
    EXPECT_FALSE(status);
    EXPECT_NE(status.Message().find("SIF.temp"), std::string::npos);
  }
  EXPECT_FALSE(Files().Exists(path));
}

}  // namespace
}  // namespace tailpack
