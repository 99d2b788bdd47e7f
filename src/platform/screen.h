// The window and everything drawn or read through it: screen, sprites,
// drawing on images, input, message box, clipboard, the character filters
// of text entry and the headless test support. Only this part of the
// platform includes SDL, libpng or PCRE2.
//
// Every failure is a zero (or empty) result; the platform never ends the
// program itself. Callers turn failures into fatal errors.
//
// Texts crossing this interface are the game's own Windows-1252 byte strings;
// the layer converts to and from UTF-8 where the host wants it (window title,
// message box, clipboard, typed characters).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Window event codes the game reacts to; 0 means "no more events".
constexpr int kEventNone = 0;
constexpr int kEventLeftButtonUp = 13112;
constexpr int kEventRightButtonUp = 13111;
constexpr int kEventCloseRequest = 13116;
constexpr int kEventRepaint = 13115;
constexpr int kEventActivate = 13104;
// Any other event the layer reads (motion, keys, ...) is reported as this code.
constexpr int kEventOther = 1;

// Scan codes, set-1 numbering with extended keys at 128 + code.
constexpr int kKeyEscape = 1;
constexpr int kKeyBackspace = 14;
constexpr int kKeyTab = 15;
constexpr int kKeyReturn = 28;
constexpr int kKeySpace = 57;
constexpr int kKeyUp = 200;
constexpr int kKeyDown = 208;
constexpr int kKeyRight = 205;
constexpr int kKeyEnd = 207;
constexpr int kKeyLeftCtrl = 29;
constexpr int kKeyRightCtrl = 157;
constexpr int kKeyAny = -1;

// Sprite number -1 asks the layer for any free number.
constexpr int kAnySprite = -1;

// Drawing modes for PlatDrawingMode (flags).
constexpr int kDrawDefault = 0;
constexpr int kDrawAllChannels = 1;  // the drawn alpha replaces the pixel's alpha
constexpr int kDrawOutlined = 2;     // boxes draw only their one-pixel border

// Colours: 24-bit RGB with red in the low byte (0x0000FF is red). Colours
// with alpha are 0xAABBGGRR.
constexpr int kNoTint = -1;

// ---------------------------------------------------------------------------
// Start-up. Each returns 0/false on failure.
bool PlatInitSprites();   // video + renderer subsystem
bool PlatInitKeyboard();
int PlatExamineDesktops();  // number of desktops, 0 on failure
int PlatDesktopWidth(int desktop);
int PlatDesktopHeight(int desktop);
// Borderless window; returns a window number (> 0) or 0.
int PlatOpenWindow(int x, int y, int width, int height, const std::string& title);
int PlatWindowInnerWidth(int window);
int PlatWindowInnerHeight(int window);
// (Re)creates the screen (renderer) in the window; frees every sprite of an
// earlier screen. Accelerated with vsync, falling back to software.
bool PlatOpenScreen(int window, int x, int y, int width, int height);
// The window takes a new size (the browser's page was resized): the screen
// follows it at the UI scale it had, then the hook runs (the game's rules
// for the UI scale and its view). The game's loops see a repaint event.
void PlatResizeScreen(int width, int height);
using PlatResizeHook = void (*)();
void PlatSetResizeHook(PlatResizeHook hook);
int PlatScreenWidth();
int PlatScreenHeight();
// Draws everything `scale` times as large (a whole number, 1 or more): the
// screen then reads as its pixels divided by the scale, in its size, its
// drawing and its mouse positions alike. Kept when the screen is opened
// again.
void PlatSetUiScale(int scale);
int PlatUiScale();
// Called for every mouse-wheel turn over the game window while events are
// read, with the signed distance in native units (120 per notch, away from the
// user positive).
using PlatWheelCallback = void (*)(int delta);
void PlatSetWindowCallback(int window, PlatWheelCallback callback);
void PlatShutdown();

// ---------------------------------------------------------------------------
// Each frame.
int PlatNextWindowEvent();              // without waiting; kEventNone when empty
int PlatWaitWindowEvent(int timeoutMs);  // waits at most timeoutMs
// Puts the last button release back at the end of the queue: a click that
// ended something (a text entry) also acts where it was made.
void PlatRepeatLastClick();
int PlatEventWindow();                   // window number of the last event (0: none)
void PlatClearScreen(int rgb);
// Presents the frame. Frames are at least 1/60 s apart (a display without
// vsync would otherwise be drawn as fast as the machine goes); then, with a
// rest waker set, the caller rests until input arrives or the waker's time
// is up, so a screen that does not change costs next to nothing. The
// headless driver of the tests never waits.
void PlatFlipBuffers();
// Milliseconds the loop may rest after this frame (0: the next frame is due
// now, say while the view scrolls); nullptr: never rest.
using PlatRestWaker = int (*)();
void PlatSetRestWaker(PlatRestWaker waker);
PlatRestWaker PlatCurrentRestWaker();
bool PlatScreenActive();  // false after focus loss or a render-device reset

// ---------------------------------------------------------------------------
// The backdrop: one screen-sized picture the renderer keeps, drawn into once
// and copied under every frame (the still part of a view), so a frame need
// not draw it again. Between PlatBeginBackdrop and PlatEndBackdrop every
// draw goes into it, at the screen's size and scale; false from Begin where
// the renderer cannot draw into a texture (draw straight to the screen then).
bool PlatBeginBackdrop();
void PlatEndBackdrop();
// Copies the backdrop over the whole screen; false when there is none to
// show: never drawn, or lost since (a new screen, another UI scale, a resized
// output, a render-target or device reset).
bool PlatShowBackdrop();
// Marks the backdrop as out of date.
void PlatForgetBackdrop();

// ---------------------------------------------------------------------------
// Sprites.
int PlatLoadSprite(int number, const std::filesystem::path& pngFile);  // 0 on failure
int PlatSpriteFromMemory(int number, const void* png, size_t size);     // 0 on failure
int PlatCreateSprite(int number, int width, int height);  // black, 0 on failure
void PlatFreeSprite(int number);                          // -1 frees all
bool PlatIsSprite(int number);
// A new sprite holding the sprite's pixels at another size (nearest pixel):
// drawn one to one, it is far cheaper than scaling at every draw on a
// software renderer. 0 on failure.
int PlatScaledSpriteCopy(int number, int width, int height);
int PlatSpriteWidth(int number);
int PlatSpriteHeight(int number);
// Width or height -1: up to the sprite's edge. Values are clamped to the sprite.
void PlatClipSprite(int number, int x, int y, int width, int height);
// Clockwise in degrees; mode 0 sets the angle, mode 1 adds to it.
void PlatRotateSprite(int number, float angle, int mode);
float PlatSpriteAngle(int number);
// Alpha-blended; intensity 0..255 scales the alpha; tint kNoTint or 0xBBGGRR.
void PlatDisplaySprite(int number, int x, int y, int intensity = 255, int tint = kNoTint);
// The same drawn width x height pixels large (a zoomed view), turned about
// its middle.
void PlatDisplaySpriteSized(int number, int x, int y, int width, int height, int intensity = 255,
                            int tint = kNoTint);
void PlatDisplaySpriteOpaque(int number, int x, int y);
// A frame drawn from the sprite's 3 x 3 tiles (corners, edges, middle; each
// `tile` pixels square) `columns` x `rows` tiles large, its top-left corner
// at x, y: laid out once and kept while the sprite's pixels stay as they
// are, then drawn in one copy, pixel for pixel as the tiles one by one.
// False when it cannot be (a frame over 4096 pixels, say): draw the tiles.
bool PlatDisplayNinePatch(int number, int tile, int x, int y, int columns, int rows);

// ---------------------------------------------------------------------------
// Images and drawing. Images share the numbering scheme of sprites but are a
// separate table.
int PlatCreateImage(int number, int width, int height, uint32_t rgba);  // 0 on failure
void PlatFreeImage(int number);
int PlatImageWidth(int number);
int PlatImageHeight(int number);
// Drawing goes to an image or to a sprite's pixels until PlatStopDrawing.
bool PlatStartDrawingImage(int image);
bool PlatStartDrawingSprite(int sprite);
// Default mode writes red, green and blue and keeps the pixel's alpha (the
// colour's own alpha byte is ignored); kDrawAllChannels writes all four.
void PlatDrawingMode(int mode);
void PlatBox(int x, int y, int width, int height, uint32_t rgba);
void PlatStopDrawing();
// PNG-encodes an image; empty on failure.
std::vector<uint8_t> PlatEncodeImagePng(int image);
// Reads one pixel of an image (0xAABBGGRR); 0 outside.
uint32_t PlatImagePixel(int image, int x, int y);

// ---------------------------------------------------------------------------
// Keyboard. Poll once per frame before any query.
void PlatPollKeyboard();
// True once, at the first poll after the key went up. kKeyAny: any key.
// A key's auto-repeat is never a press of its own.
bool PlatKeyReleased(int scanCode);
// A page opens: a key held now, or pressed and let go before it, is not a
// key for it. Nothing is read as released or typed until a fresh press ends.
void PlatIgnoreHeldKeys();
bool PlatKeyDown(int scanCode);
// Released, having gone down or come up while a Ctrl key was held (true
// once, like PlatKeyReleased).
bool PlatKeyReleasedWithCtrl(int scanCode);
// Characters produced by keys released up to the last poll (Windows-1252),
// translated with layout and shift. Escape, Return, Tab and Backspace give
// the codes 27, 13, 9 and 8.
std::string PlatTypedCharacters();
// The same characters with the key hook's key left in: what a text entry
// reads, where every letter is text.
std::string PlatTypedText();
// A lower-case letter that acts at every screen but a text entry (the
// mute key): PlatTypedCharacters takes it, in either case, out of what it
// returns and calls the hook once for each time it was typed.
void PlatSetKeyHook(char key, void (*hook)());

// Mouse position in the window's client area, -1 when outside it.
int PlatMouseX();
int PlatMouseY();
// Whether a mouse button (1 left, 3 right) is held, as the events read so
// far tell (a press reads as kEventOther; its release is the button event).
bool PlatMouseButtonDown(int button);

// ---------------------------------------------------------------------------
// Regular expressions: 0 on failure; matched against a whole text.
int PlatCompileRegex(const std::string& pattern);
bool PlatRegexMatch(int regex, const std::string& text);
void PlatFreeRegex(int regex);

// ---------------------------------------------------------------------------
// Other services of the desktop.
void PlatMessageBox(const std::string& title, const std::string& text);
bool PlatSetClipboardText(const std::string& text);
std::string PlatGetClipboardText();
void PlatSetWindowTitle(const std::string& title);
// A fatal error on the desktop: the message box titled "Fatal Error", then
// the window closes (the game hands this to SetFatalReporter).
void PlatReportFatal(const std::string& message);

// ---------------------------------------------------------------------------
// Headless and test support. The same layer runs on SDL's dummy video driver
// with the software renderer; these let tests and tools see and drive it.
bool PlatIsHeadless();
// Desktop size reported by PlatExamineDesktops (0, 0: the real one).
void PlatSetDesktopOverride(int width, int height);
// While on, every flip keeps a copy of the frame it presents, so tests can
// look at what the player saw after the loop under test has flipped.
void PlatCaptureFrames(bool on);
// The captured frame (or, without capture, the back buffer) as PNG bytes
// (empty on failure) / written to a file.
std::vector<uint8_t> PlatScreenshotPng();
// The same frame's pixels, RGBA row by row, unencoded (quick to compare).
std::vector<uint8_t> PlatScreenshotRgba();
bool PlatSaveScreenshot(const std::filesystem::path& file);
// Reads one pixel of the back buffer (0xBBGGRR), -1 on failure.
int PlatScreenPixel(int x, int y);
// Push input through SDL's own event queue, addressed to the game window.
void PlatPushMouseMove(int x, int y);
void PlatPushMouseLeave();
void PlatPushButtonDown(int button);  // 1 left, 3 right
void PlatPushButtonUp(int button);
void PlatPushWheel(int notches);    // positive: away from the user
void PlatPushKey(int scanCode, bool down, bool repeat = false);  // repeat: as a held key's auto-repeat
void PlatPushText(const std::string& text);  // Windows-1252, arrives as typed text
// A key press and release producing a character, as a keyboard would.
void PlatPushTypedKey(int scanCode, const std::string& text);
void PlatPushWindowEvent(int code);  // kEventCloseRequest, kEventRepaint, kEventActivate
// Marks the screen device as lost, as a render-device reset would.
void PlatSimulateDeviceLoss();
// Counts of sprite operations, for tests of the drawing code.
struct PlatDrawStats {
  uint64_t displays = 0;
  uint64_t clips = 0;
  uint64_t loads = 0;
};
PlatDrawStats PlatGetDrawStats();
void PlatResetDrawStats();
// The drawing benchmark's bare loop: record the display calls of a frame,
// then issue the very same draws straight to SDL with nothing of the
// layer's own bookkeeping in between.
void PlatRecordDraws(bool on);
size_t PlatRecordedDraws();
void PlatReplayRecordedDrawsRaw();
