#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"

namespace tailpack {
namespace {

using test::HostExists;
using test::MakeHostFolder;
using test::ReadHostFile;
using test::TScopedVariable;
using test::WriteHostFile;

std::string UserName() {
  passwd* entry = getpwuid(getuid());
  return entry ? entry->pw_name : "user";
}

// Sleeps until the program has ended; nothing when it takes longer than a
// program that misbehaves could be allowed.
std::optional<uint32_t> WaitForExit(IProcess& process) { return process.WaitForExit(10000); }

class PosixShellTest : public test::PosixDrivesTest {
 protected:
  PosixShellTest() : display_("DISPLAY", std::nullopt), wayland_("WAYLAND_DISPLAY", std::nullopt) {}

  // An executable script in C:\tools.
  void PutScript(const std::string& name, const std::string& body) {
    MakeHostFolder(HostC("tools"));
    WriteHostFile(HostC("tools/" + name), "#!/bin/sh\n" + body);
    chmod(HostC("tools/" + name).c_str(), 0755);
  }

  TScopedVariable display_;
  TScopedVariable wayland_;
};

TEST_F(PosixShellTest, SpecialFoldersFollowTheWindowsLayoutOnDriveC) {
  std::string profile = "C:\\users\\" + UserName();
  struct TCase {
    TSpecialFolder Folder;
    std::string Path;
    std::string Host;
  };
  const TCase cases[] = {
      {TSpecialFolder::ProgramFiles, "C:\\Program Files", "Program Files"},
      {TSpecialFolder::StartMenuPrograms, profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
       "users/" + UserName() + "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"},
      {TSpecialFolder::Desktop, profile + "\\Desktop", "users/" + UserName() + "/Desktop"},
      {TSpecialFolder::AppData, profile + "\\AppData\\Roaming", "users/" + UserName() + "/AppData/Roaming"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(Shell().SpecialFolder(c.Folder), c.Path);
    // They exist, as on Windows, so no setup takes them for its own folders.
    EXPECT_TRUE(HostExists(HostC(c.Host)));
  }
  TScopedVariable noDriveC("TAILPACK_DRIVES", "D=" + (root_ / "cd"));
  EXPECT_EQ(Shell().SpecialFolder(TSpecialFolder::Desktop), std::nullopt);
}

TEST_F(PosixShellTest, LinksAreDesktopEntries) {
  MakeHostFolder(HostC("Program Files"));
  MakeHostFolder(HostC("Program Files/My App"));
  MakeHostFolder(HostC("Links"));
  TShellLink link;
  link.LinkFile = "C:\\Links\\My App.lnk";
  link.Target = "C:\\Program Files\\My App\\app.exe";
  link.Arguments = "-x \"two words\" 100% $HOME back\\slash";
  link.WorkingFolder = "C:\\Program Files\\My App";
  link.IconFile = "C:\\Program Files\\My App\\app.ico";
  ASSERT_TRUE(Shell().CreateLink(link));
  std::string app = HostC("Program Files/My App");
  EXPECT_EQ(ReadHostFile(HostC("Links/My App.lnk")),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=My App\n"
            "Exec=\"" + app + "/app.exe\" -x \"two words\" 100%% \"\\\\$HOME\" \"back\\\\\\\\slash\"\n"
            "Path=" + app + "\n"
            "Icon=" + app + "/app.ico\n");
  struct stat info;
  ASSERT_EQ(stat(HostC("Links/My App.lnk").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);  // desktops start only entries marked executable

  // Saved again over the old one; without icon and folder those keys go.
  link.Target = "C:\\tool.exe";
  link.Arguments.clear();
  link.WorkingFolder.clear();
  link.IconFile.clear();
  ASSERT_TRUE(Shell().CreateLink(link));
  EXPECT_EQ(ReadHostFile(HostC("Links/My App.lnk")),
            "[Desktop Entry]\nType=Application\nName=My App\nExec=" + HostC("tool.exe") + "\n");
}

TEST_F(PosixShellTest, LinksThatCannotBeSavedReportFailure) {
  TShellLink link;
  link.LinkFile = "C:\\missing folder\\a.lnk";
  link.Target = "C:\\app.exe";
  EXPECT_FALSE(Shell().CreateLink(link));
  link.LinkFile = "C:\\a.lnk";
  link.Target = "Q:\\unmapped.exe";
  EXPECT_FALSE(Shell().CreateLink(link));
  EXPECT_FALSE(HostExists(HostC("a.lnk")));
  EXPECT_FALSE(Shell().ReplaceIconImage("C:\\app.exe", TBytes{1, 2, 3}));
}

TEST_F(PosixShellTest, ExecuteReportsTheExitCode) {
  struct TCase {
    const char* File;
    const char* Parameters;
    uint32_t Code;
  };
  const TCase cases[] = {
      {"Z:\\bin\\sh", "-c \"exit 3\"", 3},
      {"sh", "-c \"exit 7\"", 7},  // a bare name is looked up on the search path
      {"Z:\\bin\\sh", "-c \"kill -9 $$\"", 128 + 9},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Parameters);
    auto started = Shell().Execute(c.File, c.Parameters);
    ASSERT_TRUE(started.Started);
    ASSERT_TRUE(started.Process);
    EXPECT_EQ(WaitForExit(*started.Process), c.Code);
    EXPECT_EQ(started.Process->ExitCode(), c.Code);  // asked again, the same answer
  }
}

TEST_F(PosixShellTest, ExecuteSplitsParametersTheWindowsWay) {
  PutScript("show args.sh", "for a; do printf '[%s]\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\n");
  auto started = Shell().Execute("c:\\TOOLS\\Show Args.sh", "one \"two words\" \"say \\\"hi\\\"\" back\\slash \"\" Gr\xFC\xDF" "e");
  ASSERT_TRUE(started.Process);
  ASSERT_EQ(WaitForExit(*started.Process), 0u);
  EXPECT_EQ(ReadHostFile(HostC("tools/args.txt")),
            "[one]\n[two words]\n[say \"hi\"]\n[back\\slash]\n[]\n[Gr\xC3\xBC\xC3\x9F" "e]\n");
}

TEST_F(PosixShellTest, WhatCannotBeStartedIsNotStarted) {
  WriteHostFile(HostC("document.txt"), "text");
  struct TCase {
    const char* File;
  };
  const TCase cases[] = {{"C:\\missing.exe"}, {"no-such-program-anywhere"}, {"C:\\document.txt"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    auto started = Shell().Execute(c.File, "");
    EXPECT_FALSE(started.Started);  // the document: no display to show it on
    EXPECT_FALSE(started.Process);
  }
  EXPECT_FALSE(Shell().OpenDocument("C:\\document.txt"));
}

TEST_F(PosixShellTest, DocumentsGoToXdgOpenWhenThereIsADisplay) {
  // A stand-in for xdg-open that records what it was asked to open.
  PutScript("xdg-open", "printf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
  TScopedVariable path("PATH", HostC("tools") + ":/usr/bin:/bin");
  TScopedVariable display("DISPLAY", ":99");
  WriteHostFile(HostC("Report.TXT"), "text");

  auto opened = [this] {
    for (int i = 0; i < 10000 && ReadHostFile(HostC("tools/opened.txt")).empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::string text = ReadHostFile(HostC("tools/opened.txt"));
    unlink(HostC("tools/opened.txt").c_str());
    return text;
  };

  EXPECT_FALSE(Shell().OpenDocument("C:\\missing.txt"));
  ASSERT_TRUE(Shell().OpenDocument("C:\\report.txt"));
  EXPECT_EQ(opened(), HostC("Report.TXT"));

  auto started = Shell().Execute("C:\\Report.TXT", "");
  EXPECT_TRUE(started.Started);
  EXPECT_FALSE(started.Process);  // nothing to wait for
  EXPECT_EQ(opened(), HostC("Report.TXT"));
}

// The program runs while its hold file exists, until the test removes it after
// the handle is gone: a forgetting that waited would hang the test (ctest's
// time limit fails it). A removed test folder releases it as well.
TEST_F(PosixShellTest, ForgettingARunningProgramDoesNotWaitForIt) {
  PutScript("waiter", "while [ -e \"$(dirname \"$0\")/hold\" ]; do sleep 0.05; done\n");
  WriteHostFile(HostC("tools/hold"), "");
  auto started = Shell().Execute("Z:\\bin\\sh", HostC("tools/waiter"));
  ASSERT_TRUE(started.Process);
  EXPECT_EQ(started.Process->ExitCode(), std::nullopt);
  EXPECT_EQ(started.Process->WaitForExit(20), std::nullopt);  // a wait that runs out tells so
  started.Process.reset();  // a reaper collects it later
  unlink(HostC("tools/hold").c_str());
}

}  // namespace
}  // namespace tailpack
