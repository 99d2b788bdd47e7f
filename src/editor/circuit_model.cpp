#include "editor/circuit_model.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "common/common.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "race/folders.h"
#include "race/grid_warnings.h"
#include "race/save_load.h"

namespace fs = std::filesystem;

namespace {
std::vector<int> Range(int first, int last) {
  std::vector<int> tiles;
  for (int t = first; t <= last; ++t) tiles.push_back(t);
  return tiles;
}

// Where the label at (x, y) sits in the list, or -1.
int LabelIndex(const std::vector<EditorLabel>& labels, int x, int y) {
  for (size_t i = 0; i < labels.size(); ++i)
    if (labels[i].x == x && labels[i].y == y) return static_cast<int>(i);
  return -1;
}

// Compared with the save rather than counted by steps: undoing back to the
// saved drawing, or painting a cell back by hand, leaves nothing unsaved.
void NoteChange(CircuitEditor& editor) {
  editor.unsaved = !SameDrawing(editor.drawing, editor.saved);
}

void PushStep(CircuitEditor& editor, EditStep step) {
  editor.undo.push_back(std::move(step));
  if (editor.undo.size() > static_cast<size_t>(kEditorUndoSteps))
    editor.undo.erase(editor.undo.begin());
  editor.redo.clear();
  NoteChange(editor);
}

void Apply(CircuitDrawing& drawing, const EditStep& step, bool forward) {
  if (forward) {
    for (const CellChange& c : step.cells) drawing.layers[c.layer](c.x, c.y) = c.after;
  } else {
    for (auto it = step.cells.rbegin(); it != step.cells.rend(); ++it)
      drawing.layers[it->layer](it->x, it->y) = it->before;
  }
  if (step.labelsChanged) drawing.labels = forward ? step.labelsAfter : step.labelsBefore;
}

// The text a label may hold: its file keeps one label a line, the fields
// split at commas, and a line opening with ";" is a comment.
std::string CleanLabel(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ',' && static_cast<unsigned char>(c) >= 32) out += c;
  out = TrimSpaces(out);
  while (!out.empty() && out.front() == ';') out = TrimSpaces(out.substr(1));
  return out;
}

std::string WriteProblem(const fs::path& file) {
  const int error = errno;
  return "could not write file: " + file.string() +
         (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string());
}

// A Windows-1252 name as a file system that ignores case sees it: "Über"
// and "über" are one file on Windows and on a Mac, so they are one circuit
// everywhere.
std::string FoldCase(std::string text) {
  for (char& c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
      c = static_cast<char>(u + 0x20);
    else if (u == 0x8A || u == 0x8C || u == 0x8E)  // Š Œ Ž
      c = static_cast<char>(u + 0x10);
    else if (u == 0x9F)  // Ÿ
      c = static_cast<char>(0xFF);
  }
  return text;
}

// The circuits of a folder whose names differ from `name` in case only (or
// not at all), as they are spelt there.
std::vector<std::string> CircuitsNamedLike(const fs::path& folder, const std::string& name) {
  std::vector<PlatFolderEntry> entries;
  std::vector<std::string> found;
  if (!PlatListFolder(folder, "*.json", entries)) return found;
  const std::string folded = FoldCase(name);
  for (const PlatFolderEntry& entry : entries) {
    if (entry.isFolder || entry.name.size() <= 5) continue;
    const std::string stem = entry.name.substr(0, entry.name.size() - 5);
    if (FoldCase(stem) == folded) found.push_back(stem);
  }
  return found;
}

// The circuits this build ships, as the build found them in game/Circuits,
// case folded.
std::set<std::string> ShippedNames() {
  std::set<std::string> names;
#ifdef VELOTRAX_SHIPPED_CIRCUITS
  std::string list = VELOTRAX_SHIPPED_CIRCUITS;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find('~', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.insert(FoldCase(list.substr(start, end - start)));
    start = end + 1;
  }
#endif
  return names;
}
}  // namespace

int TabLayer(int tab) {
  switch (tab) {
    case kTabTrack:
    case kTabScenery: return 0;
    case kTabLanes: return 1;
    case kTabCorners: return 2;
    default: return -1;
  }
}

const std::vector<int>& TabTiles(int tab) {
  static const std::vector<int> kTiles[kEditorTabs] = {
      Range(0, 39), Range(kFirstSceneryTile, kSheetCells - 1), Range(42, 45),
      {kFirstRightAngle + kTurnEastSouth, kFirstRightAngle + kTurnWestSouth,
       kFirstRightAngle + kTurnEastNorth, kFirstRightAngle + kTurnWestNorth, 40, 41},
      {}};
  static const std::vector<int> kNone;
  return tab >= 0 && tab < kEditorTabs ? kTiles[tab] : kNone;
}

std::string TileName(int tile) {
  // In words a player reads without the help: sides and corners of the cell.
  static const char* const kTrack[16] = {
      "straight: west to east",   "straight: north to south",
      "diagonal: north-east to south-west", "diagonal: north-west to south-east",
      "bend: south to north-east", "bend: south to north-west",
      "bend: north to south-east", "bend: north to south-west",
      "bend: west to south-east",  "bend: west to north-east",
      "bend: east to south-west",  "bend: east to north-west",
      "side turn: east",           "side turn: south",
      "side turn: west",           "side turn: north"};
  static const char* const kStart[4] = {"start: cars leave west", "start: cars leave north",
                                        "start: cars leave east", "start: cars leave south"};
  if (IsRightAngleBrush(tile)) {
    // Both hover lines: the sides it joins, then how it is laid.
    static const char* const kTurns[kRightAngles] = {"east, south", "west, south",
                                                     "east, north", "west, north"};
    return std::string("right angle: ") + kTurns[tile - kFirstRightAngle] +
           "; click the corner cell";
  }
  if (tile == kCrossingTile) return "crossing";
  if (tile >= 0 && tile < 16) return kTrack[tile];
  if (tile > 16 && tile < 32) return std::string(kTrack[tile - 16]) + " (2)";
  if (tile >= 32 && tile < 36) return kStart[tile - 32];
  if (tile >= 36 && tile < 40) return std::string(kStart[tile - 36]) + " (2)";
  // One marker opens a corner and the next one closes it.
  if (tile == 40) return "hairpin marker: mark where it begins and ends";
  if (tile == 41) return "sharp corner marker: mark where it begins and ends";
  if (tile >= 42 && tile <= 45) return "lane penalty " + Decimal(tile - 41);
  static const char* const kScenery[] = {"grass", "rough grass", "trees", "water", "grandstand",
                                         "pit building", "sand"};
  if (tile >= kFirstSceneryTile && tile < kFirstSceneryTile + 7)
    return kScenery[tile - kFirstSceneryTile];
  if (tile >= kFirstSceneryTile && tile < kSheetCells) return "scenery " + Decimal(tile);
  return "nothing";
}

bool SameDrawing(const CircuitDrawing& a, const CircuitDrawing& b) {
  for (int k = 0; k < 3; ++k)
    if (a.layers[k].cols != b.layers[k].cols || a.layers[k].rows != b.layers[k].rows ||
        a.layers[k].cells != b.layers[k].cells)
      return false;
  return a.labels == b.labels;
}

void NewDrawing(CircuitEditor& editor, int cols, int rows) {
  const int field = editor.field;
  editor = CircuitEditor{};
  editor.field = field;
  for (int k = 0; k < 3; ++k) editor.drawing.layers[k].Resize(cols, rows, k == 0 ? kEditorGround : -1);
  editor.saved = editor.drawing;
}

void DrawingFromRace(CircuitEditor& editor) {
  const int field = editor.field;
  editor = CircuitEditor{};
  editor.field = field;
  editor.drawing.layers[0] = Base();
  editor.drawing.layers[1] = Middle();
  editor.drawing.layers[2] = Top();
  for (const CircuitLabel& label : RaceNow().labels)
    editor.drawing.labels.push_back({label.text, label.x / kTileSize, label.y / kTileSize});
  editor.saved = editor.drawing;
}

void BeginStroke(CircuitEditor& editor) {
  EndStroke(editor);
  editor.stroking = true;
}

bool Paint(CircuitEditor& editor, int layer, int x, int y, int tile) {
  if (layer < 0 || layer > 2) return false;
  Grid& grid = editor.drawing.layers[layer];
  if (!grid.Inside(x, y) || tile < -1 || tile >= kSheetCells || grid(x, y) == tile) return false;
  CellChange change{layer, x, y, grid(x, y), tile};
  grid(x, y) = tile;
  if (editor.stroking) {
    // Marked while the button is still held, not only when the stroke ends.
    editor.stroke.cells.push_back(change);
    NoteChange(editor);
  } else {
    EditStep step;
    step.cells.push_back(change);
    PushStep(editor, std::move(step));
  }
  return true;
}

bool ClearCell(CircuitEditor& editor, int layer, int x, int y) {
  return Paint(editor, layer, x, y, layer == 0 ? kEditorGround : -1);
}

void EndStroke(CircuitEditor& editor) {
  if (!editor.stroking) return;
  editor.stroking = false;
  if (!editor.stroke.cells.empty()) PushStep(editor, std::move(editor.stroke));
  editor.stroke = EditStep{};
}

std::string LabelAt(const CircuitEditor& editor, int x, int y) {
  int i = LabelIndex(editor.drawing.labels, x, y);
  return i < 0 ? "" : editor.drawing.labels[i].text;
}

bool SetLabel(CircuitEditor& editor, int x, int y, const std::string& given) {
  if (!editor.drawing.layers[0].Inside(x, y)) return false;
  EndStroke(editor);
  const std::string text = CleanLabel(given);
  std::vector<EditorLabel> labels = editor.drawing.labels;
  int i = LabelIndex(labels, x, y);
  if (i >= 0 && text.empty()) {
    labels.erase(labels.begin() + i);
  } else if (i >= 0) {
    labels[i].text = text;
  } else if (!text.empty() && labels.size() < static_cast<size_t>(kMostLabels)) {
    labels.push_back({text, x, y});
  }
  if (labels == editor.drawing.labels) return false;
  EditStep step;
  step.labelsChanged = true;
  step.labelsBefore = editor.drawing.labels;
  step.labelsAfter = labels;
  editor.drawing.labels = labels;
  PushStep(editor, std::move(step));
  return true;
}

bool IsRightAngleBrush(int tile) {
  return tile >= kFirstRightAngle && tile < kFirstRightAngle + kRightAngles;
}

bool PaintRightAngle(CircuitEditor& editor, int tile, int x, int y) {
  if (!IsRightAngleBrush(tile)) return false;
  // Per brush: the side (east +1, west -1) and the end (south +1, north -1)
  // the turn joins. The bend beside the corner cell on that side joins the
  // side to a diagonal; the bend beside it at that end joins the diagonal
  // to the end, so the track runs across the corner cell's own corner.
  struct Turn {
    int dx, dy;
    int sideTile, endTile;
  };
  static const Turn kTurns[kRightAngles] = {
      {1, 1, 10, 4},   // east and south-west, south and north-east
      {-1, 1, 8, 5},   // west and south-east, south and north-west
      {1, -1, 11, 6},  // east and north-west, north and south-east
      {-1, -1, 9, 7},  // west and north-east, north and south-west
  };
  const Turn& t = kTurns[tile - kFirstRightAngle];
  const Grid& base = editor.drawing.layers[0];
  if (!base.Inside(x, y) || !base.Inside(x + t.dx, y) || !base.Inside(x, y + t.dy)) return false;
  const bool stroke = editor.stroking;
  if (!stroke) BeginStroke(editor);
  bool changed = Paint(editor, 0, x + t.dx, y, t.sideTile);
  changed = Paint(editor, 0, x, y + t.dy, t.endTile) || changed;
  // The corner cell is left to the grass: track there would lie off the path.
  const int corner = base(x, y);
  if (corner >= 0 && corner < 40) changed = ClearCell(editor, 0, x, y) || changed;
  if (!stroke) EndStroke(editor);
  return changed;
}

bool Undo(CircuitEditor& editor) {
  EndStroke(editor);
  if (editor.undo.empty()) return false;
  Apply(editor.drawing, editor.undo.back(), false);
  editor.redo.push_back(std::move(editor.undo.back()));
  editor.undo.pop_back();
  NoteChange(editor);
  return true;
}

bool Redo(CircuitEditor& editor) {
  EndStroke(editor);
  if (editor.redo.empty()) return false;
  Apply(editor.drawing, editor.redo.back(), true);
  editor.undo.push_back(std::move(editor.redo.back()));
  editor.redo.pop_back();
  NoteChange(editor);
  return true;
}

void DrawingToRace(const CircuitDrawing& drawing) {
  Base() = drawing.layers[0];
  Middle() = drawing.layers[1];
  Top() = drawing.layers[2];
}

const DrawingCheck& CheckDrawing(CircuitEditor& editor) {
  DrawingToRace(editor.drawing);
  // A failed build may leave a corner open in the node builder; the game
  // builds a loaded circuit after one that closed its corners.
  RaceNow().inCornerMark = 0;
  RaceNow().cornerMarkType = 0;
  DrawingCheck check;
  TrackProblem problem;
  check.builds = TryBuildTrack(problem);
  if (!check.builds) {
    check.problem = problem.text;
    if (problem.first != problem.text) check.first = problem.first;
    check.cellX = problem.x;
    check.cellY = problem.y;
    const Grid& base = editor.drawing.layers[0];
    for (int x = 0; x < base.cols; ++x)
      for (int y = 0; y < base.rows; ++y)
        if (base(x, y) >= 32 && base(x, y) <= 39) check.starts.push_back({x, y});
    if (check.starts.size() < 2) check.starts.clear();
    Node().clear();
    Corner().clear();
    RaceNow().inCornerMark = 0;
    RaceNow().cornerMarkType = 0;
  } else {
    check.nodes = static_cast<int>(Node().size());
    check.corners = static_cast<int>(Corner().size());
    check.offPath = PiecesOffPath();
    check.warnings = OffPathWarnings(check.offPath);
    if (editor.field > 0)
      for (const std::string& line : GridWarningsFor(editor.field)) check.warnings.push_back(line);
  }
  editor.check = check;
  return editor.check;
}

bool SameCircuitName(const std::string& a, const std::string& b) {
  return FoldCase(a) == FoldCase(b);
}

bool IsShippedCircuit(const std::string& name) {
  static const std::set<std::string> kShipped = ShippedNames();
  if (kShipped.count(FoldCase(name)) != 0) return true;
  // An installed copy keeps the shipped circuits apart from the player's.
  return gProg.playerCircuitsFolder != gProg.circuitsFolder &&
         !CircuitsNamedLike(gProg.circuitsFolder, name).empty();
}

std::string CircuitNameProblem(const std::string& name) {
  if (name.empty()) return "a circuit needs a name";
  if (name.size() > 60) return "a name of at most 60 letters, please";
  // Named one by one, so the player sees what to leave out; "~" is written
  // as a word, since it breaks lines in the game's boxes and splits its lists.
  std::vector<std::string> held;
  for (unsigned char c : name) {
    std::string what;
    if (c < 32 || c == 127)
      what = "a control character";
    else if (c == '~')
      what = "a tilde";
    else if (std::strchr("/\\:*?\"<>|", c) != nullptr)
      what = std::string(1, static_cast<char>(c));
    if (!what.empty() && std::find(held.begin(), held.end(), what) == held.end())
      held.push_back(what);
  }
  if (!held.empty()) {
    std::string list = held[0];
    for (size_t i = 1; i < held.size(); ++i)
      list += (i + 1 == held.size() ? " and " : ", ") + held[i];
    return "a circuit's name may not hold " + list + " (it is the name of its file): leave " +
           (held.size() == 1 ? "it" : "them") + " out";
  }
  if (name != TrimSpaces(name) || name.front() == '.' || name.back() == '.')
    return "a name may not begin or end with a blank or a dot";
  // Windows opens a device for these whatever follows the first dot, and
  // blanks before that dot do not count.
  const std::string device = FoldCase(TrimSpaces(name.substr(0, name.find('.'))));
  bool reserved = device == "con" || device == "prn" || device == "aux" || device == "nul" ||
                  device == "conin$" || device == "conout$";
  if (device.size() == 4 && (device.starts_with("com") || device.starts_with("lpt"))) {
    const unsigned char digit = static_cast<unsigned char>(device[3]);
    reserved = (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  std::string shown = device;
  for (char& c : shown)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (reserved)
    return shown + " is the name of a device on Windows, with or without an ending " +
           "after a dot, and cannot be a circuit's: choose another name";
  return "";
}

fs::path PlayerCircuitsFolder() {
  return gProg.playerCircuitsFolder.empty() ? gProg.circuitsFolder : gProg.playerCircuitsFolder;
}

std::string PlayerCircuitLike(const std::string& name) {
  const std::vector<std::string> found = CircuitsNamedLike(PlayerCircuitsFolder(), name);
  return found.empty() ? "" : found.front();
}

namespace {
// Writes the drawing as `name` into `folder`: its label file, then its
// document, each replaced atomically; a failed document puts the label file
// back. Other spellings of the name there go after (the same file where the
// system ignores case). "" or why nothing changed.
std::string WriteDrawingFiles(CircuitEditor& editor, const fs::path& folder,
                              const std::string& name, const std::string& document) {
  const fs::path circuit = folder / (name + ".json");
  const fs::path labelFile = folder / (name + " SL.txt");

  std::string labels;
  for (const EditorLabel& label : editor.drawing.labels)
    labels += label.text + ", " + Decimal(label.x) + ", " + Decimal(label.y) + "\r\n";
  // A circuit replaced keeps no labels of the one before it.
  std::string oldLabels;
  const bool hadLabels = PlatFileSize(labelFile) >= 0;
  if (hadLabels && !PlatReadFile(labelFile, oldLabels)) return "could not read file: " + labelFile.string();
  if (!labels.empty() || hadLabels) {
    errno = 0;
    if (!PlatWriteFileAtomic(labelFile, labels)) return WriteProblem(labelFile);
  }
  errno = 0;
  if (!PlatWriteFileAtomic(circuit, document)) {
    std::string why = WriteProblem(circuit);
    // The label file goes back to what it was.
    if (hadLabels) {
      PlatWriteFileAtomic(labelFile, oldLabels);
    } else if (!labels.empty()) {
      PlatRemoveFile(labelFile);
    }
    return why;
  }
  // A circuit saved under a new spelling of its name replaces the old
  // spelling's files where the system tells the two apart (where it does
  // not, they are the file just written).
  for (const std::string& other : CircuitsNamedLike(folder, name)) {
    if (other == name) continue;
    std::error_code ec;
    const fs::path oldCircuit = PlatDiskPath(folder / (other + ".json"));
    if (fs::equivalent(oldCircuit, PlatDiskPath(circuit), ec) || ec) continue;
    PlatRemoveFile(folder / (other + ".json"));
    const fs::path oldLabels = folder / (other + " SL.txt");
    if (!fs::equivalent(PlatDiskPath(oldLabels), PlatDiskPath(labelFile), ec) && !ec)
      PlatRemoveFile(oldLabels);
  }
  return "";
}

// Removes the player's draft of that name in every spelling, once the
// circuit it became is on disk. A draft that cannot be removed stays: it is
// listed still, and nothing is lost.
void RemoveDraft(const std::string& name) {
  const fs::path folder = PlayerDraftsFolder();
  for (const std::string& spelt : CircuitsNamedLike(folder, name)) {
    PlatRemoveFile(folder / (spelt + " SL.txt"));
    PlatRemoveFile(folder / (spelt + ".json"));
  }
}

// What keeps a name from being saved at all, as circuit or as draft.
std::string NameRefused(const std::string& name) {
  std::string problem = CircuitNameProblem(name);
  if (problem.empty() && IsShippedCircuit(name))
    problem = name + " is a circuit the game ships: save yours under another name";
  return problem;
}
}  // namespace

std::string SaveDrawing(CircuitEditor& editor, const std::string& name) {
  EndStroke(editor);
  std::string problem = NameRefused(name);
  if (!problem.empty()) return problem;
  const DrawingCheck& check = CheckDrawing(editor);
  if (!check.builds) {
    std::string where = check.cellX >= 0 ? " (cell " + Decimal(check.cellX) + ", " +
                                               Decimal(check.cellY) + ")"
                                         : std::string();
    return "it does not build yet: " + check.problem + where;
  }
  const fs::path folder = PlayerCircuitsFolder();
  if (!PlatIsFolder(folder) && !PlatCreateFolder(folder))
    return "could not create directory: " + folder.string();
  problem = WriteDrawingFiles(editor, folder, name, CircuitDocument());
  if (!problem.empty()) return problem;
  RemoveDraft(name);
  editor.name = name;
  editor.draft = false;
  editor.saved = editor.drawing;
  editor.unsaved = false;
  return "";
}

fs::path PlayerDraftsFolder() {
  return PlayerCircuitsFolder() / kDraftsFolder;
}

std::vector<std::string> DraftNames() {
  std::vector<std::string> names;
  std::vector<PlatFolderEntry> entries;
  if (!PlatIsFolder(PlayerDraftsFolder()) || !PlatListFolder(PlayerDraftsFolder(), "*.json", entries))
    return names;
  for (const PlatFolderEntry& entry : entries)
    if (!entry.isFolder && entry.name.size() > 5) names.push_back(entry.name.substr(0, entry.name.size() - 5));
  std::sort(names.begin(), names.end());
  return names;
}

std::string PlayerDraftLike(const std::string& name) {
  const std::vector<std::string> found = CircuitsNamedLike(PlayerDraftsFolder(), name);
  return found.empty() ? "" : found.front();
}

std::string SaveDraft(CircuitEditor& editor, const std::string& name) {
  EndStroke(editor);
  std::string problem = NameRefused(name);
  if (!problem.empty()) return problem;
  const fs::path circuits = PlayerCircuitsFolder(), folder = PlayerDraftsFolder();
  for (const fs::path& f : {circuits, folder})
    if (!PlatIsFolder(f) && !PlatCreateFolder(f)) return "could not create directory: " + f.string();
  DrawingToRace(editor.drawing);
  problem = WriteDrawingFiles(editor, folder, name, CircuitDocument(true));
  if (!problem.empty()) return problem;
  editor.name = name;
  editor.draft = true;
  editor.saved = editor.drawing;
  editor.unsaved = false;
  return "";
}

std::string OpenDraft(CircuitEditor& editor, const std::string& name) {
  const fs::path folder = PlayerDraftsFolder();
  const bool throws = FatalThrows();
  SetFatalThrows(true);
  std::string problem;
  try {
    LoadDrawing(folder / (name + ".json"));
    LoadCircuitLabels(folder / (name + " SL.txt"));
  } catch (const FatalError& error) {
    const std::string text = error.what();
    problem = text.substr(0, text.find("\r\n"));
  }
  SetFatalThrows(throws);
  if (!problem.empty()) return problem;
  DrawingFromRace(editor);
  editor.name = name;
  editor.draft = true;
  return "";
}

bool IsPlayersCircuit(const std::string& name) {
  return CircuitHidesShipped(name) || !IsShippedCircuit(name);
}

std::string CircuitListLine(const std::string& name) {
  return IsPlayersCircuit(name) ? name + " (yours)" : name;
}

std::string DraftListLine(const std::string& name) {
  return name + " (draft)";
}
