// The main menu: new race, load race, quit, return.
#pragma once

#include <filesystem>
#include <string>

// Asked before "Quit" throws away a race that moved on since it was saved.
inline constexpr const char* kQuitQuestion =
    "Quit without saving your race?~Yes quits: the race since its last~"
    "save is lost. No keeps it: Return~goes back to it, Save Race keeps it.";
// Asked before "New Race" or "Load Race" replaces such a race.
inline constexpr const char* kLeaveRaceQuestion =
    "Start another race without saving?~Yes: the race since its last save~"
    "is lost. No keeps it: Return goes~back to it, Save Race keeps it.";

// Modal; returns with gameState 2 (run the race screen) or 3 (quit).
void MainMenu();
// After a race's standings: "Next Race" loads the circuit after it in the
// list and opens the set-up with the last race's choices; "Main Menu" (and
// anything that cannot go on) leaves gameState 1.
void OfferNextRace();
// The circuit after this one in the list ("" for the last or an unknown one).
std::string CircuitAfter(const std::string& name);
// Lets the player pick a race file of the folder and loads it: 1 when one
// was chosen and loaded, 0 when the choice was cancelled.
int ChooseRaceFile(const std::filesystem::path& folder);
void ShowWelcome();
// The index of the picked button, or -1 (right click, Escape).
int WaitMenuChoice(struct ButtonArray* buttons);
// One frame behind and around the menu.
void DrawMenuFrame();
