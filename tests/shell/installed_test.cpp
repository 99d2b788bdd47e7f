// The game started from an installed prefix, headless: "New Race" offers the
// player's own circuits beside the shipped ones, the player's copy of a
// shipped circuit is the one raced (and the commentary says so), and the "~"
// key names the player's folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dialogs/requester.h"
#include "race/define.h"
#include "race/folders.h"
#include "game/screens.h"
#include "game/init.h"
#include "game/keys.h"
#include "game/main_menu.h"
#include "race/save_load.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
// Scripted input, one step per frame: the menu's frames give Enter to the
// greeting, then "New Race", then "Quit"; the requesters' frames pick line
// gPick of the circuit list and close a message box, noting its text.
ButtonArray* gMenu = nullptr;
int gMenuFrame = 0;
int gListStep = 0;
int gPick = 0;
std::string gMessage;

void ClickAt(int x, int y) {
  PlatPushMouseMove(x, y);
  while (PlatNextWindowEvent() != kEventNone) {
  }
  PlatPushButtonUp(1);
}

void ClickMenu(int i) {
  ClickAt(gMenu->buttonX[i] + gMenu->buttonWidth / 2, gMenu->buttonY[i] + gMenu->buttonHeight / 2);
}

void MenuFrame() {
  switch (++gMenuFrame) {
    case 1:
      // The greeting's Return, on the first opening only: in the menu itself
      // Return takes the marked button.
      if (gScreen.gameState == 4) PlatPushTypedKey(kKeyReturn, "");
      break;
    case 2:
      ClickMenu(0);
      break;
    case 3:
      ClickMenu(2);
      break;
    default:
      break;
  }
}

void RequesterFrame() {
  TextArea* list = FindRequester("List Box")->textArea;
  TextArea* box = FindRequester("Message Box")->textArea;
  std::string shown;
  for (const std::string& line : box->lines) shown += line + "~";
  if (box->hidden == 0 && shown.find("cannot be raced") != std::string::npos) {
    gMessage = shown;
    PlatPushTypedKey(kKeyReturn, "");
  } else if (list->hidden == 0 && gListStep < 2) {
    if (++gListStep == 1) {
      ClickAt(list->x + 20, list->y + list->margin + gPick * 18 + 9);
    } else {
      PlatPushTypedKey(kKeyReturn, "");
    }
  }
}

// Runs the main menu with the script above; picks line `pick` of the list.
// Where NAME stands in the "New Race" list, so the picks follow the circuits
// the game ships.
int ListIndex(const std::string& name) {
  std::string list = CircuitList();
  int index = 0;
  for (size_t start = 0, end; (end = list.find('~', start)) != std::string::npos;
       start = end + 1, ++index)
    if (list.compare(start, end - start, name) == 0) return index;
  ADD_FAILURE() << name << " is not offered in " << list;
  return -1;
}

void RunMenu(int pick) {
  gMenu = gElements.MenuButtons;
  gMenuFrame = gListStep = 0;
  gPick = pick;
  gMessage.clear();
  LoopHooks saved = gHooks;
  gHooks.menuFrame = MenuFrame;
  gHooks.newRaceSetUp = [] {};
  SetModalFrameHook(RequesterFrame);
  MainMenu();
  SetModalFrameHook(nullptr);
  gHooks = saved;
}

// An installed prefix of the shipped game folder, started headless with the
// player's folder in PREFIX/xdg; returns the player's folder.
fs::path StartInstalled(const fs::path& root) {
  fs::path share = root / "share" / "the-velotrax";
  fs::create_directories(root / "games");
  fs::create_directories(share.parent_path());
  fs::copy(testing_support::SourceDir() / "game", share, fs::copy_options::recursive);
  setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
  testing_support::StartGameHeadless(1920, 1080, root / "games");
  unsetenv("XDG_DATA_HOME");
  return root / "xdg" / "the-velotrax";
}

bool ArtIsThere() {
  fs::path shipped = testing_support::SourceDir() / "game";
  return fs::exists(shipped / "Theme" / "Frame.png") &&
         fs::exists(shipped / "Images" / "Tileset.png");
}
}  // namespace

TEST(InstalledCopy, NewRaceOffersThePlayersCircuitsAndRacesTheirOwnOnAClash) {
  if (!ArtIsThere()) GTEST_SKIP() << "the shipped art is not in the game folder yet";
  fs::path root = testing_support::MakeTempDir("installed");
  fs::path mine = StartInstalled(root);
  fs::path share = root / "share" / "the-velotrax";
  EXPECT_EQ(ProgramPathText(),
            (root / "games").string() + "/\r\nyour files: " + mine.string() + "/");

  // The player's "Harbour Loop" is really Puddleford Park; "Notes.txt" is not
  // a circuit and is not offered.
  Load(share / "Circuits" / "Puddleford Park.json");
  ShowLoadedCircuit();
  int cols = Base().cols, rows = Base().rows;
  ResetRaceData();
  fs::copy_file(share / "Circuits" / "Puddleford Park.json",
                mine / "Circuits" / "Harbour Loop.json");
  fs::copy_file(share / "Circuits" / "Puddleford Park.json", mine / "Circuits" / "My Own.json");
  testing_support::WriteBytes(mine / "Circuits" / "Notes.txt", "not a circuit");
  EXPECT_EQ(CircuitList(),
            "Crossways Eight~Diagonal Downs~Grand Serpentine~Harbour Loop~My Own~"
            "Puddleford Park~Switchback Ridge~");

  RunMenu(ListIndex("Harbour Loop"));
  EXPECT_EQ(gScreen.gameState, 2);
  EXPECT_EQ(Options().raceName, "Harbour Loop");
  EXPECT_EQ(Base().cols, cols);
  EXPECT_EQ(Base().rows, rows);
  const std::vector<std::string>& log = gElements.LogArea->lines;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "your own Harbour Loop is raced, not the shipped one");
  fs::remove_all(root);
}

// A file of the player's that is not a circuit at all, or JSON that is not a
// raceable circuit: the reason in a box, back to the menu, the game goes on.
// The same in a portable copy, where the player's circuits sit in the game's
// own Circuits folder beside the shipped ones.
TEST(InstalledCopy, APlayersCircuitThatCannotBeRacedIsToldAndTheGameGoesOn) {
  if (!ArtIsThere()) GTEST_SKIP() << "the shipped art is not in the game folder yet";
  for (bool portable : {false, true}) {
    SCOPED_TRACE(portable ? "portable copy" : "installed copy");
    fs::path root = testing_support::MakeTempDir(portable ? "portable-bad" : "installed-bad");
    fs::path mine = root / "game";
    if (portable) {
      fs::copy(testing_support::SourceDir() / "game", mine, fs::copy_options::recursive);
      testing_support::StartGameHeadless(1920, 1080, mine);
    } else {
      mine = StartInstalled(root);
    }
    testing_support::WriteBytes(mine / "Circuits" / "Broken.json", "{ this is not JSON");
    testing_support::WriteBytes(mine / "Circuits" / "Empty Track.json",
                                "{\"Base\": [[1]], \"Middle\": [[0]], \"Top\": [[0]]}");
    for (const char* name : {"Broken", "Empty Track"}) {
      SCOPED_TRACE(name);
      RunMenu(ListIndex(name));
      EXPECT_EQ(gScreen.gameState, 3) << "the menu went on to Quit";
      EXPECT_EQ(gMessage.rfind(std::string("Your circuit ") + name + " cannot be raced:~", 0), 0u)
          << gMessage;
      EXPECT_TRUE(Options().raceName.empty());
      EXPECT_EQ(Base().cols, 1) << "nothing of the bad file is left";
    }
    EXPECT_NE(gMessage.find("circuit has no start tile"), std::string::npos) << gMessage;
    fs::remove_all(root);
  }
}
