#include "dialogs/dialog_text.h"

#include "common/common.h"
#include "platform/screen.h"
#include "platform/services.h"

std::string LoadDialogText(const std::filesystem::path& file, const char* module) {
  const std::string name = PlatPathText(file);  // in the game's code page already
  if (PlatFileSize(file) == kFileMissing) FATAL("could not find file: " + name, module, "LoadText");
  std::string text;
  if (!PlatReadFile(file, text)) FATAL("could not read file: " + name, module, "LoadText");
  if (text.empty()) FATAL("file is empty: " + name, module, "LoadText");
  return WithCrLfLines(text);
}
