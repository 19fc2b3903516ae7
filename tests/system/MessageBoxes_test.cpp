#include "system/MessageBoxes.h"

#include <gtest/gtest.h>

#include "base/Errors.h"

namespace tailpack {
namespace {

// The system layer holds no backend of its own: a box with none installed is
// a fault of the program, never a silent answer.
TEST(MessageBoxes, WithoutABackendABoxRaisesTheError) {
  IMessageBoxes* installed = InstalledMessageBoxes();
  ASSERT_NE(installed, nullptr);  // the test program's own, as every main() installs one
  SetMessageBoxes(nullptr);
  EXPECT_EQ(InstalledMessageBoxes(), nullptr);
  EXPECT_THROW(ShowMessage("text", "caption"), ETailpackError);
  SetMessageBoxes(installed);
  EXPECT_EQ(&MessageBoxes(), installed);
}

}  // namespace
}  // namespace tailpack
