// The library search restriction: it takes effect on every system the tests
// run on (Windows and Wine have SetDefaultDllDirectories; POSIX has nothing
// to restrict), and asking twice does no harm.

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/ProcessSecurity.h"

namespace tailpack {
namespace {

TEST(ProcessSecurity, RestrictsTheLibrarySearchAndMayBeAskedAgain) {
  EXPECT_TRUE(HardenProcess());
  EXPECT_TRUE(HardenProcess());
  // The system's own libraries still load afterwards: the shell answers.
  EXPECT_TRUE(Shell().SpecialFolder(TSpecialFolder::AppData).has_value());
}

}  // namespace
}  // namespace tailpack
