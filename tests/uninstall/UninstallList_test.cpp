#include "uninstall/UninstallList.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "setupinfo/PathVariables.h"
#include "support/FaultyFileSystem.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::TempFolderTest;

class UninstallListTest : public TempFolderTest {
 protected:
  void SetUp() override {
    installDir_ = "C:\\Games\\Demo";
    variables_.InstallDir = &installDir_;
    variables_.AppDataFolder = [] { return std::optional<std::string>(); };
  }
  std::string installDir_;
  TPathVariables variables_;
};

TEST_F(UninstallListTest, FilesAreCompactedAndKeptOnce) {
  TUninstallList list(&variables_);
  list.AddFile("C:\\Games\\A.dat");
  list.AddFile("c:\\games\\a.DAT");
  list.AddFile("C:\\Games\\Demo\\readme.txt");
  EXPECT_EQ(list.Files, (std::vector<std::string>{"C:\\Games\\A.dat", "$INSTDIR\\readme.txt"}));
  list.AddRegistryValue(MakeRegistryLine("HKCU", "Software\\Demo", "", "x"));
  list.AddRegistryValue(MakeRegistryLine("hkcu", "software\\demo", "", "X"));
  EXPECT_EQ(list.RegistryValues.size(), 1u);
}

TEST_F(UninstallListTest, FoldersAreKeptOnceInTheOrderTheyCameFirst) {
  TUninstallList list(&variables_);
  for (const char* folder : {"C:\\Demo\\", "C:\\Demo\\saves", "c:\\demo", "C:\\Demo Editor", "C:\\DEMO\\SAVES\\",
                             "C:\\Demo\\saves", "C:\\\xC4pfel", "c:\\\xE4pfel\\"})
    list.AddFolder(folder);
  EXPECT_EQ(list.Folders,
            (std::vector<std::string>{"C:\\Demo\\", "C:\\Demo\\saves", "C:\\Demo Editor", "C:\\\xC4pfel"}));
}

// The look-ups are indexed; the lists stay public and may be changed by
// anyone between records, which must never make a record go missing or a
// stale one count.
TEST_F(UninstallListTest, RecordsStayOnceWhenTheListsAreChangedDirectly) {
  TUninstallList list(&variables_);
  for (int i = 0; i < 3000; ++i) list.AddFile("C:\\Games\\Demo\\data\\f" + std::to_string(i) + ".dat");
  list.AddFile("C:\\GAMES\\DEMO\\DATA\\F2999.DAT");
  EXPECT_EQ(list.Files.size(), 3000u);

  list.Files.push_back("$INSTDIR\\added.txt");  // appended by someone else
  list.AddFile("C:\\Games\\Demo\\ADDED.txt");
  EXPECT_EQ(list.Files.size(), 3001u);

  list.Files = {"$INSTDIR\\other.txt"};  // replaced wholesale
  list.AddFile("C:\\Games\\Demo\\data\\f1.dat");
  list.AddFile("C:\\Games\\Demo\\Other.TXT");
  EXPECT_EQ(list.Files, (std::vector<std::string>{"$INSTDIR\\other.txt", "$INSTDIR\\data\\f1.dat"}));

  list.Files[0] = "$INSTDIR\\changed.txt";  // changed in place
  list.AddFile("C:\\Games\\Demo\\other.txt");
  list.AddFile("C:\\Games\\Demo\\changed.txt");
  EXPECT_EQ(list.Files, (std::vector<std::string>{"$INSTDIR\\changed.txt", "$INSTDIR\\data\\f1.dat",
                                                  "$INSTDIR\\other.txt"}));

  list.Folders = {"C:\\Demo\\"};
  list.AddFolder("c:\\demo");
  list.Folders.clear();
  list.AddFolder("c:\\demo");
  EXPECT_EQ(list.Folders, (std::vector<std::string>{"c:\\demo"}));
}

TEST_F(UninstallListTest, AnEmptyListIsSixZeroBytes) {
  TUninstallList list(&variables_);
  ASSERT_TRUE(list.SaveToFile(temp_.Path(), ""));
  EXPECT_EQ(ReadFile(temp_ / "install.log"), TBytes(6, 0));
}

// A second installation's log replaces the first in one step: one that
// cannot be written (a full disk) leaves the first, never none or half.
TEST_F(UninstallListTest, ALogThatCannotBeWrittenLeavesTheOneBefore) {
  TUninstallList first(&variables_);
  first.Files = {"$INSTDIR\\old.txt"};
  ASSERT_TRUE(first.SaveToFile(temp_.Path(), "Demo_"));
  const TBytes before = ReadFile(temp_ / "Demo_install.log");
  TUninstallList second(&variables_);
  second.Files = {"$INSTDIR\\new.txt", "$INSTDIR\\more.txt"};
  {
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    faulty.FailWritesAfter(10, "Demo_install.log");
    EXPECT_FALSE(second.SaveToFile(temp_.Path(), "Demo_").Ok());
  }
  EXPECT_EQ(ReadFile(temp_ / "Demo_install.log"), before);
  EXPECT_FALSE(Files().Exists(temp_ / "Demo_install.log.partial"));
  ASSERT_TRUE(second.SaveToFile(temp_.Path(), "Demo_"));
  EXPECT_NE(ReadFile(temp_ / "Demo_install.log"), before);
  EXPECT_FALSE(Files().Exists(temp_ / "Demo_install.log.partial"));
}

TEST_F(UninstallListTest, SaveAndLoadRestoreEveryListByteForByte) {
  TUninstallList list(&variables_);
  list.Files = {"$INSTDIR\\a.txt", "", std::string("odd\0\xFF", 5)};
  list.RegistryValues = {MakeRegistryLine("HKLM", "Software\\Demo", "Path", "$INSTDIR")};
  list.Folders = {"C:\\Games\\Demo\\", "C:\\Games\\Demo\\data"};
  ASSERT_TRUE(list.SaveToFile(temp_.Path(), "Demo_"));

  TBytes bytes = ReadFile(temp_ / "Demo_install.log");
  ASSERT_GE(bytes.size(), 6u + 2 + 14);
  EXPECT_EQ(GetU16(bytes.data()), 3u);
  EXPECT_EQ(GetU16(bytes.data() + 6), 14u);  // enciphered strings keep their length
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 22), EncryptWithDigitKey(kUninstallLogKey, "$INSTDIR\\a.txt"));

  TUninstallList loaded(&variables_);
  loaded.AddFile("C:\\stale");
  TStatus read = loaded.LoadFromFile(temp_.Path(), "Demo_");
  ASSERT_TRUE(read.Ok()) << read.Message();
  EXPECT_EQ(loaded.Files, list.Files);
  EXPECT_EQ(loaded.RegistryValues, list.RegistryValues);
  EXPECT_EQ(loaded.Folders, list.Folders);
}

TEST_F(UninstallListTest, MissingAndDamagedLogs) {
  TUninstallList list(&variables_);
  list.AddFile("C:\\kept");
  TStatus missing = list.LoadFromFile(temp_.Path(), "none_");
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.Message().find("none_install.log\" is missing"), std::string::npos) << missing.Message();
  EXPECT_EQ(list.Files.size(), 1u);  // records made earlier survive

  TUninstallList full(&variables_);
  full.Files = {"first", "second"};
  TBytes bytes = full.Serialize();
  bytes.resize(bytes.size() - 2);  // the second string is cut short
  EXPECT_FALSE(list.Deserialize(bytes.data(), static_cast<uint32_t>(bytes.size())));
  EXPECT_EQ(list.Files, (std::vector<std::string>{"first"}));
  // The same cut log read from its file: a failure, with what could be read kept.
  ASSERT_TRUE(WriteBufferToFile(temp_ / "cut_install.log", bytes.data(), static_cast<uint32_t>(bytes.size())).Ok());
  TStatus cut = list.LoadFromFile(temp_.Path(), "cut_");
  EXPECT_FALSE(cut);
  EXPECT_NE(cut.Message().find("ends early"), std::string::npos) << cut.Message();
  EXPECT_EQ(list.Files, (std::vector<std::string>{"first"}));
}

TEST_F(UninstallListTest, RefusesListsTheFormatCannotHold) {
  TUninstallList list(&variables_);
  list.Files.assign(65536, "x");
  EXPECT_FALSE(list.SaveToFile(temp_.Path(), ""));
  list.Files = {std::string(65536, 'y')};
  EXPECT_FALSE(list.SaveToFile(temp_.Path(), ""));
  EXPECT_FALSE(Files().Exists(temp_ / "install.log"));
}

TEST(RegistryLine, SplitsQuotedFields) {
  struct TCase {
    std::string Line;
    std::vector<std::string> Fields;
  } cases[] = {
      {MakeRegistryLine("HKCU", "Software\\My App", "", "a b"), {"HKCU", "Software\\My App", "", "a b"}},
      {"  \"HKLM\"\t \"Key\"  \"Name\" \"data\" \"extra\"", {"HKLM", "Key", "Name", "data"}},
      {"HKCR Proto", {"HKCR", "Proto"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(SplitRegistryLine(c.Line), c.Fields);
  }
}

}  // namespace
}  // namespace tailpack
