// "Requesters.txt": the dialog layouts a player may edit. The toolkit keeps
// every element for the whole run, so each input's elements (and the
// sprites they made) are dropped again afterwards to keep the run's memory
// flat.
#include <malloc.h>

#include <climits>
#include <map>

#include "common/common.h"
#include "dialogs/requester.h"
#include "race/define.h"
#include "fuzz_support.h"
#include "minigui/mini_gui_internal.h"
#include "platform/screen.h"
#include "platform/services.h"

namespace {
template <typename T>
void Truncate(std::deque<T>& store, size_t size) {
  if (store.size() > size) store.resize(size);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool tuned = [] {
    // Each input makes and frees sprites of up to a screen each. Keep the
    // freed memory rather than hand it back to the system and fault it in
    // again: eight times the runs a second (glibc's allocator; ASan has its
    // own and ignores this).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    return true;
  }();
  (void)tuned;
  FuzzStartGameHeadless();
  std::filesystem::path file = FuzzGameFolder() / "Data" / "Requesters.txt";
  FuzzWrite(file, data, size);
  MiniGuiState& gui = Gui();
  const size_t entries = gui.entries.size(), fonts = gui.fonts.size(), frames = gui.frames.size(),
               labels = gui.labels.size(), areas = gui.textAreas.size(),
               buttons = gui.buttonArrays.size(), kbas = gui.kbAreas.size(),
               arrows = gui.scrollArrows.size(), checks = gui.checkBoxes.size(),
               options = gui.optionBoxes.size();
  try {
    LoadRequesters(file);
  } catch (const FatalError&) {
  }
  ForgetRequesterLayouts();
  // A keyboard area's eraser is a sprite of its own (the game loads its
  // layouts once; here every input would keep its erasers for good).
  for (size_t i = kbas; i < gui.kbAreas.size(); ++i) PlatFreeSprite(gui.kbAreas[i].eraser);
  gui.entries.resize(entries);
  Truncate(gui.fonts, fonts);
  Truncate(gui.frames, frames);
  Truncate(gui.labels, labels);
  Truncate(gui.textAreas, areas);
  Truncate(gui.buttonArrays, buttons);
  Truncate(gui.kbAreas, kbas);
  Truncate(gui.scrollArrows, arrows);
  Truncate(gui.checkBoxes, checks);
  Truncate(gui.optionBoxes, options);
  return 0;
}
