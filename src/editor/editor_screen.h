// The circuit editor's screen: the track view with a palette beside it,
// painting with the mouse, the check of every change shown on the circuit,
// saving into the player's circuits and test drives of computer cars.
#pragma once

#include "editor/circuit_model.h"
#include "minigui/mini_gui.h"

// The editor's elements (page kEditorPage), built the first time it opens.
constexpr int kEditorPage = 7;
constexpr int kEditorKeyRows = 5;
struct EditorScreen {
  Frame* frame = nullptr;
  Label* title = nullptr;
  ButtonArray* tabs = nullptr;      // Track, Scenery, Lanes, Corners, Labels
  Label* hover[2] = {};
  Label* keys[kEditorKeyRows] = {};  // the key strip above the commands
  TextArea* status = nullptr;
  int statusRows = 0;  // it shows one fewer, over a line saying more is below
  ButtonArray* commands = nullptr;  // Save, Test Drive, Undo, Redo, Help, Close
  ButtonArray* back = nullptr;      // during a test drive
  int paletteX = 0, paletteY = 0;   // the palette's top-left corner
  int paletteColumns = 6;
  int paletteCell = 28;  // pixels of a tile, plus a pixel between tiles
  int tab = kTabTrack;
  int tile[kEditorTabs] = {0, kEditorGround, 42, 40, 0};  // the pick of each tab
};
extern EditorScreen gEditorScreen;

// The command buttons, in order.
enum EditorCommand { kCmdSave = 0, kCmdTestDrive, kCmdUndo, kCmdRedo, kCmdHelp, kCmdClose };

// "Circuit Editor" of the main menu: a new circuit or one of the list, then
// the editor until the player closes it. Whatever was on the board before
// (a race left for the menu, the race behind the menu) is as it was after.
void RunCircuitEditor();

// The drawing being edited (tests look at it).
CircuitEditor& EditedCircuit();
// Called at the end of every frame of the editor and its test drive (tests
// script input there; nullptr: nothing).
void SetEditorFrameHook(void (*hook)());
// The screen position of the palette's i-th tile (its middle).
void PaletteTilePoint(int index, int& x, int& y);
// The wheel over the editor's status scrolls it a line a notch (true);
// anywhere else it is the view's (false). The editor's window callback.
bool ScrollEditorStatus(int x, int y, int lines);
// True while a test drive is on.
bool TestDriveRunning();
