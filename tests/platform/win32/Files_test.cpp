// The Win32 file system against the real API (under Wine on Linux).

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "platform/win32/PrivateFolderSecurity.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Wine.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::TempFolderTest;
using test::WriteFile;

std::vector<std::string> Names(const std::vector<TFolderEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.Name);
  return names;
}

class Win32FilesTest : public TempFolderTest {};

TEST_F(Win32FilesTest, ShareModesDecideWhatASecondOpenMayDo) {
  struct TCase {
    const char* name;
    TFileMode firstMode;
    TFileShare firstShare;
    TFileMode secondMode;
    TFileShare secondShare;
    bool secondOpens;
  };
  const TCase cases[] = {
      {"exclusive refuses readers", TFileMode::OpenRead, TFileShare::None, TFileMode::OpenRead, TFileShare::ReadWrite, false},
      {"shared read admits readers", TFileMode::OpenRead, TFileShare::Read, TFileMode::OpenRead, TFileShare::ReadWrite, true},
      {"shared read refuses writers", TFileMode::OpenRead, TFileShare::Read, TFileMode::OpenReadWrite, TFileShare::ReadWrite, false},
      {"a writer is refused by a reader that shares only reading", TFileMode::OpenReadWrite, TFileShare::ReadWrite,
       TFileMode::OpenRead, TFileShare::Read, false},
      {"shared read-write admits writers", TFileMode::OpenReadWrite, TFileShare::ReadWrite, TFileMode::OpenReadWrite,
       TFileShare::ReadWrite, true},
      {"an exclusive create shuts everyone out", TFileMode::CreateAlways, TFileShare::None, TFileMode::OpenRead,
       TFileShare::ReadWrite, false},
  };
  std::string path = temp_ / "shared.bin";
  WriteFile(path, "content");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto first = Files().Open(path, c.firstMode, c.firstShare);
    ASSERT_TRUE(first);
    auto second = Files().Open(path, c.secondMode, c.secondShare);
    EXPECT_EQ(second != nullptr, c.secondOpens);
  }
}

TEST_F(Win32FilesTest, OnlyReadWriteSharingLetsOthersDeleteAnOpenFile) {
  std::string path = temp_ / "victim.bin";
  WriteFile(path, "x");
  {
    auto open = Files().Open(path, TFileMode::OpenRead, TFileShare::Read);
    ASSERT_TRUE(open);
    EXPECT_FALSE(Files().Delete(path));
  }
  auto open = Files().Open(path, TFileMode::OpenRead, TFileShare::ReadWrite);
  ASSERT_TRUE(open);
  EXPECT_TRUE(Files().Delete(path));
}

TEST_F(Win32FilesTest, CreateNewRefusesAnExistingNameAndLeavesItAlone) {
  std::string path = temp_ / "existing.txt";
  WriteFile(path, "keep me");
  EXPECT_FALSE(Files().Open(path, TFileMode::CreateNew, TFileShare::None));
  EXPECT_EQ(BytesToString(ReadFile(path)), "keep me");
  // The name of a folder counts as taken too.
  ASSERT_TRUE(Files().CreateFolder(temp_ / "folder"));
  EXPECT_FALSE(Files().Open(temp_ / "folder", TFileMode::CreateNew, TFileShare::None));

  auto fresh = Files().Open(temp_ / "fresh.txt", TFileMode::CreateNew, TFileShare::None);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->Write("new", 3), 3u);
}

TEST_F(Win32FilesTest, CreateAlwaysTruncatesAndOpenNeedsAnExistingFile) {
  std::string path = temp_ / "file.txt";
  EXPECT_FALSE(Files().Open(path, TFileMode::OpenRead));
  EXPECT_FALSE(Files().Open(path, TFileMode::OpenReadWrite));
  WriteFile(path, "a long first content");
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 0u);
}

TEST_F(Win32FilesTest, SeekPositionTruncateAndFlush) {
  std::string path = temp_ / "data.bin";
  {
    auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Write("0123456789", 10), 10u);
    EXPECT_EQ(file->Position(), 10u);
    ASSERT_TRUE(file->Seek(4));
    EXPECT_EQ(file->Position(), 4u);
    char two[2];
    EXPECT_EQ(file->Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "45");
    ASSERT_TRUE(file->Seek(4));
    EXPECT_TRUE(file->Truncate());
    EXPECT_EQ(file->Size(), 4u);
    EXPECT_TRUE(file->Flush());
    // Reading at the end gives nothing rather than failing.
    char rest[8];
    EXPECT_EQ(file->Read(rest, sizeof rest), 0u);
  }
  EXPECT_EQ(BytesToString(ReadFile(path)), "0123");
}

TEST_F(Win32FilesTest, AFolderCannotBeOpenedAsAFile) {
  ASSERT_TRUE(Files().CreateFolder(temp_ / "folder"));
  EXPECT_FALSE(Files().Open(temp_ / "folder", TFileMode::OpenRead, TFileShare::ReadWrite));
}

TEST_F(Win32FilesTest, AttributesAreTheWin32Bits) {
  std::string file = temp_ / "file.txt";
  std::string folder = temp_ / "folder";
  WriteFile(file, "x");
  ASSERT_TRUE(Files().CreateFolder(folder));

  EXPECT_FALSE(Files().Attributes(temp_ / "missing"));
  EXPECT_TRUE(Files().FileExists(file));
  EXPECT_FALSE(Files().FolderExists(file));
  EXPECT_TRUE(Files().FolderExists(folder));
  EXPECT_EQ(*Files().Attributes(file) & kAttributeDirectory, 0u);

  ASSERT_TRUE(Files().SetAttributes(file, kAttributeReadOnly | kAttributeHidden));
  uint32_t attributes = *Files().Attributes(file);
  EXPECT_EQ(attributes & (kAttributeReadOnly | kAttributeHidden), kAttributeReadOnly | kAttributeHidden);
  // Windows refuses to delete a read-only file; the core relies on that.
  EXPECT_FALSE(Files().Delete(file));
  ASSERT_TRUE(Files().SetAttributes(file, kAttributeNormal));
  EXPECT_EQ(*Files().Attributes(file) & (kAttributeReadOnly | kAttributeHidden), 0u);
  EXPECT_TRUE(Files().Delete(file));
  EXPECT_FALSE(Files().SetAttributes(temp_ / "missing", kAttributeNormal));
}

TEST_F(Win32FilesTest, FindFilesFollowsTheWindowsWildcards) {
  for (const char* name : {"a.txt", "B.TXT", "c.dat", "readme", "long.text"}) WriteFile(temp_ / name, "1234");
  ASSERT_TRUE(Files().CreateFolder(temp_ / "sub"));
  struct TCase {
    const char* pattern;
    std::vector<std::string> names;
  };
  const TCase cases[] = {
      {"*", {"a.txt", "B.TXT", "c.dat", "long.text", "readme", "sub"}},
      // "*.*" also matches names without a dot, as it always has on Windows.
      {"*.*", {"a.txt", "B.TXT", "c.dat", "long.text", "readme", "sub"}},
      {"*.txt", {"a.txt", "B.TXT"}},
      {"?.dat", {"c.dat"}},
      {"READ*", {"readme"}},
      {"sub", {"sub"}},
      {"nothing*", {}},
      {"sub\\*", {}},  // only "." and ".." are in there, and those never appear
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(Names(Files().FindFiles(temp_ / c.pattern)), c.names);
  }
  auto entries = Files().FindFiles(temp_ / "*");
  auto sub = std::find_if(entries.begin(), entries.end(), [](const TFolderEntry& e) { return e.Name == "sub"; });
  ASSERT_NE(sub, entries.end());
  EXPECT_TRUE(sub->IsFolder());
  EXPECT_EQ(sub->Size, 0u);
  EXPECT_FALSE(entries.front().IsFolder());
  EXPECT_EQ(entries.front().Size, 4u);
  EXPECT_TRUE(Files().FindFiles(temp_ / "missing\\*").empty());
}

TEST_F(Win32FilesTest, CopyRenameDeleteAndFolders) {
  std::string source = temp_ / "source.txt";
  WriteFile(source, "payload");
  EXPECT_TRUE(Files().Copy(source, temp_ / "copy.txt", true));
  EXPECT_EQ(BytesToString(ReadFile(temp_ / "copy.txt")), "payload");
  WriteFile(temp_ / "other.txt", "other");
  EXPECT_FALSE(Files().Copy(source, temp_ / "other.txt", true));
  EXPECT_EQ(BytesToString(ReadFile(temp_ / "other.txt")), "other");
  EXPECT_TRUE(Files().Copy(source, temp_ / "other.txt", false));
  EXPECT_EQ(BytesToString(ReadFile(temp_ / "other.txt")), "payload");

  // A rename never replaces what is there.
  EXPECT_FALSE(Files().Rename(temp_ / "copy.txt", temp_ / "other.txt"));
  EXPECT_TRUE(Files().Rename(temp_ / "copy.txt", temp_ / "renamed.txt"));
  EXPECT_FALSE(Files().Exists(temp_ / "copy.txt"));
  EXPECT_TRUE(Files().Delete(temp_ / "renamed.txt"));
  EXPECT_FALSE(Files().Delete(temp_ / "renamed.txt"));

  ASSERT_TRUE(Files().CreateFolder(temp_ / "folder"));
  EXPECT_FALSE(Files().CreateFolder(temp_ / "folder"));
  EXPECT_FALSE(Files().CreateFolder(temp_ / "missing\\child"));
  WriteFile(temp_ / "folder\\inside.txt", "x");
  EXPECT_FALSE(Files().RemoveFolder(temp_ / "folder"));  // not empty
  EXPECT_TRUE(Files().Delete(temp_ / "folder\\inside.txt"));
  EXPECT_TRUE(Files().RemoveFolder(temp_ / "folder"));
}

TEST(Win32WidePaths, LongNamesGetThePrefixAndShortOnesStayAsTheyAre) {
  using win32::LongPathForm;
  const std::wstring part(60, L'a');
  const std::wstring deep = part + L"\\" + part + L"\\" + part + L"\\" + part;  // 243 characters
  struct TCase {
    std::wstring path;
    std::wstring expected;
  };
  const TCase cases[] = {
      {L"C:\\Games\\" + part, L"C:\\Games\\" + part},
      {L"C:\\" + deep + L"\\x", L"\\\\?\\C:\\" + deep + L"\\x"},
      // The prefix turns the system's clean-up of the name off, so it is done first.
      {L"C:/" + deep + L"/skipped/../x", L"\\\\?\\C:\\" + deep + L"\\x"},
      {L"C:\\" + deep + L"\\.\\x", L"\\\\?\\C:\\" + deep + L"\\x"},
      {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {L"\\\\?\\C:\\" + deep + L"\\x", L"\\\\?\\C:\\" + deep + L"\\x"},
  };
  for (const TCase& c : cases) EXPECT_EQ(LongPathForm(c.path), c.expected);
}

// Without the prefix Windows refuses names longer than MAX_PATH; a game's
// data nests that deep under "Program Files". Wine takes either form, so
// this shows that every call works with the form long names are given in.
TEST_F(Win32FilesTest, NamesLongerThanMaxPathWorkThroughEveryCall) {
  std::string folder = temp_.Path();
  while (folder.size() < 300) {
    folder += "\\" + std::string(40, 'd');
    ASSERT_TRUE(Files().CreateFolder(folder)) << folder.size();
  }
  std::string file = folder + "\\Data.pak";
  WriteFile(file, "payload");
  ASSERT_GT(file.size(), size_t{MAX_PATH});
  EXPECT_EQ(BytesToString(ReadFile(file)), "payload");
  EXPECT_TRUE(Files().FileExists(file));
  EXPECT_TRUE(Files().SetAttributes(file, kAttributeNormal));
  EXPECT_EQ(Names(Files().FindFiles(folder + "\\*")), std::vector<std::string>{"Data.pak"});

  EXPECT_TRUE(Files().Copy(file, folder + "\\Copy.pak", true));
  EXPECT_TRUE(Files().Rename(folder + "\\Copy.pak", folder + "\\copy.pak"));  // the letter case alone
  EXPECT_EQ(Names(Files().FindFiles(folder + "\\c*")), std::vector<std::string>{"copy.pak"});
  EXPECT_TRUE(Files().RenameReplacing(folder + "\\copy.pak", file));
  EXPECT_EQ(BytesToString(ReadFile(file)), "payload");
  EXPECT_TRUE(Files().FlushWrittenFiles());
  EXPECT_TRUE(Files().Delete(file));
  EXPECT_TRUE(Files().RemoveFolder(folder));
  EXPECT_FALSE(Files().FolderExists(folder));
}

TEST_F(Win32FilesTest, NamesOutsideAsciiSurviveTheWideApi) {
  // "\xE9" is an e with acute accent in the usual Western code page; whatever
  // the code page, the name written is the name found again.
  std::string name = std::string("caf\xE9") + ".txt";
  std::u16string wide = AnsiToWide(name);
  if (WideToAnsi(wide) != name) GTEST_SKIP() << "the system code page has no form for the byte";
  WriteFile(temp_ / name, "x");
  EXPECT_EQ(Names(Files().FindFiles(temp_ / "caf*")), std::vector<std::string>{name});
  EXPECT_TRUE(Files().FileExists(temp_ / name));
}

TEST(Win32Files, TempFolderExistsAndEndsInABackslash) {
  std::string temp = Files().TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(Files().FolderExists(temp));
}

TEST(Win32Files, DrivesAreListedWithTheirTypesAndFreeSpace) {
  auto drives = Files().LogicalDrives();
  ASSERT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
  for (const auto& root : drives) EXPECT_TRUE(root.size() == 3 && root[1] == ':' && root[2] == '\\') << root;
  EXPECT_EQ(Files().DriveType("C:\\"), TDriveType::Fixed);
  auto free = Files().FreeSpace("C:\\");
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0u);

  std::string unused;
  for (char letter = 'Z'; letter >= 'D' && unused.empty(); --letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (std::find(drives.begin(), drives.end(), root) == drives.end()) unused = root;
  }
  ASSERT_FALSE(unused.empty());
  EXPECT_EQ(Files().DriveType(unused), TDriveType::NoRootFolder);
  EXPECT_FALSE(Files().FreeSpace(unused));
}

// The security identifiers a DACL grants, as SDDL strings, with the checks
// every entry of the private folder's DACL must pass.
std::vector<std::string> AllowedTrustees(PACL dacl, DWORD expectedMask, BYTE expectedFlags) {
  std::vector<std::string> trustees;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(dacl, i, &raw)) {
      ADD_FAILURE() << "unreadable ACE " << i;
      continue;
    }
    auto* header = static_cast<ACE_HEADER*>(raw);
    EXPECT_EQ(header->AceType, ACCESS_ALLOWED_ACE_TYPE) << "ACE " << i;
    EXPECT_EQ(header->AceFlags & INHERITED_ACE, 0) << "ACE " << i << " was inherited";
    EXPECT_EQ(header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), expectedFlags) << "ACE " << i;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    EXPECT_EQ(ace->Mask, expectedMask) << "ACE " << i;
    wchar_t* text = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<PSID>(&ace->SidStart), &text)) {
      trustees.push_back(win32::FromWide(text));
      LocalFree(text);
    }
  }
  std::sort(trustees.begin(), trustees.end());
  return trustees;
}

std::string CurrentUserSidText() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> buffer(512);
  DWORD size = 0;
  bool ok = GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
  CloseHandle(token);
  if (!ok) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  std::string result = win32::FromWide(text);
  LocalFree(text);
  return result;
}

class TLocalDescriptor {
 public:
  ~TLocalDescriptor() {
    if (descriptor) LocalFree(descriptor);
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
};

std::vector<std::string> PrivateTrustees() {
  std::vector<std::string> trustees = {CurrentUserSidText(), "S-1-5-18", "S-1-5-32-544"};
  std::sort(trustees.begin(), trustees.end());
  trustees.erase(std::unique(trustees.begin(), trustees.end()), trustees.end());
  return trustees;
}

TEST(Win32PrivateFolderSecurity, GrantsOnlyUserAdministratorsAndSystemAndIsProtected) {
  win32::TPrivateFolderSecurity security;
  ASSERT_TRUE(security.Build());
  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(security.Descriptor(), &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  EXPECT_FALSE(defaulted);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(security.Descriptor(), &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the parent's entries must not flow in";
  ASSERT_FALSE(CurrentUserSidText().empty());
  EXPECT_EQ(AllowedTrustees(dacl, FILE_ALL_ACCESS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), PrivateTrustees());
}

TEST_F(Win32FilesTest, PrivateFoldersHaveRandomNamesAndTheirSecurity) {
  auto first = Files().CreatePrivateFolder(temp_.Path());
  auto second = Files().CreatePrivateFolder(temp_.Path() + "\\");
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(first->rfind(temp_.Path() + "\\", 0), 0u) << *first;
  EXPECT_EQ(second->rfind(temp_.Path() + "\\", 0), 0u) << *second;
  EXPECT_TRUE(Files().FolderExists(*first));

  PACL dacl = nullptr;
  TLocalDescriptor security;
  ASSERT_EQ(GetNamedSecurityInfoW(win32::ToWide(*first).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &dacl, nullptr, &security.descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(dacl);
  auto granted = AllowedTrustees(dacl, FILE_ALL_ACCESS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  auto allowed = PrivateTrustees();
  // Nobody outside the three, and the user at least.
  for (const auto& trustee : granted)
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), trustee), allowed.end()) << trustee << " may enter";
  EXPECT_NE(std::find(granted.begin(), granted.end(), CurrentUserSidText()), granted.end());
  // Wine keeps no security descriptors on files: it stores the folder as
  // mode 0700 and reads back a DACL made from that (user and SYSTEM, not
  // protected). Windows keeps the descriptor as given.
  if (test::RunningUnderWine()) return;
  EXPECT_EQ(granted, allowed);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(security.descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
}

TEST_F(Win32FilesTest, PrivateFolderFailsUnderAMissingParent) {
  EXPECT_FALSE(Files().CreatePrivateFolder(temp_ / "missing"));
}

}  // namespace
}  // namespace tailpack
