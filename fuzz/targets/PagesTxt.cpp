// The wizard description "Pages.txt": its sections build pages from the
// layouts of a small archive, set colours and page types; then every page is
// shown once, as the Back and Next buttons would.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "archive/Pak.h"
#include "base/Errors.h"
#include "runtime/SetupRuntime.h"
#include "ui/headless/HeadlessControls.h"
#include "wizard/SEPageControl.h"

namespace tailpack::fuzz {

namespace {

// The layouts a description may name: "welcome.txt" and "finish.txt".
void OpenLayoutArchive(TPak& pak) {
  std::string path = fuzz::TempFolder() + "layouts.pak";
  TPak writer;
  fuzz::Check(writer.Create(path, true, false), "the layout archive cannot be created");
  const std::string layouts[][2] = {
      {"welcome.txt", "[welcometext]\r\ntype=TLabel\r\ncaption=Welcome <LANG13>\r\nleft=10\r\n"},
      {"finish.txt", "[finishtext]\r\ntype=TLabel\r\ncaption=Done\r\n[patching_progressbar]\r\ntype=TProgressBar\r\n"}};
  for (const auto& layout : layouts) {
    uint32_t index = writer.AddFile(layout[0], "", 0);
    const std::string& text = layout[1];
    fuzz::Check(writer.WriteData(index, reinterpret_cast<const uint8_t*>(text.data()),
                                 static_cast<uint32_t>(text.size())).Ok(),
                "a layout cannot be written");
  }
  fuzz::Check(writer.WriteHeader().Ok(), "the layout archive cannot be finished");
  writer.Close();
  fuzz::Check(pak.Create(path) && pak.IsValid(), "the layout archive cannot be read");
}

}  // namespace

int ReadPagesTxt(const uint8_t* data, size_t size) {
  static TSetupRuntime runtime;
  static bool opened = (OpenLayoutArchive(runtime.Pak), true);
  (void)opened;
  THeadlessPageArea area;
  THeadlessControl back(TControlKind::Button, "back", nullptr);
  THeadlessControl language(TControlKind::Button, "language", nullptr);
  THeadlessControl cancel(TControlKind::Button, "cancel", nullptr);
  THeadlessControl next(TControlKind::Button, "next", nullptr);
  TSEPageControl pages(runtime, back, area, language, cancel, next);
  try {
    pages.LoadConfigText(TBytes(data, data + size));
  } catch (const ETailpackError&) {
    // A colour that is not an integer, or a layout named twice (its control
    // names are then taken), ends start-up in the error report.
    return 0;
  }
  for (int index = -1; index <= static_cast<int>(pages.PageCount()); ++index) pages.ShowPage(index);
  pages.RetranslateAll();
  pages.CurrentPageType();
  return 0;
}

}  // namespace tailpack::fuzz
