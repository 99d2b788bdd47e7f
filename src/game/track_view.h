// One frame of the race screen: the three tile layers, the labels, the grid,
// the cars in their lanes, the pop-up under the pointer, then the GUI.
#pragma once

#include <string>

// Draws and presents one frame; leaves the current car and node as it found
// them and changes no race state.
void RenderFrame();

// The track view alone: ground, layers, labels, grid, cars (no GUI, no flip).
// What lies under the cars is kept in the renderer's backdrop and drawn
// again only when it changes.
void DrawTrackView();
// Off: every frame draws the ground afresh (the tests compare the two).
void SetGroundCache(bool on);
// The parts of a frame, in the order RenderFrame draws them.
void DrawTileLayers();
void DrawSpriteLabels();
void DrawGridOverlay();
// The cars, each gliding from where it was drawn to its place over the time
// of a step (the automatic-step interval, or a short moment for a step by
// key); a jump of more than two cells or so is not glided.
void DrawCars();
// The sheets' copies at a zoom are forgotten, to be made again: a screen
// opened again has freed them.
void ForgetScaledSheets();
// True while a car is still on its way (the loop keeps drawing then).
bool CarsGliding();
// Milliseconds since the latest frame began to be drawn: right after the
// frame is shown, what it cost (a software renderer's frame takes far longer
// than a graphics card's).
int FrameMsSoFar();
void DrawPopUp();
// The pop-up's "~"-lines for the cell under the pointer: the two lanes'
// cars of the first node on that cell; "" when there is nothing to show.
std::string PopUpText();
