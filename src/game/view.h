// The track view's window and its one view transform: where the circuit lies
// on the screen (zoom and scroll), the scroll limits, fitting a circuit to
// the view, following a place, the edges, the wheel and the zoom keys, and
// the circuit's labels placed over their cells. Every pick on the track goes
// back through the same transform.
#pragma once

// Zoom steps, in percent of the tile sheet's 64-pixel cells.
constexpr int kSmallestZoom = 50;
constexpr int kLargestZoom = 200;
constexpr int kZoomStep = 25;

struct ViewState {
  int window = 0;  // the game window's number
  int trackViewWidth = 0;
  int viewCols = 0;
  int viewRows = 0;
  int zoom = 100;
  // Screen pixels of the zoomed circuit left of and above the view's corner;
  // below 0 when a circuit smaller than the view is centred in it.
  int scrollX = 0;
  int scrollY = 0;
  int minScrollX = 0;
  int minScrollY = 0;
  int maxScrollX = 0;
  int maxScrollY = 0;
  // What the track view shows beyond the circuit: its most common scenery
  // tile (46, grass, until a circuit is loaded).
  int groundTile = 46;
  // Goes up whenever the view is set afresh (a start, a load): what was
  // drawn before (a car's glide) is forgotten then.
  int generation = 0;
};
extern ViewState gView;

// Back to the values the program starts with (for tests).
void ResetViewState();

// Sets the track-view geometry from the screen size.
void SetViewGeometry(int screenWidth, int screenHeight);
// The screen took a new size: the circuit keeps its zoom and, as far as the
// new limits allow, its place; the labels follow.
void RefitView();

// The view transform: a cell's size on the screen, and circuit pixels (64 a
// cell) to screen pixels and back.
int CellPixels();
int ScreenX(int circuitX);
int ScreenY(int circuitY);
int CircuitX(int screenX);
int CircuitY(int screenY);
// The largest zoom step at which the whole circuit fits the view (the
// smallest when none does).
int FitZoom();
// Zooms to a step (read as the nearest usable one) keeping the circuit point
// under the screen point where it is.
void ZoomAround(int zoom, int screenX, int screenY);
// A circuit or race was loaded: the largest zoom at which it fits, centred
// (a circuit larger than the view at the smallest zoom from its top-left
// corner), its ground and its labels over their cells.
void ShowLoadedCircuit();
// Scrolls the view so the cell is as near the middle of the track view as the
// circuit's edges allow; the labels move with it.
void CentreView(int col, int row);
// Scrolls the view by screen pixels, as far as the circuit's edges allow.
void ScrollViewBy(int dx, int dy);
// Scrolls the view while the pointer rests within 50 pixels of an edge.
void EdgeScroll();
// The window callback: the mouse wheel scrolls the view a cell a notch, or
// zooms around the pointer with Ctrl held.
void WheelScroll(int delta);
