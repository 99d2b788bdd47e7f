#include "editor/circuit_model.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "common/common.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/data_file.h"
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
      Range(0, 39), Range(kFirstSceneryTile, kSheetCells - 1), Range(42, 45), Range(40, 41), {}};
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

std::string SaveDrawing(CircuitEditor& editor, const std::string& name) {
  EndStroke(editor);
  std::string problem = CircuitNameProblem(name);
  if (!problem.empty()) return problem;
  if (IsShippedCircuit(name))
    return name + " is a circuit the game ships: save yours under another name";
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
  if (!PlatWriteFileAtomic(circuit, CircuitDocument())) {
    std::string why = WriteProblem(circuit);
    // The label file goes back to what it was.
    if (hadLabels) {
      PlatWriteFileAtomic(labelFile, oldLabels);
    } else if (!labels.empty()) {
      std::error_code ec;
      fs::remove(PlatDiskPath(labelFile), ec);
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
    fs::remove(oldCircuit, ec);
    const fs::path oldLabels = PlatDiskPath(folder / (other + " SL.txt"));
    if (!fs::equivalent(oldLabels, PlatDiskPath(labelFile), ec) && !ec) fs::remove(oldLabels, ec);
  }
  editor.name = name;
  editor.saved = editor.drawing;
  editor.unsaved = false;
  return "";
}
