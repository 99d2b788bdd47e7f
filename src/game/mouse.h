// What lies under the mouse pointer on the track view.
#pragma once

// The circuit cell under the pointer; col = -1 when the pointer is over the
// side panel or beyond the circuit (row is then left as it was when the
// pointer is over the panel).
void CellUnderPointer(int& col, int& row);
// As CellUnderPointer, and col = -1 too when the cell holds no track tile.
void TrackCellUnderPointer(int& col, int& row);

// The race screen's click handlers: a click on the side panel or beside the
// circuit goes to the panel's buttons; one on the circuit does nothing.
void LeftClick();
void RightClick();
