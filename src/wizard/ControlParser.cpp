#include "wizard/ControlParser.h"

#include <array>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "runtime/SetupRuntime.h"
#include "system/MessageBoxes.h"
#include "wizard/GradGauge.h"

namespace tailpack {

namespace {

struct TKindName {
  const char* Name;
  TControlKind Kind;
};

constexpr std::array<TKindName, 11> kKindNames = {{
    {"tlabel", TControlKind::Label},
    {"tedit", TControlKind::Edit},
    {"tshelltreeview", TControlKind::FolderTree},
    {"tbutton", TControlKind::Button},
    {"timage", TControlKind::Image},
    {"tpanel", TControlKind::Panel},
    {"tbevel", TControlKind::Bevel},
    {"tmemo", TControlKind::Memo},
    {"trichedit", TControlKind::RichEdit},
    {"tprogressbar", TControlKind::ProgressBar},
    {"tradio", TControlKind::Radio},
}};

constexpr uint32_t Bit(TControlKind kind) { return 1u << static_cast<uint32_t>(kind); }

constexpr uint32_t kAllKinds = 0x7FF;
constexpr uint32_t kFontKinds = Bit(TControlKind::Label) | Bit(TControlKind::Radio) | Bit(TControlKind::Edit) |
                                Bit(TControlKind::Panel) | Bit(TControlKind::Memo) | Bit(TControlKind::RichEdit);

// Which kinds know which key; every other key is ignored for the kind.
struct TKeyRule {
  const char* Key;
  uint32_t Kinds;
};

constexpr std::array<TKeyRule, 25> kKeyRules = {{
    {"left", kAllKinds},
    {"top", kAllKinds},
    {"width", kAllKinds},
    {"height", kAllKinds},
    {"enabled", kAllKinds},
    {"caption", Bit(TControlKind::Label) | Bit(TControlKind::Radio) | Bit(TControlKind::Panel)},
    {"text", Bit(TControlKind::Edit) | Bit(TControlKind::Memo) | Bit(TControlKind::RichEdit)},
    {"fontface", kFontKinds},
    {"fontsize", kFontKinds},
    {"fontcolour", kFontKinds | Bit(TControlKind::FolderTree)},
    {"fontbold", kFontKinds},
    {"autosize", Bit(TControlKind::Label) | Bit(TControlKind::Edit)},
    {"wordwrap", Bit(TControlKind::Label)},
    {"transparent", Bit(TControlKind::Label) | Bit(TControlKind::Image)},
    {"checked", Bit(TControlKind::Radio)},
    {"colour", Bit(TControlKind::Edit) | Bit(TControlKind::RichEdit) | Bit(TControlKind::FolderTree)},
    {"border",
     Bit(TControlKind::Edit) | Bit(TControlKind::Memo) | Bit(TControlKind::RichEdit) | Bit(TControlKind::FolderTree)},
    {"file", Bit(TControlKind::RichEdit) | Bit(TControlKind::Image)},
    {"fontselcolour", Bit(TControlKind::FolderTree)},
    {"selcolour", Bit(TControlKind::FolderTree)},
    {"forecolour", Bit(TControlKind::ProgressBar)},
    {"backcolour", Bit(TControlKind::ProgressBar)},
    {"stretch", Bit(TControlKind::Image)},
    {"tile", Bit(TControlKind::Image)},
    {"center", Bit(TControlKind::Image)},
}};

bool KindKnowsKey(TControlKind kind, const std::string& key) {
  for (const TKeyRule& rule : kKeyRules)
    if (key == rule.Key) return (rule.Kinds & Bit(kind)) != 0;
  return false;
}

std::optional<TControlKind> KindFromName(const std::string& lowerName) {
  for (const TKindName& entry : kKindNames)
    if (lowerName == entry.Name) return entry.Kind;
  return std::nullopt;
}

bool IsTrue(const std::string& value) { return LowerAnsi(value) == "true"; }

uint32_t Colour(const std::string& value) { return static_cast<uint32_t>(StrToInt(value)); }

// A control name is an identifier (or empty, as an unnamed control).
bool IsValidControlName(const std::string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitLayoutLines(const TBytes& bytes) {
  std::string text;
  for (uint8_t byte : bytes) {
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\r', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(std::string_view(text).substr(start, end - start));
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::vector<std::vector<std::string>> SplitLayoutBlocks(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> blocks;
  for (const std::string& line : lines) {
    if (blocks.empty() || line[0] == '[') blocks.emplace_back();
    blocks.back().push_back(line);
  }
  return blocks;
}

std::optional<TPictureFormat> PictureFormatFromName(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension = LowerAnsi(name.substr(dot + 1));
  if (extension == "bmp") return TPictureFormat::Bitmap;
  if (extension == "ico") return TPictureFormat::Icon;
  if (extension == "wmf" || extension == "emf") return TPictureFormat::Metafile;
  if (extension == "jpg" || extension == "jpeg") return TPictureFormat::Jpeg;
  return std::nullopt;
}

std::vector<TPoint> TileOrigins(TSize controlSize, TSize pictureSize) {
  std::vector<TPoint> origins;
  if (pictureSize.Width <= 0 || pictureSize.Height <= 0) return origins;
  for (int column = 0; column <= controlSize.Width / pictureSize.Width; ++column)
    for (int row = 0; row <= controlSize.Height / pictureSize.Height; ++row)
      origins.push_back(TPoint{column * pictureSize.Width, row * pictureSize.Height});
  return origins;
}

void TileImage(IControl& image) {
  TSize picture = image.PictureSize();
  if (picture.Width <= 0 || picture.Height <= 0)
    throw EAssertionFailed("Tile property must come after File", "Setup/SE_Parser", 691);
  TBounds bounds = image.Bounds();
  image.TilePicture(TileOrigins(TSize{bounds.Width, bounds.Height}, picture));
}

TControlParser::TControlParser(TSetupRuntime& runtime, IPageArea& parent) : runtime_(runtime), parent_(parent) {}

TStatus TControlParser::LoadFromArchive(const std::string& entryName) {
  uint32_t size = 0;
  auto bytes = runtime_.Pak.FindFile(entryName, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  if (!bytes) return TStatus::Failure("Error File Missing: |" + entryName + "|");
  LoadFromText(*bytes);
  return TStatus::Success();
}

void TControlParser::LoadFromText(const TBytes& text) {
  for (const auto& block : SplitLayoutBlocks(SplitLayoutLines(text))) BuildBlock(block);
}

void TControlParser::BuildBlock(const std::vector<std::string>& block) {
  // Line 1 is "[name]"; line 2 names the kind after its "=".
  const std::string& header = block[0];
  std::string name = header.size() >= 2 ? header.substr(1, header.size() - 2) : std::string();
  std::string kindLine = block.size() > 1 ? block[1] : std::string();
  size_t equals = kindLine.find('=');
  if (equals != std::string::npos) kindLine = kindLine.substr(equals + 1);
  auto kind = KindFromName(LowerAnsi(kindLine));
  if (!kind) return;

  if (!IsValidControlName(name)) throw ETailpackError("\"" + name + "\" is not a valid control name");
  if (!name.empty() && parent_.FindControl(name))
    throw ETailpackError("A control named \"" + name + "\" already exists");
  IControl& control = parent_.CreateControl(*kind, name);
  controls_.push_back(&control);
  texts_.emplace_back();
  size_t index = controls_.size() - 1;
  if (*kind == TControlKind::Radio) {
    // The radio buttons of one page form one group.
    control.SetChangeHandler([this, &control] {
      if (control.Checked()) CheckRadio(control);
    });
  }

  for (size_t i = 2; i < block.size(); ++i) {
    const std::string& line = block[i];
    size_t split = line.find('=');
    if (split == std::string::npos) continue;  // no key
    std::string key = LowerAnsi(std::string_view(line).substr(0, split));
    if (!KindKnowsKey(*kind, key)) continue;
    ApplyProperty(index, key, line.substr(split + 1));
  }
}

void TControlParser::ApplyProperty(size_t index, const std::string& key, const std::string& value) {
  IControl& control = *controls_[index];
  TControlKind kind = control.Kind();
  if (key == "left" || key == "top" || key == "width" || key == "height") {
    TBounds bounds = control.Bounds();
    int number = StrToInt(value);
    if (key == "left") bounds.Left = number;
    else if (key == "top") bounds.Top = number;
    else if (key == "width") bounds.Width = number;
    else bounds.Height = number;
    control.SetBounds(bounds);
  } else if (key == "enabled") {
    control.SetEnabled(IsTrue(value));
  } else if (key == "caption") {
    SetDisplayText(index, AnsiToWide(value));
  } else if (key == "text") {
    if (kind == TControlKind::Edit) {
      SetDisplayText(index, AnsiToWide(value));
    } else {
      // Memos and rich edits only turn "<BR>" into line breaks.
      control.SetText(TLanguages::ReplaceText(AnsiToWide(value), u"<BR>", u"\r"));
    }
  } else if (key == "fontface" || key == "fontsize" || key == "fontcolour" || key == "fontbold") {
    TFont font = control.Font();
    if (key == "fontface") {
      font.Face = value;
    } else if (key == "fontsize") {
      font.Size = StrToInt(value);
    } else if (key == "fontcolour") {
      font.Colour = Colour(value);
      font.ParentFont = false;
      if (IFolderTree* tree = control.FolderTree()) tree->SetCustomFontColour(font.Colour);
    } else {
      font.Bold = IsTrue(value);
    }
    control.SetFont(font);
  } else if (key == "autosize") {
    control.SetAutoSize(IsTrue(value));
  } else if (key == "wordwrap") {
    control.SetWordWrap(IsTrue(value));
  } else if (key == "transparent") {
    control.SetTransparent(IsTrue(value));
  } else if (key == "checked") {
    control.SetChecked(IsTrue(value));
    if (control.Checked()) CheckRadio(control);
  } else if (key == "colour") {
    control.SetColour(Colour(value));
  } else if (key == "border") {
    control.SetBorder(IsTrue(value));
  } else if (key == "file") {
    if (kind == TControlKind::RichEdit) LoadRichEditFile(control, value);
    else LoadImageFile(control, value);
  } else if (key == "fontselcolour") {
    if (IFolderTree* tree = control.FolderTree()) tree->SetCustomSelFontColour(Colour(value));
  } else if (key == "selcolour") {
    if (IFolderTree* tree = control.FolderTree()) tree->SetCustomSelColour(Colour(value));
  } else if (key == "forecolour") {
    if (TGradGauge* gauge = control.Gauge()) {
      uint32_t colour = Colour(value);
      gauge->SetColor1(colour);
      gauge->SetColor2(colour);
    }
  } else if (key == "backcolour") {
    if (TGradGauge* gauge = control.Gauge()) gauge->SetBackcolor(Colour(value));
  } else if (key == "stretch") {
    control.SetStretch(IsTrue(value));
  } else if (key == "center") {
    control.SetCenter(IsTrue(value));
  } else if (key == "tile") {
    TSize picture = control.PictureSize();
    if (IsTrue(value) && picture.Width > 0 && picture.Height > 0) TileImage(control);
  }
}

void TControlParser::SetDisplayText(size_t index, const std::u16string& raw) {
  texts_[index] = raw;
  IControl& control = *controls_[index];
  std::u16string shown = runtime_.DisplayText(raw);
  // A panel's caption is an ANSI text.
  if (control.Kind() == TControlKind::Panel) shown = AnsiToWide(WideToAnsi(shown));
  control.SetText(shown);
}

void TControlParser::LoadRichEditFile(IControl& control, const std::string& value) {
  std::string name = WideToAnsi(runtime_.TextTags.ApplyTextTags(AnsiToWide(value)));
  uint32_t size = 0;
  auto bytes = runtime_.Pak.FindFile(name, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  if (!bytes) {
    ShowMessage("Error: File \"" + name + "\" Missing", "Rich Edit Error");
    return;
  }
  // The document goes to the control from memory: no temporary file.
  control.LoadRichText(*bytes);
}

void TControlParser::LoadImageFile(IControl& control, const std::string& value) {
  uint32_t size = 0;
  auto bytes = runtime_.Pak.FindFile(value, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  auto format = PictureFormatFromName(value);
  // A missing entry, or one that is no picture, leaves the image empty.
  if (!bytes || !format) return;
  control.LoadPicture(*bytes, *format);
}

void TControlParser::CheckRadio(IControl& radio) {
  for (IControl* other : controls_)
    if (other != &radio && other->Kind() == TControlKind::Radio && other->Checked()) other->SetChecked(false);
}

void TControlParser::HideAll() {
  for (IControl* control : controls_) control->SetVisible(false);
}

void TControlParser::ShowAll() {
  for (IControl* control : controls_) control->SetVisible(true);
}

void TControlParser::SendAllToBack() {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->SendToBack();
}

void TControlParser::Retranslate() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    TControlKind kind = controls_[i]->Kind();
    if (kind == TControlKind::Label || kind == TControlKind::Radio || kind == TControlKind::Panel)
      SetDisplayText(i, texts_[i]);
  }
}

}  // namespace tailpack
