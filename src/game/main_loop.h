// The game's loops: the main loop (menu, then the race screen, until the
// player quits), one pass of the race screen, and how long the game rests
// between frames.
#pragma once

// One pass of the race-screen loop (events, keys, edge scroll, the timed
// race step, device recovery, the frame).
void RaceScreenPass();
// The race-screen loop: passes until gameState becomes 1.
void RaceScreenLoop();
// The main loop: menu and race screen until the player quits.
void MainLoop();
// How long the game may rest after a frame, in ms (the platform's rest
// waker): 0 while the view moves, until the next step of a race running by
// itself or the menu race, else up to a second.
int RestBetweenFrames();
