// The wizard description and the page sequence: sections, page types and
// colours, and what showing a page does to the pages and the four buttons.

#include "wizard/SEPageControl.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "wizard/WizardFixture.h"

namespace tailpack {
namespace {

using test::TextEntry;
using test::TTestEntry;

class SEPageControlTest : public test::WizardTest {
 protected:
  SEPageControlTest() {
    // Back, Next, Cancel and the language button.
    for (int i = 0; i < 4; ++i) buttons_.push_back(std::make_unique<THeadlessControl>(TControlKind::Button, "", nullptr));
  }
  THeadlessControl& Back() { return *buttons_[0]; }
  THeadlessControl& NextButton() { return *buttons_[1]; }
  THeadlessControl& Cancel() { return *buttons_[2]; }
  THeadlessControl& Language() { return *buttons_[3]; }

  TSEPageControl& Load(const std::string& description, std::vector<TTestEntry> layouts) {
    layouts.push_back(TextEntry("Pages.txt", description));
    UseArchive(layouts);
    pages_ = std::make_unique<TSEPageControl>(runtime_, Back(), area_, Language(), Cancel(), NextButton());
    TStatus loaded = pages_->LoadConfig("Pages.txt");
    EXPECT_TRUE(loaded) << loaded.Message();
    return *pages_;
  }
  // Buttons as a fresh window has them.
  void ResetButtons() {
    for (auto& button : buttons_) {
      button->State.Visible = true;
      button->State.Enabled = true;
      button->State.Text = u"design";
    }
  }

  THeadlessPageArea area_;
  std::vector<std::unique_ptr<THeadlessControl>> buttons_;
  std::unique_ptr<TSEPageControl> pages_;
};

TEST_F(SEPageControlTest, SectionsMakePagesTypesAndColours) {
  TSEPageControl& pages = Load(
      "[pagetypes]\nfinish\n"  // before "pages": nothing to type yet
      "[Pages]\none.txt\ntwo.txt\nthree.txt\n"
      "[other]\nfour.txt\n"
      "[PageTypes]\nChangeLog\nno such type\n"
      "[settings]\nColour=12632256\nfontcolour=$FF\nsomething=1\n",
      {TextEntry("one.txt", "[l1]\ntype=TLabel\n"), TextEntry("two.txt", "[l2]\ntype=TLabel\n"),
       TextEntry("three.txt", "[l3]\ntype=TLabel\n")});
  ASSERT_EQ(pages.PageCount(), 3u);
  EXPECT_EQ(pages.PageList[0]->PageType, TPageType::Changelog);
  EXPECT_EQ(pages.PageList[1]->PageType, TPageType::Welcome);  // unknown name: unchanged
  EXPECT_EQ(pages.PageList[2]->PageType, TPageType::Welcome);  // no line for it
  EXPECT_EQ(pages.Colour, 0xC0C0C0u);
  EXPECT_EQ(pages.FontColour, 0xFFu);
  // The first page is shown as soon as it is added; the others stay hidden.
  EXPECT_TRUE(area_.Find("l1")->State.Visible);
  EXPECT_FALSE(area_.Find("l2")->State.Visible);
  EXPECT_EQ(area_.Find("l3"), area_.Find("L3"));
}

TEST_F(SEPageControlTest, ColourSettings) {
  struct TCase {
    const char* Line;
    uint32_t Colour;
    bool Fails;
  } cases[] = {
      {"colour=$C0C0C0", 0xC0C0C0, false},
      {"Colour=12632256", 0xC0C0C0, false},
      {"colour:$0000FF", 0x0000FF, false},  // any one character may separate key and value
      {"colour=silver", 0, true},
      {"colour", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    TSEPageControl pages(runtime_, Back(), area_, Language(), Cancel(), NextButton());
    TBytes text = TextEntry("", std::string("[settings]\n") + c.Line).Data;
    if (c.Fails) {
      EXPECT_THROW(pages.LoadConfigText(text), EConversionError);
    } else {
      pages.LoadConfigText(text);
      EXPECT_EQ(pages.Colour, c.Colour);
    }
  }
}

TEST_F(SEPageControlTest, AMissingDescriptionComesBackToTellAndMakesNoPages) {
  UseArchive({});
  TSEPageControl pages(runtime_, Back(), area_, Language(), Cancel(), NextButton());
  TStatus loaded = pages.LoadConfig("Pages.txt");
  EXPECT_FALSE(loaded);
  EXPECT_EQ(loaded.Message(), "Error File Missing: Pages.txt");
  EXPECT_EQ(pages.PageCount(), 0u);
  EXPECT_TRUE(boxes_.Shown().empty());  // the wizard tells it
}

TEST_F(SEPageControlTest, AMissingLayoutIsToldAndMakesAnEmptyPage) {
  TSEPageControl& pages = Load("[pages]\na.txt\nmissing.txt\n[pagetypes]\nwelcome\nfinish\n",
                               {TextEntry("a.txt", "[a]\ntype=TLabel\n")});
  EXPECT_EQ(pages.PageCount(), 2u);
  EXPECT_TRUE(pages.PageList[1]->Controls().empty());
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, u"Error File Missing: |missing.txt|");
  EXPECT_EQ(shown[0].Caption, u"Missing File");
}

TEST_F(SEPageControlTest, ShowPageSetsTheButtonsForThePageType) {
  std::vector<TTestEntry> layouts;
  const char* names[] = {"p0", "p1", "p2", "p3", "p4", "p5"};
  for (const char* name : names) layouts.push_back(TextEntry(std::string(name) + ".txt", std::string("[") + name + "]\ntype=TLabel\n"));
  TSEPageControl& pages = Load(
      "[pages]\np0.txt\np1.txt\np2.txt\np3.txt\np4.txt\np5.txt\n"
      "[pagetypes]\npatch\nwelcome\npatching\nuninstall\nfinish\nmainlayout\n",
      layouts);

  struct TCase {
    int Index;
    bool BackVisible, NextVisible, NextEnabled, CancelEnabled, LanguageVisible;
    const char16_t* NextCaption;
    const char16_t* CancelCaption;
  } cases[] = {
      {0, false, true, true, true, true, u"Install", u"design"},  // page 0 hides Back whatever its type
      {1, true, true, true, true, true, u"Next >", u"design"},
      {2, false, true, false, false, false, u"Next >", u"design"},
      {3, false, true, false, false, false, u"Next >", u"design"},
      {4, false, false, true, true, true, u"Next >", u"Finish"},
      {5, true, true, true, true, true, u"Next >", u"design"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Index);
    ResetButtons();
    pages.ShowPage(c.Index);
    EXPECT_EQ(pages.CurrentPage, c.Index);
    EXPECT_EQ(Back().State.Visible, c.BackVisible);
    EXPECT_EQ(NextButton().State.Visible, c.NextVisible);
    EXPECT_EQ(NextButton().State.Enabled, c.NextEnabled);
    EXPECT_EQ(Cancel().State.Enabled, c.CancelEnabled);
    EXPECT_EQ(Language().State.Visible, c.LanguageVisible);
    EXPECT_EQ(NextButton().State.Text, c.NextCaption);
    EXPECT_EQ(Cancel().State.Text, c.CancelCaption);
    for (size_t i = 0; i < 6; ++i) {
      bool shown = static_cast<int>(i) == c.Index || i == 5;  // the frame stays
      EXPECT_EQ(area_.Find(names[i])->State.Visible, shown) << names[i];
    }
  }

  // Outside the pages nothing changes: neither the page nor any button.
  pages.ShowPage(1);
  Cancel().State.Text = u"kept";
  Back().State.Visible = false;
  for (int index : {-1, 6}) {
    SCOPED_TRACE(index);
    pages.ShowPage(index);
    EXPECT_EQ(pages.CurrentPage, 1);
    EXPECT_FALSE(Back().State.Visible);
    EXPECT_EQ(Cancel().State.Text, u"kept");
    EXPECT_TRUE(area_.Find("p1")->State.Visible);
  }

  // Hidden buttons stay hidden and the finish caption stays on the way back.
  pages.ShowPage(4);
  pages.ShowPage(1);
  EXPECT_FALSE(NextButton().State.Visible);
  EXPECT_EQ(Cancel().State.Text, u"Finish");
}

TEST_F(SEPageControlTest, TheFramePageIsShownAndSentBehindEverything) {
  TSEPageControl& pages = Load("[pages]\na.txt\nframe.txt\n[pagetypes]\nwelcome\nmainlayout\n",
                               {TextEntry("a.txt", "[a]\ntype=TLabel\n"),
                                TextEntry("frame.txt", "[f1]\ntype=TImage\n[f2]\ntype=TBevel\n")});
  EXPECT_TRUE(area_.Find("f1")->State.Visible);
  EXPECT_EQ(area_.ZOrderNames(), (std::vector<std::string>{"f1", "f2", "a"}));
  EXPECT_EQ(pages.CurrentPage, 0);
}

}  // namespace
}  // namespace tailpack
