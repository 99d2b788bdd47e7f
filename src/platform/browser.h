// The browser's copy: what the game asks of the page around it.
#pragma once

// Sizes the game to the page's window; before start-up.
void PlatStartInBrowser();
// From here on a write counts as done only once the browser keeps the
// player's files (IndexedDB); a write it could not keep fails with the
// browser's reason, as a full disk fails one on the desktop.
void PlatKeepWritesInBrowser();
