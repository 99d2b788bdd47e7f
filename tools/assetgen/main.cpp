// velotrax-assetgen: draws every image of the game's Images and Theme folders,
// synthesises its Sounds and writes the tile table, all from code and the DejaVu fonts, so the art
// can be regenerated at will. Same input, same bytes.
//
//   velotrax-assetgen GAME_DIR                   write the game's assets
//   velotrax-assetgen --preview GAME_DIR OUT_DIR  also write preview sheets
//   velotrax-assetgen --icons OUT_DIR            the desktop icons, one PNG per size,
//                                                and the Windows programs' .ico
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "art.h"
#include "fonts.h"
#include "geometry.h"
#include "sounds.h"

namespace fs = std::filesystem;
using namespace assetgen;

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "velotrax-assetgen: %s\n", text.c_str());
  return 1;
}

// Written beside the target and renamed over it, so a failed run never
// leaves a half-written file behind.
bool WriteFileAtomically(const fs::path& path, const std::string& bytes, std::string& error) {
  fs::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
      error = "could not write " + tmp.string();
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    error = "could not replace " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool WritePngAtomically(const fs::path& path, const Image& img, std::string& error) {
  fs::path tmp = path;
  tmp += ".tmp";
  if (!WritePng(tmp.string(), img, error)) return false;
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    error = "could not replace " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

// The icon of the Windows programs: the same drawing at 256, 64, 32 and 16
// pixels, each size a PNG inside the .ico file (as Windows has read them
// since Vista). Little-endian directory: the header, one 16-byte entry a
// size, then the images.
bool WriteWindowsIcon(const fs::path& path, std::string& error) {
  const int sizes[] = {256, 64, 32, 16};
  std::vector<std::string> pngs;
  for (int size : sizes) {
    fs::path tmp = path;
    tmp += ".png.tmp";
    if (!WritePng(tmp.string(), MakeIcon(size), error)) return false;
    std::ifstream in(tmp, std::ios::binary);
    pngs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ec;
    fs::remove(tmp, ec);
  }
  std::string ico;
  auto u16 = [&ico](size_t v) {
    ico += static_cast<char>(v & 0xFF);
    ico += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&u16](size_t v) {
    u16(v & 0xFFFF);
    u16((v >> 16) & 0xFFFF);
  };
  u16(0);  // reserved
  u16(1);  // an icon, not a cursor
  u16(pngs.size());
  size_t offset = 6 + 16 * pngs.size();
  for (size_t i = 0; i < pngs.size(); ++i) {
    const char side = static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]);  // 0 means 256
    ico += side;
    ico += side;
    ico += '\0';  // no palette
    ico += '\0';  // reserved
    u16(1);        // colour planes
    u16(32);       // bits a pixel
    u32(pngs[i].size());
    u32(offset);
    offset += pngs[i].size();
  }
  for (const std::string& png : pngs) ico += png;
  return WriteFileAtomically(path, ico, error);
}

}  // namespace

// the-velotrax-256.png and its smaller sizes, for the desktop's icon theme,
// and the-velotrax.ico for the Windows programs.
int WriteIcons(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return Fail("could not create " + folder.string() + ": " + ec.message());
  std::string error;
  for (int size : {256, 128, 64, 32})
    if (!WritePngAtomically(folder / ("the-velotrax-" + std::to_string(size) + ".png"),
                            MakeIcon(size), error))
      return Fail(error);
  if (!WriteWindowsIcon(folder / "the-velotrax.ico", error)) return Fail(error);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--icons") return WriteIcons(argv[2]);
  std::string previewDir;
  fs::path game;
  if (argc == 2) {
    game = argv[1];
  } else if (argc == 4 && std::string(argv[1]) == "--preview") {
    game = argv[2];
    previewDir = argv[3];
  } else {
    std::fprintf(
        stderr,
        "usage: velotrax-assetgen GAME_DIR\n       velotrax-assetgen --preview GAME_DIR OUT_DIR\n"
        "       velotrax-assetgen --icons OUT_DIR\n");
    return 1;
  }
  std::error_code ec;
  for (const char* sub : {"Images", "Theme", "Data", "Sounds"}) {
    fs::create_directories(game / sub, ec);
    if (ec) return Fail("could not create " + (game / sub).string() + ": " + ec.message());
  }
  std::string error;
  Image terminal, terminalLarge, consolas, tileset, cars;
  if (!MakeTerminalSheet(terminal, error)) return Fail(error);
  if (!MakeTerminalLargeSheet(terminalLarge, error)) return Fail(error);
  if (!MakeConsolasSheet(consolas, error)) return Fail(error);
  if (!MakeTileset(tileset, error)) return Fail(error);
  if (!MakeCars(cars, error)) return Fail(error);
  Image logo;
  if (!MakeLogo(logo, error)) return Fail(error);
  const std::pair<fs::path, Image> images[] = {
      {game / "Images" / "Tileset.png", tileset},
      {game / "Images" / "Cars.png", cars},
      {game / "Images" / "Terminal 14.png", terminal},
      {game / "Theme" / "Terminal 14.png", terminal},
      {game / "Theme" / "Terminal 20.png", terminalLarge},
      {game / "Theme" / "Consolas 9.png", consolas},
      {game / "Theme" / "Frame.png", MakeFrame()},
      {game / "Theme" / "Panel.png", MakePanel()},
      {game / "Theme" / "Button Long.png", MakeButton(176)},
      {game / "Theme" / "Button Short.png", MakeButton(82)},
      {game / "Theme" / "Button Long Hover.png", MakeButton(176, true, ButtonLook::Hover)},
      {game / "Theme" / "Button Short Hover.png", MakeButton(82, true, ButtonLook::Hover)},
      {game / "Theme" / "Button Long Pressed.png", MakeButton(176, true, ButtonLook::Pressed)},
      {game / "Theme" / "Button Short Pressed.png", MakeButton(82, true, ButtonLook::Pressed)},
      // the main menu's buttons: wider and taller, for the larger face
      {game / "Theme" / "Button Menu.png", MakeMenuButton(ButtonLook::Normal)},
      {game / "Theme" / "Button Menu Hover.png", MakeMenuButton(ButtonLook::Hover)},
      {game / "Theme" / "Button Menu Pressed.png", MakeMenuButton(ButtonLook::Pressed)},
      {game / "Theme" / "Logo.png", logo},
      {game / "Theme" / "Chart Ink.png", MakeChartInk()},
      {game / "Theme" / "Scroll Arrows.png", MakeScrollArrows()},
  };
  for (const auto& [path, img] : images)
    if (!WritePngAtomically(path, img, error)) return Fail(error);
  if (!WriteFileAtomically(game / "Data" / "Race Track Data.csv", TrackCsv(), error))
    return Fail(error);
  for (const auto& [name, bytes] : MakeSounds())
    if (!WriteFileAtomically(game / "Sounds" / name, bytes, error)) return Fail(error);
  if (!previewDir.empty()) {
    fs::create_directories(previewDir, ec);
    if (ec) return Fail("could not create " + previewDir + ": " + ec.message());
    if (!WritePreviews(previewDir, tileset, cars, error)) return Fail(error);
    if (!WriteGuiPreview(previewDir, tileset, terminal, consolas, error)) return Fail(error);
  }
  return 0;
}
