// A page layout entry: blocks, control kinds and properties become controls
// on the headless page area, which the wizard then shows, hides, stacks and
// translates again.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "base/Errors.h"
#include "runtime/SetupRuntime.h"
#include "ui/headless/HeadlessControls.h"
#include "wizard/ControlParser.h"

namespace tailpack::fuzz {

int ReadPageLayout(const uint8_t* data, size_t size) {
  static TSetupRuntime runtime;
  THeadlessPageArea area;
  TControlParser page(runtime, area);
  try {
    page.LoadFromText(TBytes(data, data + size));
  } catch (const ETailpackError&) {
    // A value that is not its key's integer, a control name that is taken or
    // a caption's broken "<LANG" tag ends start-up in the error report.
    return 0;
  }
  page.ShowAll();
  page.SendAllToBack();
  page.Retranslate();
  page.HideAll();
  return 0;
}

}  // namespace tailpack::fuzz
