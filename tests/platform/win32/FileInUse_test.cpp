// A file that another program holds open without sharing it, as a running
// game holds its own program and data: Windows refuses to replace it, and
// the extraction asks the user instead of failing the installation at once.

#include <windows.h>

#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "platform/Platform.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using win32::TWinHandle;

class Win32FileInUseTest : public test::TempFolderTest {};

TEST_F(Win32FileInUseTest, ExtractionAsksWhileTheFileIsHeldAndWritesItOnceItIsFree) {
  const std::vector<test::TTestEntry> entries = {{"Game.exe", 1, test::TextBytes(4000)},
                                                 {"Data.pak", 1, test::RandomBytes(3000, 3)}};
  test::WriteArchive(temp_ / "setup.pak", entries);
  test::WriteFile(temp_ / "Game.exe", "the running program");
  TWinHandle held(CreateFileW(win32::ToWide(temp_ / "Game.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  TPak pak;
  ASSERT_TRUE(pak.Create(temp_ / "setup.pak"));
  int asked = 0;
  pak.SetRetryQuestion([&](const std::string& message) {
    EXPECT_NE(message.find(temp_ / "Game.exe"), std::string::npos) << message;
    ++asked;
    held.Reset();  // the user closes the program, then chooses Retry
    return true;
  });
  TStatus status = pak.ExtractGroup(temp_.Path(), 1);
  ASSERT_TRUE(status.Ok()) << status.Message();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(test::ReadFile(temp_ / "Game.exe"), entries[0].Data);
  EXPECT_EQ(test::ReadFile(temp_ / "Data.pak"), entries[1].Data);
}

}  // namespace
}  // namespace tailpack
