#pragma once
// One wizard page: TControlParser reads a page layout entry of the setup
// archive and creates its controls on the page area (labels, edits, buttons,
// radio buttons, panels, bevels, memos, rich edits, images, the folder tree
// and the progress bar) with their positions, fonts, colours and texts. It
// keeps the untranslated text of each control, so a language switch can
// prepare it again, and shows, hides and reorders its controls.
// docs/wizard.md describes the layout format for people writing layouts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"
#include "wizard/Widgets.h"

namespace tailpack {

// The caption of the box that tells a layout or page description missing.
inline constexpr char kMissingFileCaption[] = "Missing File";

class TSetupRuntime;

// What a page is for; "pagetypes" in "Pages.txt" names them.
enum class TPageType : uint8_t {
  Welcome = 0,  // also every page "pagetypes" does not name
  Changelog = 1,
  InstallDir = 2,
  Patch = 3,  // the last page before the installation
  Patching = 4,
  Finish = 5,
  MainLayout = 6,  // the frame behind every page
  Uninstall = 7,
  LanguageSelection = 8,
};

// The lines of a layout or wizard description: the bytes as ANSI text up to
// the first NUL, cut at every CR, each line trimmed of blanks and control
// characters, empty lines dropped.
std::vector<std::string> SplitLayoutLines(const TBytes& bytes);
// Groups lines into blocks: a line beginning "[" starts a block; lines before
// the first such line form a block of their own.
std::vector<std::vector<std::string>> SplitLayoutBlocks(const std::vector<std::string>& lines);

// The picture format of an image file name by its extension (".bmp", ".ico",
// ".wmf", ".emf", ".jpg", ".jpeg"); nothing for other names.
std::optional<TPictureFormat> PictureFormatFromName(std::string_view name);
// Where the tiles of a picture of PictureSize go to cover a control of
// ControlSize: every column 0 ... width div w, every row 0 ... height div h.
std::vector<TPoint> TileOrigins(TSize controlSize, TSize pictureSize);
// Repeats the image's picture over the whole control. The picture must be
// loaded: raises EAssertionFailed "Tile property must come after File" when
// it is not.
void TileImage(IControl& image);

class TControlParser {
 public:
  TControlParser(TSetupRuntime& runtime, IPageArea& parent);
  TControlParser(const TControlParser&) = delete;
  TControlParser& operator=(const TControlParser&) = delete;

  // Builds the page from the group-0 entry of that name. A missing entry
  // leaves the page without controls and comes back as the text to tell
  // (with kMissingFileCaption). A value that is not the integer its key
  // needs, or a control name that is malformed or used already, raises (the
  // wizard cannot be set up).
  [[nodiscard]] TStatus LoadFromArchive(const std::string& entryName);
  // Builds the page from layout text, block by block.
  void LoadFromText(const TBytes& text);

  void HideAll();
  void ShowAll();
  // Moves every control behind all others, the last created first, so the
  // page keeps its own stacking order behind every other page.
  void SendAllToBack();
  // Prepares the stored text of every label, radio button and panel again
  // (after a language switch).
  void Retranslate();

  // The created controls in creation order, and parallel to them the raw
  // text last given to each by "caption" or "text" (empty until then).
  const std::vector<IControl*>& Controls() const { return controls_; }
  const std::vector<std::u16string>& Texts() const { return texts_; }

  TPageType PageType = TPageType::Welcome;

 private:
  void BuildBlock(const std::vector<std::string>& block);
  void ApplyProperty(size_t index, const std::string& key, const std::string& value);
  void SetDisplayText(size_t index, const std::u16string& raw);
  void LoadRichEditFile(IControl& control, const std::string& value);
  void LoadImageFile(IControl& control, const std::string& value);
  void CheckRadio(IControl& radio);

  TSetupRuntime& runtime_;
  IPageArea& parent_;
  std::vector<IControl*> controls_;
  std::vector<std::u16string> texts_;
};

}  // namespace tailpack
