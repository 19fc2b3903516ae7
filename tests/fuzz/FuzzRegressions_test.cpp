// Every fuzzed reader, run exactly as its fuzz target runs it (fuzz/), on the
// input of every crash a fuzzer found (tests/fixtures/fuzz/TARGET/, one file
// each; docs/fuzzing.md), on a hand-made fixture of its kind and on no bytes
// at all. A crash fixed once stays fixed, on every platform, without the
// fuzzing build.

#include <gtest/gtest.h>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "platform/Platform.h"
#include "support/Fixtures.h"
#include "support/TempFolder.h"
#include "system/MessageBoxes.h"

namespace tailpack {
namespace {

// A hand-made fixture each reader should take in its stride.
std::string SampleOf(const std::string& target) {
  if (target == "Language") return "every-keyword/languages/English.wri";
  if (target == "PagesTxt") return "setup-run/layout/wizard/Pages.txt";
  if (target == "PageLayout") return "setup-run/layout/wizard/welcome.txt";
  if (target == "SourceScript") return "setup-run/setup.tps";
  return "";
}

class FuzzRegressions : public ::testing::TestWithParam<fuzz::TFuzzTarget> {
 protected:
  // The fuzz targets answer message boxes silently; other tests keep theirs.
  void SetUp() override { fuzz::Prepare(); }
  void TearDown() override { SetMessageBoxes(saved_); }

  IMessageBoxes& saved_ = MessageBoxes();
};

TEST_P(FuzzRegressions, ReadsEveryCrashInputAndItsSamples) {
  const fuzz::TFuzzTarget& target = GetParam();
  std::vector<std::string> inputs;
  std::string crashes = test::FixturePath("fuzz/" + target.Name);
  for (const TFolderEntry& entry : Files().FindFiles(crashes + "\\*"))
    if (!entry.IsFolder()) inputs.push_back(crashes + "\\" + entry.Name);
  if (!SampleOf(target.Name).empty()) inputs.push_back(test::FixturePath(SampleOf(target.Name)));
  EXPECT_EQ(target.Read(nullptr, 0), 0);
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    TBytes bytes = test::ReadFile(input);
    EXPECT_EQ(target.Read(bytes.data(), bytes.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressions, ::testing::ValuesIn(fuzz::FuzzTargets()),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace tailpack
