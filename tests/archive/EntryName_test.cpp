#include "archive/EntryName.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TEST(CheckEntryName, AcceptsPlainRelativeNames) {
  const char* const kSafe[] = {
      "readme.txt", "Data\\Maps\\level1.map", "SetupInfo", "LANGUAGE-English", "a b\\c d.txt",
      "..hidden",   "name..ext",             ".config",   "CONSOLE.txt",      "COM10",
      "LPT0",       "nul-device.txt",        "Data\\x.txt",
  };
  for (const char* name : kSafe) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(CheckEntryName(name).Ok()) << CheckEntryName(name).Message();
  }
}

TEST(CheckEntryName, RefusesNamesThatLeaveTheFolderOrReachDevices) {
  struct TCase {
    const char* Name;
    const char* Reason;  // a piece of the message
  };
  const TCase kUnsafe[] = {
      {"", "empty"},
      {"\\x", "rooted"},
      {"\\\\server\\share\\x", "rooted"},
      {"C:x", "\":\""},
      {"C:\\x", "\":\""},
      {"file.txt:stream", "\":\""},
      {"..", "\"..\""},
      {"..\\x", "\"..\""},
      {"a\\..\\..\\x", "\"..\""},
      {"a/b", "\"/\""},
      {"../x", "\"/\""},
      {"a\\\\b", "empty path component"},
      {"a\\", "empty path component"},
      {"dir.\\x", "ends in a dot or a blank"},
      {"x.", "ends in a dot or a blank"},
      {"x ", "ends in a dot or a blank"},
      {".", "ends in a dot or a blank"},
      {"CON", "reserved device name"},
      {"con.txt", "reserved device name"},
      {"Data\\nul", "reserved device name"},
      {"aux.tar.gz", "reserved device name"},
      {"PRN", "reserved device name"},
      {"NUL .txt", "reserved device name"},
      {"com1", "reserved device name"},
      {"COM9.log", "reserved device name"},
      {"lpt1", "reserved device name"},
      {"LPT9", "reserved device name"},
      {"con\\x.txt", "reserved device name"},
      {"a\x01" "b", "control character"},
      {"what?.txt", "\"?\""},
      {"*.txt", "\"*\""},
  };
  for (const TCase& row : kUnsafe) {
    SCOPED_TRACE(row.Name);
    TStatus status = CheckEntryName(row.Name);
    ASSERT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find(std::string("\"") + row.Name + "\""), std::string::npos) << status.Message();
    EXPECT_NE(status.Message().find(row.Reason), std::string::npos) << status.Message();
  }
}

TEST(EntryTargetPath, JoinsWithOneBackslash) {
  EXPECT_EQ(EntryTargetPath("C:\\Games", "a\\b.txt"), "C:\\Games\\a\\b.txt");
  EXPECT_EQ(EntryTargetPath("C:\\", "b.txt"), "C:\\b.txt");
}

}  // namespace
}  // namespace tailpack
