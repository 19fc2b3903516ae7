#pragma once
// The wizard's sequence of pages: TSEPageControl reads the wizard description
// "Pages.txt" (which layouts make the pages, the page area's colour, each
// page's type), shows one page at a time together with the frame page of type
// mainlayout, and adapts the Back, Next, Cancel and language buttons to the
// page shown.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "wizard/ControlParser.h"

namespace tailpack {

class TSetupRuntime;

// The page type named in "pagetypes" (compared lower-cased); nothing for an
// unknown name.
std::optional<TPageType> PageTypeFromName(const std::string& name);

class TSEPageControl {
 public:
  TSEPageControl(TSetupRuntime& runtime, IControl& backButton, IPageArea& pageArea, IControl& languageButton,
                 IControl& cancelButton, IControl& nextButton);
  TSEPageControl(const TSEPageControl&) = delete;
  TSEPageControl& operator=(const TSEPageControl&) = delete;

  // Reads the description from the group-0 entry of that name. A missing
  // entry leaves the wizard without pages and comes back as the text to tell
  // (with kMissingFileCaption). A colour that is not an integer raises
  // EConversionError.
  [[nodiscard]] TStatus LoadConfig(const std::string& entryName);
  // Reads the description from its text.
  void LoadConfigText(const TBytes& text);
  // Adds a page built from a layout entry, its controls hidden; the first
  // page added is shown at once. A missing layout is told in a message box
  // and makes an empty page.
  void AddPage(const std::string& layoutEntry);
  // Makes a page current and sets the buttons for it; an index outside the
  // pages changes nothing.
  void ShowPage(int index);
  void RetranslateAll();

  // The current page's type; welcome when there are no pages.
  TPageType CurrentPageType() const;
  size_t PageCount() const { return PageList.size(); }

  int CurrentPage = 0;
  std::vector<std::unique_ptr<TControlParser>> PageList;
  uint32_t Colour = 0xFFFFFF;
  // Read from the description but applied to nothing.
  uint32_t FontColour = 0x000000;

 private:
  TSetupRuntime& runtime_;
  IControl& backButton_;
  IPageArea& pageArea_;
  IControl& languageButton_;
  IControl& cancelButton_;
  IControl& nextButton_;
};

}  // namespace tailpack
