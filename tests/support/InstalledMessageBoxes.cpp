// The test program's message boxes: what each program installs in its main(),
// the tests get before any of them runs (headless: printed to standard error,
// answered by TAILPACK_ANSWERS or the defaults). Fixtures put their own in
// place on top and restore this one.

#include "system/MessageBoxes.h"
#include "ui/headless/HeadlessMessageBoxes.h"

namespace tailpack::test {
namespace {

const bool kInstalled = [] {
  static THeadlessMessageBoxes boxes;
  SetMessageBoxes(boxes);
  return true;
}();

}  // namespace
}  // namespace tailpack::test
