// The wizard controller on the headless windows: setting the pages up,
// moving between them, the language menu, the folder page with its drive
// checks, free space and folder tree, the space check of the patch page,
// closing, and the debug window.

#include "wizard/FrmMain.h"

#include <gtest/gtest.h>

#include <map>

#include "base/ExitCodes.h"
#include "base/Numbers.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "support/ForwardingFileSystem.h"
#include "system/FileHelpers.h"
#include "wizard/DebugDump.h"
#include "wizard/WizardFixture.h"

#ifndef _WIN32
#include "platform/posix/HostFixture.h"
#endif

namespace tailpack {
namespace {

using test::TextEntry;
using test::TTestEntry;

// The real file system, except that some drives report another type or a
// known amount of free space.
class TDriveTable final : public test::TForwardingFileSystem {
 public:
  TDriveTable() : TForwardingFileSystem(*Platform().Files), override_(*this) {}
  struct TDrive {
    TDriveType Type;
    std::optional<uint64_t> Free;
  };
  std::map<char, TDrive> Drives;

  TDriveType DriveType(const std::string& root) override {
    auto drive = Find(root);
    return drive ? drive->Type : TForwardingFileSystem::DriveType(root);
  }
  std::optional<uint64_t> FreeSpace(const std::string& root) override {
    auto drive = Find(root);
    return drive ? drive->Free : TForwardingFileSystem::FreeSpace(root);
  }

 private:
  const TDrive* Find(const std::string& root) const {
    if (root.empty()) return nullptr;
    auto it = Drives.find(UpperAnsiChar(root[0]));
    return it == Drives.end() ? nullptr : &it->second;
  }
  TFileSystemOverride override_;
};

class FrmMainTest : public test::WizardTest {
 protected:
  void MakeInstallWizard(int languages = 2) {
    UseArchive(test::InstallWizardEntries(), languages);
    MakeWizard();
  }
  THeadlessControl& Field() { return Control("installdir_edit"); }
  THeadlessFolderTree& Tree() { return *window_->Area.FindTree("installdir_shelltreeview"); }
  // The temporary folder's drive letter, which the drive table may describe.
  char TempDrive() const { return UpperAnsiChar(temp_.Path()[0]); }
};

TEST_F(FrmMainTest, SetPagesUpBuildsThePagesAndFindsTheNamedControls) {
  runtime_.Variables.ProgramFilesDir = temp_.Path() + "\\";
  runtime_.SetupInfo.Info.InstallDir = "$PROGRAMFILES\\Demo\\";
  MakeInstallWizard();

  EXPECT_EQ(window_->ApplicationTitle, u"Demo Setup");
  EXPECT_EQ(window_->Caption, u" Demo Setup");
  EXPECT_EQ(Pages().PageCount(), 6u);
  EXPECT_EQ(window_->Area.Colour, 0xFFFFFFu);
  const TNamedControls& named = wizard_->Named();
  EXPECT_EQ(named.PatchStatusLabel, &Control("patching_statuslabel"));
  EXPECT_EQ(named.ProgressGauge, &Control("patching_progressbar"));
  EXPECT_EQ(named.FinishTextLabel, &Control("finishtext"));
  EXPECT_EQ(named.InstallDirEdit, &Field());
  EXPECT_EQ(named.FolderTree, &Control("installdir_shelltreeview"));
  EXPECT_EQ(named.SpaceLabel, &Control("spaceavalible"));

  std::string expanded = temp_.Path() + "\\Demo\\";
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, expanded);
  EXPECT_EQ(Text(Field().State.Text), expanded);
  // The tree went to the folder (here its parent, as Demo does not exist
  // yet) and is hidden with its page.
  EXPECT_TRUE(SameTextAnsi(Tree().SelectedPath(), temp_.Path()));
  EXPECT_FALSE(Tree().State.Visible);

  EXPECT_EQ(Button(TWizardButton::Back).State.Text, u"< Back");
  EXPECT_EQ(Button(TWizardButton::Next).State.Text, u"Next >");
  EXPECT_EQ(Button(TWizardButton::Cancel).State.Text, u"Cancel");
  EXPECT_FALSE(Button(TWizardButton::Back).State.Visible);  // page 0
  EXPECT_FALSE(Button(TWizardButton::Debug).State.Visible);
  EXPECT_EQ(Control("title").State.Text, u"Hello\rDemo Setup");

  // The progress channel carries what the worker posts, now that the pages exist.
  runtime_.Progress.SetStatusText(u"posted");
  EXPECT_EQ(runtime_.Progress.TakeStatusText(), u"posted");
}

TEST_F(FrmMainTest, ANetworkInstallationFolderKeepsItsLeadingBackslashes) {
  runtime_.SetupInfo.Info.InstallDir = "\\\\srv\\share\\Game";  // as "-id" gives it
  MakeInstallWizard();
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, "\\\\srv\\share\\Game\\");
  EXPECT_EQ(Text(Field().State.Text), "\\\\srv\\share\\Game\\");
}

TEST_F(FrmMainTest, TheUninstallerTitleAndAControlOfTheWrongKindIsNotTaken) {
  runtime_.SetupInfo.Info.IsUninstaller = 1;
  UseArchive({TextEntry("Pages.txt", "[pages]\nbye.txt\n[pagetypes]\nuninstall\n"),
              TextEntry("bye.txt", "[finishtext]\ntype=TEdit\n[PATCHING_STATUSLABEL]\ntype=TLabel\n")});
  MakeWizard();
  EXPECT_EQ(window_->Caption, u" Demo Uninstall");
  EXPECT_EQ(wizard_->Named().FinishTextLabel, nullptr);
  EXPECT_EQ(wizard_->Named().PatchStatusLabel, &Control("patching_statuslabel"));
}

TEST_F(FrmMainTest, AMissingPageDescriptionIsToldAndLeavesTheWizardWithoutPages) {
  UseArchive({});
  MakeWizard();
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, u"Error File Missing: Pages.txt");
  EXPECT_EQ(shown[0].Caption, u"Missing File");
}

TEST_F(FrmMainTest, OneLanguageHidesTheLanguageButton) {
  MakeInstallWizard(1);
  EXPECT_FALSE(Button(TWizardButton::Language).State.Visible);
  EXPECT_EQ(Button(TWizardButton::Language).State.Text, u"English");
  EXPECT_EQ(window_->LanguageMenu, (std::vector<TMenuItem>{{u"English", 0, true}}));
}

TEST_F(FrmMainTest, SwitchingLanguages) {
  MakeInstallWizard();
  THeadlessControl& language = Button(TWizardButton::Language);
  EXPECT_TRUE(language.State.Visible);
  EXPECT_EQ(language.State.Text, u"English");
  EXPECT_EQ(window_->LanguageMenu,
            (std::vector<TMenuItem>{{u"English", 0, true}, {u"Deutsch", 1, false}}));

  // The menu pops up just under the button's lower left corner.
  ASSERT_TRUE(window_->Click(TWizardButton::Language));
  TBounds frame = window_->WindowBounds();
  ASSERT_TRUE(window_->MenuPoppedUpAt.has_value());
  EXPECT_EQ(window_->MenuPoppedUpAt->X, frame.Left + frame.Width - 578 + 8 - 4);
  EXPECT_EQ(window_->MenuPoppedUpAt->Y, frame.Top + frame.Height - 413 + 384 + 25 - 4);

  window_->PickLanguage(1);
  EXPECT_EQ(runtime_.Languages.Current, 1);
  EXPECT_EQ(language.State.Text, u"Deutsch");
  EXPECT_FALSE(window_->LanguageMenu[0].Checked);
  EXPECT_TRUE(window_->LanguageMenu[1].Checked);
  EXPECT_EQ(Button(TWizardButton::Back).State.Text, u"< Zurück");
  EXPECT_EQ(Button(TWizardButton::Next).State.Text, u"Weiter >");
  EXPECT_EQ(Button(TWizardButton::Cancel).State.Text, u"Abbrechen");
  EXPECT_EQ(Control("title").State.Text, u"Hallo\rDemo Setup");

  // On the finish page Cancel keeps its finish caption through a switch.
  Pages().ShowPage(4);
  EXPECT_EQ(Button(TWizardButton::Cancel).State.Text, u"Fertig");
  window_->PickLanguage(0);
  EXPECT_EQ(Button(TWizardButton::Cancel).State.Text, u"Finish");
  EXPECT_FALSE(Button(TWizardButton::Next).State.Visible);
}

TEST_F(FrmMainTest, TheFolderFieldChecksTheDriveAndUpdatesTheFreeSpace) {
  TDriveTable drives;
  drives.Drives['D'] = {TDriveType::CdRom, 1000};
  drives.Drives['R'] = {TDriveType::RamDisk, 1000};
  drives.Drives['N'] = {TDriveType::NoRootFolder, std::nullopt};
  drives.Drives[TempDrive()] = {TDriveType::Fixed, 3ull << 30};
  MakeInstallWizard();
  ASSERT_TRUE(Next());
  ASSERT_EQ(CurrentType(), TPageType::InstallDir);
  EXPECT_TRUE(wizard_->FolderPageEntered());
  EXPECT_EQ(runtime_.SpaceAvailableText, "3.00 GB");

  struct TCase {
    std::string Typed;
    bool NextEnabled;
  } cases[] = {
      {"D:\\Games", false},
      {temp_ / "Games", true},
      {"R:\\Fast", false},
      {"N:\\", false},
      {"", false},
      {temp_ / "Other", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    runtime_.SpaceAvailableText = "untouched";
    Field().UserType(AnsiToWide(c.Typed));
    EXPECT_EQ(Button(TWizardButton::Next).State.Enabled, c.NextEnabled);
    if (c.NextEnabled) {
      EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, c.Typed + "\\");
      EXPECT_EQ(runtime_.SpaceAvailable, 3ull << 30);
      EXPECT_EQ(runtime_.SpaceAvailableText, "3.00 GB");
    } else {
      EXPECT_EQ(runtime_.SpaceAvailableText, "untouched");
    }
  }

  // Back from the patch page finds the folder page with the user's text.
  ASSERT_TRUE(Next());
  ASSERT_EQ(CurrentType(), TPageType::Patch);
  ASSERT_TRUE(window_->Click(TWizardButton::Back));
  EXPECT_EQ(CurrentType(), TPageType::InstallDir);
  EXPECT_EQ(Text(Field().State.Text), temp_ / "Other");
}

TEST_F(FrmMainTest, TheTreeFollowsTheFieldAndTheFieldTheTree) {
  for (const char* folder : {"Games", "Games\\Puzzle", "Tools"}) ASSERT_TRUE(Files().CreateFolder(temp_ / folder));
  TDriveTable drives;
  drives.Drives['F'] = {TDriveType::Removable, std::nullopt};  // no medium: no folders
  MakeInstallWizard();
  ASSERT_TRUE(Next());

  // A folder that does not exist yet: the tree shows its deepest existing
  // ancestor, and the field keeps what was typed.
  Field().UserType(AnsiToWide(temp_ / "Games\\Puzzle\\New\\Deeper"));
  EXPECT_TRUE(SameTextAnsi(Tree().SelectedPath(), temp_ / "Games\\Puzzle"));
  EXPECT_EQ(Text(Field().State.Text), temp_ / "Games\\Puzzle\\New\\Deeper");
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, temp_ / "Games\\Puzzle\\New\\Deeper\\");
  // The tree was opened along the way, and knows the folders it went through.
  const TFolderNode* games = Tree().FindNode(temp_ / "Games");
  ASSERT_NE(games, nullptr);
  EXPECT_TRUE(games->Expanded);
  EXPECT_NE(Tree().FindNode(temp_ / "Tools"), nullptr);
  EXPECT_EQ(Tree().Nodes()[2]->Caption, "My Computer");
  EXPECT_FALSE(Tree().RepaintingSuspended);

  // A removable drive without a medium leaves the tree where it was ...
  Field().UserType(u"F:\\Setup");
  EXPECT_TRUE(Button(TWizardButton::Next).State.Enabled);
  EXPECT_TRUE(SameTextAnsi(Tree().SelectedPath(), temp_ / "Games\\Puzzle"));
  // ... and a later folder on another drive still moves it.
  Field().UserType(AnsiToWide(temp_ / "Tools"));
  EXPECT_TRUE(SameTextAnsi(Tree().SelectedPath(), temp_ / "Tools"));

  // Picking a folder in the tree puts it into the field.
  Tree().UserSelect(temp_ / "Games");
  EXPECT_TRUE(SameTextAnsi(Text(Field().State.Text), temp_ / "Games"));
  EXPECT_TRUE(SameTextAnsi(runtime_.SetupInfo.Info.InstallDir, temp_ / "Games\\"));
}

#ifndef _WIN32
// The same through the POSIX drive map itself: its CD-ROM drive is refused,
// and a fixed drive gives the free space of its host folder.
TEST_F(FrmMainTest, TheDriveMapDecidesWhichDrivesAreAccepted) {
  test::THostFolder host;
  for (const char* folder : {"cd", "e", "e/Games"}) test::MakeHostFolder(host / folder);
  const char* current = std::getenv("TAILPACK_DRIVES");
  test::TScopedVariable drives("TAILPACK_DRIVES", std::string(current ? current : "") + ";D=" + (host / "cd") +
                                                      ":cdrom;E=" + (host / "e"));
  MakeInstallWizard();
  ASSERT_TRUE(Next());
  Field().UserType(u"D:\\Games");
  EXPECT_FALSE(Button(TWizardButton::Next).State.Enabled);
  Field().UserType(u"e:\\Games\\New");
  EXPECT_TRUE(Button(TWizardButton::Next).State.Enabled);
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, "e:\\Games\\New\\");
  EXPECT_GT(runtime_.SpaceAvailable, 0u);
  EXPECT_EQ(runtime_.SpaceAvailableText, FormatSize(runtime_.SpaceAvailable));
  EXPECT_TRUE(SameTextAnsi(Tree().SelectedPath(), "E:\\Games")) << Tree().SelectedPath();
}
#endif

TEST_F(FrmMainTest, ThePatchPageRefusesToGoOnWithoutSpace) {
  TDriveTable drives;
  drives.Drives[TempDrive()] = {TDriveType::Fixed, 1000};
  runtime_.SpaceRequired = 2000;
  runtime_.SpaceRequiredText = "1.95 KB";
  MakeInstallWizard();
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());
  ASSERT_EQ(CurrentType(), TPageType::Patch);
  EXPECT_FALSE(Button(TWizardButton::Next).State.Enabled);
  EXPECT_EQ(Button(TWizardButton::Next).State.Text, u"Install");
  EXPECT_EQ(Control("spaceavalible").State.Text, u"Required 1.95 KB, available 1000.00 Bytes");
  // A language switch shows the page again but does not get past the check.
  window_->PickLanguage(1);
  EXPECT_FALSE(Button(TWizardButton::Next).State.Enabled);
  EXPECT_EQ(Button(TWizardButton::Next).State.Text, u"Installieren");
  EXPECT_EQ(Control("spaceavalible").State.Text, u"Benötigt 1.95 KB, frei 1000.00 Bytes");

  // With enough space the installation may start.
  window_->Click(TWizardButton::Back);
  drives.Drives[TempDrive()].Free = 2000;
  Field().UserType(Field().State.Text);
  ASSERT_TRUE(Next());
  EXPECT_TRUE(Button(TWizardButton::Next).State.Enabled);
}

TEST_F(FrmMainTest, ClosingAsksUnlessTheWorkIsDoneAndStopsTheWorker) {
  MakeInstallWizard();
  boxes_.Answer("no");
  window_->CloseBox();
  EXPECT_FALSE(window_->Closed);
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, u"Really quit?");
  EXPECT_EQ(shown[0].Caption, u"Quit");
  EXPECT_EQ(shown[0].Buttons, TMessageButtons::YesNo);
  // Modal to the wizard, unlike the boxes of start-up and of the script.
  EXPECT_EQ(shown[0].Owner, TMessageOwner::Wizard);
  EXPECT_EQ(worker_->Stops, 0);

  boxes_.Answer("yes");
  window_->Post([this] { window_->Click(TWizardButton::Cancel); });
  window_->Post([] { FAIL() << "the loop must end with the window"; });
  EXPECT_EQ(wizard_->RunMessageLoop(), kExitCancelled);
  EXPECT_TRUE(window_->Closed);
  EXPECT_TRUE(window_->Shown);
  EXPECT_EQ(worker_->Stops, 1);
  EXPECT_TRUE(runtime_.Terminating);
}

TEST_F(FrmMainTest, TheFinishPageClosesWithoutAQuestion) {
  MakeInstallWizard();
  Pages().ShowPage(4);
  boxes_.Clear();
  window_->Post([this] { window_->Click(TWizardButton::Cancel); });
  EXPECT_EQ(wizard_->RunMessageLoop(), kExitCompleted);
  EXPECT_TRUE(window_->Closed);
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(FrmMainTest, TheDebugWindowListsTheArchiveAndTheSetupInformation) {
  MakeInstallWizard();
  runtime_.SetupInfo.Info.SetupExeName = "setup.exe";
  runtime_.SetupInfo.Info.InstallDirRegKeys[1] = TREGKEY{1, "Software\\Demo", "Path"};
  wizard_->Button2Click();
  ASSERT_EQ(debug_->ShownCount, 1);
  const auto& lines = debug_->Lines;
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], u"Header");
  EXPECT_EQ(lines[1], u"ID: ZRPF");
  EXPECT_EQ(lines[2], u"Version: 1");
  EXPECT_EQ(lines[3], u"File Count: 9");
  EXPECT_EQ(lines[5], u"Files:");
  EXPECT_EQ(lines[6], u"\"Pages.txt\" Group: 0");
  EXPECT_EQ(lines[15], u"");
  EXPECT_EQ(lines[17], u"SetupName: Demo Setup");
  EXPECT_EQ(lines[18], u"SetupExeName: setup.exe");
  EXPECT_EQ(lines[23], u"InstallDirRegKey.HKEY: HKEY_CURRENT_USER");
  EXPECT_EQ(lines[24], u"InstallDirRegKey.Path: Software\\Demo");
  EXPECT_EQ(lines[25], u"InstallDirRegKey.Key: Path");
  EXPECT_EQ(lines.back(), u"Changelog: ");
}

TEST_F(FrmMainTest, TheDebugDumpOfAnEmptyArchive) {
  UseArchive({}, 0);
  TSetupInfo info;
  auto lines = DebugDumpLines(runtime_.Pak, info);
  std::vector<std::string> expected = {"Header", "ID: ZRPF", "Version: 1", "File Count: 0", "", "Files:", "",
                                       "SetupInfo:", "SetupName: ", "SetupExeName: ", "InstallDir: "};
  for (int i = 0; i < 5; ++i) {
    expected.push_back("InstallDirRegKey.HKEY: HKEY_LOCAL_MACHINE");
    expected.push_back("InstallDirRegKey.Path: ");
    expected.push_back("InstallDirRegKey.Key: ");
  }
  expected.push_back("Changelog: ");
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace tailpack
