#include "game/race_saves.h"

#include "common/common.h"
#include "dialogs/requester.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/report.h"
#include "race/save_load.h"

namespace {
// The race as last saved, loaded or set up.
std::string gSavedDocument;
}  // namespace

void SaveRaceFromScreen() {
  // A save that cannot be written leaves the earlier one as it was; the
  // player hears why, and the race goes on (still unsaved).
  const std::filesystem::path file = gProg.savedRacesFolder / (Options().raceName + ".json");
  std::string why;
  if (!TrySave(file, why)) {
    ShowMessageBox("could not save " + PlatPathText(file) + ": " + why);
    return;
  }
  RememberRaceAsSaved();
  AddLogText("race saved");
}

void RememberRaceAsSaved() {
  gSavedDocument = SaveDocument();
}

bool RaceChangedSinceSaved() {
  if (Standing().empty()) return false;
  return SaveDocument() != gSavedDocument;
}

std::vector<SavedRaceLine> SavedRaceLines(const std::filesystem::path& folder) {
  std::vector<SavedRaceLine> lines;
  for (const std::string& name : TildeFields(GetFileList(folder, "*.json"))) {
    SavedRaceLine entry{name, name};
    const std::filesystem::path file = folder / (entry.name + ".json");
    SavedRaceSummary summary;
    std::string when;
    if (ReadSavedRaceSummary(file, summary) && PlatFileTimeText(file, when)) {
      std::string lap = "lap " + Decimal(summary.lap) + " of " + Decimal(summary.laps);
      entry.line = entry.name + "  " + lap + "  " + when;
    }
    lines.push_back(entry);
  }
  return lines;
}
