// The circuit editor's drawing, apart from any screen: three tile layers and
// the labels, painted and undone step by step, checked through the race's own
// building and analysis after every change, and saved as the game's circuit
// file and label file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "race/analyze.h"
#include "race/define.h"

// A new circuit's columns and rows, and what the editor opens.
constexpr int kEditorSmallest = 8;
constexpr int kEditorLargest = 64;
// Undo reaches back this many steps (a stroke of the mouse is one).
constexpr int kEditorUndoSteps = 200;
// What a cleared cell of the base layer shows: the grass a new circuit has.
constexpr int kEditorGround = 46;

// The palette's groups. Track and scenery both paint the base layer.
enum EditorTab { kTabTrack = 0, kTabScenery, kTabLanes, kTabCorners, kTabLabels, kEditorTabs };
// The layer (0 base, 1 middle, 2 top) a tab paints; -1 for labels.
int TabLayer(int tab);
// The tiles of a tab, in palette order (none for labels).
const std::vector<int>& TabTiles(int tab);
// What a tile is, as the palette names it ("straight west-east", ...).
std::string TileName(int tile);

// The right-angle brushes among the Corners tab's tiles: each lays the two
// bend tiles of a 90 degree turn in one click on the turn's corner cell
// (the cell a square corner would take, which the bends cut off).
constexpr int kFirstRightAngle = 1000;
enum RightAngle { kTurnEastSouth = 0, kTurnWestSouth, kTurnEastNorth, kTurnWestNorth, kRightAngles };
bool IsRightAngleBrush(int tile);

struct EditorLabel {
  std::string text;  // Windows-1252
  int x = 0;
  int y = 0;
  bool operator==(const EditorLabel&) const = default;
};

struct CircuitDrawing {
  Grid layers[3];  // base, middle, top
  std::vector<EditorLabel> labels;
  int Cols() const { return layers[0].cols; }
  int Rows() const { return layers[0].rows; }
};
bool SameDrawing(const CircuitDrawing& a, const CircuitDrawing& b);

// The outcome of a check: whether the drawing builds, and if not why (as the
// game's loader and the circuit tool word it) and where it first went wrong;
// when it does, the warnings the circuit tool gives about pieces off the
// path and its start grid. A
// drawing whose build shows a message box does not build here, though the
// loader would race it after the box.
struct DrawingCheck {
  bool builds = false;
  std::string problem;  // what the loader refuses it with
  std::string first;    // the first complaint of the build, when another
  int cellX = -1;
  int cellY = -1;
  // Every start tile, where there is more than one (each is at fault).
  std::vector<std::pair<int, int>> starts;
  std::vector<std::string> warnings;
  std::vector<StrayPiece> offPath;  // pieces the warnings name, for marking
  int nodes = 0;
  int corners = 0;
};

struct CellChange {
  int layer = 0;
  int x = 0;
  int y = 0;
  int before = 0;
  int after = 0;
};
struct EditStep {
  std::vector<CellChange> cells;
  bool labelsChanged = false;
  std::vector<EditorLabel> labelsBefore;
  std::vector<EditorLabel> labelsAfter;
};

struct CircuitEditor {
  CircuitDrawing drawing;
  std::vector<EditStep> undo;
  std::vector<EditStep> redo;
  EditStep stroke;      // the step being painted
  bool stroking = false;
  // The drawing as it was opened or last saved, and whether the drawing
  // differs from it now (kept by every paint, undo and redo).
  CircuitDrawing saved;
  bool unsaved = false;
  std::string name;      // the name it was saved under ("" never saved)
  bool draft = false;    // and it was kept as a draft there
  DrawingCheck check;
  int field = 0;  // cars of a full field, for the grid warnings
};

// A blank circuit: grass on the base layer, nothing above it.
void NewDrawing(CircuitEditor& editor, int cols, int rows);
// The drawing of the circuit now loaded in the race data (its layers and
// labels); the undo history starts empty.
void DrawingFromRace(CircuitEditor& editor);

// Painting. Paint outside a stroke is a step of its own; inside one, every
// cell painted until EndStroke is undone together. Each returns true when
// something changed.
void BeginStroke(CircuitEditor& editor);
bool Paint(CircuitEditor& editor, int layer, int x, int y, int tile);
bool ClearCell(CircuitEditor& editor, int layer, int x, int y);
void EndStroke(CircuitEditor& editor);
// The label on a cell ("" none); setting "" removes it. One step.
std::string LabelAt(const CircuitEditor& editor, int x, int y);
bool SetLabel(CircuitEditor& editor, int x, int y, const std::string& text);
// The two bends of right-angle brush `tile` around corner cell (x, y), and
// that cell cleared where it held track: one step. False, with nothing
// painted, when the turn would not fit on the grid.
bool PaintRightAngle(CircuitEditor& editor, int tile, int x, int y);
bool Undo(CircuitEditor& editor);
bool Redo(CircuitEditor& editor);

// Puts the drawing into the race data and builds it there, as the game
// would build it on loading; the result is kept in editor.check. On success
// Node() and Corner() hold the built track.
const DrawingCheck& CheckDrawing(CircuitEditor& editor);
// The drawing's layers (and nothing else) into the race data.
void DrawingToRace(const CircuitDrawing& drawing);

// Whether two names are one circuit: letter case does not count, on any
// system, since some systems keep the two in one file.
bool SameCircuitName(const std::string& a, const std::string& b);
// Circuit names the game ships, in any letter case: never replaced, never
// hidden by one of the player's.
bool IsShippedCircuit(const std::string& name);
// Why a name cannot be a circuit's file name ("" when it can).
std::string CircuitNameProblem(const std::string& name);
// Where the player's circuits go.
std::filesystem::path PlayerCircuitsFolder();
// The player's circuit of that name in any letter case, as it is spelt on
// disk ("" none).
std::string PlayerCircuitLike(const std::string& name);

// Saves the drawing as the player's circuit `name`: the circuit file and its
// label file, each replaced atomically. A drawing that does not build, a
// shipped name or a folder that cannot be written is refused with the
// reason, and nothing on disk changes. "" on success.
// Replaces the player's draft of that name once it is a circuit.
std::string SaveDrawing(CircuitEditor& editor, const std::string& name);

// Drafts: drawings that do not build yet, kept in a folder of their own
// under the player's circuits, where no list of circuits looks and no race
// is loaded from.
std::filesystem::path PlayerDraftsFolder();
// The player's drafts by name, sorted.
std::vector<std::string> DraftNames();
// The player's draft of that name in any letter case, as spelt on disk.
std::string PlayerDraftLike(const std::string& name);
// Saves the drawing, whether it builds or not, as the player's draft
// `name` (its file and label file, each replaced atomically); the names
// are those of circuits. "" on success, else why, and nothing changed.
std::string SaveDraft(CircuitEditor& editor, const std::string& name);
// Opens the player's draft `name` as it was saved; "" or why not.
std::string OpenDraft(CircuitEditor& editor, const std::string& name);

// A line of a list of circuits: the player's own marked as theirs, so the
// lists of the editor and of a new race mark them alike.
bool IsPlayersCircuit(const std::string& name);
std::string CircuitListLine(const std::string& name);
std::string DraftListLine(const std::string& name);
