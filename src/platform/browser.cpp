#include "platform/browser.h"

#include <emscripten.h>

#include "platform/screen.h"
#include "platform/services.h"

namespace {
// Hands the player's folder to IndexedDB (web/pre.js) and waits for it:
// 0 kept, 1 storage blocked, 2 storage full, 3 another failure.
EM_ASYNC_JS(int, SyncPlayerFiles, (), {
  const why = await Module["velotraxSync"]();
  if (why === "") return 0;
  if (/blocked/.test(why)) return 1;
  if (/full/.test(why)) return 2;
  console.error("IndexedDB: " + why);
  return 3;
});

bool KeepWrite(std::string& why) {
  switch (SyncPlayerFiles()) {
    case 0:
      return true;
    case 1:
      why = "the browser keeps no files for this page (its storage is blocked)";
      return false;
    case 2:
      why = "the browser's storage for this page is full";
      return false;
    default:
      why = "the browser could not keep the file";
      return false;
  }
}
}  // namespace

void PlatStartInBrowser() {
  PlatSetDesktopOverride(EM_ASM_INT({ return window.innerWidth; }),
                         EM_ASM_INT({ return window.innerHeight; }));
}

void PlatKeepWritesInBrowser() {
  PlatSetWriteKeeper(KeepWrite);
}
