// The track view's window and scrolling: where the circuit lies on the
// screen, the scroll limits, following a place, the edges and the wheel,
// and the circuit's labels placed over their cells.
#pragma once

struct ViewState {
  int window = 0;  // the game window's number
  int trackViewWidth = 0;
  int viewCols = 0;
  int viewRows = 0;
  int scrollX = 0;
  int scrollY = 0;
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
// A circuit or race was loaded: the view back to the top-left corner, the
// scroll limits of the circuit, its ground and its labels over their cells.
void ShowLoadedCircuit();
// Scrolls the view so the cell is as near the middle of the track view as the
// circuit's edges allow; the labels move with it.
void CentreView(int col, int row);
// Scrolls the view while the pointer rests within 50 pixels of an edge.
void EdgeScroll();
// The window callback: the mouse wheel scrolls the view 64 pixels a notch.
void WheelScroll(int delta);
