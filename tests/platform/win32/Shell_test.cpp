// The Win32 shell against the real API (under Wine on Linux): links read
// back through IShellLinkW, icon resources read back from the executable,
// real child processes.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/win32/Com.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Wine.h"
#include "system/PathSafety.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::TempFolderTest;
using test::WriteFile;
using win32::FromWide;
using win32::TComInitialisation;
using win32::TComPtr;
using win32::ToWide;

// Polls until Done holds; false when it still does not after a minute. A
// safety net against a hang, not a speed check.
bool WaitFor(const std::function<bool()>& done) {
  ULONGLONG deadline = GetTickCount64() + 60000;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(1);
  }
  return true;
}

std::optional<uint32_t> WaitForExit(IProcess& process) { return process.WaitForExit(10000); }

TEST(Win32Shell, SpecialFoldersAreExistingFoldersWithoutATrailingBackslash) {
  const TSpecialFolder folders[] = {TSpecialFolder::ProgramFiles, TSpecialFolder::StartMenuPrograms,
                                    TSpecialFolder::Desktop, TSpecialFolder::AppData};
  for (TSpecialFolder folder : folders) {
    SCOPED_TRACE(static_cast<int>(folder));
    auto path = Shell().SpecialFolder(folder);
    ASSERT_TRUE(path);
    EXPECT_GT(path->size(), 3u);
    EXPECT_EQ((*path)[1], ':');
    EXPECT_NE(path->back(), '\\');
    EXPECT_TRUE(Files().FolderExists(*path)) << *path;
  }
}

// A script's "rmdir" of the user's own files is refused like one of the
// Windows folder: each such folder the system names is on the list.
TEST(Win32Shell, TheUsersOwnFoldersAreNeverRemovable) {
  const std::vector<std::string> system = Shell().SystemFolders();
  auto listed = [&](const std::string& folder) {
    return std::any_of(system.begin(), system.end(), [&](const std::string& s) { return SameTextAnsi(s, folder); });
  };
  std::vector<std::string> own;
  for (int id : {CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO}) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK) own.push_back(FromWide(buffer));
  }
  for (REFKNOWNFOLDERID id : {FOLDERID_Downloads, FOLDERID_SavedGames}) {
    PWSTR buffer = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &buffer))) own.push_back(FromWide(buffer));
    CoTaskMemFree(buffer);
  }
  ASSERT_FALSE(own.empty());
  for (const std::string& folder : own) {
    EXPECT_TRUE(listed(folder)) << folder;
    EXPECT_FALSE(CheckTreeRemovable(folder).Ok()) << folder;
  }
}

struct TLinkContents {
  std::string Target;
  std::string Arguments;
  std::string WorkingFolder;
  std::string IconFile;
  int IconIndex = -1;
  int ShowCommand = -1;
};

// Loads a saved link the way the shell does.
std::optional<TLinkContents> ReadLink(const std::string& linkFile) {
  TComInitialisation com;
  TComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
    return std::nullopt;
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file || FAILED(file->Load(ToWide(linkFile).c_str(), STGM_READ))) return std::nullopt;
  TLinkContents contents;
  wchar_t buffer[MAX_PATH * 2] = {};
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.Target = FromWide(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH * 2))) contents.Arguments = FromWide(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH))) contents.WorkingFolder = FromWide(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &contents.IconIndex))) contents.IconFile = FromWide(buffer);
  link->GetShowCmd(&contents.ShowCommand);
  return contents;
}

class Win32ShellTest : public TempFolderTest {};

TEST_F(Win32ShellTest, ALinkReadsBackWithEverythingItWasGiven) {
  std::string target = temp_ / "Program.exe";
  WriteFile(target, "MZ");
  TShellLink link;
  link.LinkFile = temp_ / "Program.lnk";
  link.Target = target;
  link.Arguments = "-silent \"two words\"";
  link.WorkingFolder = temp_.Path();
  link.IconFile = temp_ / "Icons.dll";
  link.IconIndex = 3;
  ASSERT_TRUE(Shell().CreateLink(link));

  auto contents = ReadLink(link.LinkFile);
  ASSERT_TRUE(contents);
  EXPECT_TRUE(SameTextAnsi(contents->Target, target)) << contents->Target;
  EXPECT_EQ(contents->Arguments, link.Arguments);
  EXPECT_TRUE(SameTextAnsi(contents->WorkingFolder, temp_.Path())) << contents->WorkingFolder;
  EXPECT_TRUE(SameTextAnsi(contents->IconFile, link.IconFile)) << contents->IconFile;
  EXPECT_EQ(contents->IconIndex, 3);
}

TEST_F(Win32ShellTest, ALinkKeepsItsShowCommand) {
  // Wine saves every link with a normal window whatever it was given.
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine does not store a link's show command";
  for (int show : {SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE}) {
    SCOPED_TRACE(show);
    TShellLink link;
    link.LinkFile = temp_ / ("Show" + std::to_string(show) + ".lnk");
    link.Target = temp_ / "Program.exe";
    link.ShowCommand = show;
    WriteFile(link.Target, "MZ");
    ASSERT_TRUE(Shell().CreateLink(link));
    auto contents = ReadLink(link.LinkFile);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->ShowCommand, show);
  }
}

TEST_F(Win32ShellTest, ALinkWithoutIconFileHasNoIconLocation) {
  std::string target = temp_ / "Program.exe";
  WriteFile(target, "MZ");
  TShellLink link;
  link.LinkFile = temp_ / "Plain.lnk";
  link.Target = target;
  ASSERT_TRUE(Shell().CreateLink(link));
  auto contents = ReadLink(link.LinkFile);
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->IconFile, "");
  EXPECT_EQ(contents->Arguments, "");
}

TEST_F(Win32ShellTest, ALinkIntoAMissingFolderFails) {
  TShellLink link;
  link.LinkFile = temp_ / "missing\\Program.lnk";
  link.Target = temp_ / "Program.exe";
  EXPECT_FALSE(Shell().CreateLink(link));
  EXPECT_FALSE(Files().Exists(link.LinkFile));
}

TEST_F(Win32ShellTest, CreateLinkWorksOnAThreadThatAlreadyUsesTheMultithreadedApartment) {
  // The caller's COM mode is kept and the link still gets made.
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  TShellLink link;
  link.LinkFile = temp_ / "Mta.lnk";
  link.Target = temp_ / "Program.exe";
  WriteFile(link.Target, "MZ");
  EXPECT_TRUE(Shell().CreateLink(link));
  CoUninitialize();
  EXPECT_TRUE(Files().FileExists(link.LinkFile));
}

// A 16 x 16 icon image (the DIB form stored in RT_ICON resources) of one colour.
TBytes IconImage(uint32_t colour) {
  TBytes image;
  AppendU32(image, 40);   // BITMAPINFOHEADER size
  AppendU32(image, 16);   // width
  AppendU32(image, 32);   // height: colour and mask together
  AppendU16(image, 1);    // planes
  AppendU16(image, 32);   // bits per pixel
  for (int i = 0; i < 6; ++i) AppendU32(image, 0);
  for (int i = 0; i < 16 * 16; ++i) AppendU32(image, colour);
  for (int i = 0; i < 16; ++i) AppendU32(image, 0);  // AND mask rows
  return image;
}

std::optional<TBytes> ReadResource(const std::string& executable, LPCWSTR type, WORD id, WORD language) {
  HMODULE module = LoadLibraryExW(ToWide(executable).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return std::nullopt;
  std::optional<TBytes> bytes;
  if (HRSRC resource = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language)) {
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (data) bytes = TBytes(data, data + size);
  }
  FreeLibrary(module);
  return bytes;
}

TEST_F(Win32ShellTest, ReplaceIconImageRewritesIconOneAndKeepsTheRest) {
  // The uninstaller is a copy of the running program; so is this executable.
  std::string executable = temp_ / "Uninstall.exe";
  ASSERT_TRUE(Files().Copy(System().ExecutablePath(), executable, true));
  const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  TBytes oldImage = IconImage(0xFF0000FF);
  const char sentinel[] = "kept as it was";
  {
    HANDLE update = BeginUpdateResourceW(ToWide(executable).c_str(), FALSE);
    ASSERT_TRUE(update);
    ASSERT_TRUE(UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(1), neutral, oldImage.data(),
                                static_cast<DWORD>(oldImage.size())));
    ASSERT_TRUE(UpdateResourceW(update, RT_RCDATA, MAKEINTRESOURCEW(7), neutral, const_cast<char*>(sentinel),
                                sizeof sentinel));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  }
  ASSERT_EQ(ReadResource(executable, RT_ICON, 1, neutral), oldImage);

  TBytes newImage = IconImage(0xFF00FF00);
  ASSERT_TRUE(Shell().ReplaceIconImage(executable, newImage));

  EXPECT_EQ(ReadResource(executable, RT_ICON, 1, neutral), newImage);
  EXPECT_EQ(ReadResource(executable, RT_RCDATA, 7, neutral), TBytes(sentinel, sentinel + sizeof sentinel));
}

TEST_F(Win32ShellTest, ReplaceIconImageRefusesWhatIsNoExecutable) {
  std::string text = temp_ / "notes.txt";
  WriteFile(text, "not a program");
  EXPECT_FALSE(Shell().ReplaceIconImage(text, IconImage(0)));
  EXPECT_EQ(BytesToString(ReadFile(text)), "not a program");
  EXPECT_FALSE(Shell().ReplaceIconImage(temp_ / "missing.exe", IconImage(0)));
}

std::string CommandProcessor() {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return FromWide(std::wstring_view(folder, length)) + "\\cmd.exe";
}

TEST(Win32ShellExecute, WaitsForARealChildAndGetsItsExitCode) {
  // 259 is the value GetExitCodeProcess also reports for a running process.
  for (uint32_t code : {0u, 3u, 259u}) {
    SCOPED_TRACE(code);
    auto started = Shell().Execute(CommandProcessor(), "/c exit " + std::to_string(code));
    ASSERT_TRUE(started.Started);
    ASSERT_TRUE(started.Process);
    EXPECT_EQ(WaitForExit(*started.Process), code);
  }
}

TEST_F(Win32ShellTest, ARunningChildHasNoExitCodeYet) {
  std::string script = temp_ / "wait.cmd";
  std::string signal = temp_ / "go";
  WriteFile(script, ":wait\r\nif not exist \"" + signal + "\" goto wait\r\nexit 5\r\n");
  auto started = Shell().Execute(CommandProcessor(), "/c \"" + script + "\"");
  ASSERT_TRUE(started.Process);
  EXPECT_FALSE(started.Process->ExitCode());
  EXPECT_FALSE(started.Process->WaitForExit(20));  // a wait that runs out tells so
  WriteFile(signal, "");
  EXPECT_EQ(WaitForExit(*started.Process), 5u);
}

TEST_F(Win32ShellTest, AProgramThatCannotBeFoundIsNotStarted) {
  auto started = Shell().Execute(temp_ / "missing.exe", "");
  EXPECT_FALSE(started.Started);
  EXPECT_FALSE(started.Process);
  EXPECT_FALSE(Shell().Execute("", "").Started);
}

TEST_F(Win32ShellTest, OpenDocumentRunsTheDefaultActionWithoutWaiting) {
  std::string marker = temp_ / "opened.txt";
  std::string document = temp_ / "document.cmd";
  WriteFile(document, "@echo opened> \"" + marker + "\"\r\n");
  EXPECT_TRUE(Shell().OpenDocument(document));
  EXPECT_TRUE(WaitFor([&] { return Files().FileExists(marker) && !ReadFile(marker).empty(); }));
  EXPECT_FALSE(Shell().OpenDocument(temp_ / "missing.txt"));
}

}  // namespace
}  // namespace tailpack
