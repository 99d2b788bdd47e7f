// The game started from an installed prefix, headless: "New Race" offers the
// player's own circuits beside the shipped ones, the player's copy of a
// shipped circuit is the one raced (and the commentary says so), and the "~"
// key names the player's folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dialogs/requester.h"
#include "engine/define.h"
#include "engine/folders.h"
#include "engine/gui_init.h"
#include "engine/init.h"
#include "engine/kb.h"
#include "engine/main_menu.h"
#include "engine/save_load.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
ButtonArray* gMenu = nullptr;
TextArea* gList = nullptr;
int gMenuFrame = 0;
int gListFrame = 0;
int gPick = 0;

void ClickAt(int x, int y) {
  PlatPushMouseMove(x, y);
  while (PlatNextWindowEvent() != kEventNone) {
  }
  PlatPushButtonUp(1);
}

// Greeting: Enter; then "New Race".
void MenuFrame() {
  switch (++gMenuFrame) {
    case 1:
      PlatPushTypedKey(kKeyReturn, "");
      break;
    case 2:
      ClickAt(gMenu->buttonX[0] + gMenu->buttonWidth / 2,
              gMenu->buttonY[0] + gMenu->buttonHeight / 2);
      break;
    default:
      break;
  }
}

// In the circuit list: click line gPick, then Enter.
void ListFrame() {
  if (gList == nullptr || gList->hidden != 0) return;
  switch (++gListFrame) {
    case 1:
      ClickAt(gList->x + 20, gList->y + gList->margin + gPick * 18 + 9);
      break;
    case 2:
      PlatPushTypedKey(kKeyReturn, "");
      break;
    default:
      break;
  }
}
}  // namespace

TEST(InstalledCopy, NewRaceOffersThePlayersCircuitsAndRacesTheirOwnOnAClash) {
  fs::path shipped = testing_support::SourceDir() / "game";
  if (!fs::exists(shipped / "Theme" / "Frame.png") ||
      !fs::exists(shipped / "Images" / "Tileset.png"))
    GTEST_SKIP() << "the shipped art is not in the game folder yet";
  fs::path root = testing_support::MakeTempDir("installed");
  fs::path share = root / "share" / "the-velotrax";
  fs::create_directories(root / "games");
  fs::create_directories(share.parent_path());
  fs::copy(shipped, share, fs::copy_options::recursive);
  setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
  testing_support::StartGameHeadless(1920, 1080, root / "games");
  unsetenv("XDG_DATA_HOME");
  fs::path mine = root / "xdg" / "the-velotrax";
  EXPECT_EQ(ProgramPathText(),
            (root / "games").string() + "/\r\nyour files: " + mine.string() + "/");

  // The player's "Harbour Loop" is really Puddleford Park; "Notes.txt" is not
  // a circuit and is not offered.
  Load(share / "Circuits" / "Puddleford Park.json");
  int cols = Base().cols, rows = Base().rows;
  ResetRaceData();
  fs::copy_file(share / "Circuits" / "Puddleford Park.json",
                mine / "Circuits" / "Harbour Loop.json");
  fs::copy_file(share / "Circuits" / "Puddleford Park.json", mine / "Circuits" / "My Own.json");
  testing_support::WriteBytes(mine / "Circuits" / "Notes.txt", "not a circuit");
  std::string list = CircuitList();
  EXPECT_EQ(
      list,
      "Diagonal Downs~Grand Serpentine~Harbour Loop~My Own~Puddleford Park~Switchback Ridge~");

  gMenu = gElements.MenuButtons;
  gList = nullptr;
  gMenuFrame = gListFrame = 0;
  gPick = 2;  // Harbour Loop
  LoopHooks saved = gHooks;
  gHooks.menuFrame = MenuFrame;
  gHooks.newRaceSetUp = [] {};
  SetModalFrameHook([] {
    if (gList == nullptr) gList = FindRequester("List Box")->textArea;
    ListFrame();
  });
  MainMenu();
  SetModalFrameHook(nullptr);
  gHooks = saved;
  EXPECT_EQ(gProg.gameState, 2);
  EXPECT_EQ(gProg.raceName, "Harbour Loop");
  EXPECT_EQ(Base().cols, cols);
  EXPECT_EQ(Base().rows, rows);
  const std::vector<std::string>& log = gElements.LogArea->lines;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "your own Harbour Loop is raced, not the shipped one");
  fs::remove_all(root);
}
