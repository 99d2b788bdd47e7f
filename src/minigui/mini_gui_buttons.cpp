// Button arrays, check boxes and option boxes.
#include "minigui/mini_gui_internal.h"
#include "platform/screen.h"

ButtonArray* CreateButtonArray(SpriteFont* font, const std::string& sizing, int columns, int x,
                               int y, const std::string& captions, int page) {
  ButtonArray* buttons =
      NewRecord(Gui().buttonArrays, "could not create Button Array", "CreateButtonArray", __LINE__);
  RequireFont(font, "invalid spritefont", "CreateButtonArray", __LINE__);
  int w = 0;
  int h = 0;
  if (LenientInt(sizing) == 0 && sizing.find('~') == std::string::npos) {
    buttons->background = GetSpriteID(sizing);
    // The theme may give the face under the pointer and pressed its own art.
    buttons->hoverBackground = ThemeSpriteOrNone(sizing + " Hover");
    buttons->pressedBackground = ThemeSpriteOrNone(sizing + " Pressed");
    w = PlatSpriteWidth(buttons->background);
    h = PlatSpriteHeight(buttons->background);
  } else {
    std::vector<std::string> size = SplitTildeList(sizing);
    w = LenientInt(size[0]);
    h = size.size() > 1 ? LenientInt(size[1]) : 0;
  }
  if (h < font->glyphHeight) {
    FATAL("button is too short for label", kMiniGuiModule, "CreateButtonArray");
  }
  // Picking divides by both; neither can be zero.
  if (w < 1) FATAL("button is too narrow: " + sizing, kMiniGuiModule, "CreateButtonArray");
  if (columns < 1) {
    FATAL("invalid number of columns: " + Decimal(columns), kMiniGuiModule, "CreateButtonArray");
  }
  buttons->font = font;
  buttons->columns = columns;
  buttons->x = x;
  buttons->y = y;
  buttons->buttonWidth = w;
  buttons->buttonHeight = h;
  buttons->captions = SplitTildeList(captions);
  int n = static_cast<int>(buttons->captions.size());
  int rows = (n + columns - 1) / columns;
  buttons->totalWidth = w * columns;
  buttons->totalHeight = h * rows;
  if (n % columns != 0) {
    buttons->endX = x + (n % columns) * w;
    buttons->endY = y + buttons->totalHeight - h;
  } else {
    buttons->endX = x + buttons->totalWidth;
    buttons->endY = y + buttons->totalHeight;
  }
  buttons->states.assign(n, 0);
  for (int i = 0; i < n; ++i) {
    int left = x + (i % columns) * w;
    int top = y + (i / columns) * h;
    int captionWidth = static_cast<int>(buttons->captions[i].size()) * font->glyphWidth;
    buttons->buttonX.push_back(left);
    buttons->buttonY.push_back(top);
    buttons->captionX.push_back(left + (w - captionWidth) / 2);
    buttons->captionY.push_back(top + (h - font->glyphHeight) / 2);
  }
  Register(buttons, sizing, kKindButtonArray, page);
  return buttons;
}

void DrawButtonArray(const ButtonArray* buttons) {
  if (buttons->hidden) return;
  const SpriteFont* font = buttons->font;
  // The button under the pointer lights up, and sinks while the left
  // button is held on it.
  const int under = PickButton(buttons, PlatMouseX(), PlatMouseY());
  const bool held = under != -1 && PlatMouseButtonDown(1);
  for (size_t i = 0; i < buttons->captions.size(); ++i) {
    const bool pointed = static_cast<int>(i) == under;
    int sink = 0;
    if (buttons->background != 0) {
      int face = buttons->background;
      if (pointed && held && buttons->pressedBackground != 0) {
        face = buttons->pressedBackground;
        sink = 1;
      } else if (pointed && buttons->hoverBackground != 0) {
        face = buttons->hoverBackground;
      }
      PlatClipSprite(face, 0, 0, -1, -1);
      PlatDisplaySprite(face, buttons->buttonX[i], buttons->buttonY[i]);
    }
    int state = buttons->states[i];
    int colour = state == 1 ? font->selectedColour : (state == 2 ? font->disabledColour : font->normalColour);
    const int index = static_cast<int>(i);
    if (index == buttons->focus && state != 2) {
      // The keys' mark: the caption between arrowheads, in the highlight.
      const int gap = font->glyphWidth * 2;
      colour = font->selectedColour;
      DrawSpriteText(font, ">", buttons->captionX[i] - gap, buttons->captionY[i], colour);
      DrawSpriteText(font, "<",
                     buttons->captionX[i] + static_cast<int>(buttons->captions[i].size()) * font->glyphWidth +
                         font->glyphWidth,
                     buttons->captionY[i], colour);
    }
    DrawSpriteText(font, buttons->captions[i], buttons->captionX[i] + sink, buttons->captionY[i] + sink,
                   colour);
  }
}

int MoveButtonFocus(ButtonArray* buttons, int step) {
  const int n = static_cast<int>(buttons->states.size());
  auto usable = [buttons](int i) { return buttons->states[i] != 2; };
  int at = buttons->focus;
  const bool none = at < 0 || at >= n;
  // Step 0 keeps a mark that can still be used, and otherwise moves it on.
  if (step == 0 && !none && usable(at)) return at;
  if (none) at = step >= 0 ? -1 : n;
  const int direction = step >= 0 ? 1 : -1;
  for (int moves = Max(step < 0 ? -step : step, 1); moves > 0; --moves) {
    int next = at;
    bool found = false;
    for (int tried = 0; tried < n && !found; ++tried) {
      next = ((next + direction) % n + n) % n;
      found = usable(next);
    }
    if (!found) return buttons->focus = -1;  // none can be used
    at = next;
  }
  buttons->focus = at;
  return at;
}

namespace {
void (*gButtonSound)() = nullptr;
}  // namespace

int PickButton(const ButtonArray* buttons, int mouseX, int mouseY) {
  if (buttons->hidden) return -1;
  if (!(buttons->x < mouseX && mouseX < buttons->x + buttons->totalWidth)) return -1;
  if (!(buttons->y < mouseY && mouseY < buttons->y + buttons->totalHeight)) return -1;
  if (mouseY >= buttons->endY && mouseX >= buttons->endX) return -1;
  int index = (mouseX - buttons->x) / buttons->buttonWidth +
              ((mouseY - buttons->y) / buttons->buttonHeight) * buttons->columns;
  if (index < 0 || index >= static_cast<int>(buttons->states.size())) return -1;
  if (buttons->states[index] == 2) return -1;
  if (gButtonSound != nullptr) gButtonSound();
  return index;
}

void SetButtonSound(void (*sound)()) { gButtonSound = sound; }

void SetButtonArrayHidden(ButtonArray* buttonArray, int hidden) { buttonArray->hidden = hidden; }

// --- Check boxes --------------------------------------------------------------
static const std::string kTickGlyph(1, static_cast<char>(251));

CheckBox* CreateCheckBox(const std::string& caption, SpriteFont* font, int x, int y, int colour,
                         const std::string& frameImage, int page) {
  CheckBox* box = NewRecord(Gui().checkBoxes, "could not allocate memory", "CreateCheckBox", __LINE__);
  RequireFont(font, "spritefont does not exist", "CreateCheckBox", __LINE__);
  box->frame = CreateFrame(frameImage, x, y, 3, 3, page);
  box->tick = CreateLabel(" ", font, x + 7, y + 3, colour, page);
  box->caption = CreateLabel(caption, font, x + 34, y + 3, colour, page);
  box->x = x;
  box->y = y;
  return box;
}

void SetCheckBox(CheckBox* checkBox, int state) {
  checkBox->state = state;
  SetLabel(checkBox->tick, state ? kTickGlyph : " ", 0);
}

int PickCheckBox(CheckBox* checkBox, int mouseX, int mouseY) {
  if (checkBox->frame->hidden) return -1;
  if (mouseX < checkBox->x || mouseX > checkBox->x + 24) return -1;
  if (mouseY < checkBox->y || mouseY > checkBox->y + 24) return -1;
  SetCheckBox(checkBox, 1 - checkBox->state);
  return checkBox->state;
}

void SetCheckBoxHidden(CheckBox* checkBox, int hidden) {
  checkBox->frame->hidden = hidden;
  checkBox->tick->hidden = hidden;
  checkBox->caption->hidden = hidden;
}

// --- Option boxes ---------------------------------------------------------------
OptionBoxes* CreateOptionBoxes(const std::string& captions, SpriteFont* font, int x, int y,
                               int colour, const std::string& frameImage, int page) {
  OptionBoxes* options =
      NewRecord(Gui().optionBoxes, "could not allocate memory", "CreateOptionBoxes", __LINE__);
  for (const std::string& caption : SplitTildeList(captions)) {
    options->boxes.push_back(CreateCheckBox(caption, font, x, y, colour, frameImage, page));
    y += 34;
  }
  options->selected = -1;
  return options;
}

static void TickOnly(OptionBoxes* options, int index) {
  for (size_t i = 0; i < options->boxes.size(); ++i) {
    SetCheckBox(options->boxes[i], static_cast<int>(i) == index ? 1 : 0);
  }
  options->selected = index;
}

int PickOptionBox(OptionBoxes* optionBoxes, int mouseX, int mouseY) {
  for (size_t i = 0; i < optionBoxes->boxes.size(); ++i) {
    if (PickCheckBox(optionBoxes->boxes[i], mouseX, mouseY) != -1) {
      TickOnly(optionBoxes, static_cast<int>(i));
      return static_cast<int>(i);
    }
  }
  return -1;
}

void SetSelectedOption(OptionBoxes* optionBoxes, int index) {
  if (index < -1 || index >= static_cast<int>(optionBoxes->boxes.size())) {
    FATAL("invalid option box number: " + Decimal(index), kMiniGuiModule, "SetSelectedOption");
  }
  TickOnly(optionBoxes, index);
}

void SetOptionBoxesHidden(OptionBoxes* optionBoxes, int hidden) {
  for (CheckBox* box : optionBoxes->boxes) SetCheckBoxHidden(box, hidden);
}
