#include "platform/posix/RegistryStore.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <thread>

#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"

namespace tailpack::posix {
namespace {

using test::ReadHostFile;
using test::WriteHostFile;

// The file's text, decoded from UTF-16LE after checking its byte-order mark.
std::string FileText(const std::string& path) {
  std::string bytes = ReadHostFile(path);
  EXPECT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
  return Utf16ToUtf8(text);
}

std::string Utf16File(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::string File() const { return folder_ / "registry.reg"; }
  test::THostFolder folder_;
};

TEST_F(RegistryStoreTest, WritesAReadableRegFile) {
  TRegistryStore store(File());
  ASSERT_TRUE(store.CreateKey(kRootCurrentUser, "Software\\MyApp"));
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "Software\\MyApp", "InstallDir", "C:\\Program Files\\My \"App\""));
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "Software\\MyApp", "", "default"));
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "SOFTWARE\\MYAPP", "installdir", "C:\\Other"));  // same value
  ASSERT_TRUE(store.CreateKey(kRootLocalMachine, "Software\\B\\Sub"));
  ASSERT_TRUE(store.CreateKey(kRootLocalMachine, "software\\a"));  // under the existing spelling
  ASSERT_TRUE(store.CreateKey(kRootClassesRoot, "myproto\\shell"));
  EXPECT_EQ(FileText(File()),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CLASSES_ROOT\\myproto]\r\n"
            "\r\n"
            "[HKEY_CLASSES_ROOT\\myproto\\shell]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\MyApp]\r\n"
            "\"InstallDir\"=\"C:\\\\Other\"\r\n"
            "@=\"default\"\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\a]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\B]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\B\\Sub]\r\n"
            "\r\n");
}

TEST_F(RegistryStoreTest, EscapesAndLineBreaksSurviveTheFile) {
  {
    TRegistryStore store(File());
    ASSERT_TRUE(store.CreateKey(kRootCurrentUser, "K"));
    ASSERT_TRUE(store.WriteString(kRootCurrentUser, "K", "Quote\"Name\\", "a \\ b \" c"));
    ASSERT_TRUE(store.WriteString(kRootCurrentUser, "K", "Multi", "a\r\nb"));
    ASSERT_TRUE(store.WriteString(kRootCurrentUser, "K", "Long", std::string(60, 'x') + "\n" + std::string(60, 'y')));
    ASSERT_TRUE(store.WriteString(kRootCurrentUser, "K", "Zero", std::string("ab\0cd", 5)));
    EXPECT_FALSE(store.WriteString(kRootCurrentUser, "K", "Bad\nName", "x"));
    EXPECT_FALSE(store.CreateKey(kRootCurrentUser, "Bad\r\nKey"));
  }
  std::string text = FileText(File());
  EXPECT_NE(text.find("\"Quote\\\"Name\\\\\"=\"a \\\\ b \\\" c\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Multi\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"), std::string::npos);
  size_t start = 0;
  while (start < text.size()) {  // continued lines keep the file narrow
    size_t end = text.find("\r\n", start);
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    start = end + 2;
  }
  TRegistryStore reader(File());
  EXPECT_EQ(reader.ReadString(kRootCurrentUser, "K", "quote\"name\\"), "a \\ b \" c");
  EXPECT_EQ(reader.ReadString(kRootCurrentUser, "K", "Multi"), "a\r\nb");
  EXPECT_EQ(reader.ReadString(kRootCurrentUser, "K", "Long"), std::string(60, 'x') + "\n" + std::string(60, 'y'));
  EXPECT_EQ(reader.ReadString(kRootCurrentUser, "K", "Zero"), "ab");  // string data ends at a zero
  EXPECT_FALSE(reader.KeyExists(kRootCurrentUser, "Bad\r\nKey"));
}

TEST_F(RegistryStoreTest, ReadsTheEncodingsARegFileComesIn) {
  const std::string body =
      "\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"Name\"=\"Caf\xC3\xA9 \\\\ \\\"q\\\"\"\r\n@=\"d\"\r\n";
  struct TCase {
    const char* Label;
    std::string Bytes;
  };
  const TCase cases[] = {
      {"UTF-16LE", Utf16File("Windows Registry Editor Version 5.00\r\n" + body)},
      {"UTF-8 with BOM", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n" + body},
      {"UTF-8", "Windows Registry Editor Version 5.00\n" + body},
      {"ANSI REGEDIT4", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"Name\"=\"Caf\xE9 \\\\ \\\"q\\\"\"\r\n@=\"d\"\r\n"},
      {"short root names", "REGEDIT4\r\n[HKCU\\Software\\T]\r\n\"Name\"=\"Caf\xE9 \\\\ \\\"q\\\"\"\r\n@=\"d\"\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    WriteHostFile(File(), c.Bytes);
    TRegistryStore store(File());
    EXPECT_EQ(store.ReadString(kRootCurrentUser, "Software\\T", "NAME"), "Caf\xE9 \\ \"q\"");
    EXPECT_EQ(store.ReadString(kRootCurrentUser, "software\\t", ""), "d");
    EXPECT_TRUE(store.KeyExists(kRootCurrentUser, "Software"));
  }
}

TEST_F(RegistryStoreTest, KeepsWhatItDoesNotUnderstand) {
  const std::vector<std::string> kept = {
      "; exported by hand",
      "\"Count\"=dword:0000002a",
      "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\",
      "  18,19,1a",
      "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00",
      "\"Path\"=hex(2):25,00,57,00,25,00,5c,00,78,00,00,00",
      "\"Q\"=qword:0000000000000001",
      "a line nobody can parse",
      "[HKEY_PERFORMANCE_DATA\\Odd]",
      "\"Kept\"=\"too\"",
  };
  std::string original = "Windows Registry Editor Version 5.00\r\n\r\n; preamble comment\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Mixed]\r\n";
  for (size_t i = 0; i + 2 < kept.size(); ++i) original += kept[i] + "\r\n";
  original += "\r\n" + kept[kept.size() - 2] + "\r\n" + kept.back() + "\r\n";
  WriteHostFile(File(), Utf16File(original));

  TRegistryStore store(File());
  EXPECT_EQ(store.ReadString(kRootCurrentUser, "Software\\Mixed", "Count"), std::nullopt);  // not a string
  EXPECT_EQ(store.ReadString(kRootCurrentUser, "Software\\Mixed", "Path"), "%W%\\x");      // expandable string
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "Software\\Mixed", "New", "value"));
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "Software\\Mixed", "Count", "now a string"));
  std::string text = FileText(File());
  for (const std::string& line : kept) {
    SCOPED_TRACE(line);
    if (line.rfind("\"Count\"", 0) == 0) continue;  // replaced on purpose
    EXPECT_NE(text.find(line + "\r\n"), std::string::npos);
  }
  EXPECT_NE(text.find("; preamble comment\r\n"), std::string::npos);
  // The replaced value keeps its place; the new one comes last.
  EXPECT_NE(text.find("; exported by hand\r\n\"Count\"=\"now a string\"\r\n"), std::string::npos);
  EXPECT_LT(text.find("a line nobody can parse"), text.find("\"New\"=\"value\""));
}

TEST_F(RegistryStoreTest, AppliesRemovalLines) {
  WriteHostFile(File(),
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Gone\\Child]\r\n\"A\"=\"1\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Stays]\r\n\"Old\"=\"1\"\r\n\"New\"=\"2\"\r\n\"old\"=-\r\n\r\n"
                "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\"Ignored\"=\"x\"\r\n");
  TRegistryStore store(File());
  EXPECT_FALSE(store.KeyExists(kRootCurrentUser, "Software\\Gone"));
  EXPECT_EQ(store.ReadString(kRootCurrentUser, "Software\\Stays", "Old"), std::nullopt);
  EXPECT_EQ(store.ReadString(kRootCurrentUser, "Software\\Stays", "New"), "2");
}

TEST_F(RegistryStoreTest, AFileThatCannotBeParsedIsNeverOverwritten) {
  const std::string garbage = "this is not a registry file\r\n[HKEY_CURRENT_USER\\X]\r\n";
  WriteHostFile(File(), garbage);
  TRegistryStore store(File());
  EXPECT_FALSE(store.KeyExists(kRootCurrentUser, "X"));
  EXPECT_FALSE(store.CreateKey(kRootCurrentUser, "Y"));
  EXPECT_EQ(ReadHostFile(File()), garbage);
  // Once mended, the same store reads it again.
  WriteHostFile(File(), "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n");
  EXPECT_TRUE(store.KeyExists(kRootCurrentUser, "X"));
}

TEST_F(RegistryStoreTest, AnotherStoreSeesEveryChangeAsAnotherProcessWould) {
  TRegistryStore first(File());
  TRegistryStore second(File());
  EXPECT_FALSE(second.KeyExists(kRootLocalMachine, "Software\\App"));  // loaded while empty
  ASSERT_TRUE(first.CreateKey(kRootLocalMachine, "Software\\App"));
  ASSERT_TRUE(first.WriteString(kRootLocalMachine, "Software\\App", "One", "1"));
  EXPECT_EQ(second.ReadString(kRootLocalMachine, "Software\\App", "One"), "1");

  // Both write to the same key in turn: neither loses the other's value.
  ASSERT_TRUE(second.WriteString(kRootLocalMachine, "Software\\App", "Two", "2"));
  ASSERT_TRUE(first.WriteString(kRootLocalMachine, "Software\\App", "Three", "3"));
  for (TRegistryStore* store : {&first, &second}) {
    EXPECT_EQ(store->ReadString(kRootLocalMachine, "Software\\App", "Two"), "2");
    EXPECT_EQ(store->ReadString(kRootLocalMachine, "Software\\App", "Three"), "3");
  }
  ASSERT_TRUE(second.DeleteKey(kRootLocalMachine, "Software\\App"));
  EXPECT_FALSE(first.KeyExists(kRootLocalMachine, "Software\\App"));
  EXPECT_FALSE(first.WriteString(kRootLocalMachine, "Software\\App", "Four", "4"));  // not created again
}

TEST_F(RegistryStoreTest, ConcurrentWritersLoseNothing) {
  TRegistryStore setup(File());
  ASSERT_TRUE(setup.CreateKey(kRootCurrentUser, "Shared"));
  constexpr int kWriters = 4, kValues = 10;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      TRegistryStore store(File());  // its own lock descriptor, like another process
      for (int v = 0; v < kValues; ++v)
        store.WriteString(kRootCurrentUser, "Shared", "W" + std::to_string(w) + "V" + std::to_string(v), "x");
    });
  }
  for (auto& writer : writers) writer.join();
  TRegistryStore reader(File());
  for (int w = 0; w < kWriters; ++w)
    for (int v = 0; v < kValues; ++v)
      EXPECT_EQ(reader.ReadString(kRootCurrentUser, "Shared", "W" + std::to_string(w) + "V" + std::to_string(v)), "x");
}

TEST_F(RegistryStoreTest, ReplacesTheFileAtomically) {
  TRegistryStore store(File());
  ASSERT_TRUE(store.CreateKey(kRootCurrentUser, "A"));
  struct stat before, after;
  ASSERT_EQ(stat(File().c_str(), &before), 0);
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "A", "V", "1"));
  ASSERT_EQ(stat(File().c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed into place, not rewritten
  // Nothing but the file and its lock file remain in the folder.
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder_.Path().c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.' || (entry->d_name[1] != '\0' && entry->d_name[1] != '.')) names.push_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));

  // A file that cannot be written leaves every change unreported.
  WriteHostFile(folder_ / "blocker", "");
  TRegistryStore blocked(folder_ / "blocker/registry.reg");
  EXPECT_FALSE(blocked.CreateKey(kRootCurrentUser, "A"));
  EXPECT_FALSE(blocked.KeyExists(kRootCurrentUser, "A"));
}

// A fresh account has no data folder yet, and TAILPACK_REGISTRY may name a
// new one: the first change creates it (the lock file lives there too).
TEST_F(RegistryStoreTest, TheFirstChangeCreatesTheFilesFolder) {
  const std::string file = folder_ / "new/deeper/registry.reg";
  TRegistryStore store(file);
  EXPECT_FALSE(store.KeyExists(kRootCurrentUser, "A"));
  EXPECT_FALSE(test::HostExists(folder_ / "new"));  // reading creates nothing
  ASSERT_TRUE(store.CreateKey(kRootCurrentUser, "A"));
  ASSERT_TRUE(store.WriteString(kRootCurrentUser, "A", "V", "1"));
  EXPECT_EQ(TRegistryStore(file).ReadString(kRootCurrentUser, "A", "V"), "1");
  EXPECT_TRUE(test::HostExists(file + ".lock"));
}

TEST_F(RegistryStoreTest, RootsAndPaths) {
  TRegistryStore store(File());
  EXPECT_FALSE(store.CreateKey(0x80000004, "X"));  // a root the store does not serve
  EXPECT_FALSE(store.DeleteKey(kRootCurrentUser, ""));  // a root cannot go
  EXPECT_TRUE(store.KeyExists(kRootUsers, ""));
  ASSERT_TRUE(store.CreateKey(kRootCurrentConfig, "\\A\\\\B\\"));  // stray backslashes are ignored
  EXPECT_TRUE(store.KeyExists(kRootCurrentConfig, "A\\B"));
  ASSERT_TRUE(store.WriteString(kRootCurrentConfig, "", "AtRoot", "r"));
  EXPECT_NE(FileText(File()).find("[HKEY_CURRENT_CONFIG]\r\n\"AtRoot\"=\"r\"\r\n"), std::string::npos);
  // Non-ASCII key names compare without regard to case too.
  ASSERT_TRUE(store.CreateKey(kRootCurrentUser, "\xC4pfel"));
  EXPECT_TRUE(store.KeyExists(kRootCurrentUser, "\xE4PFEL"));
}

class NativeRegistryTest : public test::PosixDrivesTest {};

TEST_F(NativeRegistryTest, UsesTheFileNamedAtEachCall) {
  auto key = Registry().OpenKey(kRootCurrentUser, "Software\\Here", TRegistryAccess::CreateIfMissing);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteString("V", "1"));
  EXPECT_NE(FileText(RegistryFile()).find("[HKEY_CURRENT_USER\\Software\\Here]"), std::string::npos);

  test::TScopedVariable other("TAILPACK_REGISTRY", root_ / "other.reg");
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, "Software\\Here"));
  EXPECT_TRUE(key->WriteString("W", "2"));  // an open key stays with its file
  EXPECT_NE(FileText(RegistryFile()).find("\"W\"=\"2\""), std::string::npos);
}

}  // namespace
}  // namespace tailpack::posix
