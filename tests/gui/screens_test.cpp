// The game's six pages, the requesters and the help viewer as built at
// start-up, on the smallest and a common screen; screenshots for review go
// to build/screenshots.
#include <gtest/gtest.h>

#include "game/main_menu.h"
#include "game/results_view.h"
#include "../support/screen_support.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "race/define.h"
#include "game/screens.h"
#include "gui_test_support.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"

namespace fs = std::filesystem;
using namespace gui_test;

namespace {
int gDeviceLosses = 0;

// What the game's LostDevice does for the toolkit, without the track sheets.
void TestLostDevice() {
  ++gDeviceLosses;
  PlatFreeSprite(-1);
  ASSERT_TRUE(PlatOpenScreen(1, 0, 0, PlatWindowInnerWidth(1), PlatWindowInnerHeight(1)));
  ReloadAllSprites();
}

struct ScreenSize {
  int width;
  int height;
};

class GameScreens : public testing::TestWithParam<ScreenSize> {
 protected:
  void SetUp() override {
    w = GetParam().width;
    h = GetParam().height;
    StartGui(w, h, ThemeForScreenshots());
    ResetProgramState();
    SetProgramFolder(testing_support::SourceDir() / "game");
    gProg.themeFolder = ThemeForScreenshots();
    gView.window = 1;
    gView.trackViewWidth = w - 256;
    gDeviceLosses = 0;
    BuildGameScreens(TestLostDevice);
    PlatCaptureFrames(true);
  }
  void TearDown() override {
    PlatCaptureFrames(false);
    SetModalFrameHook(nullptr);
  }
  std::string Shot(const std::string& what) {
    return (testing_support::ArtifactDir() /
            ("gui_" + std::to_string(w) + "x" + std::to_string(h) + "_" + what + ".png"))
        .string();
  }
  // One page alone over grey, filled with sample content.
  void ShowOnly(int page) {
    SetPageHidden(-1, 1);
    SetPageHidden(page, 0);
    if (page == 4) SetCheckBoxHidden(gElements.RandomBox, 1);
    PlatClearScreen(0x808080);
    DrawAllElements();
    PlatFlipBuffers();
  }
  int w = 0;
  int h = 0;
};

void FillSampleContent() {
  GameElements& e = gElements;
  for (const char* line : {"Falcon", "R. Aldane", "lap: 2", "sharp: 3 hrpin: 2", "HBs: 4  ORs: 1",
                           "downshift: 2", "gear: 4 MP: 16 +2"}) {
    AddText(e.RaceInfoArea, line);
  }
  SetTextAreaSelection(e.RaceInfoArea, 6);
  e.MenuButtons->focus = 0;  // the keys' mark on "New Race"
  SetButtonState(e.RaceButtons, 0, 1);
  SetLabel(e.RaceNameLabel, "Harbour Loop", 0);
  for (const char* line : {"Falcon", "  chance ...", "  uses 1 HB", "Kestrel", "  off the line"}) {
    AddText(e.LogArea, line);
  }
  for (int i = 1; i <= 12; ++i) AddText(e.StandingsArea, (i < 10 ? " " : "") + std::to_string(i) + " Car " + std::to_string(i));
  AddCentredText(e.ResultsTitleArea, "Results of Harbour Loop");
  for (int i = 1; i <= 8; ++i) AddText(e.ResultsArea, std::to_string(i) + ". Car " + std::to_string(i) + "   " + std::to_string(10 - i) + " pts");
  for (const char* car : {"Comet", "Falcon", "Kestrel", "Lynx", "Merlin", "Osprey"}) AddText(e.AvailableArea, car);
  SetTextAreaSelection(e.AvailableArea, 1);
  for (const char* car : {"Arrow", "Bolt"}) AddText(e.InRaceArea, car);
  SetKBAText(e.LapsEntry, "4");
  SetCheckBox(e.NewSeasonBox, 1);
  SetSelectedOption(e.GridOptions, 0);
  SetSelectedOption(e.GridOptions, 0);
  for (int b = 0; b < 7; ++b) SetButtonState(e.GearButtons, b, 2);
  SetButtonState(e.GearButtons, 2, 0);
  SetButtonState(e.GearButtons, 3, 1);
  for (const char* car : {"Arrow", "Bolt", "Comet", "Falcon"}) AddText(e.DriveArea, car);
  SetTextAreaSelection(e.DriveArea, 2);
}

// Rectangle of an element.
struct Box {
  int left, top, right, bottom;
};
Box Of(const TextArea* a) { return {a->x, a->y, a->x + a->width, a->y + a->height}; }
Box Of(const ButtonArray* b) { return {b->x, b->y, b->x + b->totalWidth, b->y + b->totalHeight}; }
Box Of(const Label* l) {
  return {l->x, l->y, l->x + SpriteFontWidth(l->font) * static_cast<int>(l->text.size()),
          l->y + SpriteFontHeight(l->font)};
}
Box Of(const Frame* f) { return {FrameX(f), FrameY(f), FrameRight(f), FrameBottom(f)}; }
Box Inner(const Frame* f) { return {FrameX(f) + 32, FrameY(f) + 32, FrameRight(f) - 32, FrameBottom(f) - 32}; }
bool Inside(Box inner, Box outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
}  // namespace

TEST_P(GameScreens, SidePanelFollowsTheLayout) {
  GameElements& e = gElements;
  int fx = w - 256;
  EXPECT_EQ(FrameX(e.RaceFrame), fx);
  EXPECT_EQ(FrameY(e.RaceFrame), 0);
  // Down to the screen's foot: no dark strip under it at 1080 either.
  EXPECT_GE(FrameBottom(e.RaceFrame), h);
  EXPECT_LT(FrameBottom(e.RaceFrame), h + 32);
  EXPECT_EQ(FrameRight(e.RaceFrame), w);
  EXPECT_EQ(e.RaceInfoArea->x, fx + 40);
  EXPECT_EQ(e.RaceInfoArea->rows, 7);
  EXPECT_EQ(e.RaceButtons->x, fx + 40);
  EXPECT_EQ(e.RaceButtons->y, 176);
  EXPECT_EQ(e.RaceNameLabel->y, 290);
  EXPECT_EQ(e.LogArea->y, 320);
  // At 768 the commentary gives up a row to the key strip, so that the
  // running order still holds a field of 12; at 1080 it holds 26.
  EXPECT_EQ(e.LogArea->rows, h == 768 ? 7 : 8);
  EXPECT_EQ(e.StandingsArea->y, h == 768 ? 478 : 499);
  EXPECT_EQ(e.StandingsArea->rows, h == 768 ? 12 : 26);
  EXPECT_EQ(e.LogArea->lines, std::vector<std::string>{"<?> = show help"});
  // Everything of the side panel stays on the screen and inside the frame's border.
  Box panel = Inner(e.RaceFrame);
  panel.bottom = h;
  for (Box b : {Of(e.RaceInfoArea), Of(e.RaceButtons), Of(e.LogArea), Of(e.StandingsArea),
                Of(e.KeyStripLabels[0]), Of(e.KeyStripLabels[1])}) {
    EXPECT_TRUE(Inside(b, panel)) << b.left << "," << b.top << " - " << b.right << "," << b.bottom;
  }
  // The key strip under the running order, the own-move line above it.
  EXPECT_GE(e.KeyStripLabels[0]->y, Of(e.StandingsArea).bottom);
  EXPECT_LE(Of(e.LogArea).bottom, e.OwnMoveLabel->y);
  EXPECT_LE(Of(e.OwnMoveLabel).bottom, e.StandingsArea->y);
  // The three race buttons end before the race name.
  EXPECT_LE(Of(e.RaceButtons).bottom, 290);
  EXPECT_EQ(e.RaceButtons->captions.size(), 3u);
}

TEST_P(GameScreens, DialogPagesAreCentredAndHidden) {
  GameElements& e = gElements;
  for (const Frame* f : {e.MenuFrame, e.ResultsFrame, e.CarSelectFrame, e.DriveFrame, e.SeasonFrame}) {
    EXPECT_EQ(FrameX(f), (w - (FrameRight(f) - FrameX(f))) / 2);
    EXPECT_EQ(FrameY(f), (h - (FrameBottom(f) - FrameY(f))) / 2);
    EXPECT_TRUE(Inside(Of(f), Box{0, 0, w, h}));
    EXPECT_NE(IsFrameHidden(f), 0);
  }
  EXPECT_EQ(FrameX(e.GearFrame), w - 256 - 160);
  EXPECT_EQ(FrameY(e.GearFrame), 172);
  EXPECT_EQ(IsFrameHidden(e.RaceFrame), 0);
  EXPECT_NE(e.MenuButtons->hidden, 0);
  EXPECT_NE(e.LapsEntry->hidden, 0);
  EXPECT_NE(gHelp.textArea->hidden, 0);
  for (const char* name : {"Message Box", "Answer Box", "List Box", "Input Box"}) {
    EXPECT_NE(IsFrameHidden(FindRequester(name)->frame), 0) << name;
  }
  // Controls sit inside their frames.
  EXPECT_TRUE(Inside(Of(e.MenuButtons), Inner(e.MenuFrame)));
  EXPECT_TRUE(Inside(Of(e.ResultsArea), Inner(e.ResultsFrame)));
  EXPECT_TRUE(Inside(Of(e.InRaceArea), Inner(e.CarSelectFrame)));
  EXPECT_TRUE(Inside(Of(e.CarSelectButtons), Inner(e.CarSelectFrame)));
  EXPECT_TRUE(Inside(Of(e.GearButtons), Inner(e.GearFrame)));
  EXPECT_TRUE(Inside(Of(e.DriveArea), Inner(e.DriveFrame)));
  EXPECT_TRUE(Inside(Of(e.DriveOKButton), Inner(e.DriveFrame)));
  EXPECT_TRUE(Inside(Of(e.SeasonTableArea), Inner(e.SeasonFrame)));
  EXPECT_EQ(e.GridOptions->boxes[2]->y, FrameY(e.CarSelectFrame) + 402 + 68);
  EXPECT_NE(e.RandomBox->caption->hidden, 0);
  EXPECT_EQ(e.MenuButtons->captions,
            (std::vector<std::string>{"New Race", "Load Race", "Quit", "Return", "Circuit Editor", "Sound Volume", "Season"}));
  // The requesters and the help viewer come after the game's pages.
  EXPECT_EQ(ElementPage(FindRequester("Input Box")->keyboardArea, kKindKBArea), 104);
}

TEST_P(GameScreens, ScreenshotsOfEveryPageRequesterAndTheHelp) {
  FillSampleContent();
  const char* pages[] = {"", "race", "menu", "results", "carselect", "gear", "drive", "next_race"};
  SetLabel(gElements.NextRaceLabel, "Next: Puddleford Park", 0);
  for (int page = 1; page <= 7; ++page) {
    ShowOnly(page == 7 ? kNextRacePage : page);
    ASSERT_TRUE(PlatSaveScreenshot(Shot("page" + std::to_string(page) + "_" + pages[page])));
  }
  // The requesters over the race screen, as the game opens them.
  auto openOver = [this](const std::string& file) {
    SetPageHidden(-1, 1);
    SetPageHidden(1, 0);
    PlatClearScreen(0x808080);
    ScriptFrames({[file] {
      EXPECT_TRUE(PlatSaveScreenshot(file));
      PressKey(kKeyEscape);
    }});
  };
  openOver(Shot("requester_message"));
  MessageBox("     Welcome to The Velotrax!~");
  openOver(Shot("requester_answer"));
  AnswerBox(kSaveStandingsQuestion);
  openOver(Shot("requester_list"));
  std::string circuits;
  for (const char* c : {"Alpine Pass", "Bay Sprint", "Canyon Run", "Delta Loop", "Eastgate", "Fjord Ring",
                        "Glen Park", "Harbour Loop", "Iron Bridge", "Juniper", "Kings Cross", "Lakeside",
                        "Marsh Lane"}) {
    circuits += std::string(c) + "~";
  }
  ListBox("     Select New Race", circuits);
  openOver(Shot("requester_load_list"));
  ListBox("     Load Saved Race",
          "Harbour Loop  lap 2 of 3  2026-12-08 21:40~Puddleford Park~"
          "Switchback Ridge  lap 12 of 12  2026-12-09 08:05~");
  openOver(Shot("requester_quit"));
  AnswerBox(kQuitQuestion);
  openOver(Shot("requester_input"));
  InputBox("Speed in ms between steps: more is slower.", "167");
  openOver(Shot("help"));
  ShowHelp();
  EXPECT_TRUE(ScriptDone());
}

TEST_P(GameScreens, LostDeviceInsideARequesterKeepsThePicture) {
  FillSampleContent();
  SetPageHidden(-1, 0);
  SetPageHidden(99, 1);
  SetCheckBoxHidden(gElements.RandomBox, 1);
  std::vector<uint8_t> before;
  std::vector<uint8_t> after;
  // Frame 1 is drawn, then the device goes; frame 2 recovers and is drawn again.
  ScriptFrames({[&] {
                  before = PlatScreenshotPng();
                  PlatSimulateDeviceLoss();
                },
                [&] {
                  after = PlatScreenshotPng();
                  PressKey(kKeyReturn);
                }});
  int confirmed = 0;
  PlatClearScreen(0x808080);
  // Recovery re-creates the screen, which starts black: draw on black both times.
  PlatClearScreen(0x000000);
  Display("Answer Box", "", "Still here?", confirmed);
  EXPECT_EQ(gDeviceLosses, 1);
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before, after);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GameScreens, testing::Values(ScreenSize{1920, 1080}, ScreenSize{1024, 768}),
                         [](const testing::TestParamInfo<ScreenSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
