#include "script/CommandList.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

class CommandListTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterCommands(list_); }

  TCommandList list_;
};

TEST_F(CommandListTest, RegistersAllCommandsInTheFixedOrder) {
  const char* keywords[] = {"goto", "name", "outfile", "installdir", "installdirregkey", "iffileexists", "file",
                            "delete", "writeregstr", "changelog", "zrpupdate", "rmdir", "createdirectory",
                            "createshortcut", "message", "messagebox", "copyfile", "language", "failure", "pages",
                            "shortname", "uninstallpages", "uninstalllanguage", "prefix", "uninstalllogload",
                            "uninstalllogsave", "zrpofficial", "duplicateentry", "writeregstr_url", "vfsupdate",
                            "rename", "execute"};
  ASSERT_EQ(list_.Commands.size(), 32u);
  int metaCount = 0;
  for (int32_t i = 0; i < 32; ++i) {
    SCOPED_TRACE(keywords[i]);
    const TCommandClass* command = list_.Find(i + 1);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->Keyword, keywords[i]);
    EXPECT_EQ(list_.IndexOfKeyword(keywords[i]), i + 1);
    uint8_t expectedKind = std::string(keywords[i]) == "file" ? 1
                           : (std::string(keywords[i]) == "zrpupdate" || std::string(keywords[i]) == "vfsupdate") ? 2
                                                                                                                  : 0;
    EXPECT_EQ(command->FileKind(), expectedKind);
    metaCount += command->SetupInfoOnly;
  }
  EXPECT_EQ(metaCount, 9);
  EXPECT_EQ(list_.Find(0), nullptr);
  EXPECT_EQ(list_.Find(33), nullptr);
  EXPECT_EQ(list_.Find(-1), nullptr);
  EXPECT_EQ(list_.IndexOfKeyword("GOTO"), 1);
  EXPECT_EQ(list_.IndexOfKeyword("nosuch"), 0);
}

}  // namespace
}  // namespace tailpack
