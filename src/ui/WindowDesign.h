#pragma once
// The designed layout of the program's own windows, shared by every backend
// so they all build the same windows: the wizard's main window, the
// verification window and the debug window. Texts are the program's own.

#include <array>

#include "wizard/Widgets.h"

namespace tailpack {

struct TButtonDesign {
  TWizardButton Button;
  const char* Caption;  // the caption until the wizard sets its own
  TBounds Bounds;
  bool Visible;
};

// Main window: a fixed single border, system menu and minimise box, centred,
// "MS Shell Dlg 2" at 8 points.
constexpr TSize kMainClientSize{578, 413};
// The page area (white, no bevel) and the line under it.
constexpr TBounds kPageAreaBounds{0, 0, 578, 375};
constexpr TBounds kBevelBounds{0, 375, 578, 3};
constexpr uint32_t kPageAreaDefaultColour = 0xFFFFFF;
// The language button carries a small picture right of its caption; the
// Debug button stays invisible.
constexpr std::array<TButtonDesign, 5> kMainButtons = {{
    {TWizardButton::Language, "English", {8, 384, 89, 25}, true},
    {TWizardButton::Debug, "Debug", {112, 384, 75, 25}, false},
    {TWizardButton::Back, "< Back", {344, 384, 73, 25}, true},
    {TWizardButton::Next, "Next >", {416, 384, 73, 25}, true},
    {TWizardButton::Cancel, "Cancel", {496, 384, 75, 25}, true},
}};

// Verification window: a tool window without border icons, centred.
constexpr const char* kVerifyCaption = "Verifying Contents";
constexpr TSize kVerifyClientSize{321, 70};
constexpr const char* kVerifyWaitText = "Verifying contents please wait...";
constexpr TPoint kVerifyWaitLabelAt{8, 8};
constexpr const char* kVerifyInitialStatus = "Status: 0 out of 0 files verifyed";
constexpr TPoint kVerifyStatusLabelAt{8, 32};
constexpr TBounds kVerifyProgressBounds{8, 48, 305, 16};  // smooth, 0..100

// Debug window: outer size, centred, one rich text filling it with both
// scroll bars.
constexpr const char* kDebugCaption = "Debug";
constexpr TSize kDebugWindowSize{870, 600};

constexpr const char* kWindowFontFace = "MS Shell Dlg 2";
constexpr int kWindowFontSize = 8;

}  // namespace tailpack
