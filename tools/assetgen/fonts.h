// Glyph rendering with FreeType: the game's two font sheets and small texts
// (racing numbers, marker labels) for the artwork.
#pragma once

#include <string>

#include "raster.h"

namespace assetgen {

// Folder of the DejaVu fonts (VELOTRAX_FONT_DIR overrides the Debian path).
std::string FontDir();

// "Terminal 14": 16 x 14 glyphs of 9 x 18 pixels, white with soft alpha.
bool MakeTerminalSheet(Image& out, std::string& error);
// "Terminal 20": 16 x 14 glyphs of 12 x 24 pixels, the main menu's face.
bool MakeTerminalLargeSheet(Image& out, std::string& error);
// "Consolas 9": 16 x 14 glyphs of 7 x 14 pixels, dark on an opaque pale ground.
bool MakeConsolasSheet(Image& out, std::string& error);

// A white coverage image of an ASCII text in the given font file and pixel
// size, tightly cropped; empty image on failure (error set).
Image TextMask(const std::string& fontFile, int pixelSize, const std::string& text, std::string& error);

// Unicode code point of a Windows-1252 byte; 0 for the undefined codes.
unsigned Cp1252ToUnicode(unsigned byte);

}  // namespace assetgen
