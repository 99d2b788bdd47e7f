#include "game/screens.h"

#include <algorithm>

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "race/define.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"

GameElements gElements;

namespace {
void BuildRacePage() {
  GameElements& e = gElements;
  SpriteFont* font = e.MainFont;
  // Down to the screen's foot even where its height is no whole number of
  // frame tiles (1080): the last tile runs off the screen rather than leave
  // a dark strip under the panel. What stands in the panel keeps to the
  // whole tiles.
  const int wholeRows = PlatScreenHeight() / 32;
  e.RaceFrame = CreateFrame("Frame", gView.trackViewWidth, 0, 8, (PlatScreenHeight() + 31) / 32, 1);
  int fx = FrameX(e.RaceFrame);
  int fy = FrameY(e.RaceFrame);
  const int panelBottom = fy + wholeRows * 32;
  e.RaceInfoArea = CreateTextArea(font, fx + 40, fy + 40, 180, 126, 0, 0, 0, 1);
  e.RaceButtons = CreateButtonArray(font, "Button Long", 1, fx + 40, fy + 176,
                                    "Auto Mode~Save Race~Main Menu~", 1);
  e.RaceNameLabel = CreateLabel(" ", font, fx + 40, fy + 290, 0, 1);
  // Under the running order sits a strip with the race screen's keys, off
  // the track. On a short screen the commentary gives up a row for it, so
  // that a full field of twelve still fits the running order at 768.
  SpriteFont* keyFont = e.SmallFont != nullptr ? e.SmallFont : font;
  const int keyRow = SpriteFontHeight(keyFont);
  const int keysY = panelBottom - 36 - 2 * keyRow;
  const bool shortScreen = panelBottom - fy < 900;
  const int logHeight = shortScreen ? 136 : 152;
  e.LogFrame = CreateFrame("Panel", fx + 40, fy + 320, 22, logHeight / 8, 1);
  e.LogArea = CreateTextArea(font, fx + 40, fy + 320, 176, logHeight, 4, 1, 0, 1);
  e.logFullHeight = logHeight;
  AddText(e.LogArea, "<?> = show help");
  // Between the commentary and the running order: the player's latest move.
  const int ownY = fy + 326 + logHeight;
  e.OwnMoveLabel = CreateLabel("", keyFont, fx + 40, ownY, kNoTint, 1);
  for (Label*& more : e.MoreOwnMoveLabels) more = CreateLabel("", keyFont, fx + 40, ownY, kNoTint, 1);
  // The running order takes the rest of the panel (at least one row), so a
  // full field fits on a tall screen; the player's cars are its selected lines.
  const int orderY = ownY + (shortScreen ? 16 : 21);
  int standingsHeight = Max((keysY - 2 - orderY) / 8 * 8, 32);
  CreateFrame("Panel", fx + 40, orderY, 22, standingsHeight / 8, 1);
  e.StandingsArea = CreateTextArea(font, fx + 40, orderY, 176, standingsHeight, 4, 0, 1, 1);
  const int stripY = Max(keysY, orderY + standingsHeight + 2);
  e.KeyStripLabels[0] = CreateLabel("Space step F fwd A auto", keyFont, fx + 40, stripY, kNoTint, 1);
  e.KeyStripLabels[1] = CreateLabel("", keyFont, fx + 40, stripY + keyRow, kNoTint, 1);
  ShowSoundMuted(false);
}

}  // namespace

void ShowSoundMuted(bool muted) {
  Label* line = gElements.KeyStripLabels[1];
  if (line == nullptr) return;
  // The small font's pale ground takes the tint: 0xBBGGRR, a light red.
  SetLabel(line, muted ? "? help M unmute Esc menu" : "? help  M mute  Esc menu", muted ? 0x6060FF : kNoTint);
}

namespace {
void BuildMenuPage() {
  GameElements& e = gElements;
  // The menu is the game's front door: larger buttons in a larger face where
  // the theme has them, the dialogs' own otherwise. The frame is sized to
  // hold the title and seven buttons, the buttons centred in it.
  const bool large = ThemeSpriteOrNone("Button Menu") != 0 && ThemeSpriteOrNone("Terminal 20") != 0;
  const char* face = large ? "Button Menu" : "Button Long";
  e.MenuFont = large ? CreateSpriteFont("Terminal 20", 0x000000, 0x0400D2, 0xD0D0D0) : e.MainFont;
  const std::string captions = "New Race~Load Race~Quit~Return~Circuit Editor~Sound Volume~Season~";
  const int buttons = static_cast<int>(std::count(captions.begin(), captions.end(), '~'));
  const int buttonWidth = PlatSpriteWidth(GetSpriteID(face));
  const int buttonHeight = PlatSpriteHeight(GetSpriteID(face));
  const int tile = 32;
  const int top = 96;
  const int tilesWide = (buttonWidth + 80 + tile - 1) / tile;
  const int tilesHigh = (top + buttons * buttonHeight + 40 + tile - 1) / tile;
  e.MenuFrame = CreateFrame("Frame", -1, -1, tilesWide, tilesHigh, 2);
  int fx = FrameX(e.MenuFrame);
  int fy = FrameY(e.MenuFrame);
  const std::string title = "Main Menu";
  const int titleWidth = static_cast<int>(title.size()) * e.MenuFont->glyphWidth;
  CreateLabel(title, e.MenuFont, fx + (tilesWide * tile - titleWidth) / 2, fy + 40, 0, 2);
  e.MenuButtons = CreateButtonArray(e.MenuFont, face, 1, fx + (tilesWide * tile - buttonWidth) / 2, fy + top,
                                    captions, 2);
}

void BuildResultsPage() {
  GameElements& e = gElements;
  // As wide as the season's page: the names have room.
  e.ResultsFrame = CreateFrame("Frame", -1, -1, 24, 16, 3);
  int fy = FrameY(e.ResultsFrame);
  e.ResultsTitleArea = CreateTextArea(e.MainFont, -1, fy + 40, 688, 18, 0, 0, 0, 3);
  CreateFrame("Panel", -1, fy + 70, 86, 50, 3);
  e.ResultsArea = CreateTextArea(e.MainFont, -1, fy + 70, 688, 408, 4, 1, 0, 3);
}

void BuildCarSelectPage() {
  GameElements& e = gElements;
  SpriteFont* font = e.MainFont;
  e.CarSelectFrame = CreateFrame("Frame", -1, -1, 24, 19, 4);
  int fx = FrameX(e.CarSelectFrame);
  int fy = FrameY(e.CarSelectFrame);
  int fb = FrameBottom(e.CarSelectFrame);
  std::string gap(10, ' ');
  CreateLabel("Available" + gap + "Car Selection" + gap + "in Race", font, fx + 130, fy + 40, 0, 4);
  CreateFrame("Panel", fx + 40, fy + 80, 32, 53, 4);
  e.AvailableArea = CreateTextArea(font, fx + 40, fy + 80, 256, 422, 4, 1, 1, 4);
  CreateFrame("Panel", fx + 472, fy + 80, 32, 53, 4);
  e.InRaceArea = CreateTextArea(font, fx + 472, fy + 80, 256, 422, 4, 1, 1, 4);
  e.AllButton = CreateButtonArray(font, "Button Short", 1, fx + 340, fy + 125, "all~", 4);
  e.MoveButtons = CreateButtonArray(font, "Button Short", 1, fx + 340, fy + 190, "-->~<--~", 4);
  CreateLabel("laps", font, fx + 336, fy + 282, 0, 4);
  CreateFrame("Panel", fx + 386, fy + 282, 5, 3, 4);
  e.LapsEntry = CreateKBArea(font, fx + 387, fy + 283, 36, 2, 0xFFFFFF, 4);
  e.NewSeasonBox = CreateCheckBox("new season", font, fx + 316, fy + 316, 0, "Panel", 4);
  CreateLabel("set start grid:", font, fx + 316, fy + 370, 0, 4);
  e.GridOptions = CreateOptionBoxes("by points~random~last race~", font, fx + 316, fy + 402, 0, "Panel", 4);
  e.RandomBox = CreateCheckBox("random", font, fx + 316, fy + 434, 0, "Panel", 4);
  SetCheckBoxHidden(e.RandomBox, 1);
  e.CarSelectButtons = CreateButtonArray(font, "Button Short", 2, fx + 276, fb - 80, "OK~Cancel~", 4);
}

void BuildGearPage() {
  GameElements& e = gElements;
  e.GearFrame = CreateFrame("Frame", gView.trackViewWidth - 160, kGearFrameTop, 5, 11, 5);
  int fx = FrameX(e.GearFrame);
  int fy = FrameY(e.GearFrame);
  e.GearHeadLabel = CreateLabel("  Gear", e.MainFont, fx + 40, fy + 40, 0, 5);
  e.GearButtons = CreateButtonArray(e.MainFont, "Button Short", 1, fx + 40, fy + 70,
                                    "1st~2nd~3rd~4th~5th~Top~use OR~", 5);
  // The corner information, left of the buttons: the car that chooses, two
  // lines about the next corner, then one row beside each button with its
  // chances. As wide as the track view leaves room for (a narrow one gets
  // short rows).
  const int infoTiles = std::clamp(fx / 32, 11, 15);
  int ix = Max(fx - infoTiles * 32, 0);
  e.GearInfoFrame = CreateFrame("Frame", ix, fy - 64, infoTiles, 13, 5);
  e.GearTitleLabel = CreateLabel(" ", e.MainFont, ix + 40, fy - 24, 0, 5);
  e.GearCornerLabel = CreateLabel(" ", e.MainFont, ix + 40, fy - 2, 0, 5);
  e.GearSafeLabel = CreateLabel(" ", e.MainFont, ix + 40, fy + 18, 0, 5);
  const ButtonArray* b = e.GearButtons;
  for (int i = 0; i < 7; ++i) {
    int y = b->buttonY[i] + (b->buttonHeight - SpriteFontHeight(e.MainFont)) / 2;
    e.GearAdviceLabels[i] = CreateLabel(" ", e.MainFont, ix + 40, y, 0, 5);
  }
}

void BuildDrivePage() {
  GameElements& e = gElements;
  e.DriveFrame = CreateFrame("Frame", -1, -1, 10, 19, 6);
  int fx = FrameX(e.DriveFrame);
  int fy = FrameY(e.DriveFrame);
  int fb = FrameBottom(e.DriveFrame);
  CreateLabel(" select car(s) to drive", e.MainFont, fx + 40, fy + 40, 0, 6);
  CreateFrame("Panel", fx + 40, fy + 70, 30, 53, 6);
  e.DriveArea = CreateTextArea(e.MainFont, fx + 40, fy + 70, 240, 422, 6, 1, 1, 6);
  e.DriveOKButton = CreateButtonArray(e.MainFont, "Button Short", 1, fx + 120, fb - 80, "OK~", 6);
}
void BuildNextRacePage() {
  GameElements& e = gElements;
  e.NextRaceFrame = CreateFrame("Frame", -1, -1, 14, 6, kNextRacePage);
  int fx = FrameX(e.NextRaceFrame);
  int fy = FrameY(e.NextRaceFrame);
  e.NextRaceLabel = CreateLabel(" ", e.MainFont, fx + 40, fy + 44, 0, kNextRacePage);
  e.NextRaceButtons = CreateButtonArray(e.MainFont, "Button Long", 2, fx + 40, fy + 96,
                                        "Next Race~Main Menu~", kNextRacePage);
}
void BuildSeasonPage() {
  GameElements& e = gElements;
  e.SeasonFrame = CreateFrame("Frame", -1, -1, 24, 18, kSeasonPage);
  const int fx = FrameX(e.SeasonFrame);
  const int fy = FrameY(e.SeasonFrame);
  e.SeasonTitleArea = CreateTextArea(e.MainFont, -1, fy + 40, 688, 18, 0, 0, 0, kSeasonPage);
  e.SeasonChartPanel = CreateFrame("Panel", fx + 40, fy + 66, 86, 26, kSeasonPage);
  CreateFrame("Panel", fx + 40, fy + 282, 86, 32, kSeasonPage);
  e.SeasonTableArea = CreateTextArea(e.MainFont, fx + 40, fy + 282, 688, 256, 4, 2, 0, kSeasonPage);
}
}  // namespace

void BuildGamePages() {
  BuildRacePage();
  BuildMenuPage();
  SetPageHidden(2, 1);
  BuildResultsPage();
  SetPageHidden(3, 1);
  BuildCarSelectPage();
  SetPageHidden(4, 1);
  BuildGearPage();
  SetPageHidden(5, 1);
  BuildDrivePage();
  SetPageHidden(6, 1);
  BuildNextRacePage();
  SetPageHidden(kNextRacePage, 1);
  BuildSeasonPage();
  SetPageHidden(kSeasonPage, 1);
}

void BuildGameScreens(LostDeviceProc lostDevice) {
  InitMiniGUI(gView.window, lostDevice, gProg.themeFolder);
  gElements.MainFont = CreateSpriteFont("Terminal 14", 0x000000, 0x0400D2, 0xD0D0D0);
  gElements.SmallFont = CreateSpriteFont("Consolas 9", 0x000000, 0x0000FF, 0xC0C0C0);
  BuildGamePages();
  InitHelp(gProg.dataFolder / "Help.txt", "Frame", "Panel", "Scroll Arrows", "Terminal 14",
           gView.window, lostDevice);
  InitRequesters("Frame", "Panel", "Button Short", "Scroll Arrows", "Terminal 14", 32, 8, 82,
                 gView.window, lostDevice);
  LoadRequesters(gProg.dataFolder / "Requesters.txt");
}

void FollowScreenSize(int dw, int dh) {
  // The race panel and the gear box stand by the track view's right edge;
  // the others in the middle of the screen. The panel's frame still runs to
  // the screen's foot; what stands in it keeps its size.
  for (int page : {1, 5}) MovePage(page, dw, 0);
  for (int page : {2, 3, 4, 6, kNextRacePage, kSeasonPage}) MovePage(page, dw / 2, dh / 2);
  if (gElements.RaceFrame != nullptr) gElements.RaceFrame->height = (PlatScreenHeight() + 31) / 32;
}
