// Page layouts: blocks and kinds, the keys each kind knows, integer and
// boolean values, texts by the display-text rule and after a language
// switch, rich texts and pictures from the archive, tiling, names, radio
// groups and stacking order.

#include "wizard/ControlParser.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "wizard/GradGauge.h"
#include "wizard/WizardFixture.h"

namespace tailpack {
namespace {

using test::TextEntry;
using test::TTestEntry;

// The header of a bitmap file of that size (pixels are never read here).
TBytes BitmapHeader(int32_t width, int32_t height) {
  TBytes bytes = {'B', 'M'};
  AppendU32(bytes, 54);
  AppendU32(bytes, 0);
  AppendU32(bytes, 54);
  AppendU32(bytes, 40);
  AppendU32(bytes, static_cast<uint32_t>(width));
  AppendU32(bytes, static_cast<uint32_t>(height));
  AppendU16(bytes, 1);
  AppendU16(bytes, 24);
  bytes.resize(54, 0);
  return bytes;
}

class ControlParserTest : public test::WizardTest {
 protected:
  // Parses one layout onto the page area.
  TControlParser& Parse(const std::string& layout) {
    parsers_.push_back(std::make_unique<TControlParser>(runtime_, area_));
    parsers_.back()->LoadFromText(TextEntry("", layout).Data);
    return *parsers_.back();
  }
  THeadlessControl& Made(const std::string& name) {
    THeadlessControl* control = area_.Find(name);
    if (!control) throw std::runtime_error("no control " + name);
    return *control;
  }

  THeadlessPageArea area_;
  std::vector<std::unique_ptr<TControlParser>> parsers_;
};

TEST_F(ControlParserTest, KindLinesPickTheKindWhateverTheirKey) {
  struct TCase {
    const char* KindLine;
    std::optional<TControlKind> Kind;
  } cases[] = {
      {"type=TLabel", TControlKind::Label},
      {"kind=tedit", TControlKind::Edit},
      {"TShellTreeView", TControlKind::FolderTree},  // without "=" the line is the kind
      {"x=TButton", TControlKind::Button},
      {"type=TImage", TControlKind::Image},
      {"type=TPanel", TControlKind::Panel},
      {"type=TBevel", TControlKind::Bevel},
      {"type=TMemo", TControlKind::Memo},
      {"type=TRichEdit", TControlKind::RichEdit},
      {"type=TProgressBar", TControlKind::ProgressBar},
      {"type=TRadio", TControlKind::Radio},
      {"type=TListBox", std::nullopt},  // unknown: the whole block is skipped
      {"type= TLabel", std::nullopt},   // the value is taken as written
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.KindLine);
    std::string name = "control" + std::to_string(index++);
    TControlParser& page = Parse("[" + name + "]\n" + c.KindLine + "\nleft=5\n");
    if (c.Kind) {
      ASSERT_EQ(page.Controls().size(), 1u);
      EXPECT_EQ(page.Controls()[0]->Kind(), *c.Kind);
      EXPECT_EQ(Made(name).State.Bounds.Left, 5);
    } else {
      EXPECT_TRUE(page.Controls().empty());
    }
  }
  // Lines before the first header form a block of their own, named without
  // their first and last character.
  TControlParser& page = Parse("(first)\ntype=TLabel\n[second]\ntype=TLabel\n");
  ASSERT_EQ(page.Controls().size(), 2u);
  EXPECT_EQ(page.Controls()[0]->Name(), "first");
}

TEST_F(ControlParserTest, EachKindTakesItsOwnKeys) {
  UseArchive({}, 1);
  Parse(
      "[label]\ntype=TLabel\nleft=1\ntop=$10\nwidth=30\nheight=40\nenabled=false\ncaption=A<BR>B\n"
      "fontface=Arial\nfontsize=12\nfontcolour=$0000FF\nfontbold=TRUE\nautosize=false\nwordwrap=true\n"
      "transparent=True\ncolour=$123456\nborder=true\ntext=ignored\n"
      "left = 99\nno equals sign\n"
      "[edit]\ntype=TEdit\ntext=<LANG3>\ncolour=$C0C0C0\nborder=false\ncaption=ignored\nfontbold=yes\n"
      "[memo]\ntype=TMemo\ntext=<LANG3><br>two\nwordwrap=true\n"
      "[panel]\ntype=TPanel\ncaption=<%SETUPTITLE%>\n"
      "[radio]\ntype=TRadio\ncaption=<LANG3>\nchecked=true\nautosize=false\n"
      "[tree]\ntype=TShellTreeView\nfontcolour=255\nfontselcolour=$00FF00\nselcolour=$FF0000\ncolour=1\n"
      "[gauge]\ntype=TProgressBar\nwidth=300\nheight=20\nforecolour=$00AA00\nbackcolour=$EEEEEE\n"
      "[button]\ntype=TButton\ncaption=Go\nenabled=false\n");

  const TControlState& label = Made("label").State;
  EXPECT_EQ(label.Bounds, (TBounds{1, 16, 30, 40}));  // "left = 99": the key "left " is nobody's
  EXPECT_FALSE(label.Enabled);
  EXPECT_EQ(label.Text, u"A\rB");
  EXPECT_EQ(label.Font.Face, "Arial");
  EXPECT_EQ(label.Font.Size, 12);
  EXPECT_EQ(label.Font.Colour, 0x0000FFu);
  EXPECT_FALSE(label.Font.ParentFont);
  EXPECT_TRUE(label.Font.Bold);
  EXPECT_FALSE(label.AutoSize);
  EXPECT_TRUE(label.WordWrap);
  EXPECT_TRUE(label.Transparent);
  EXPECT_FALSE(label.Colour.has_value());  // labels take no colour nor border
  EXPECT_FALSE(label.Border);

  const TControlState& edit = Made("edit").State;
  EXPECT_EQ(edit.Text, u"Hello");  // text A: translated
  EXPECT_EQ(edit.Colour, 0xC0C0C0u);
  EXPECT_FALSE(edit.Border);
  EXPECT_FALSE(edit.Font.Bold);  // "yes" is not "true"
  EXPECT_EQ(edit.TextHistory.size(), 1u);

  EXPECT_EQ(Made("memo").State.Text, u"<LANG3>\rtwo");  // text B: only line breaks
  EXPECT_FALSE(Made("memo").State.WordWrap);
  EXPECT_EQ(Made("panel").State.Text, u"Demo Setup");
  EXPECT_TRUE(Made("radio").State.Checked);
  EXPECT_EQ(Made("radio").State.Text, u"Hello");

  auto* tree = area_.FindTree("tree");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->CustomFontColour, 255u);
  EXPECT_EQ(tree->CustomSelFontColour, 0x00FF00u);
  EXPECT_EQ(tree->CustomSelColour, 0xFF0000u);
  EXPECT_EQ(tree->State.Font.Colour, 255u);
  EXPECT_EQ(tree->State.Colour, 1u);

  TGradGauge* gauge = Made("gauge").Gauge();
  ASSERT_NE(gauge, nullptr);
  EXPECT_EQ(gauge->Color1(), 0x00AA00u);
  EXPECT_EQ(gauge->Color2(), 0x00AA00u);
  EXPECT_EQ(gauge->Backcolor(), 0xEEEEEEu);
  EXPECT_EQ(gauge->Width(), 300);
  EXPECT_EQ(gauge->Height(), 20);

  EXPECT_TRUE(Made("button").State.Text.empty());  // buttons know only the common keys
  EXPECT_FALSE(Made("button").State.Enabled);
}

TEST_F(ControlParserTest, ValuesThatAreNoIntegersStopTheLayout) {
  for (const char* line : {"left=abc", "fontsize=", "width=12px", "colour=#FFFFFF", "forecolour=green"}) {
    SCOPED_TRACE(line);
    TControlParser parser(runtime_, area_);
    const char* kind = std::string(line).rfind("forecolour", 0) == 0 ? "TProgressBar" : "TEdit";
    EXPECT_THROW(parser.LoadFromText(TextEntry("", std::string("[]\ntype=") + kind + "\n" + line).Data),
                 EConversionError);
  }
}

TEST_F(ControlParserTest, TextsFollowTheLanguageOnRetranslate) {
  UseArchive({});
  TControlParser& page = Parse(
      "[title]\ntype=TLabel\ncaption=<LANG3><BR><%SETUPTITLE%>\n"
      "[choice]\ntype=TRadio\ncaption=<LANG3>\n"
      "[field]\ntype=TEdit\ntext=<LANG3>\n"
      "[plain]\ntype=TLabel\n");
  EXPECT_EQ(Made("title").State.Text, u"Hello\rDemo Setup");
  EXPECT_EQ(page.Texts()[0], u"<LANG3><BR><%SETUPTITLE%>");
  EXPECT_EQ(page.Texts()[2], u"<LANG3>");

  runtime_.Languages.Current = 1;
  runtime_.SetupInfo.Info.SetupName = "Neues Setup";
  page.Retranslate();
  EXPECT_EQ(Made("title").State.Text, u"Hallo\rNeues Setup");
  EXPECT_EQ(Made("choice").State.Text, u"Hallo");
  EXPECT_EQ(Made("field").State.Text, u"Hello");  // edits keep their text
  EXPECT_EQ(Made("plain").State.Text, u"");
}

TEST_F(ControlParserTest, RichTextsComeFromTheArchive) {
  UseArchive({TTestEntry{"Demo.rtf", 0, StringToBytes("{\\rtf1\\ansi {\\fonttbl{\\f0 Arial;}}Line one\\par Line "
                                                      "\\'e4\\par}")},
              TTestEntry{"other.rtf", 1, StringToBytes("{\\rtf1 group one}")}});
  Parse("[notes]\ntype=TRichEdit\nfile=<%SETUPSHORTTITLE%>.rtf\n"
        "[missing]\ntype=TRichEdit\ntext=kept\nfile=other.rtf\n");
  EXPECT_EQ(Made("notes").State.Text, u"Line one\rLine \u00e4");
  EXPECT_FALSE(Made("notes").State.RichText.empty());
  EXPECT_EQ(Made("missing").State.Text, u"kept");  // only group 0 is looked at
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, u"Error: File \"other.rtf\" Missing");
  EXPECT_EQ(shown[0].Caption, u"Rich Edit Error");
}

TEST_F(ControlParserTest, PicturesAndTiling) {
  UseArchive({TTestEntry{"tile.bmp", 0, BitmapHeader(30, 20)}, TTestEntry{"broken.bmp", 0, StringToBytes("no")}});
  Parse("[before]\ntype=TImage\nwidth=100\nheight=50\ntile=true\nfile=tile.bmp\n"
        "[after]\ntype=TImage\nwidth=100\nheight=50\nfile=TILE.BMP\ntile=true\nstretch=true\ncenter=true\n"
        "[missing]\ntype=TImage\nfile=none.bmp\ntile=true\n"
        "[broken]\ntype=TImage\nfile=broken.bmp\n");
  EXPECT_EQ(Made("before").State.Picture, (TSize{30, 20}));
  EXPECT_TRUE(Made("before").State.Tiles.empty());  // "tile" before "file" does nothing

  const TControlState& after = Made("after").State;
  EXPECT_EQ(after.PictureFormat, TPictureFormat::Bitmap);
  // Columns 0..3 and rows 0..2: the last ones are clipped at the edges.
  EXPECT_EQ(after.Tiles.size(), 12u);
  EXPECT_EQ(after.Tiles.back(), (TPoint{90, 40}));
  EXPECT_EQ(after.Picture, (TSize{100, 50}));
  EXPECT_TRUE(after.Stretch);
  EXPECT_TRUE(after.Center);

  EXPECT_EQ(Made("missing").State.Picture, (TSize{0, 0}));  // silently empty
  EXPECT_FALSE(Made("broken").State.PictureFormat.has_value());
  EXPECT_TRUE(boxes_.Shown().empty());

  try {
    TileImage(Made("missing"));
    FAIL() << "tiling without a picture must stop";
  } catch (const EAssertionFailed& failure) {
    EXPECT_NE(std::string(failure.what()).find("Tile property must come after File"), std::string::npos);
  }
}

TEST_F(ControlParserTest, PictureFormatsAndTileOrigins) {
  struct TCase {
    const char* Name;
    std::optional<TPictureFormat> Format;
  } cases[] = {{"a.bmp", TPictureFormat::Bitmap}, {"A.ICO", TPictureFormat::Icon}, {"a.wmf", TPictureFormat::Metafile},
               {"a.emf", TPictureFormat::Metafile}, {"a.jpg", TPictureFormat::Jpeg}, {"a.JPEG", TPictureFormat::Jpeg},
               {"a.png", std::nullopt}, {"bmp", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(PictureFormatFromName(c.Name), c.Format);
  }
  EXPECT_EQ(TileOrigins(TSize{60, 40}, TSize{30, 20}).size(), 9u);  // exact fits still add a clipped row and column
  EXPECT_TRUE(TileOrigins(TSize{60, 40}, TSize{0, 20}).empty());
}

TEST_F(ControlParserTest, NamesMustBeIdentifiersUsedOnce) {
  Parse("[first]\ntype=TLabel\n[]\ntype=TLabel\n[]\ntype=TLabel\n");  // unnamed controls may repeat
  EXPECT_THROW(Parse("[FIRST]\ntype=TEdit\n"), ETailpackError);
  EXPECT_THROW(Parse("[two words]\ntype=TEdit\n"), ETailpackError);
  EXPECT_THROW(Parse("[1st]\ntype=TEdit\n"), ETailpackError);
  EXPECT_NO_THROW(Parse("[_second2]\ntype=TEdit\n[FIRST]\ntype=TUnknown\n"));  // skipped blocks name nothing
}

TEST_F(ControlParserTest, RadioButtonsOfAPageAreOneGroup) {
  TControlParser& first = Parse("[a]\ntype=TRadio\nchecked=true\n[b]\ntype=TRadio\nchecked=true\n");
  Parse("[c]\ntype=TRadio\nchecked=true\n");  // another page: its own group
  EXPECT_FALSE(Made("a").State.Checked);
  EXPECT_TRUE(Made("b").State.Checked);
  EXPECT_TRUE(Made("c").State.Checked);
  Made("a").UserCheck();
  EXPECT_TRUE(Made("a").State.Checked);
  EXPECT_FALSE(Made("b").State.Checked);
  EXPECT_TRUE(Made("c").State.Checked);
  EXPECT_EQ(first.Controls().size(), 2u);
}

TEST_F(ControlParserTest, ShowHideAndStacking) {
  Parse("[x]\ntype=TLabel\n[y]\ntype=TLabel\n");
  TControlParser& page = Parse("[a]\ntype=TLabel\n[b]\ntype=TBevel\n[c]\ntype=TImage\n");
  page.HideAll();
  EXPECT_FALSE(Made("b").State.Visible);
  EXPECT_TRUE(Made("x").State.Visible);
  page.ShowAll();
  EXPECT_TRUE(Made("b").State.Visible);
  page.SendAllToBack();
  EXPECT_EQ(area_.ZOrderNames(), (std::vector<std::string>{"a", "b", "c", "x", "y"}));
}

TEST_F(ControlParserTest, AMissingLayoutComesBackToTellAndLeavesThePageEmpty) {
  UseArchive({TextEntry("page.txt", "[t]\ntype=TLabel\n", 2)});
  TControlParser parser(runtime_, area_);
  TStatus loaded = parser.LoadFromArchive("page.txt");  // only group 0 holds layouts
  EXPECT_FALSE(loaded);
  EXPECT_EQ(loaded.Message(), "Error File Missing: |page.txt|");
  EXPECT_TRUE(parser.Controls().empty());
  EXPECT_TRUE(boxes_.Shown().empty());  // the caller tells it
}

TEST(LayoutText, LinesAndBlocks) {
  TBytes bytes = StringToBytes("  [a]  \r\n\r\n\ttype=TLabel\rcaption=x\r\n[b]\r\n");
  bytes.push_back(0);
  AppendBytes(bytes, "[after the NUL]\r\n");
  auto lines = SplitLayoutLines(bytes);
  EXPECT_EQ(lines, (std::vector<std::string>{"[a]", "type=TLabel", "caption=x", "[b]"}));
  auto blocks = SplitLayoutBlocks(lines);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].size(), 3u);
  EXPECT_EQ(blocks[1], std::vector<std::string>{"[b]"});
}

}  // namespace
}  // namespace tailpack
