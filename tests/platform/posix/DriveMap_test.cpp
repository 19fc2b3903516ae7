#include "platform/posix/DriveMap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"

namespace tailpack::posix {
namespace {

using test::HostExists;
using test::MakeHostFolder;
using test::TScopedVariable;
using test::WriteHostFile;

std::string Describe(const std::vector<TDrive>& drives) {
  std::string text;
  for (const TDrive& drive : drives)
    text += std::string(1, drive.Letter) + "=" + drive.HostRoot + ":" + std::to_string(static_cast<int>(drive.Type)) + ";";
  return text;
}

TEST(DriveMapVariable, IsParsedIntoDrives) {
  std::string cwd(4096, '\0');
  ASSERT_TRUE(getcwd(cwd.data(), cwd.size()));
  cwd.resize(cwd.find('\0'));
  struct TCase {
    const char* Variable;
    std::string Expected;  // letter=root:type; in letter order
  };
  const TCase cases[] = {
      {"C=/srv/setup/c;D=/srv/setup/cd:cdrom", "C=/srv/setup/c:3;D=/srv/setup/cd:5;Z=/:3;"},
      {"C=/a/;E=/e:removable;F=/f:REMOTE;G=/g:ram;Z=/z", "C=/a:3;E=/e:2;F=/f:4;G=/g:6;Z=/z:3;"},
      {"d=/x;D=/y", "D=/y:3;Z=/:3;"},                       // letters in any case, the later one wins
      {"1=/x;CC=/y;C/x;;D=;E=:cdrom", "Z=/:3;"},             // malformed items are ignored
      {"D=/mnt/odd:name", "D=/mnt/odd:name:3;Z=/:3;"},      // a colon that is no type stays in the path
      {" C=/a/./b/../c ; ", "C=/a/c:3;Z=/:3;"},
      {"C=relative/dir", "C=" + cwd + "/relative/dir:3;Z=/:3;"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Variable);
    TScopedVariable drives("TAILPACK_DRIVES", std::string(c.Variable));
    EXPECT_EQ(Describe(CurrentDrives()), c.Expected);
  }
}

TEST(DriveMapVariable, DefaultDriveCIsCreatedOnlyWhenUsed) {
  test::THostFolder data;
  TScopedVariable drives("TAILPACK_DRIVES", std::nullopt);
  TScopedVariable home("XDG_DATA_HOME", data.Path());
  std::string driveC = data / "tailpack/drive_c";
  EXPECT_EQ(Describe(CurrentDrives()), "C=" + driveC + ":3;Z=/:3;");
  auto roots = Files().LogicalDrives();
  EXPECT_EQ(roots, (std::vector<std::string>{"C:\\", "Z:\\"}));
  EXPECT_FALSE(HostExists(driveC));  // listing and looking up leave it alone

  EXPECT_EQ(ToHostPath("C:\\Program Files"), driveC + "/Program Files");
  EXPECT_TRUE(HostExists(driveC));
  EXPECT_EQ(Files().DriveType("C:\\"), TDriveType::Fixed);
}

class DriveMapTest : public test::PosixDrivesTest {
 protected:
  void SetUp() override {
    MakeHostFolder(HostC("Folder"));
    WriteHostFile(HostC("Folder/File.txt"), "x");
    WriteHostFile(HostC("\xC3\x84pfel"), "");  // "Äpfel" in UTF-8
  }
};

TEST_F(DriveMapTest, WindowsPathsMapToHostPaths) {
  struct TCase {
    const char* Windows;
    std::optional<std::string> Host;
  };
  const TCase cases[] = {
      {"C:\\Folder\\File.txt", HostC("Folder/File.txt")},
      {"c:\\FOLDER\\file.TXT", HostC("Folder/File.txt")},        // existing names in any case
      {"C:\\folder\\New\\Name.txt", HostC("Folder/New/Name.txt")},  // new names keep their spelling
      {"C:/Folder/File.txt", HostC("Folder/File.txt")},
      {"C:\\a\\..\\..\\..\\Folder", HostC("Folder")},             // never above the root
      {"C:\\Folder.\\File.txt. .", HostC("Folder/File.txt")},     // trailing dots and blanks go
      {"C:\\.\\Folder\\\\File.txt", HostC("Folder/File.txt")},
      {"\\Folder", HostC("Folder")},                              // rooted: drive C:
      {"C:\\", HostC()},
      {"C:", HostC()},
      {"D:\\x", root_ / "cd/x"},
      {"Z:\\etc", std::string("/etc")},
      {"c:\\\xE4PFEL", HostC("\xC3\x84pfel")},                    // ANSI name, UTF-8 host name
      {"C:\\Gr\xFC\xDF" "e", HostC("Gr\xC3\xBC\xC3\x9F" "e")},
      {"Q:\\x", std::nullopt},                                    // not mapped
      {"\\\\server\\share\\x", std::nullopt},
      {"\\\\?\\C:\\x", std::nullopt},
      {"C:\\a<b", std::nullopt},
      {"C:\\file.txt:stream", std::nullopt},
      {"C:\\a|b\\c", std::nullopt},
      {"C:\\a\tb", std::nullopt},
      {"C:\\what?", std::nullopt},
      {"", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Windows);
    EXPECT_EQ(ToHostPath(c.Windows), c.Host);
  }
}

TEST_F(DriveMapTest, HostPathsMapToWindowsPaths) {
  struct TCase {
    std::string Host;
    std::optional<std::string> Windows;
  };
  const TCase cases[] = {
      {HostC("Folder/File.txt"), "C:\\Folder\\File.txt"},
      {HostC(), "C:\\"},
      {HostC() + "/", "C:\\"},
      {HostC("../cd/x"), "D:\\x"},
      {HostC("\xC3\x84pfel"), "C:\\\xC4pfel"},
      {"/etc/passwd", "Z:\\etc\\passwd"},
      {"/", "Z:\\"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Host);
    EXPECT_EQ(WindowsPathFromHost(c.Host), c.Windows);
  }
}

TEST_F(DriveMapTest, TheLongestRootWinsAndZCanBeTakenAway) {
  MakeHostFolder(HostC("inner"));
  TScopedVariable drives("TAILPACK_DRIVES", "C=" + HostC() + ";E=" + HostC("inner") + ";Z=" + (root_ / "cd"));
  EXPECT_EQ(WindowsPathFromHost(HostC("inner/f")), "E:\\f");
  EXPECT_EQ(WindowsPathFromHost(HostC("innerX")), "C:\\innerX");
  EXPECT_EQ(WindowsPathFromHost("/etc"), std::nullopt);
}

TEST_F(DriveMapTest, DrivesReportTheirTypeAndSpace) {
  EXPECT_EQ(Files().LogicalDrives(), (std::vector<std::string>{"C:\\", "D:\\", "Z:\\"}));
  struct TCase {
    const char* Root;
    TDriveType Type;
  };
  const TCase cases[] = {
      {"C:\\", TDriveType::Fixed},   {"c:\\", TDriveType::Fixed},        {"D:\\", TDriveType::CdRom},
      {"Z:\\", TDriveType::Fixed},   {"Q:\\", TDriveType::NoRootFolder}, {"", TDriveType::NoRootFolder},
      {"\\\\srv\\share\\", TDriveType::NoRootFolder},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Root);
    EXPECT_EQ(Files().DriveType(c.Root), c.Type);
  }
  EXPECT_GT(Files().FreeSpace("C:\\").value_or(0), 0u);
  EXPECT_EQ(Files().FreeSpace("Q:\\"), std::nullopt);
  EXPECT_EQ(Files().FreeSpace("\\\\srv\\share\\"), std::nullopt);

  // A drive whose folder is missing is not there, as on Windows.
  TScopedVariable drives("TAILPACK_DRIVES", "C=" + HostC() + ";E=" + (root_ / "missing") + ":removable");
  EXPECT_EQ(Files().LogicalDrives(), (std::vector<std::string>{"C:\\", "Z:\\"}));
  EXPECT_EQ(Files().DriveType("E:\\"), TDriveType::NoRootFolder);
}

}  // namespace
}  // namespace tailpack::posix
