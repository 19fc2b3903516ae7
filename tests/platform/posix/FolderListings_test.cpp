// The drive map's kept folder listings: names found in any letter case stay
// right when this process creates, renames and deletes names and when
// another program changes the folder, and many new files in one folder cost
// no listing each.

#include "platform/posix/FolderListings.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"

namespace tailpack {
namespace {

using test::HostExists;
using test::WriteHostFile;

class FolderListingsTest : public test::PosixDrivesTest {
 protected:
  FolderListingsTest() { test::MakeHostFolder(HostC("Data")); }

  // The host path the drive map gives for a name in C:\Data.
  std::string Mapped(const std::string& name) { return HostPathFromWindows("C:\\data\\" + name).value_or(""); }
  static bool Create(const std::string& path) {
    auto file = Files().Open(path, TFileMode::CreateAlways);
    return file && file->Close();
  }
};

TEST_F(FolderListingsTest, ThisProcessesOwnChangesAreFollowed) {
  WriteHostFile(HostC("Data/ReadMe.TXT"), "x");
  EXPECT_EQ(Mapped("readme.txt"), HostC("Data/ReadMe.TXT"));
  EXPECT_EQ(Mapped("New.txt"), HostC("Data/New.txt"));  // not there: spelt as given

  ASSERT_TRUE(Create("C:\\Data\\New.txt"));
  EXPECT_EQ(Mapped("NEW.TXT"), HostC("Data/New.txt"));
  ASSERT_TRUE(Files().CreateFolder("C:\\Data\\Sub"));
  EXPECT_EQ(Mapped("sub"), HostC("Data/Sub"));
  ASSERT_TRUE(Files().Rename("C:\\Data\\new.txt", "C:\\Data\\Moved.Txt"));
  EXPECT_EQ(Mapped("MOVED.TXT"), HostC("Data/Moved.Txt"));
  EXPECT_EQ(Mapped("NEW.TXT"), HostC("Data/NEW.TXT"));
  ASSERT_TRUE(Files().Rename("C:\\Data\\readme.txt", "C:\\Data\\README.txt"));  // only the letter case
  EXPECT_EQ(Mapped("readme.TXT"), HostC("Data/README.txt"));
  ASSERT_TRUE(Files().Copy("C:\\Data\\moved.txt", "C:\\Data\\Copy.TXT", true));
  EXPECT_EQ(Mapped("copy.txt"), HostC("Data/Copy.TXT"));
  ASSERT_TRUE(Files().Delete("C:\\Data\\MOVED.TXT"));
  EXPECT_EQ(Mapped("moved.txt"), HostC("Data/moved.txt"));
  ASSERT_TRUE(Files().RemoveFolder("C:\\Data\\SUB"));
  EXPECT_EQ(Mapped("sub"), HostC("Data/sub"));
}

TEST_F(FolderListingsTest, ChangesByAnotherProgramAreSeen) {
  struct TCase {
    const char* Name;
    std::function<void()> Change;  // straight on the host, past the drive map
    const char* LookUp;
    const char* Expected;
  };
  WriteHostFile(HostC("Data/Old.txt"), "x");
  const TCase cases[] = {
      {"created", [this] { WriteHostFile(HostC("Data/Outside.TXT"), "x"); }, "outside.txt", "Data/Outside.TXT"},
      {"renamed", [this] { rename(HostC("Data/Outside.TXT").c_str(), HostC("Data/OUTSIDE.txt").c_str()); },
       "Outside.txt", "Data/OUTSIDE.txt"},
      {"deleted", [this] { unlink(HostC("Data/OUTSIDE.txt").c_str()); }, "OutSide.TXT", "Data/OutSide.TXT"},
      {"the folder replaced",
       [this] {
         rename(HostC("Data").c_str(), HostC("Gone").c_str());
         test::MakeHostFolder(HostC("Data"));
         WriteHostFile(HostC("Data/OLD.TXT"), "y");
       },
       "old.txt", "Data/OLD.TXT"},
  };
  EXPECT_EQ(Mapped("OUTSIDE.TXT"), HostC("Data/OUTSIDE.TXT"));  // listed before the changes
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Mapped("old.TXT").empty(), false);
    c.Change();
    EXPECT_EQ(Mapped(c.LookUp), HostC(c.Expected));
  }
}

// A setup writing thousands of new files into one folder: the folder is read
// once, not once per file, however the names are spelt.
TEST_F(FolderListingsTest, NewFilesInOneFolderCostNoListingEach) {
  ASSERT_TRUE(Create("C:\\Data\\first.bin"));
  uint64_t before = posix::FolderListings().Reads();
  for (int i = 0; i < 2000; ++i) {
    std::string name = "File" + std::to_string(i) + ".bin";
    ASSERT_TRUE(Create("C:\\DATA\\" + name));
    ASSERT_EQ(Mapped("FILE" + std::to_string(i) + ".BIN"), HostC("Data/" + name));
  }
  EXPECT_LE(posix::FolderListings().Reads() - before, 2u);
  EXPECT_TRUE(HostExists(HostC("Data/File1999.bin")));
}

}  // namespace
}  // namespace tailpack
