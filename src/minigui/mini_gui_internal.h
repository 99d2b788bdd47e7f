// Toolkit internals shared by its implementation files: the registry storage
// and small helpers. Not for use outside src/minigui/.
#pragma once

#include <deque>
#include <filesystem>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/common.h"
#include "minigui/mini_gui.h"

inline constexpr const char* kMiniGuiModule = "Mini GUI mod";

struct RegistryEntry {
  void* record = nullptr;
  std::string name;
  int kind = 0;
  int page = 0;
};

// Deques keep every record at a fixed address while more are appended.
struct MiniGuiState {
  std::vector<RegistryEntry> entries;
  std::unordered_map<std::string, int> sprites;
  std::filesystem::path themeFolder;
  int window = 0;
  LostDeviceProc lostDevice = nullptr;
  void (*frameHook)() = nullptr;
  void (*backdrop)() = nullptr;
  void (*idle)() = nullptr;  // time passing under a modal box (never a drawing)
  int apartPage = -1;        // left out of DrawAllElements (its screen draws it)

  std::deque<SpriteFont> fonts;
  std::deque<Frame> frames;
  std::deque<Label> labels;
  std::deque<TextArea> textAreas;
  std::deque<ButtonArray> buttonArrays;
  std::deque<KBArea> kbAreas;
  std::deque<ScrollArrows> scrollArrows;
  std::deque<CheckBox> checkBoxes;
  std::deque<OptionBoxes> optionBoxes;
};

MiniGuiState& Gui();

// Appends a zeroed record to its store; an allocation failure becomes the
// fatal error the kind names.
template <typename T>
T* NewRecord(std::deque<T>& store, const char* failure, const char* procedure, int line) {
  try {
    store.emplace_back();
  } catch (const std::bad_alloc&) {
    Fatal(failure, kMiniGuiModule, procedure, line);
  }
  return &store.back();
}

void Register(void* record, const std::string& name, int kind, int page);

// Fatal "invalid spritefont"-style check that a record is a registered font.
void RequireFont(const SpriteFont* font, const char* message, const char* procedure, int line);

// Number of "~"-terminated fields of a list, after a missing final "~" is
// added; the fields themselves.
std::vector<std::string> SplitTildeList(std::string text);

// Display-safe form of a path inside a message.
std::string PathText(const std::filesystem::path& path);

// Drawing per kind.
void DrawFrame(const Frame* frame);
void DrawLabel(const Label* label);
void DrawTextArea(const TextArea* textArea);
void DrawButtonArray(const ButtonArray* buttonArray);
void DrawKBArea(const KBArea* kbArea);
void DrawScrollArrows(const ScrollArrows* scrollArrows);
