// The game's screens: the two fonts, the six pages of elements, then the help
// viewer and the requesters, built once at start-up in that order.
#pragma once

#include "minigui/mini_gui.h"
#include "game/view.h"

// The top of the gear panel's button frame as it is built (its information
// frame starts 64 pixels higher).
constexpr int kGearFrameTop = 172;
// The most lines the side panel gives the player's latest moves: one per car
// they drive.
constexpr int kOwnMoveLines = 4;

struct GameElements {
  SpriteFont* MainFont = nullptr;
  SpriteFont* SmallFont = nullptr;
  SpriteFont* MenuFont = nullptr;  // the main menu's larger face (MainFont if the theme has none)
  // Page 1: race screen side panel.
  Frame* RaceFrame = nullptr;
  TextArea* RaceInfoArea = nullptr;
  ButtonArray* RaceButtons = nullptr;
  Label* RaceNameLabel = nullptr;
  // What the player's latest move brought: the first line, and one more for
  // each further car the player drives (up to kOwnMoveLines), which the
  // commentary makes room for (side_panel).
  Label* OwnMoveLabel = nullptr;
  Label* MoreOwnMoveLabels[kOwnMoveLines - 1] = {};
  Frame* LogFrame = nullptr;
  int logFullHeight = 0;  // the commentary's height with one own-move line
  TextArea* LogArea = nullptr;
  TextArea* StandingsArea = nullptr;
  Label* KeyStripLabels[2] = {};  // the race screen's keys, under the running order
  // Page 2: main menu.
  Frame* MenuFrame = nullptr;
  ButtonArray* MenuButtons = nullptr;
  // Page 3: results and standings.
  Frame* ResultsFrame = nullptr;
  TextArea* ResultsTitleArea = nullptr;
  TextArea* ResultsArea = nullptr;
  // Page 4: new race set-up and car selection.
  Frame* CarSelectFrame = nullptr;
  TextArea* AvailableArea = nullptr;
  TextArea* InRaceArea = nullptr;
  ButtonArray* AllButton = nullptr;
  ButtonArray* MoveButtons = nullptr;
  KBArea* LapsEntry = nullptr;
  CheckBox* NewSeasonBox = nullptr;
  OptionBoxes* GridOptions = nullptr;
  CheckBox* RandomBox = nullptr;
  ButtonArray* CarSelectButtons = nullptr;
  // Page 5: gear choice.
  Frame* GearFrame = nullptr;
  ButtonArray* GearButtons = nullptr;
  // Beside it, what the next corner makes of each gear (gear_panel).
  Frame* GearInfoFrame = nullptr;
  Label* GearHeadLabel = nullptr;   // "Gear" over the buttons
  Label* GearTitleLabel = nullptr;  // the car that chooses and its driver
  Label* GearCornerLabel = nullptr;
  Label* GearSafeLabel = nullptr;
  Label* GearAdviceLabels[7] = {};
  // Page 6: cars the user drives.
  Frame* DriveFrame = nullptr;
  TextArea* DriveArea = nullptr;
  ButtonArray* DriveOKButton = nullptr;
  // Page 8 (the editor has 7): after the standings, the next race or the menu.
  Frame* NextRaceFrame = nullptr;
  Label* NextRaceLabel = nullptr;
  ButtonArray* NextRaceButtons = nullptr;
  // Page 9: the season in a chart (season_view), a table of places under it.
  Frame* SeasonFrame = nullptr;
  TextArea* SeasonTitleArea = nullptr;
  Frame* SeasonChartPanel = nullptr;
  TextArea* SeasonTableArea = nullptr;
};

extern GameElements gElements;

constexpr int kNextRacePage = 8;
constexpr int kSeasonPage = 9;

// Start-up steps from the toolkit to the requesters. Needs the window, the
// screen, gProg's folders and gView.trackViewWidth. lostDevice is handed to
// the toolkit, the help viewer and the requesters for their modal loops.
void BuildGameScreens(LostDeviceProc lostDevice);

// The six pages alone (fonts must exist): for BuildGameScreens and tests.
void BuildGamePages();

// The key strip's second line names the mute key; muted, it reads "unmute"
// on a red ground, so a silent game says why.
void ShowSoundMuted(bool muted);

// The screen grew or shrank by dw, dh: every page moves to where it would
// have been built at the new size.
void FollowScreenSize(int dw, int dh);
