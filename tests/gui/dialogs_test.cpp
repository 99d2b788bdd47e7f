// Requesters and the help viewer: layout files, bad input, and the modal
// loops driven frame by frame with scripted input.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/main_menu.h"
#include "game/results_view.h"
#include "../support/test_support.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "expect_fatal.h"
#include "gui_test_support.h"
#include "platform/screen.h"
#include "platform/services.h"

namespace fs = std::filesystem;
using namespace gui_test;

namespace {
std::string Crlf(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    StartGui(1024, 768, PlaceholderTheme());
    InitRequesters("Frame", "Panel", "Button Short", "Scroll Arrows", "Terminal 14", 32, 8, 82, 1, nullptr);
    dir = testing_support::MakeTempDir("gui-dialogs");
  }
  void TearDown() override {
    SetModalFrameHook(nullptr);
    fs::remove_all(dir);
  }
  fs::path Write(const std::string& name, const std::string& text) {
    testing_support::WriteBytes(dir / name, text);
    return dir / name;
  }
  void LoadShipped() { LoadRequesters(testing_support::SourceDir() / "game" / "Data" / "Requesters.txt"); }
  // Centre of button i of a requester's button array.
  static std::pair<int, int> ButtonCentre(const Requester* req, int i) {
    const ButtonArray* b = req->buttonArray;
    return {b->buttonX[i] + b->buttonWidth / 2, b->buttonY[i] + b->buttonHeight / 2};
  }
  static void ClickButton(const std::string& name, int i) {
    auto [x, y] = ButtonCentre(FindRequester(name), i);
    Click(x, y);
  }
  fs::path dir;
};
}  // namespace

// --- Layout file ---------------------------------------------------------------------
TEST_F(Dialogs, LayoutLinesAreCleanedAndReadLeniently) {
  LoadRequesters(Write("r.txt", Crlf(
      "  ; a comment with blanks before it\n"
      ",,,\n"
      "\tframe, 1, 2, 3, 4\n"          // before any requester: ignored
      "### First\n"
      "label, 5, 5, lost, 0\n"        // before the frame: ignored
      "FRAME, -1, -1, 10, 6\n"
      "Panel, -1, 20, 12, 4\n"
      "label, -1, 8, abcd, 255\n"
      "textarea, 16, x, 20, 5, 2, 1, 1, 0\n"  // non-numeric y reads 0
      "buttonarray, 2, -1, 100, OK~Cancel~\n"
      "keyboardarea, 0, 150, 10\n"    // missing colour and margin read 0
      "sparkle, 1, 2\n"
      "###, Second\n"
      "frame, 100, 50, 4, 4\n"
      "label, 0, 0, one, 0\n"
      "label, 0, 20, two, 0\n")));
  int fonts = 1;
  Requester* first = FindRequester("First");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->page, 101);
  EXPECT_EQ(first->frameX, (1024 - 320) / 2);
  EXPECT_EQ(first->frameY, (768 - 192) / 2);
  EXPECT_EQ(first->frameWidth, 320);
  EXPECT_EQ(first->frameHeight, 192);
  EXPECT_EQ(FrameX(first->panel), first->frameX + (320 - 96) / 2);
  EXPECT_EQ(FrameY(first->panel), first->frameY + 20);
  EXPECT_EQ(first->label->x, first->frameX + (320 - 36) / 2);
  EXPECT_EQ(first->label->colour, 255);
  EXPECT_EQ(first->textArea->x, first->frameX + 16);
  EXPECT_EQ(first->textArea->y, first->frameY);
  EXPECT_EQ(first->textArea->width, 160);
  EXPECT_EQ(first->textArea->height, 40);
  ASSERT_NE(first->scrollArrows, nullptr);
  EXPECT_EQ(first->scrollArrows->x, first->textArea->x + 160);
  EXPECT_EQ(first->scrollArrows->y, first->textArea->y + 40 - 64);
  EXPECT_EQ(first->buttonArray->x, first->frameX + (320 - 82) / 2);
  EXPECT_EQ(first->buttonArray->captions.size(), 2u);
  EXPECT_EQ(first->keyboardArea->width, 80);
  EXPECT_EQ(first->keyboardArea->margin, 0);
  EXPECT_EQ(first->keyboardArea->backgroundColour, 0);
  Requester* second = FindRequester("Second");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->page, 102);
  EXPECT_EQ(second->label->text, "two");  // both created, the later one kept
  EXPECT_EQ(FrameX(second->frame), 100);
  // Every element exists once, the ignored lines created nothing: fonts,
  // then 2 frames, 1 panel, 3 labels + (text area, 2 arrow parts), buttons, keyboard area.
  EXPECT_EQ(ElementCount(), fonts + 2 + 1 + 3 + 3 + 1 + 1);
  // All requesters start hidden.
  EXPECT_NE(first->frame->hidden, 0);
  EXPECT_NE(first->keyboardArea->hidden, 0);
  EXPECT_NE(second->label->hidden, 0);
}

TEST_F(Dialogs, LayoutFileProblemsAreFatal) {
  EXPECT_FATAL(LoadRequesters(dir / "none.txt"),
               "could not find file: " + (dir / "none.txt").string() + "\r\nRequester mod in LoadText @ ");
  EXPECT_FATAL(LoadRequesters(Write("empty.txt", "")),
               "file is empty: " + (dir / "empty.txt").string() + "\r\nRequester mod in LoadText @ ");
  fs::create_directories(dir / "folder.txt");
  EXPECT_FATAL(LoadRequesters(dir / "folder.txt"),
               "could not read file: " + (dir / "folder.txt").string() + "\r\nRequester mod in LoadText @ ");
  EXPECT_EQ(requester::LoadText(Write("a.txt", "x")), "x\r\n");
  // A layout saved with LF alone (or mixed) ends its lines there as well.
  LoadRequesters(Write("lf.txt", "### Plain\nframe, -1, -1, 4, 2\n"));
  ASSERT_NE(FindRequester("Plain"), nullptr);
  EXPECT_EQ(FindRequester("Plain")->frameHeight, 64);
  // Names are exact: "list box" is not "List Box".
  LoadRequesters(Write("r.txt", "### list box\r\nframe, 0, 0, 4, 4\r\n"));
  EXPECT_FATAL(ListBox("p", "a~"), "Requester does not exist: List Box\r\nRequester mod in Display @ ");
  EXPECT_FATAL(InputBox("p", "d"), "Requester does not exist: Input Box\r\nRequester mod in InputBox @ ");
}

TEST_F(Dialogs, HostileSizesReadAsWhatFitsTheScreen) {
  LoadRequesters(Write("r.txt",
                       "###, Huge\r\nframe, 0, 0, 999999999, 999999999\r\n"
                       "textarea, 0, 0, 2147483647, 2147483647, 4, 1, 0, 0\r\n"));
  Requester* huge = FindRequester("Huge");
  // Nothing is larger than the 1024 x 768 screen it is drawn on.
  EXPECT_EQ(huge->frameWidth, 1024);
  EXPECT_EQ(huge->frameHeight, 768);
  EXPECT_EQ(huge->textArea->width, 1024);
  EXPECT_EQ(huge->textArea->height, 768);
  SetPageHidden(huge->page, 0);
  PlatResetDrawStats();
  DrawAllElements();
  EXPECT_EQ(PlatGetDrawStats().displays, 1u);  // one frame the screen's size, in one copy
  // A keyboard area 2048 characters wide with a margin of 8180 rows asked
  // for a 16384 x 16380 eraser (1 GiB of pixels): now the screen's width,
  // and at most the screen's height beyond a line of text. Sizes of zero or
  // less read as one unit, not as a sprite that cannot be made.
  LoadRequesters(Write("k.txt",
                       "###, Wide\r\nframe, 0, 0, 4, 4\r\n"
                       "keyboardarea, 0, 0, 2048, 0, 8180\r\n"
                       "###, Narrow\r\nframe, 0, 0, -5, 0\r\n"
                       "keyboardarea, 0, 0, -2147483648, 0, -2147483648\r\n"));
  const KBArea* wide = FindRequester("Wide")->keyboardArea;
  EXPECT_EQ(wide->width, 1024);
  EXPECT_EQ(PlatSpriteWidth(wide->eraser), 1024);
  EXPECT_LE(PlatSpriteHeight(wide->eraser), 768 + wide->font->glyphHeight);
  const Requester* narrow = FindRequester("Narrow");
  EXPECT_EQ(narrow->frameWidth, 32);
  EXPECT_EQ(narrow->keyboardArea->width, 8);
  EXPECT_EQ(narrow->keyboardArea->margin, 0);

  // Each frame is a sprite of its own: sixteen screens of them in all load,
  // more end in a message rather than in gigabytes of frames.
  std::string frames;
  for (int i = 0; i < 16; ++i) frames += "###, R" + Decimal(i) + "\r\nframe, 0, 0, 99, 99\r\n";
  LoadRequesters(Write("f.txt", frames));
  EXPECT_NE(FindRequester("R15"), nullptr);
  EXPECT_FATAL(LoadRequesters(Write("g.txt", frames + "###, One More\r\nframe, 0, 0, 1, 1\r\n")),
               "requesters larger than 16 screens in all: " + (dir / "g.txt").string() +
                   "\r\nRequester mod in LoadRequesters @ ");
}

TEST_F(Dialogs, ShippedLayoutsHaveWhatTheGameNeeds) {
  LoadShipped();
  for (const char* name : {"Message Box", "Answer Box", "List Box", "Input Box"}) {
    Requester* req = FindRequester(name);
    ASSERT_NE(req, nullptr) << name;
    ASSERT_NE(req->frame, nullptr) << name;
    ASSERT_NE(req->buttonArray, nullptr) << name;
    size_t buttons = std::string(name) == "Message Box" ? 1 : 2;
    EXPECT_EQ(req->buttonArray->captions.size(), buttons) << name;
    // The buttons sit centred in the frame and inside its border.
    const ButtonArray* b = req->buttonArray;
    int left = b->x - req->frameX;
    int right = req->frameX + req->frameWidth - (b->x + b->totalWidth);
    EXPECT_LE(std::abs(left - right), 1) << name;
    EXPECT_LE(b->y + b->totalHeight, req->frameY + req->frameHeight - 32) << name;
  }
  Requester* list = FindRequester("List Box");
  ASSERT_NE(list->textArea, nullptr);
  EXPECT_GE(list->textArea->rows, 12);
  EXPECT_NE(list->scrollArrows, nullptr);
  EXPECT_NE(FindRequester("Input Box")->keyboardArea, nullptr);
  EXPECT_NE(FindRequester("Message Box")->textArea, nullptr);
}

TEST_F(Dialogs, ColoursAreTwentyFourBitWhileSizesKeepTheirClamp) {
  LoadRequesters(Write("r.txt",
                       "###, Colours\r\nframe, 0, 0, 10, 6\r\n"
                       "label, 0, 0, white, 16777215\r\n"
                       "keyboardarea, 0, 40, 20, 16777215, 2\r\n"
                       "###, Out of range\r\nframe, 0, 0, 10, 6\r\n"
                       "label, 0, 0, over, 99999999\r\n"
                       "keyboardarea, 0, 40, 20, -5, 2\r\n"));
  Requester* req = FindRequester("Colours");
  EXPECT_EQ(req->label->colour, 0xFFFFFF);
  EXPECT_EQ(req->keyboardArea->backgroundColour, 0xFFFFFF);
  Requester* bad = FindRequester("Out of range");
  EXPECT_EQ(bad->label->colour, 0xFFFFFF);
  EXPECT_EQ(bad->keyboardArea->backgroundColour, 0);
  // The shipped Input Box has a white entry field.
  LoadShipped();
  EXPECT_EQ(FindRequester("Input Box")->keyboardArea->backgroundColour, 0xFFFFFF);
}

// Every text the game shows in a Message Box or an Answer Box, with the
// widest numbers it can carry, fits its box line by line, so nothing is cut.
TEST_F(Dialogs, EveryShippedMessageFitsItsBox) {
  LoadShipped();
  const std::vector<std::pair<std::string, std::string>> messages = {
      {"Message Box", "     Welcome to The Velotrax!~"},
      {"Message Box", "invalid tile combination using 87 in direction 7"},
      {"Message Box", "invalid tile combination @ 9999, 9999"},
      {"Message Box", "you must select at least 1 car"},
      {"Message Box", "There is no record of last race.~Choose another option."},
      {"Message Box", "None of the cars can start.~Every car needs a driver in Drivers.csv."},
      {"Answer Box", kSaveStandingsQuestion},
      {"Answer Box", kCopySeasonQuestion},
      {"Answer Box", kQuitQuestion},
      {"Answer Box", kLeaveRaceQuestion},
  };
  for (const auto& [box, text] : messages) {
    TextArea* area = FindRequester(box)->textArea;
    ASSERT_NE(area, nullptr) << box;
    size_t lines = 0;
    size_t start = 0;
    for (size_t end = text.find('~'); start < text.size(); end = text.find('~', start)) {
      if (end == std::string::npos) end = text.size();
      EXPECT_LE(static_cast<int>(end - start), TextAreaColumns(area)) << text;
      ++lines;
      start = end + 1;
    }
    EXPECT_LE(static_cast<int>(lines), area->rows) << text;
    // The text stays inside the frame's border.
    const Requester* req = FindRequester(box);
    EXPECT_LE(area->x + area->width, req->frameX + req->frameWidth - 32) << box;
  }
}

// --- Modal loops ---------------------------------------------------------------------
TEST_F(Dialogs, MessageBoxEndsWithEnterOrItsButton) {
  LoadShipped();
  Requester* box = FindRequester("Message Box");
  PressKey(kKeyReturn);
  MessageBox("first line~second line");
  EXPECT_EQ(box->textArea->lines, (std::vector<std::string>{"first line", "second line"}));
  EXPECT_NE(box->frame->hidden, 0);
  // Clicking the text selects nothing; the button ends the box.
  ScriptFrames({[box] { Click(box->textArea->x + 10, box->textArea->y + 10); },
                [] { ClickButton("Message Box", 0); }});
  MessageBox("Welcome");
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(box->textArea->selected, -1);
  EXPECT_NE(box->frame->hidden, 0);
}

TEST_F(Dialogs, AnswerBoxConfirmsAndCancels) {
  LoadShipped();
  ScriptFrames({[] { ClickButton("Answer Box", 0); }});
  EXPECT_EQ(AnswerBox("Save current standings?"), 1);
  ScriptFrames({[] { ClickButton("Answer Box", 1); }});
  EXPECT_EQ(AnswerBox("Save current standings?"), 0);
  PressKey(kKeyEscape);
  EXPECT_EQ(AnswerBox("Copy?"), 0);
  PressKey(kKeyReturn);
  EXPECT_EQ(AnswerBox("Copy?"), 1);
}

TEST_F(Dialogs, ListBoxReturnsTheLastLineClicked) {
  LoadShipped();
  TextArea* area = FindRequester("List Box")->textArea;
  auto lineY = [area](int i) { return area->y + area->margin + i * 18 + 9; };
  ScriptFrames({[&] { Click(area->x + 20, lineY(1)); }, [&] { Click(area->x + 20, lineY(2)); },
                [] { PressKey(kKeyReturn); }});
  EXPECT_EQ(ListBox("     Select New Race", "Alpha~Beta~Gamma"), "Gamma");
  EXPECT_EQ(FindRequester("List Box")->label->text, "     Select New Race");
  // Enter before any click: nothing picked.
  PressKey(kKeyReturn);
  int confirmed = -1;
  EXPECT_EQ(Display("List Box", "", "One~Two~", confirmed), "");
  EXPECT_EQ(confirmed, 1);
  // A pick and then Cancel returns nothing.
  ScriptFrames({[&] { Click(area->x + 20, lineY(0)); }, [] { ClickButton("List Box", 1); }});
  EXPECT_EQ(ListBox("p", "One~Two~"), "");
  // A click then the OK button.
  ScriptFrames({[&] { Click(area->x + 20, lineY(1)); }, [] { ClickButton("List Box", 0); }});
  EXPECT_EQ(ListBox("p", "One~Two~"), "Two");
  // An empty list replaces the old one.
  PressKey(kKeyEscape);
  EXPECT_EQ(ListBox("p", ""), "");
  EXPECT_EQ(area->lines, std::vector<std::string>{""});
}

TEST_F(Dialogs, ListBoxScrollsWithKeysAndArrows) {
  LoadShipped();
  Requester* list = FindRequester("List Box");
  std::string items;
  for (int i = 0; i < 20; ++i) items += "Circuit " + std::to_string(i) + "~";
  ScrollArrows* arrows = list->scrollArrows;
  ScriptFrames({[] { PressKey(kKeyDown); }, [] { PressKey(kKeyDown); },
                [arrows] { Click(arrows->x + 5, arrows->y + 10); },  // up arrow
                [list] { Click(list->textArea->x + 20, list->textArea->y + 4 + 9); },
                [] { PressKey(kKeyReturn); }});
  EXPECT_EQ(ListBox("p", items), "Circuit 1");
  EXPECT_EQ(list->textArea->top, 1);
}

// The field has the keys as soon as the box opens: typing needs no click, one
// Return confirms, and a click on a button acts at once.
TEST_F(Dialogs, InputBoxTakesTheFirstKeyAndTheFirstClick) {
  LoadShipped();
  KBArea* entry = FindRequester("Input Box")->keyboardArea;
  // Untouched, the default comes back.
  PressKey(kKeyReturn);
  EXPECT_EQ(InputBox("Enter simulation speed in ms.", "167"), "167");
  // The first key replaces the default; the filter drops what it does not take.
  ScriptFrames({[entry] {
                  EXPECT_EQ(entry->focused, 1);
                  EXPECT_EQ(entry->fresh, 1);
                  TypeKey(30, "a");
                  TypeKey(30, "!");
                  TypeKey(30, "B");
                  TypeKey(57, " ");
                  TypeKey(51, ",");
                  TypeKey(30, "\xe9");
                  PressKey(kKeyReturn);
                  TypeKey(2, "9");  // after the Return: not typed
                }});
  EXPECT_EQ(InputBox("Enter season name:", "x"), "aB ,");
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(entry->focused, 0);
  // Backspace on the default clears it; Escape cancels what was typed.
  ScriptFrames({[] {
    PressKey(kKeyBackspace);
    TypeKey(2, "1");
    PressKey(kKeyEscape);
  }});
  EXPECT_EQ(InputBox("Enter season name:", "old"), "");
  EXPECT_EQ(GetKBAText(entry), "1");
  // A click in the field selects the text again, after typing too: the next
  // key replaces it ("2" into "4" gives "2"); one click on OK confirms.
  ScriptFrames({[] { TypeKey(3, "3"); }, [entry] { Click(entry->x + 5, entry->y + 5); },
                [] { TypeKey(2, "2"); }, [] { ClickButton("Input Box", 0); }});
  EXPECT_EQ(InputBox("p", "4"), "2");
  // End keeps the text: the next key goes on after it.
  ScriptFrames({[] { PressKey(kKeyEnd); }, [] { TypeKey(2, "2"); }, [] { PressKey(kKeyReturn); }});
  EXPECT_EQ(InputBox("p", "4"), "42");
  EXPECT_TRUE(ScriptDone());
  ScriptFrames({[] { TypeKey(2, "5"); }, [] { ClickButton("Input Box", 1); }});
  EXPECT_EQ(InputBox("p", "4"), "");
}

TEST_F(Dialogs, RequesterWithoutButtonsEndsWithKeys) {
  LoadRequesters(Write("r.txt", "### Bare\r\nframe, -1, -1, 4, 4\r\n"));
  int confirmed = -1;
  PressKey(kKeyEscape);
  EXPECT_EQ(Display("Bare", "prompt", "text", confirmed), "");
  EXPECT_EQ(confirmed, 0);
  ScriptFrames({[] { Click(10, 10); }, [] { PressKey(kKeyReturn); }});
  Display("Bare", "", "", confirmed);
  EXPECT_EQ(confirmed, 1);
}

TEST_F(Dialogs, FileListsAreSortedFileNamesWithoutExtension) {
  Write("b race.json", "{}");
  Write("A race.json", "{}");
  Write("notes.txt", "x");
  fs::create_directories(dir / "folder.json");
  EXPECT_EQ(GetFileList(dir, "*.json"), "A race~b race~");
  EXPECT_EQ(GetFileList(dir, "*.none"), "");
  EXPECT_FATAL(GetFileList(dir / "missing", "*.json"),
               "could not examine directory: " + (dir / "missing").string() + "\r\nRequester mod in GetFileList @ ");
}

// --- Help viewer ---------------------------------------------------------------------
class Help : public Dialogs {
 protected:
  void Init(const std::string& text) {
    InitHelp(Write("Help.txt", text), "Frame", "Panel", "Scroll Arrows", "Terminal 14", 1, nullptr);
  }
};

TEST_F(Help, ShortTextFitsWithItsLeadingEmptyLine) {
  std::string text;
  for (int i = 1; i <= 10; ++i) text += "line " + std::to_string(i) + "\r\n";
  Init(text);
  TextArea* area = gHelp.textArea;
  EXPECT_EQ(area->height, 13 * 18);
  EXPECT_EQ(area->width, (7 + 6) * 9);
  EXPECT_EQ(area->lines.size(), 11u);
  EXPECT_EQ(area->lines[0], "");
  EXPECT_EQ(area->lines[10], "line 10");
  EXPECT_EQ(area->top, 0);
  EXPECT_EQ(area->x, (1024 - area->width) / 2);
  EXPECT_NE(area->hidden, 0);
}

// A "~" is the key of that name, not a line end: its line keeps it.
TEST_F(Help, TabsTildesAndMissingLineEnd) {
  Init("\tindented\r\n  ~ (tilde)    show the folder");
  EXPECT_EQ(gHelp.textArea->lines,
            (std::vector<std::string>{"", "  indented", "  ~ (tilde)    show the folder"}));
}

// The help the game ships reads as its lines, whatever line ends it was
// saved with (saved with LF alone it once showed as one endless line).
TEST_F(Help, TheShippedHelpReadsAsItsLines) {
  const std::string shipped =
      testing_support::ReadBytes(testing_support::SourceDir() / "game" / "Data" / "Help.txt");
  const auto lines = std::count(shipped.begin(), shipped.end(), '\n');
  ASSERT_GT(lines, 100);
  std::string lfOnly = shipped;
  lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
  std::vector<std::string> shown[2];
  for (int i : {0, 1}) {
    Init(i == 0 ? shipped : lfOnly);
    shown[i] = gHelp.textArea->lines;
  }
  EXPECT_GT(static_cast<long>(shown[0].size()), lines);
  EXPECT_EQ(shown[0][1], "THE VELOTRAX - HOW TO PLAY");
  EXPECT_EQ(shown[1], shown[0]);
}

TEST_F(Help, LongTextScrollsAndKeepsItsPlace) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "help line " + std::to_string(i) + "\r\n";
  Init(text);
  TextArea* area = gHelp.textArea;
  EXPECT_EQ(area->height, 538);  // 70 % of 768, rounded
  ScrollArrows* arrows = gHelp.scrollArrows;
  ScriptFrames({[] { PressKey(kKeyDown); }, [] { PressKey(kKeyDown); }, [] { PressKey(kKeyUp); },
                [arrows] { Click(arrows->x + 5, arrows->y + 40); },  // down arrow
                [] { PressKey(kKeyEscape); }});
  ShowHelp();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(area->top, 2);
  EXPECT_NE(area->hidden, 0);
  ScriptFrames({[] { PressKey(kKeyDown); }, [] { RightClick(5, 5); }});
  ShowHelp();
  EXPECT_EQ(area->top, 3);
  // Scrolling stops with the last line at the top.
  SetTextAreaTop(area, 99);
  ScriptFrames({[] { PressKey(kKeyDown); }, [] { PressKey(kKeyEscape); }});
  ShowHelp();
  EXPECT_EQ(area->top, 100);
}

// Lines wider than the box break between words: prose goes on at its indent,
// a key table's row under its description, a word longer than a row is cut.
// The shipped help on the smallest screen keeps every row inside its box and
// every key line's key.
TEST_F(Help, LinesWrapBetweenWordsInsideTheBox) {
  using help::WrapLine;
  EXPECT_EQ(WrapLine("one two three  ", 9), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapLine("  F        fast forward: run the race unseen", 24),
            (std::vector<std::string>{"  F        fast forward:", "           run the race", "           unseen"}));
  EXPECT_EQ(WrapLine("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(WrapLine("", 4), std::vector<std::string>{""});
  const std::string shipped =
      testing_support::ReadBytes(testing_support::SourceDir() / "game" / "Data" / "Help.txt");
  Init(shipped);
  const TextArea* area = gHelp.textArea;
  const size_t columns = static_cast<size_t>((area->width - 2 * area->margin) / 9);
  for (const std::string& row : area->lines) {
    EXPECT_LE(row.size(), columns) << row;

  }
  for (const char* key : {"  ~ (tilde)    show the folder of the program", "  ?            show this help",
                          "  Escape       back to the main menu"}) {
    EXPECT_NE(std::find(area->lines.begin(), area->lines.end(), key), area->lines.end()) << key;
  }
}

TEST_F(Help, HelpFileProblemsAreFatal) {
  EXPECT_FATAL(Init(""), "file is empty: " + (dir / "Help.txt").string() + "\r\nHelp mod in LoadText @ ");
  EXPECT_FATAL(InitHelp(dir / "gone.txt", "Frame", "Panel", "Scroll Arrows", "Terminal 14", 1, nullptr),
               "could not find file: " + (dir / "gone.txt").string() + "\r\nHelp mod in LoadText @ ");
}
