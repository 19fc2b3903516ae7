#include "wizard/SEPageControl.h"

#include <array>

#include "base/Numbers.h"
#include "platform/TextCase.h"
#include "runtime/SetupRuntime.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

struct TPageTypeName {
  const char* Name;
  TPageType Type;
};

constexpr std::array<TPageTypeName, 9> kPageTypeNames = {{
    {"welcome", TPageType::Welcome},
    {"changelog", TPageType::Changelog},
    {"installdir", TPageType::InstallDir},
    {"patch", TPageType::Patch},
    {"patching", TPageType::Patching},
    {"finish", TPageType::Finish},
    {"mainlayout", TPageType::MainLayout},
    {"uninstall", TPageType::Uninstall},
    {"languageselection", TPageType::LanguageSelection},
}};

}  // namespace

std::optional<TPageType> PageTypeFromName(const std::string& name) {
  std::string lower = LowerAnsi(name);
  for (const TPageTypeName& entry : kPageTypeNames)
    if (lower == entry.Name) return entry.Type;
  return std::nullopt;
}

TSEPageControl::TSEPageControl(TSetupRuntime& runtime, IControl& backButton, IPageArea& pageArea,
                               IControl& languageButton, IControl& cancelButton, IControl& nextButton)
    : runtime_(runtime),
      backButton_(backButton),
      pageArea_(pageArea),
      languageButton_(languageButton),
      cancelButton_(cancelButton),
      nextButton_(nextButton) {}

TStatus TSEPageControl::LoadConfig(const std::string& entryName) {
  uint32_t size = 0;
  auto bytes = runtime_.Pak.FindFile(entryName, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  if (!bytes) return TStatus::Failure("Error File Missing: " + entryName);
  LoadConfigText(*bytes);
  return TStatus::Success();
}

void TSEPageControl::LoadConfigText(const TBytes& text) {
  for (const auto& block : SplitLayoutBlocks(SplitLayoutLines(text))) {
    const std::string& header = block[0];
    std::string section = LowerAnsi(header.size() >= 2 ? header.substr(1, header.size() - 2) : std::string());
    if (section == "pages") {
      for (size_t i = 1; i < block.size(); ++i) AddPage(block[i]);
    } else if (section == "settings") {
      for (size_t i = 1; i < block.size(); ++i) {
        std::string lower = LowerAnsi(block[i]);
        // The value starts after the key and the one character that follows it.
        if (lower.compare(0, 6, "colour") == 0)
          Colour = static_cast<uint32_t>(StrToInt(block[i].size() > 7 ? block[i].substr(7) : std::string()));
        else if (lower.compare(0, 10, "fontcolour") == 0)
          FontColour = static_cast<uint32_t>(StrToInt(block[i].size() > 11 ? block[i].substr(11) : std::string()));
      }
    } else if (section == "pagetypes") {
      // Line n gives the type of page n; it refers to pages by position, so
      // only pages listed before it are typed.
      for (size_t i = 1; i < block.size() && i <= PageList.size(); ++i) {
        auto type = PageTypeFromName(block[i]);
        if (!type) continue;
        TControlParser& page = *PageList[i - 1];
        page.PageType = *type;
        if (*type == TPageType::MainLayout) {
          page.ShowAll();
          page.SendAllToBack();
        }
      }
    }
  }
}

void TSEPageControl::AddPage(const std::string& layoutEntry) {
  auto page = std::make_unique<TControlParser>(runtime_, pageArea_);
  if (TStatus loaded = page->LoadFromArchive(layoutEntry); !loaded) ShowMessage(loaded.Message(), kMissingFileCaption);
  page->HideAll();
  PageList.push_back(std::move(page));
  if (PageList.size() == 1) ShowPage(0);
}

void TSEPageControl::ShowPage(int index) {
  if (index < 0 || static_cast<size_t>(index) >= PageList.size()) return;
  CurrentPage = index;
  backButton_.SetVisible(true);
  nextButton_.SetEnabled(true);
  cancelButton_.SetEnabled(true);
  if (index == 0) backButton_.SetVisible(false);
  nextButton_.SetText(runtime_.GetString(TStringId::NextCaption));
  switch (PageList[static_cast<size_t>(index)]->PageType) {
    case TPageType::Patch:
      nextButton_.SetText(runtime_.GetString(TStringId::StartCaption));
      break;
    case TPageType::Patching:
    case TPageType::Uninstall:
      backButton_.SetVisible(false);
      nextButton_.SetEnabled(false);
      cancelButton_.SetEnabled(false);
      languageButton_.SetVisible(false);
      break;
    case TPageType::Finish:
      cancelButton_.SetText(runtime_.GetString(TStringId::FinishCaption));
      backButton_.SetVisible(false);
      nextButton_.SetVisible(false);
      break;
    default:
      break;
  }
  for (size_t i = 0; i < PageList.size(); ++i) {
    TControlParser& page = *PageList[i];
    if (i == static_cast<size_t>(index) || page.PageType == TPageType::MainLayout) page.ShowAll();
    else page.HideAll();
  }
}

void TSEPageControl::RetranslateAll() {
  for (auto& page : PageList) page->Retranslate();
}

TPageType TSEPageControl::CurrentPageType() const {
  if (CurrentPage < 0 || static_cast<size_t>(CurrentPage) >= PageList.size()) return TPageType::Welcome;
  return PageList[static_cast<size_t>(CurrentPage)]->PageType;
}

}  // namespace tailpack
