// Window, screen, sprites, images, input and the other SDL-backed services.
#include <SDL.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>
#endif

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <map>
#include <unordered_map>

#include "common/common.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/png_codec.h"
#include "platform/sound.h"

namespace fs = std::filesystem;

namespace {
struct Sprite {
  SDL_Texture* texture = nullptr;
  RgbaImage pixels;  // kept so the sprite can be drawn on
  SDL_Rect clip{0, 0, 0, 0};
  float angle = 0.0f;
  // Which pixels the texture holds: new with every upload, never reused.
  uint64_t version = 0;
};

// A frame's nine-patch laid out once as one picture, drawn in one copy
// instead of a copy per tile.
struct Patchwork {
  int source = 0;
  uint64_t version = 0;
  int tile = 0, columns = 0, rows = 0;
  int scale = 1;        // each pixel scale x scale output pixels (the UI scale)
  bool opaque = false;  // no pixel to blend: copied as it is
  Sprite sprite;
};

struct State {
  bool videoUp = false;
  bool headless = false;
  int desktopW = 0, desktopH = 0;  // override
  SDL_Window* window = nullptr;
  Uint32 windowId = 0;
  SDL_Renderer* renderer = nullptr;
  int screenW = 0, screenH = 0;  // what the game draws in (the window / the UI scale)
  int physicalW = 0, physicalH = 0;
  int uiScale = 1;
  bool focus = true;
  bool deviceLost = false;
  int eventWindow = 0;
  PlatWheelCallback wheel = nullptr;

  std::unordered_map<int, Sprite> sprites;
  int nextSprite = 1 << 20;  // "any" numbers stay clear of numbers callers choose
  std::unordered_map<int, RgbaImage> images;
  int nextImage = 1 << 20;

  // Drawing target.
  RgbaImage* target = nullptr;
  int targetSprite = 0;
  int drawMode = kDrawDefault;

  // Keyboard, kept from the events read (SDL's own state does not follow
  // pushed events on the dummy driver).
  bool liveDown[256] = {};
  bool pendingRelease[256] = {};
  bool down[256] = {};
  bool released[256] = {};
  bool releasedWithCtrl[256] = {};
  bool pendingCtrlRelease[256] = {};
  bool downWithCtrl[256] = {};
  // Held when a page opened (PlatIgnoreHeldKeys): their release is not a key
  // for that page.
  bool heldFromBefore[256] = {};
  std::string pendingText[256];
  int lastDownKey = -1;
  std::string pendingTyped;
  std::string typed;
  std::string rawTyped;  // typed, the key hook's key left in
  char hookKey = 0;
  void (*keyHook)() = nullptr;

  int mouseX = -1, mouseY = -1;
  bool buttonDown[4] = {};  // by SDL button number: 1 left, 3 right
  int pushedX = -1, pushedY = -1;  // where pushed input last put the pointer
  SDL_Event lastButton{};          // the last button release taken from the queue

  // The kept picture under each frame (see PlatBeginBackdrop), in the
  // output's own pixels; ready once drawn, until the renderer loses it.
  SDL_Texture* backdrop = nullptr;
  int backdropW = 0, backdropH = 0;
  bool backdropReady = false;
  bool drawingBackdrop = false;

  uint64_t uploads = 0;
  std::vector<Patchwork> patchworks;

  bool capture = false;
  PlatRestWaker restWaker = nullptr;
  PlatResizeHook resizeHook = nullptr;
  uint64_t lastPresent = 0;  // SDL_GetTicks64 of the last frame shown
  RgbaImage lastFrame;

  PlatDrawStats stats;
};

State g;

struct RawDraw {
  SDL_Texture* texture;
  SDL_Rect src;
  SDL_Rect dst;
  double angle;
  Uint8 alpha, r, g, b;
  SDL_BlendMode blend;
};
bool gRecording = false;
std::vector<RawDraw> gRecorded;

void Record(const Sprite& s, SDL_Rect dst, int intensity, int tint, bool opaque) {
  if (!gRecording) return;
  RawDraw d{s.texture,
            s.clip,
            dst,
            s.angle,
            static_cast<Uint8>(std::clamp(intensity, 0, 255)),
            255,
            255,
            255,
            opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND};
  if (tint != kNoTint) {
    d.r = tint & 0xFF;
    d.g = (tint >> 8) & 0xFF;
    d.b = (tint >> 16) & 0xFF;
  }
  gRecorded.push_back(d);
}

// SDL scancodes against the set-1 numbering the game speaks.
struct KeyPair {
  SDL_Scancode sdl;
  int code;
};
const KeyPair kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_1, 2},
    {SDL_SCANCODE_2, 3},
    {SDL_SCANCODE_3, 4},
    {SDL_SCANCODE_4, 5},
    {SDL_SCANCODE_5, 6},
    {SDL_SCANCODE_6, 7},
    {SDL_SCANCODE_7, 8},
    {SDL_SCANCODE_8, 9},
    {SDL_SCANCODE_9, 10},
    {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_MINUS, 12},
    {SDL_SCANCODE_EQUALS, 13},
    {SDL_SCANCODE_BACKSPACE, 14},
    {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16},
    {SDL_SCANCODE_W, 17},
    {SDL_SCANCODE_E, 18},
    {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20},
    {SDL_SCANCODE_Y, 21},
    {SDL_SCANCODE_U, 22},
    {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24},
    {SDL_SCANCODE_P, 25},
    {SDL_SCANCODE_LEFTBRACKET, 26},
    {SDL_SCANCODE_RIGHTBRACKET, 27},
    {SDL_SCANCODE_RETURN, 28},
    {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30},
    {SDL_SCANCODE_S, 31},
    {SDL_SCANCODE_D, 32},
    {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34},
    {SDL_SCANCODE_H, 35},
    {SDL_SCANCODE_J, 36},
    {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39},
    {SDL_SCANCODE_APOSTROPHE, 40},
    {SDL_SCANCODE_GRAVE, 41},
    {SDL_SCANCODE_LSHIFT, 42},
    {SDL_SCANCODE_BACKSLASH, 43},
    {SDL_SCANCODE_Z, 44},
    {SDL_SCANCODE_X, 45},
    {SDL_SCANCODE_C, 46},
    {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48},
    {SDL_SCANCODE_N, 49},
    {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52},
    {SDL_SCANCODE_SLASH, 53},
    {SDL_SCANCODE_RSHIFT, 54},
    {SDL_SCANCODE_KP_MULTIPLY, 55},
    {SDL_SCANCODE_LALT, 56},
    {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58},
    {SDL_SCANCODE_F1, 59},
    {SDL_SCANCODE_F2, 60},
    {SDL_SCANCODE_F3, 61},
    {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63},
    {SDL_SCANCODE_F6, 64},
    {SDL_SCANCODE_F7, 65},
    {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67},
    {SDL_SCANCODE_F10, 68},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69},
    {SDL_SCANCODE_SCROLLLOCK, 70},
    {SDL_SCANCODE_KP_7, 71},
    {SDL_SCANCODE_KP_8, 72},
    {SDL_SCANCODE_KP_9, 73},
    {SDL_SCANCODE_KP_MINUS, 74},
    {SDL_SCANCODE_KP_4, 75},
    {SDL_SCANCODE_KP_5, 76},
    {SDL_SCANCODE_KP_6, 77},
    {SDL_SCANCODE_KP_PLUS, 78},
    {SDL_SCANCODE_KP_1, 79},
    {SDL_SCANCODE_KP_2, 80},
    {SDL_SCANCODE_KP_3, 81},
    {SDL_SCANCODE_KP_0, 82},
    {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86},
    {SDL_SCANCODE_F11, 87},
    {SDL_SCANCODE_F12, 88},
    {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_RCTRL, 157},
    {SDL_SCANCODE_KP_DIVIDE, 181},
    {SDL_SCANCODE_PRINTSCREEN, 183},
    {SDL_SCANCODE_RALT, 184},
    {SDL_SCANCODE_PAUSE, 197},
    {SDL_SCANCODE_HOME, 199},
    {SDL_SCANCODE_UP, 200},
    {SDL_SCANCODE_PAGEUP, 201},
    {SDL_SCANCODE_LEFT, 203},
    {SDL_SCANCODE_RIGHT, 205},
    {SDL_SCANCODE_END, 207},
    {SDL_SCANCODE_DOWN, 208},
    {SDL_SCANCODE_PAGEDOWN, 209},
    {SDL_SCANCODE_INSERT, 210},
    {SDL_SCANCODE_DELETE, 211},
    {SDL_SCANCODE_LGUI, 219},
    {SDL_SCANCODE_RGUI, 220},
    {SDL_SCANCODE_APPLICATION, 221},
};

int GameKeyOf(SDL_Scancode sc) {
  for (const auto& k : kKeys) {
    if (k.sdl == sc) return k.code;
  }
  return -1;
}

SDL_Scancode SdlKeyOf(int code) {
  for (const auto& k : kKeys) {
    if (k.code == code) return k.sdl;
  }
  return SDL_SCANCODE_UNKNOWN;
}

// Characters the keyboard gives for keys without text of their own.
char ControlCharOf(int code) {
  switch (code) {
    case kKeyEscape:
      return 27;
    case kKeyReturn:
    case 156:
      return 13;
    case kKeyTab:
      return 9;
    case kKeyBackspace:
      return 8;
    default:
      return 0;
  }
}

int WindowNumberOf(Uint32 id) {
  return (g.window != nullptr && id == g.windowId) ? 1 : 0;
}

void OnKeyDown(int code) {
  if (code < 0 || code > 255) return;
  if (!g.liveDown[code]) g.pendingText[code].clear();
  g.heldFromBefore[code] = false;
  g.downWithCtrl[code] = g.liveDown[kKeyLeftCtrl] || g.liveDown[kKeyRightCtrl];
  g.liveDown[code] = true;
  g.lastDownKey = code;
}

void OnKeyUp(int code) {
  if (code < 0 || code > 255) return;
  g.liveDown[code] = false;
  if (g.lastDownKey == code) g.lastDownKey = -1;
  if (g.heldFromBefore[code]) {
    g.heldFromBefore[code] = false;
    g.downWithCtrl[code] = false;
    g.pendingText[code].clear();
    return;
  }
  g.pendingRelease[code] = true;
  // Ctrl counts when it was held as the key went down or came up: a quick
  // hand lets go of Ctrl before the key, and both may pass between polls.
  if (g.downWithCtrl[code] || g.liveDown[kKeyLeftCtrl] || g.liveDown[kKeyRightCtrl])
    g.pendingCtrlRelease[code] = true;
  g.downWithCtrl[code] = false;
  char control = ControlCharOf(code);
  if (control != 0) g.pendingTyped += control;
  g.pendingTyped += g.pendingText[code];
  g.pendingText[code].clear();
}

void OnText(const char* utf8) {
  std::string text = Utf8ToCp1252(utf8);
  int k = g.lastDownKey;
  if (k >= 0 && g.liveDown[k]) {
    // Auto-repeat sends the text again; a held key types once.
    if (g.pendingText[k].empty()) g.pendingText[k] = text;
  } else {
    g.pendingTyped += text;
  }
}

// Updates the layer's own state from one event; returns the game's code.
int HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
      g.eventWindow = WindowNumberOf(e.key.windowID);
      if (!e.key.repeat) OnKeyDown(GameKeyOf(e.key.keysym.scancode));
      return kEventOther;
    case SDL_KEYUP:
      g.eventWindow = WindowNumberOf(e.key.windowID);
      OnKeyUp(GameKeyOf(e.key.keysym.scancode));
      return kEventOther;
    case SDL_TEXTINPUT:
      g.eventWindow = WindowNumberOf(e.text.windowID);
      OnText(e.text.text);
      return kEventOther;
    case SDL_MOUSEMOTION:
      g.eventWindow = WindowNumberOf(e.motion.windowID);
      if (g.eventWindow != 0) {
        g.mouseX = e.motion.x;
        g.mouseY = e.motion.y;
      }
      return kEventOther;
    case SDL_MOUSEBUTTONDOWN:
      g.eventWindow = WindowNumberOf(e.button.windowID);
      if (g.eventWindow != 0) {
        g.mouseX = e.button.x;
        g.mouseY = e.button.y;
      }
      if (e.button.button < 4) g.buttonDown[e.button.button] = true;
      return kEventOther;
    case SDL_MOUSEBUTTONUP:
      g.eventWindow = WindowNumberOf(e.button.windowID);
      g.lastButton = e;
      if (g.eventWindow != 0) {
        g.mouseX = e.button.x;
        g.mouseY = e.button.y;
      }
      if (e.button.button < 4) g.buttonDown[e.button.button] = false;
      if (e.button.button == SDL_BUTTON_LEFT) return kEventLeftButtonUp;
      if (e.button.button == SDL_BUTTON_RIGHT) return kEventRightButtonUp;
      return kEventOther;
    case SDL_MOUSEWHEEL: {
      g.eventWindow = WindowNumberOf(e.wheel.windowID);
      int notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (g.wheel != nullptr && g.eventWindow != 0 && notches != 0) g.wheel(notches * 120);
      return kEventOther;
    }
    case SDL_WINDOWEVENT:
      g.eventWindow = WindowNumberOf(e.window.windowID);
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          return kEventCloseRequest;
        case SDL_WINDOWEVENT_EXPOSED:
          return kEventRepaint;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          g.focus = true;
          return kEventActivate;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          g.focus = false;
          return kEventOther;
        case SDL_WINDOWEVENT_LEAVE:
          g.mouseX = -1;
          g.mouseY = -1;
          return kEventOther;
#ifdef __EMSCRIPTEN__
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // The page's window took a new size (see PageResized).
          if (e.window.data1 == g.physicalW && e.window.data2 == g.physicalH) return kEventOther;
          PlatResizeScreen(e.window.data1, e.window.data2);
          return kEventRepaint;
#endif
        default:
          return kEventOther;
      }
    case SDL_RENDER_TARGETS_RESET:
      // What was drawn into the backdrop is gone; the texture itself stays.
      g.backdropReady = false;
      g.deviceLost = true;
      g.eventWindow = 1;
      return kEventOther;
    case SDL_RENDER_DEVICE_RESET:
      g.backdropReady = false;
      g.deviceLost = true;
      g.eventWindow = 1;
      return kEventOther;
    default:
      g.eventWindow = 0;
      return kEventOther;
  }
}

void DestroySprite(Sprite& s) {
  if (s.texture != nullptr) SDL_DestroyTexture(s.texture);
  s.texture = nullptr;
}

bool Upload(Sprite& s) {
  if (g.renderer == nullptr) return false;
  if (s.texture == nullptr) {
    s.texture = SDL_CreateTexture(g.renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC,
                                  s.pixels.width, s.pixels.height);
    if (s.texture == nullptr) return false;
    SDL_SetTextureBlendMode(s.texture, SDL_BLENDMODE_BLEND);
  }
  s.version = ++g.uploads;
  return SDL_UpdateTexture(s.texture, nullptr, s.pixels.pixels.data(), s.pixels.width * 4) == 0;
}

int AddSprite(int number, RgbaImage&& pixels) {
  if (g.renderer == nullptr || pixels.width <= 0 || pixels.height <= 0) return 0;
  if (number == kAnySprite) {
    while (g.sprites.count(g.nextSprite) != 0) ++g.nextSprite;
    number = g.nextSprite++;
  } else if (number <= 0) {
    return 0;
  }
  auto old = g.sprites.find(number);
  if (old != g.sprites.end()) {
    DestroySprite(old->second);
    g.sprites.erase(old);
  }
  Sprite s;
  s.pixels = std::move(pixels);
  s.clip = {0, 0, s.pixels.width, s.pixels.height};
  if (!Upload(s)) {
    DestroySprite(s);
    return 0;
  }
  g.sprites.emplace(number, std::move(s));
  ++g.stats.loads;
  return number;
}

Sprite* FindSprite(int number) {
  auto it = g.sprites.find(number);
  return it == g.sprites.end() ? nullptr : &it->second;
}

void DestroyBackdrop() {
  if (g.drawingBackdrop && g.renderer != nullptr) SDL_SetRenderTarget(g.renderer, nullptr);
  if (g.backdrop != nullptr) SDL_DestroyTexture(g.backdrop);
  g.backdrop = nullptr;
  g.backdropW = g.backdropH = 0;
  g.backdropReady = false;
  g.drawingBackdrop = false;
}

void FreeAllSprites() {
  // The backdrop and the patchworks were drawn from sprites that go now.
  DestroyBackdrop();
  for (Patchwork& p : g.patchworks) DestroySprite(p.sprite);
  g.patchworks.clear();
  for (auto& [n, s] : g.sprites) DestroySprite(s);
  g.sprites.clear();
}

bool ReadBackBuffer(RgbaImage& out) {
  out = RgbaImage{};
  if (g.renderer == nullptr) return false;
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(g.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
  if (SDL_RenderReadPixels(g.renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, out.pixels.data(),
                           w * 4) != 0) {
    out = RgbaImage{};
    return false;
  }
  for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 0xFF;
  return true;
}

const RgbaImage* CurrentFrame(RgbaImage& scratch) {
  if (g.capture && g.lastFrame.width > 0) return &g.lastFrame;
  return ReadBackBuffer(scratch) ? &scratch : nullptr;
}

void PushWindowEventRaw(Uint8 which) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = g.windowId;
  e.window.event = which;
  SDL_PushEvent(&e);
}
}  // namespace

// ---------------------------------------------------------------------------
// Start-up.
bool PlatInitSprites() {
  if (g.videoUp) return true;
  // Ctrl+C, kill and the end of a desktop session end the game as they end
  // any program (every file is replaced atomically, so nothing is left half
  // written): SDL must not turn them into a quit event, and a game started in
  // the background of a script must not inherit an ignored SIGINT.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  g.videoUp = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  g.headless = driver != nullptr && std::strcmp(driver, "dummy") == 0;
  return true;
}

bool PlatInitKeyboard() {
  if (!g.videoUp) return false;
  SDL_StartTextInput();
  return true;
}

int PlatExamineDesktops() {
  if (!g.videoUp) return 0;
  int n = SDL_GetNumVideoDisplays();
  return n < 0 ? 0 : n;
}

int PlatDesktopWidth(int desktop) {
  if (g.desktopW > 0) return g.desktopW;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(desktop, &mode) != 0) return 0;
  return mode.w;
}

int PlatDesktopHeight(int desktop) {
  if (g.desktopH > 0) return g.desktopH;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(desktop, &mode) != 0) return 0;
  return mode.h;
}

#ifdef __EMSCRIPTEN__
namespace {
// The browser calls this between two of the game's steps, while the game
// waits: it only posts the new size, which the game takes with its events.
EM_BOOL PageResized(int, const EmscriptenUiEvent* page, void*) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  e.window.windowID = g.windowId;
  e.window.data1 = page->windowInnerWidth;
  e.window.data2 = page->windowInnerHeight;
  SDL_PushEvent(&e);
  return EM_FALSE;
}
}  // namespace
#endif

int PlatOpenWindow(int x, int y, int width, int height, const std::string& title) {
  if (!g.videoUp || g.window != nullptr || width <= 0 || height <= 0) return 0;
  g.window = SDL_CreateWindow(Cp1252ToUtf8(title).c_str(), x, y, width, height,
                              SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
  if (g.window == nullptr) return 0;
  g.windowId = SDL_GetWindowID(g.window);
  g.focus = true;
  SDL_RaiseWindow(g.window);
  return 1;
}

int PlatWindowInnerWidth(int window) {
  if (window != 1 || g.window == nullptr) return 0;
  int w = 0, h = 0;
  SDL_GetWindowSize(g.window, &w, &h);
  return w;
}

int PlatWindowInnerHeight(int window) {
  if (window != 1 || g.window == nullptr) return 0;
  int w = 0, h = 0;
  SDL_GetWindowSize(g.window, &w, &h);
  return h;
}

namespace {
// Whether an "accelerated" renderer is OpenGL drawn by the processor (Mesa's
// llvmpipe or softpipe, on a machine without a graphics driver). SDL's own
// software renderer draws the same frames for a fraction of the work there:
// the GL one fills every pixel of every quad through a shader, a full-screen
// copy costing some 20 ms of processor time at 1920 x 1080.
bool RasterisesOnTheProcessor(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr) return false;
  if (std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (getString == nullptr || SDL_GL_GetCurrentContext() == nullptr) return false;
  constexpr unsigned int kGlRenderer = 0x1F01;
  const unsigned char* name = getString(kGlRenderer);
  if (name == nullptr) return false;
  const std::string text(reinterpret_cast<const char*>(name));
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
    if (text.find(soft) != std::string::npos) return true;
  return false;
}
}  // namespace

bool PlatOpenScreen(int window, int x, int y, int width, int height) {
  (void)x;
  (void)y;
  if (window != 1 || g.window == nullptr || width <= 0 || height <= 0) return false;
  FreeAllSprites();
  if (g.renderer != nullptr) SDL_DestroyRenderer(g.renderer);
  g.renderer = nullptr;
  if (!g.headless) {
    g.renderer =
        SDL_CreateRenderer(g.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (g.renderer != nullptr && RasterisesOnTheProcessor(g.renderer)) {
      SDL_DestroyRenderer(g.renderer);
      g.renderer = nullptr;
      // The software renderer's frames go to the window as they are (shared
      // memory on X11), not through the very same slow GL once more.
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
  }
  if (g.renderer == nullptr) g.renderer = SDL_CreateRenderer(g.window, -1, SDL_RENDERER_SOFTWARE);
  if (g.renderer == nullptr) return false;
  SDL_SetRenderDrawBlendMode(g.renderer, SDL_BLENDMODE_NONE);
  // A new screen starts black, whatever the window surface still shows.
  SDL_SetRenderDrawColor(g.renderer, 0, 0, 0, 0xFF);
  SDL_RenderClear(g.renderer);
  g.physicalW = width;
  g.physicalH = height;
  g.deviceLost = false;
  PlatSetUiScale(g.uiScale);
#ifdef __EMSCRIPTEN__
  // After the renderer: making a WebGL one makes the window afresh, and with
  // it SDL's listeners on the page. The page's resizes are ours alone (SDL's
  // own listener leaves a window of fixed size as it is).
  emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, PageResized);
#endif
  return true;
}

void PlatResizeScreen(int width, int height) {
  if (g.window == nullptr || width <= 0 || height <= 0) return;
  SDL_SetWindowSize(g.window, width, height);
  if (g.desktopW > 0) {
    g.desktopW = width;
    g.desktopH = height;
  }
  g.physicalW = width;
  g.physicalH = height;
  PlatSetUiScale(g.uiScale);
  if (g.resizeHook != nullptr) g.resizeHook();
}

void PlatSetResizeHook(PlatResizeHook hook) {
  g.resizeHook = hook;
}

namespace {
// A logical size scales the drawing and the mouse's events alike.
void ApplyLogicalSize() {
  if (g.renderer == nullptr) return;
  if (g.uiScale > 1) {
    SDL_RenderSetLogicalSize(g.renderer, g.screenW, g.screenH);
  } else {
    SDL_RenderSetLogicalSize(g.renderer, 0, 0);
  }
}
}  // namespace

void PlatSetUiScale(int scale) {
  g.backdropReady = false;
  g.uiScale = Max(scale, 1);
  g.screenW = g.physicalW / g.uiScale;
  g.screenH = g.physicalH / g.uiScale;
  ApplyLogicalSize();
}

int PlatUiScale() {
  return g.uiScale;
}

int PlatScreenWidth() {
  return g.screenW;
}
int PlatScreenHeight() {
  return g.screenH;
}

void PlatSetWindowCallback(int window, PlatWheelCallback callback) {
  if (window == 1) g.wheel = callback;
}

void PlatShutdown() {
  PlatCloseSound();
  FreeAllSprites();  // the backdrop with them
  g.images.clear();
  if (g.renderer != nullptr) SDL_DestroyRenderer(g.renderer);
  if (g.window != nullptr) SDL_DestroyWindow(g.window);
  if (g.videoUp) SDL_Quit();
  int dw = g.desktopW, dh = g.desktopH;
  g = State();
  g.desktopW = dw;
  g.desktopH = dh;
}

// ---------------------------------------------------------------------------
// Each frame.
int PlatNextWindowEvent() {
  if (!g.videoUp) return kEventNone;
  SDL_Event e;
  if (SDL_PollEvent(&e) == 0) return kEventNone;
  return HandleEvent(e);
}

int PlatWaitWindowEvent(int timeoutMs) {
  if (!g.videoUp) return kEventNone;
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, timeoutMs) == 0) return kEventNone;
  return HandleEvent(e);
}

int PlatEventWindow() {
  return g.eventWindow;
}

void PlatClearScreen(int rgb) {
  if (g.renderer == nullptr) return;
  SDL_SetRenderDrawColor(g.renderer, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF, 0xFF);
  SDL_RenderClear(g.renderer);
}

void PlatFlipBuffers() {
  if (g.renderer == nullptr || g.deviceLost) {
    SDL_Delay(10);
    return;
  }
  if (g.capture) ReadBackBuffer(g.lastFrame);
  if (!g.headless) {
    constexpr uint64_t kFrameMs = 16;  // at most 60 frames a second
    uint64_t since = SDL_GetTicks64() - g.lastPresent;
    if (since < kFrameMs) SDL_Delay(static_cast<uint32_t>(kFrameMs - since));
  }
  SDL_RenderPresent(g.renderer);
#ifdef __EMSCRIPTEN__
  // The browser shows the canvas only once the game yields to it: every
  // frame does, however long it took (ASYNCIFY unwinds the loops around).
  emscripten_sleep(0);
#endif
  g.lastPresent = SDL_GetTicks64();
  if (g.headless || g.restWaker == nullptr) return;
  int rest = g.restWaker();
  // Waits for an event without taking it: the loop's own pass handles it.
  if (rest > 0) SDL_WaitEventTimeout(nullptr, rest);
}

PlatRestWaker PlatCurrentRestWaker() {
  return g.restWaker;
}

void PlatSetRestWaker(PlatRestWaker waker) {
  g.restWaker = waker;
}

bool PlatScreenActive() {
  if (g.renderer == nullptr || g.deviceLost) return false;
  return g.headless || g.focus;
}

// ---------------------------------------------------------------------------
// The backdrop.
bool PlatBeginBackdrop() {
  if (g.renderer == nullptr || g.deviceLost || g.drawingBackdrop || g.target != nullptr)
    return false;
  if (SDL_RenderTargetSupported(g.renderer) != SDL_TRUE) return false;
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(g.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
  if (g.backdrop != nullptr && (w != g.backdropW || h != g.backdropH)) DestroyBackdrop();
  g.backdropReady = false;
  // The screen's own transform, read before the target changes it: drawn
  // through the same scale and viewport, the backdrop holds the very pixels
  // a frame drawn straight to the screen would.
  float scaleX = 1.0f, scaleY = 1.0f;
  SDL_RenderGetScale(g.renderer, &scaleX, &scaleY);
  SDL_Rect viewport{};
  SDL_RenderGetViewport(g.renderer, &viewport);
  if (g.backdrop == nullptr) {
    // The window's pixel format, so blending into it rounds as on the screen.
    Uint32 format = SDL_GetWindowPixelFormat(g.window);
    if (format == SDL_PIXELFORMAT_UNKNOWN) format = SDL_PIXELFORMAT_RGB888;
    g.backdrop = SDL_CreateTexture(g.renderer, format, SDL_TEXTUREACCESS_TARGET, w, h);
    if (g.backdrop == nullptr) return false;
    g.backdropW = w;
    g.backdropH = h;
  }
  if (SDL_SetRenderTarget(g.renderer, g.backdrop) != 0) return false;
  g.drawingBackdrop = true;
  SDL_RenderSetScale(g.renderer, scaleX, scaleY);
  SDL_RenderSetViewport(g.renderer, &viewport);
  return true;
}

void PlatEndBackdrop() {
  if (!g.drawingBackdrop) return;
  // Back to the screen, its logical size, scale and viewport restored.
  SDL_SetRenderTarget(g.renderer, nullptr);
  g.drawingBackdrop = false;
  g.backdropReady = !g.deviceLost;
}

bool PlatShowBackdrop() {
  if (!g.backdropReady || g.drawingBackdrop || g.renderer == nullptr || g.deviceLost) return false;
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(g.renderer, &w, &h) != 0 || w != g.backdropW || h != g.backdropH)
    return false;
  // Pixel for pixel over the whole output: the logical size is set aside
  // for the copy.
  SDL_RenderSetLogicalSize(g.renderer, 0, 0);
  SDL_SetTextureBlendMode(g.backdrop, SDL_BLENDMODE_NONE);
  const bool copied = SDL_RenderCopy(g.renderer, g.backdrop, nullptr, nullptr) == 0;
  ApplyLogicalSize();
  g.backdropReady = copied;
  return copied;
}

void PlatForgetBackdrop() {
  g.backdropReady = false;
}

// ---------------------------------------------------------------------------
// Sprites.
namespace {
// Fills `bytes` (a whole number of pixels) with one RGBA pixel: the pixel,
// then the filled part copied after itself, a few copies instead of a write
// per pixel.
void FillWithPixel(uint8_t* p, size_t bytes, const uint8_t (&rgba)[4]) {
  if (bytes == 0) return;
  std::memcpy(p, rgba, 4);
  for (size_t done = 4; done < bytes; done *= 2)
    std::memcpy(p + done, p, std::min(done, bytes - done));
}
}  // namespace

int PlatLoadSprite(int number, const fs::path& pngFile) {
  std::string bytes;
  if (!PlatReadFile(pngFile, bytes)) return 0;
  RgbaImage image;
  if (!DecodePng(bytes.data(), bytes.size(), image)) return 0;
  return AddSprite(number, std::move(image));
}

int PlatSpriteFromMemory(int number, const void* png, size_t size) {
  RgbaImage image;
  if (!DecodePng(png, size, image)) return 0;
  return AddSprite(number, std::move(image));
}

int PlatCreateSprite(int number, int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  const uint8_t opaqueBlack[4] = {0, 0, 0, 0xFF};
  FillWithPixel(image.pixels.data(), image.pixels.size(), opaqueBlack);
  return AddSprite(number, std::move(image));
}

void PlatFreeSprite(int number) {
  if (number == -1) {
    FreeAllSprites();
    return;
  }
  auto it = g.sprites.find(number);
  if (it == g.sprites.end()) return;
  if (g.target == &it->second.pixels) PlatStopDrawing();
  DestroySprite(it->second);
  g.sprites.erase(it);
}

int PlatScaledSpriteCopy(int number, int width, int height) {
  Sprite* s = FindSprite(number);
  if (s == nullptr || width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
  const RgbaImage& from = s->pixels;
  if (from.width <= 0 || from.height <= 0) return 0;
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  // Nearest pixel, as a scaled draw of the sprite would pick it.
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * from.height / height);
    for (int x = 0; x < width; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x) * from.width / width);
      std::memcpy(&image.pixels[(static_cast<size_t>(y) * width + x) * 4],
                  &from.pixels[(static_cast<size_t>(sy) * from.width + sx) * 4], 4);
    }
  }
  return AddSprite(kAnySprite, std::move(image));
}

bool PlatIsSprite(int number) {
  return FindSprite(number) != nullptr;
}

int PlatSpriteWidth(int number) {
  Sprite* s = FindSprite(number);
  return s ? s->pixels.width : 0;
}

int PlatSpriteHeight(int number) {
  Sprite* s = FindSprite(number);
  return s ? s->pixels.height : 0;
}

void PlatClipSprite(int number, int x, int y, int width, int height) {
  Sprite* s = FindSprite(number);
  if (s == nullptr) return;
  ++g.stats.clips;
  int w = s->pixels.width, h = s->pixels.height;
  x = std::clamp(x, 0, w);
  y = std::clamp(y, 0, h);
  if (width < 0) width = w - x;
  if (height < 0) height = h - y;
  s->clip = {x, y, std::clamp(width, 0, w - x), std::clamp(height, 0, h - y)};
}

void PlatRotateSprite(int number, float angle, int mode) {
  Sprite* s = FindSprite(number);
  if (s == nullptr) return;
  float a = mode == 1 ? s->angle + angle : angle;
  a = std::fmod(a, 360.0f);
  if (a < 0) a += 360.0f;
  s->angle = a;
}

float PlatSpriteAngle(int number) {
  Sprite* s = FindSprite(number);
  return s ? s->angle : 0.0f;
}

void PlatDisplaySprite(int number, int x, int y, int intensity, int tint) {
  Sprite* s = FindSprite(number);
  if (s == nullptr) return;
  PlatDisplaySpriteSized(number, x, y, s->clip.w, s->clip.h, intensity, tint);
}

void PlatDisplaySpriteSized(int number, int x, int y, int width, int height, int intensity,
                            int tint) {
  Sprite* s = FindSprite(number);
  if (s == nullptr || g.renderer == nullptr || s->clip.w <= 0 || s->clip.h <= 0) return;
  if (width <= 0 || height <= 0) return;
  ++g.stats.displays;
  SDL_SetTextureBlendMode(s->texture, SDL_BLENDMODE_BLEND);
  SDL_SetTextureAlphaMod(s->texture, static_cast<Uint8>(std::clamp(intensity, 0, 255)));
  if (tint == kNoTint) {
    SDL_SetTextureColorMod(s->texture, 255, 255, 255);
  } else {
    SDL_SetTextureColorMod(s->texture, tint & 0xFF, (tint >> 8) & 0xFF, (tint >> 16) & 0xFF);
  }
  SDL_Rect dst{x, y, width, height};
  Record(*s, dst, intensity, tint, false);
  if (s->angle == 0.0f) {
    SDL_RenderCopy(g.renderer, s->texture, &s->clip, &dst);
  } else {
    SDL_RenderCopyEx(g.renderer, s->texture, &s->clip, &dst, s->angle, nullptr, SDL_FLIP_NONE);
  }
}

namespace {
// The patchwork of a sprite's nine tiles `columns` x `rows` tiles large,
// made when first asked for (or after the sprite's pixels changed); nullptr
// when it cannot be made.
const Patchwork* PatchworkOf(int number, const Sprite& source, int tile, int columns, int rows,
                             int scale) {
  for (const Patchwork& p : g.patchworks)
    if (p.source == number && p.version == source.version && p.tile == tile &&
        p.columns == columns && p.rows == rows && p.scale == scale)
      return &p;
  // Few frames are on the screen at once; a long-gone one is made again.
  constexpr size_t kKept = 24;
  if (g.patchworks.size() >= kKept) {
    DestroySprite(g.patchworks.front().sprite);
    g.patchworks.erase(g.patchworks.begin());
  }
  Patchwork p{number, source.version, tile, columns, rows, scale, false, {}};
  RgbaImage out;
  out.width = columns * tile;
  out.height = rows * tile;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
  const RgbaImage& from = source.pixels;
  for (int r = 0; r < rows; ++r) {
    const int imageRow = r == 0 ? 0 : (r == rows - 1 ? 2 : 1);
    for (int c = 0; c < columns; ++c) {
      const int imageColumn = c == 0 ? 0 : (c == columns - 1 ? 2 : 1);
      // The tile as a clip of the sprite would cut it at the sprite's edge.
      const int x0 = std::min(imageColumn * tile, from.width);
      const int y0 = std::min(imageRow * tile, from.height);
      const int w = std::min(tile, from.width - x0), h = std::min(tile, from.height - y0);
      for (int y = 0; y < h; ++y)
        std::memcpy(&out.pixels[(static_cast<size_t>(r * tile + y) * out.width + c * tile) * 4],
                    &from.pixels[(static_cast<size_t>(y0 + y) * from.width + x0) * 4],
                    static_cast<size_t>(w) * 4);
    }
  }
  p.opaque = true;
  for (size_t i = 3; i < out.pixels.size() && p.opaque; i += 4) p.opaque = out.pixels[i] == 0xFF;
  if (scale == 1) {
    p.sprite.pixels = std::move(out);
  } else {
    // Each pixel a scale x scale block, as the renderer's nearest-pixel
    // scaling would draw it, so the copy needs no scaling at all.
    RgbaImage& big = p.sprite.pixels;
    big.width = out.width * scale;
    big.height = out.height * scale;
    big.pixels.resize(static_cast<size_t>(big.width) * big.height * 4);
    for (int y = 0; y < big.height; ++y) {
      const uint8_t* from = &out.pixels[static_cast<size_t>(y / scale) * out.width * 4];
      uint8_t* to = &big.pixels[static_cast<size_t>(y) * big.width * 4];
      for (int x = 0; x < big.width; ++x) std::memcpy(to + x * 4, from + (x / scale) * 4, 4);
    }
  }
  if (!Upload(p.sprite)) {
    DestroySprite(p.sprite);
    return nullptr;
  }
  p.sprite.clip = {0, 0, p.sprite.pixels.width, p.sprite.pixels.height};
  g.patchworks.push_back(std::move(p));
  return &g.patchworks.back();
}
}  // namespace

bool PlatDisplayNinePatch(int number, int tile, int x, int y, int columns, int rows) {
  Sprite* s = FindSprite(number);
  constexpr int kLargest = 4096;
  if (s == nullptr || g.renderer == nullptr || tile <= 0 || columns <= 0 || rows <= 0 ||
      columns > kLargest / tile || rows > kLargest / tile)
    return false;
  const Patchwork* p = PatchworkOf(number, *s, tile, columns, rows, 1);
  if (p == nullptr) return false;
  // An opaque frame at a whole UI scale that fills the output exactly is
  // laid out at the output's own size and copied one to one: scaling a
  // frame the height of a 4K screen at every draw is most of that frame's
  // cost on a software renderer. (Blending rounds differently when scaled,
  // so a frame with see-through pixels is scaled by the renderer as ever.)
  int scale = 1;
  if (p->opaque && g.uiScale > 1 && !g.drawingBackdrop) {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(g.renderer, &w, &h) == 0 && w == g.screenW * g.uiScale &&
        h == g.screenH * g.uiScale)
      scale = g.uiScale;
  }
  if (scale > 1) p = PatchworkOf(number, *s, tile, columns, rows, scale);
  if (p == nullptr) return false;
  ++g.stats.displays;
  const Sprite& w = p->sprite;
  SDL_SetTextureBlendMode(w.texture, p->opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
  SDL_Rect dst{x * scale, y * scale, w.pixels.width, w.pixels.height};
  Record(w, dst, 255, kNoTint, p->opaque);
  if (scale > 1) SDL_RenderSetLogicalSize(g.renderer, 0, 0);
  SDL_RenderCopy(g.renderer, w.texture, &w.clip, &dst);
  if (scale > 1) ApplyLogicalSize();
  return true;
}

void PlatDisplaySpriteOpaque(int number, int x, int y) {
  Sprite* s = FindSprite(number);
  if (s == nullptr || g.renderer == nullptr || s->clip.w <= 0 || s->clip.h <= 0) return;
  ++g.stats.displays;
  SDL_SetTextureBlendMode(s->texture, SDL_BLENDMODE_NONE);
  SDL_SetTextureAlphaMod(s->texture, 255);
  SDL_SetTextureColorMod(s->texture, 255, 255, 255);
  SDL_Rect dst{x, y, s->clip.w, s->clip.h};
  Record(*s, dst, 255, kNoTint, true);
  if (s->angle == 0.0f) {
    SDL_RenderCopy(g.renderer, s->texture, &s->clip, &dst);
  } else {
    SDL_RenderCopyEx(g.renderer, s->texture, &s->clip, &dst, s->angle, nullptr, SDL_FLIP_NONE);
  }
  SDL_SetTextureBlendMode(s->texture, SDL_BLENDMODE_BLEND);
}

// ---------------------------------------------------------------------------
// Images and drawing.
int PlatCreateImage(int number, int width, int height, uint32_t rgba) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
  if (number == kAnySprite) {
    while (g.images.count(g.nextImage) != 0) ++g.nextImage;
    number = g.nextImage++;
  } else if (number <= 0) {
    return 0;
  }
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    image.pixels[i] = rgba & 0xFF;
    image.pixels[i + 1] = (rgba >> 8) & 0xFF;
    image.pixels[i + 2] = (rgba >> 16) & 0xFF;
    image.pixels[i + 3] = (rgba >> 24) & 0xFF;
  }
  if (g.target == &g.images[number]) PlatStopDrawing();
  g.images[number] = std::move(image);
  return number;
}

void PlatFreeImage(int number) {
  auto it = g.images.find(number);
  if (it == g.images.end()) return;
  if (g.target == &it->second) PlatStopDrawing();
  g.images.erase(it);
}

int PlatImageWidth(int number) {
  auto it = g.images.find(number);
  return it == g.images.end() ? 0 : it->second.width;
}

int PlatImageHeight(int number) {
  auto it = g.images.find(number);
  return it == g.images.end() ? 0 : it->second.height;
}

bool PlatStartDrawingImage(int image) {
  auto it = g.images.find(image);
  if (it == g.images.end()) return false;
  PlatStopDrawing();
  g.target = &it->second;
  g.targetSprite = 0;
  g.drawMode = kDrawDefault;
  return true;
}

bool PlatStartDrawingSprite(int sprite) {
  Sprite* s = FindSprite(sprite);
  if (s == nullptr) return false;
  PlatStopDrawing();
  g.target = &s->pixels;
  g.targetSprite = sprite;
  g.drawMode = kDrawDefault;
  return true;
}

void PlatDrawingMode(int mode) {
  g.drawMode = mode;
}

void PlatBox(int x, int y, int width, int height, uint32_t rgba) {
  RgbaImage* t = g.target;
  if (t == nullptr || width <= 0 || height <= 0) return;
  const uint8_t c[4] = {static_cast<uint8_t>(rgba & 0xFF), static_cast<uint8_t>((rgba >> 8) & 0xFF),
                        static_cast<uint8_t>((rgba >> 16) & 0xFF),
                        static_cast<uint8_t>((rgba >> 24) & 0xFF)};
  const bool all = (g.drawMode & kDrawAllChannels) != 0;
  const bool outline = (g.drawMode & kDrawOutlined) != 0;
  const long long right = static_cast<long long>(x) + width - 1;
  const long long bottom = static_cast<long long>(y) + height - 1;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<long long>(right + 1, t->width));
  const int y1 = static_cast<int>(std::min<long long>(bottom + 1, t->height));
  if (x0 >= x1 || y0 >= y1) return;
  // Paints columns [from, to) of row py, both already inside the target
  // (frames and erasers fill whole screens with all four channels).
  auto paint = [&](int py, int from, int to) {
    uint8_t* p = t->pixels.data() + (static_cast<size_t>(py) * t->width + from) * 4;
    if (all) {
      FillWithPixel(p, static_cast<size_t>(to - from) * 4, c);
      return;
    }
    for (int px = from; px < to; ++px, p += 4) {
      p[0] = c[0];
      p[1] = c[1];
      p[2] = c[2];
    }
  };
  for (int py = y0; py < y1; ++py) {
    if (!outline || py == y || py == bottom) {
      paint(py, x0, x1);
      continue;
    }
    // An outline's side rows: its two edge columns, where they are on the target.
    if (x >= x0) paint(py, x, x + 1);
    if (right != x && right < x1) paint(py, static_cast<int>(right), static_cast<int>(right) + 1);
  }
}

void PlatStopDrawing() {
  if (g.target != nullptr && g.targetSprite != 0) {
    Sprite* s = FindSprite(g.targetSprite);
    if (s != nullptr) Upload(*s);
  }
  g.target = nullptr;
  g.targetSprite = 0;
  g.drawMode = kDrawDefault;
}

std::vector<uint8_t> PlatEncodeImagePng(int image) {
  auto it = g.images.find(image);
  if (it == g.images.end()) return {};
  return EncodePng(it->second);
}

uint32_t PlatImagePixel(int image, int x, int y) {
  auto it = g.images.find(image);
  if (it == g.images.end()) return 0;
  const RgbaImage& im = it->second;
  if (x < 0 || y < 0 || x >= im.width || y >= im.height) return 0;
  const uint8_t* p = &im.pixels[(static_cast<size_t>(y) * im.width + x) * 4];
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// ---------------------------------------------------------------------------
// Keyboard and mouse.
void PlatPollKeyboard() {
  if (g.videoUp) {
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_TEXTEDITING_EXT) > 0)
      HandleEvent(e);
  }
  for (int k = 0; k < 256; ++k) {
    g.released[k] = g.pendingRelease[k];
    g.pendingRelease[k] = false;
    g.releasedWithCtrl[k] = g.pendingCtrlRelease[k];
    g.pendingCtrlRelease[k] = false;
    g.down[k] = g.liveDown[k];
  }
  g.typed = g.pendingTyped;
  g.rawTyped = g.typed;
  g.pendingTyped.clear();
}

void PlatIgnoreHeldKeys() {
  for (int k = 0; k < 256; ++k) {
    if (g.liveDown[k]) g.heldFromBefore[k] = true;
    g.pendingText[k].clear();
    g.pendingRelease[k] = g.released[k] = false;
    g.pendingCtrlRelease[k] = g.releasedWithCtrl[k] = false;
  }
  g.pendingTyped.clear();
  g.typed.clear();
  g.rawTyped.clear();
}

bool PlatKeyReleased(int scanCode) {
  if (scanCode == kKeyAny) {
    for (bool r : g.released) {
      if (r) return true;
    }
    return false;
  }
  if (scanCode < 0 || scanCode > 255) return false;
  return g.released[scanCode];
}

bool PlatKeyReleasedWithCtrl(int scanCode) {
  if (scanCode < 0 || scanCode > 255) return false;
  return g.releasedWithCtrl[scanCode];
}

bool PlatKeyDown(int scanCode) {
  if (scanCode < 0 || scanCode > 255) return false;
  return g.down[scanCode];
}

std::string PlatTypedCharacters() {
  if (g.keyHook != nullptr && g.hookKey != 0) {
    // Taken out once per poll: a screen that reads the keys twice does not
    // act on the key twice.
    const size_t before = g.typed.size();
    std::erase_if(g.typed, [](char c) { return c == g.hookKey || c == g.hookKey - 'a' + 'A'; });
    for (size_t n = g.typed.size(); n < before; ++n) g.keyHook();
  }
  return g.typed;
}

std::string PlatTypedText() {
  return g.rawTyped;
}

void PlatSetKeyHook(char key, void (*hook)()) {
  g.hookKey = key;
  g.keyHook = hook;
}

int PlatMouseX() {
  return g.mouseX;
}
bool PlatMouseButtonDown(int button) {
  return button >= 1 && button <= 3 && g.buttonDown[button];
}
int PlatMouseY() {
  return g.mouseY;
}

// ---------------------------------------------------------------------------
// Other services.
namespace {
void ShowSystemBox(Uint32 kind, const std::string& title, const std::string& text) {
  // Nobody could see a box on the dummy driver, and a box there must not
  // wait for a click that never comes.
  if (g.headless || SDL_getenv("VELOTRAX_NO_MESSAGE_BOX") != nullptr) return;
  const char* driver = SDL_getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && std::strcmp(driver, "dummy") == 0) return;
  SDL_ShowSimpleMessageBox(kind, Cp1252ToUtf8(title).c_str(), Cp1252ToUtf8(text).c_str(),
                           g.window);
}
}  // namespace

void PlatReportFatal(const std::string& message) {
#ifdef __EMSCRIPTEN__
  // The page shows it in its own box (web/page.js); an alert would stop it.
  EM_ASM({ if (Module["velotraxFatal"]) Module["velotraxFatal"](UTF8ToString($0)); },
         Cp1252ToUtf8(message).c_str());
#else
  ShowSystemBox(SDL_MESSAGEBOX_ERROR, "Fatal Error", message);
#endif
  PlatShutdown();
}

void PlatMessageBox(const std::string& title, const std::string& text) {
  ShowSystemBox(SDL_MESSAGEBOX_INFORMATION, title, text);
}

bool PlatSetClipboardText(const std::string& text) {
  if (!g.videoUp) return false;
  return SDL_SetClipboardText(Cp1252ToUtf8(text).c_str()) == 0;
}

std::string PlatGetClipboardText() {
  if (!g.videoUp) return "";
  char* t = SDL_GetClipboardText();
  if (t == nullptr) return "";
  std::string out = Utf8ToCp1252(t);
  SDL_free(t);
  return out;
}

void PlatSetWindowTitle(const std::string& title) {
  if (g.window != nullptr) SDL_SetWindowTitle(g.window, Cp1252ToUtf8(title).c_str());
}

// ---------------------------------------------------------------------------
// Headless and test support.
bool PlatIsHeadless() {
  return g.headless;
}

void PlatSetDesktopOverride(int width, int height) {
  g.desktopW = width;
  g.desktopH = height;
}

void PlatCaptureFrames(bool on) {
  g.capture = on;
  if (!on) g.lastFrame = RgbaImage{};
}

std::vector<uint8_t> PlatScreenshotPng() {
  RgbaImage scratch;
  const RgbaImage* frame = CurrentFrame(scratch);
  return frame ? EncodePng(*frame) : std::vector<uint8_t>{};
}

std::vector<uint8_t> PlatScreenshotRgba() {
  RgbaImage scratch;
  const RgbaImage* frame = CurrentFrame(scratch);
  return frame ? frame->pixels : std::vector<uint8_t>{};
}

bool PlatSaveScreenshot(const fs::path& file) {
  std::vector<uint8_t> png = PlatScreenshotPng();
  if (png.empty()) return false;
  return PlatWriteFileAtomic(file, std::string(png.begin(), png.end()));
}

int PlatScreenPixel(int x, int y) {
  RgbaImage scratch;
  const RgbaImage* frame = CurrentFrame(scratch);
  if (frame == nullptr || x < 0 || y < 0 || x >= frame->width || y >= frame->height) return -1;
  const uint8_t* p = &frame->pixels[(static_cast<size_t>(y) * frame->width + x) * 4];
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

void PlatPushMouseMove(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = g.windowId;
  e.motion.x = x;
  e.motion.y = y;
  g.pushedX = x;
  g.pushedY = y;
  SDL_PushEvent(&e);
}

void PlatPushMouseLeave() {
  g.pushedX = g.pushedY = -1;
  PushWindowEventRaw(SDL_WINDOWEVENT_LEAVE);
}

void PlatRepeatLastClick() {
  if (!g.videoUp || g.lastButton.type != SDL_MOUSEBUTTONUP) return;
  SDL_Event e = g.lastButton;
  SDL_PushEvent(&e);
}

namespace {
// A button event carries the pointer position: where pushed input last moved
// it, or where it is now.
void PushButtonEvent(Uint32 type, int button) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = g.windowId;
  e.button.button = static_cast<Uint8>(button);
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = g.pushedX >= 0 ? g.pushedX : g.mouseX;
  e.button.y = g.pushedX >= 0 ? g.pushedY : g.mouseY;
  SDL_PushEvent(&e);
}
}  // namespace

void PlatPushButtonDown(int button) { PushButtonEvent(SDL_MOUSEBUTTONDOWN, button); }

void PlatPushButtonUp(int button) { PushButtonEvent(SDL_MOUSEBUTTONUP, button); }

void PlatPushWheel(int notches) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = g.windowId;
  e.wheel.y = notches;
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&e);
}

void PlatPushKey(int scanCode, bool down, bool repeat) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.repeat = down && repeat ? 1 : 0;
  e.key.windowID = g.windowId;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = SdlKeyOf(scanCode);
  e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
  SDL_PushEvent(&e);
}

void PlatPushText(const std::string& text) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = g.windowId;
  std::string utf8 = Cp1252ToUtf8(text);
  std::strncpy(e.text.text, utf8.c_str(), sizeof(e.text.text) - 1);
  SDL_PushEvent(&e);
}

void PlatPushTypedKey(int scanCode, const std::string& text) {
  PlatPushKey(scanCode, true);
  if (!text.empty()) PlatPushText(text);
  PlatPushKey(scanCode, false);
}

void PlatPushWindowEvent(int code) {
  switch (code) {
    case kEventCloseRequest:
      PushWindowEventRaw(SDL_WINDOWEVENT_CLOSE);
      break;
    case kEventRepaint:
      PushWindowEventRaw(SDL_WINDOWEVENT_EXPOSED);
      break;
    case kEventActivate:
      PushWindowEventRaw(SDL_WINDOWEVENT_FOCUS_GAINED);
      break;
    default:
      break;
  }
}

void PlatSimulateDeviceLoss() {
  g.deviceLost = true;
}

PlatDrawStats PlatGetDrawStats() {
  return g.stats;
}
void PlatResetDrawStats() {
  g.stats = PlatDrawStats{};
}

void PlatRecordDraws(bool on) {
  gRecording = on;
  if (on) gRecorded.clear();
}

size_t PlatRecordedDraws() {
  return gRecorded.size();
}

void PlatReplayRecordedDrawsRaw() {
  if (g.renderer == nullptr) return;
  for (const RawDraw& d : gRecorded) {
    SDL_SetTextureBlendMode(d.texture, d.blend);
    SDL_SetTextureAlphaMod(d.texture, d.alpha);
    SDL_SetTextureColorMod(d.texture, d.r, d.g, d.b);
    if (d.angle == 0.0) {
      SDL_RenderCopy(g.renderer, d.texture, &d.src, &d.dst);
    } else {
      SDL_RenderCopyEx(g.renderer, d.texture, &d.src, &d.dst, d.angle, nullptr, SDL_FLIP_NONE);
    }
  }
}
