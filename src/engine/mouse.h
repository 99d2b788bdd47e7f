// Mouse commands of the race screen and the view centring the race uses.
#pragma once

// Scrolls the view so that cell (col, row) is as near the middle of the track
// view as the circuit's edges allow; the labels follow.
void CentreView(int col, int row);
