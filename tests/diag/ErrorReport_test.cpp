#include "diag/ErrorReport.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/ExitCodes.h"
#include "platform/Platform.h"
#include "support/FaultyFileSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::WriteFile;

class ErrorReportFile : public test::TempFolderTest {};

TEST_F(ErrorReportFile, NamesAreNumberedFromZeroAndNeverCut) {
  EXPECT_EQ(ErrorLogFileName("C:\\Temp\\", 0), "C:\\Temp\\ErrorLog0000.TXT");
  EXPECT_EQ(ErrorLogFileName("C:\\Temp", 7), "C:\\Temp\\ErrorLog0007.TXT");
  EXPECT_EQ(ErrorLogFileName("C:\\Temp\\", 9999), "C:\\Temp\\ErrorLog9999.TXT");
  EXPECT_EQ(ErrorLogFileName("C:\\Temp\\", 12345), "C:\\Temp\\ErrorLog12345.TXT");

  EXPECT_EQ(NextErrorLogFileName(temp_.Path()), temp_ / "ErrorLog0000.TXT");
  WriteFile(temp_ / "ErrorLog0000.TXT", "first");
  WriteFile(temp_ / "errorlog0001.txt", "second, another spelling");
  EXPECT_EQ(NextErrorLogFileName(temp_.Path()), temp_ / "ErrorLog0002.TXT");
  // The smallest free number, not the one after the largest.
  WriteFile(temp_ / "ErrorLog0004.TXT", "fifth");
  EXPECT_EQ(NextErrorLogFileName(temp_.Path()), temp_ / "ErrorLog0002.TXT");
  // A folder of that name takes the number too.
  ASSERT_TRUE(Files().CreateFolder(temp_ / "ErrorLog0002.TXT"));
  EXPECT_EQ(NextErrorLogFileName(temp_.Path()), temp_ / "ErrorLog0003.TXT");
}

TEST_F(ErrorReportFile, WritesANewFileAndLeavesOlderReportsAlone) {
  WriteFile(temp_ / "ErrorLog0000.TXT", "first");
  WriteFile(temp_ / "ErrorLog0001.TXT", "second");
  std::string name = WriteErrorReportFile(temp_.Path() + "\\", "report\r\n");
  EXPECT_EQ(name, temp_ / "ErrorLog0002.TXT");
  EXPECT_EQ(BytesToString(ReadFile(name)), "report\r\n");
  EXPECT_EQ(BytesToString(ReadFile(temp_ / "ErrorLog0000.TXT")), "first");
  EXPECT_EQ(BytesToString(ReadFile(temp_ / "ErrorLog0001.TXT")), "second");
}

TEST_F(ErrorReportFile, FailureToCreateOrWriteIsAnIOError) {
  EXPECT_THROW(WriteErrorReportFile(temp_ / "missing", "report"), EIOError);
  test::TFaultyFileSystem fullDisk(Files());
  fullDisk.FailWritesAfter(3);
  TFileSystemOverride override(fullDisk);
  EXPECT_THROW(WriteErrorReportFile(temp_.Path(), "report"), EIOError);
}

TEST(ErrorReport, ValueLinesPadNamesToTwentyTwoAndNeverCut) {
  struct TCase {
    const char* Name;
    const char* Line;
  };
  const TCase cases[] = {
      {"ID", "ID                     : ZRPF\r\n"},
      {"Twenty-one characters", "Twenty-one characters  : ZRPF\r\n"},
      {"Twenty-two characters!", "Twenty-two characters! : ZRPF\r\n"},
      {"Twenty-three characters", "Twenty-three characters : ZRPF\r\n"},
      {"", "                       : ZRPF\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ErrorReportValueLine(c.Name, "ZRPF"), c.Line);
  }
}

TEST(ErrorReport, TextForGivenFacts) {
  TErrorReportFacts setup;
  setup.SetupName = "Demo Setup";
  setup.SetupExeName = "demo_setup.exe";
  setup.PakId = "ZRPF";
  setup.PakVersion = 1;
  setup.PakFileCount = 42;
  setup.Arguments = {"-silent", "-id", "C:\\Games\\Demo"};
  TMachineReportFacts machine;
  machine.Product = "Windows XP Professional";
  machine.BuildNumber = 2600;
  machine.ServicePack = "Service Pack 3";
  machine.ServicePackMajor = 3;
  machine.ServicePackMinor = 0;
  machine.PhysicalMemory = 8ull * 1024 * 1024 * 1024 + 5;
  machine.CpuSpeedMHz = 2394;
  const char* expected =
      "General Info\r\n"
      "------------\r\n"
      "Setup Name             : Demo Setup\r\n"
      "Setup EXE Name         : demo_setup.exe\r\n"
      "\r\n"
      "Pak Info\r\n"
      "--------\r\n"
      "ID                     : ZRPF\r\n"
      "Version                : 1\r\n"
      "Count                  : 42\r\n"
      "\r\n"
      "ErrorType              : Setup Thread\r\n"
      "ErrorText              : Cannot open file x\r\n"
      "\r\n"
      "Params                 : -SILENT -ID C:\\GAMES\\DEMO\r\n"
      "ParamCount             : 3\r\n"
      "\r\n"
      "Windows Info\r\n"
      "------------\r\n"
      "Product                : Windows XP Professional\r\n"
      "BuildNumber            : 2600\r\n"
      "ServicePack            : Service Pack 3\r\n"
      "ServicePackMajor       : 3\r\n"
      "ServicePackMinor       : 0\r\n"
      "\r\n"
      "Physical Memory        : 8193MB\r\n"
      "CPU Speed              : 2394Mhz\r\n";
  EXPECT_EQ(ErrorReportText(setup, machine, "Cannot open file x", "Setup Thread"), expected);
}

TEST(ErrorReport, EmptyFactsAndContext) {
  // Before the runtime registers its facts: empty texts, zeros, "Unknown".
  std::string text = ErrorReportText(TErrorReportFacts{}, TMachineReportFacts{}, "boom", "");
  for (const char* line : {"Setup Name             : \r\n", "ID                     : \r\n",
                           "Count                  : 0\r\n", "ErrorType              : Unknown\r\n",
                           "Params                 : \r\n", "ParamCount             : 0\r\n",
                           "Product                : \r\n", "Physical Memory        : 1MB\r\n",
                           "CPU Speed              : 0Mhz\r\n"}) {
    SCOPED_TRACE(line);
    EXPECT_NE(text.find(line), std::string::npos);
  }
  // An archive header that was never read holds zero bytes; they stay out of the text.
  TErrorReportFacts unread;
  unread.PakId = std::string(4, '\0');
  EXPECT_NE(ErrorReportText(unread, {}, "boom", "").find("ID                     : \r\n"), std::string::npos);

  EXPECT_EQ(ErrorReportMessage("boom", "", "C:\\Temp\\ErrorLog0000.TXT"),
            u"Unknown Error: boom\r\rError Log Created. Please Include \"C:\\Temp\\ErrorLog0000.TXT\" with your "
            u"bug report");
  EXPECT_EQ(ErrorReportMessage("boom", "Verification Stage", "X"),
            u"Verification Stage Error: boom\r\rError Log Created. Please Include \"X\" with your bug report");
}

TEST(ErrorReport, PhysicalMemoryBeyondFourGiB) {
  struct TCase {
    uint64_t Bytes;
    const char* Text;
  };
  const TCase cases[] = {
      {0, "1MB"},
      {1048575, "1MB"},
      {1048576, "2MB"},
      {512ull << 20, "513MB"},
      {4ull << 30, "4097MB"},
      {(16ull << 30) + (3ull << 20) + 17, "16388MB"},
      {1ull << 40, "1048577MB"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bytes);
    EXPECT_EQ(PhysicalMemoryText(c.Bytes), c.Text);
  }
}

TEST(ErrorReport, ParamsSummary) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Arguments;
    const char* Summary;
  };
  const TCase cases[] = {
      {"none", {}, ""},
      {"upper-cased, single spaces", {"-silent", "-id", "C:\\Program Files\\x"}, "-SILENT -ID C:\\PROGRAM FILES\\X"},
      {"/J hides the next two", {"/x", "/J", "a", "1.2.3.4", "b"}, "/X /j X X.X.X.X B"},
      {"/j in lower case too", {"/j", "user", "10.0.0.1"}, "/j X X.X.X.X"},
      {"/J at the end", {"a", "/J"}, "A /j X X.X.X.X"},
      {"/J with one more", {"/J", "secret"}, "/j X X.X.X.X"},
      {"a hidden /J is not a /J", {"/J", "/J", "x", "y"}, "/j X X.X.X.X Y"},
      {"only the exact word", {"/JX", "x"}, "/JX X"},
      {"empty argument", {"a", "", "b"}, "A  B"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ParamsSummary(c.Arguments), c.Summary);
  }
}

TEST(ErrorReport, CpuSpeedFromCounterReadings) {
  struct TCase {
    uint64_t First, Second;
    uint32_t MHz;
  };
  const TCase cases[] = {
      {1000, 1000 + 1'500'000'000ull, 3000},
      {5, 5 + 249'999, 0},
      {5, 5 + 250'000, 1},                    // halves round up
      {7, 7 + 5'000'000'000ull, 10000},       // more than 32 bits of ticks
      {0, 1'500'000'000, 0},                  // no counter
      {2'000'000, 1'000'000, 0},              // went backwards
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Second - c.First);
    EXPECT_EQ(CpuSpeedFromCounter(c.First, c.Second), c.MHz);
  }
  // Without a counter nothing is measured (and no second is spent sleeping).
  if (System().TimeStampCounter() == 0) {
    EXPECT_EQ(CpuSpeedMHz(), 0u);
  }
}

// Puts a provider in place for one test and removes it afterwards.
class TFactsProviderGuard {
 public:
  explicit TFactsProviderGuard(TErrorReportFactsProvider provider) { SetErrorReportFacts(std::move(provider)); }
  ~TFactsProviderGuard() { SetErrorReportFacts({}); }
};

TEST(ErrorReport, FactsComeFromTheRegisteredProvider) {
  EXPECT_EQ(CurrentErrorReportFacts().SetupName, "");
  std::string name = "First";
  {
    TFactsProviderGuard guard([&name] {
      TErrorReportFacts facts;
      facts.SetupName = name;
      facts.PakFileCount = 3;
      return facts;
    });
    name = "Loaded later";
    EXPECT_EQ(CurrentErrorReportFacts().SetupName, "Loaded later");
    EXPECT_EQ(CurrentErrorReportFacts().PakFileCount, 3u);
  }
  {
    TFactsProviderGuard guard([]() -> TErrorReportFacts { throw EIOError("archive gone"); });
    EXPECT_EQ(CurrentErrorReportFacts().PakFileCount, 0u);
  }
  EXPECT_EQ(CurrentErrorReportFacts().PakFileCount, 0u);
}

// Stands in for the shell in the dying child: instead of opening the report
// in an editor, tells on standard error what the opened file holds, then
// removes the test's folder (the child never returns to clean up).
class TReportCheckingShell final : public IShell {
 public:
  explicit TReportCheckingShell(std::string folder) : folder_(std::move(folder)) {}
  std::optional<std::string> SpecialFolder(TSpecialFolder) override { return std::nullopt; }
  std::vector<std::string> SystemFolders() override { return {}; }
  bool CreateLink(const TShellLink&) override { return false; }
  bool ReplaceIconImage(const std::string&, const TBytes&) override { return false; }
  TStartedProgram Execute(const std::string&, const std::string&) override { return {}; }
  bool OpenDocument(const std::string& path) override {
    std::string text = BytesToString(ReadFile(path));
    std::fprintf(stderr, "opened %s with %s / %s / %s\n", ExtractFileName(path).c_str(),
                 LineOf(text, "Setup Name").c_str(), LineOf(text, "ErrorType").c_str(),
                 BytesToString(ReadFile(folder_ + "\\ErrorLog0000.TXT")).c_str());
    std::fflush(stderr);
    DeleteTree(folder_);
    return true;
  }

 private:
  static std::string LineOf(const std::string& text, const std::string& name) {
    size_t start = text.find("\r\n" + name + " ");
    if (start == std::string::npos) return "no " + name + " line";
    start += 2;
    return text.substr(start, text.find("\r\n", start) - start);
  }

  std::string folder_;
};

using ErrorReportDeathTest = test::TempFolderTest;

TEST_F(ErrorReportDeathTest, WritesTheReportTellsOpensAndEndsWithTheErrorCode) {
  WriteFile(temp_ / "ErrorLog0000.TXT", "older report");
  EXPECT_EXIT(
      {
        test::TTempFolderRedirect redirect(Files(), temp_.Path() + "\\");
        TFileSystemOverride override(redirect);
        TReportCheckingShell shell(temp_.Path());
        Platform().Shell = &shell;
        SetErrorReportFacts([] {
          TErrorReportFacts facts;
          facts.SetupName = "Demo Setup";
          return facts;
        });
        ErrorReport("Cannot open file x", "");
      },
      ::testing::ExitedWithCode(kExitErrorReport),
      "Unknown Error: Cannot open file x\\s+"
      "Error Log Created\\. Please Include \".*ErrorLog0001\\.TXT\" with your bug report -> OK\\s+"
      "opened ErrorLog0001\\.TXT with Setup Name +: Demo Setup / ErrorType +: Unknown / older report");
}

TEST_F(ErrorReportDeathTest, UnwritableReportStillEndsWithTheErrorCode) {
  EXPECT_EXIT(
      {
        test::TTempFolderRedirect redirect(Files(), temp_ / "missing\\");
        TFileSystemOverride override(redirect);
        ErrorReport("Cannot open file x", "Setup Thread");
      },
      ::testing::ExitedWithCode(kExitErrorReport),
      "Setup Thread Error: Cannot open file x\\s+"
      "The error log could not be created: Cannot create the error log \".*missing.*ErrorLog0000\\.TXT\"");
}

}  // namespace
}  // namespace tailpack
