// Circuit building (tile grid -> node chain) and the track analysis the
// computer drivers rely on (distances to corners, corner list, values, ranks).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Fills Track() from the data folder's "Race Track Data.csv".
void LoadTrackTiles();
// Same, from a given file (the tools and tests use their own tables).
void LoadTrackTilesFrom(const std::filesystem::path& file);

struct Cell {
  int x = 0;
  int y = 0;
};
// The neighbouring cell in direction d; any other d leaves the cell as it is.
Cell StepCell(int d, int x, int y);
// The direction in which the path leaves `tile` entered in direction d.
int NextDirection(int d, int tile);
// Appends a node for a cell and makes it current.
void AddNode(int x, int y, int tile);
// The lane a penalty marker (42..45) puts the penalty on for a bend tile;
// -1 when the pair has no entry.
int LanePenalty(int marker, int tile);
bool TilesCompatible(int a, int b);
int TurnToward(int tile, int d);

struct SideTurn {
  int d = 0;
  int tile = 0;
  int x = 0;
  int y = 0;
};
// Where the path goes on beside (x, y) when the cell straight ahead holds
// `tile`, a side-turn tile (or no track at all).
SideTurn ResolveSideTile(int d, int tile, int x, int y);

// Rebuilds Node() from the tile layers and analyses it. A grid that cannot be
// raced (no start tile, a path off the grid or into itself, no corner, node 0
// inside a corner, a corner open at the last node) is a fatal error naming
// the cell or node.
void BuildTrack();

// What keeps a grid from being raced: the first line of the fatal error the
// game's loader would refuse it with (or, when it would load it all the
// same, of the message box it would show first); the first message box of
// the build, often far nearer the fault; and the cell where things first
// went wrong (-1, -1 when no message names one).
struct TrackProblem {
  std::string text;
  std::string first;
  int x = -1;
  int y = -1;
};
// BuildTrack for a drawing that may be anything: true when the track builds
// with nothing to complain of; otherwise false with the problem, and the
// program goes on (the circuit editor checks every stroke this way).
bool TryBuildTrack(TrackProblem& problem);

// A track tile or marker the racing path of the built track never reads: a
// piece beside the circuit, or a marker on a cell the path does not stand on.
// The game races such a circuit; its maker should hear of them all the same.
struct StrayPiece {
  int layer = 0;  // 0 base, 1 middle, 2 top
  int x = 0;
  int y = 0;
  int tile = 0;
};
// For Node() as BuildTrack left it, by layer and then by cell.
std::vector<StrayPiece> PiecesOffPath();
// A warning a line for each kind of piece, naming their cells.
std::vector<std::string> OffPathWarnings(const std::vector<StrayPiece>& pieces);

// Replaces the circuit's labels by those of a " SL.txt" file (none when the
// file does not exist).
void LoadCircuitLabels(const std::filesystem::path& file);

// Track analysis, run by BuildTrack.
void AnalyzeCorners();
int IsDiagonalStep(int x1, int y1, int x2, int y2);
int SetNodeDistance(int x, int y, int distance, int cornerType);
void BuildCornerList();
void SetCornerValues();
void RankCorners();
