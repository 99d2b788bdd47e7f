#include "fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace assetgen {

namespace {

struct Library {
  FT_Library lib = nullptr;
  Library() {
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
  }
  ~Library() {
    if (lib) FT_Done_FreeType(lib);
  }
};

struct Face {
  FT_Face face = nullptr;
  ~Face() {
    if (face) FT_Done_Face(face);
  }
};

bool OpenFace(Library& lib, Face& face, const std::string& file, int pixelSize, std::string& error) {
  if (!lib.lib) {
    error = "could not start FreeType";
    return false;
  }
  std::string path = FontDir() + "/" + file;
  if (FT_New_Face(lib.lib, path.c_str(), 0, &face.face) != 0) {
    error = "could not open font " + path + " (install fonts-dejavu-core)";
    return false;
  }
  if (FT_Set_Pixel_Sizes(face.face, 0, FT_UInt(pixelSize)) != 0) {
    error = "could not size font " + path;
    return false;
  }
  return true;
}

// Coverage of one glyph drawn with its pen at (penX, baseline) into a cell
// image of w x h (values 0..1 in the alpha channel).
void DrawGlyph(FT_Face face, unsigned cp, Image& cell, int penX, int baseline) {
  if (cp == 0 || FT_Get_Char_Index(face, cp) == 0) return;
  if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return;
  const FT_Bitmap& bm = face->glyph->bitmap;
  int left = penX + face->glyph->bitmap_left;
  int top = baseline - face->glyph->bitmap_top;
  for (unsigned j = 0; j < bm.rows; ++j)
    for (unsigned i = 0; i < bm.width; ++i) {
      int x = left + int(i), y = top + int(j);
      if (x < 0 || y < 0 || x >= cell.width || y >= cell.height) continue;
      float v = float(bm.buffer[int(j) * bm.pitch + int(i)]) / 255.0f;
      Rgba& p = cell.At(x, y);
      p.a = std::max(p.a, v);
    }
}

// A check mark for code 251: the check boxes show it as their tick.
void DrawTick(Image& cell, float scale, float ox, float oy) {
  ShadeRect(
      cell, 0, 0, cell.width, cell.height,
      [&](float x, float y) {
        float d1 = SdSegment(x, y, ox + 1.2f * scale, oy + 9.6f * scale, ox + 3.6f * scale, oy + 12.6f * scale);
        float d2 = SdSegment(x, y, ox + 3.6f * scale, oy + 12.6f * scale, ox + 8.0f * scale, oy + 4.6f * scale);
        float d = std::min(d1, d2) - 1.15f * scale;
        return d <= 0 ? Rgba{1, 1, 1, 1} : Rgba{};
      },
      4);
}

bool MakeSheet(Image& out, std::string& error, const char* file, int pixelSize, int cellW, int cellH, int baseline,
               float tickScale, float tickX, float tickY, uint32_t ink, int inkPlaneAlpha, uint32_t paper) {
  Library lib;
  Face face;
  if (!OpenFace(lib, face, file, pixelSize, error)) return false;
  out = Image(cellW * 16, cellH * 14);
  for (int index = 0; index < 224; ++index) {
    unsigned code = unsigned(index + 32);
    Image cell(cellW, cellH);
    if (code == 251) {
      DrawTick(cell, tickScale, tickX, tickY);
    } else if (code == '_') {
      // a solid bar: it doubles as the text cursor
      for (int x = 0; x < cellW; ++x)
        for (int y = cellH - 3; y < cellH - 1; ++y) cell.At(x, y).a = 1;
    } else if (code != 127 && code != 160) {
      DrawGlyph(face.face, Cp1252ToUnicode(code), cell, 0, baseline);
    }
    int ox = (index % 16) * cellW, oy = (index / 16) * cellH;
    for (int y = 0; y < cellH; ++y)
      for (int x = 0; x < cellW; ++x) {
        float a = cell.At(x, y).a;
        Rgba c = Colour(ink, a * float(inkPlaneAlpha) / 255.0f);
        if (paper != 0xFFFFFFFF) c = Over(c, Colour(paper, 1));
        out.At(ox + x, oy + y) = c;
      }
  }
  return true;
}

}  // namespace

std::string FontDir() {
  const char* env = std::getenv("VELOTRAX_FONT_DIR");
  return env && *env ? env : "/usr/share/fonts/truetype/dejavu";
}

unsigned Cp1252ToUnicode(unsigned byte) {
  static const unsigned high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (byte >= 0x80 && byte <= 0x9F) return high[byte - 0x80];
  return byte <= 0xFF ? byte : 0;
}

bool MakeTerminalSheet(Image& out, std::string& error) {
  return MakeSheet(out, error, "DejaVuSansMono-Bold.ttf", 15, 9, 18, 14, 1.0f, 0.0f, 1.0f, 0xFFFFFF, 255, 0xFFFFFFFF);
}

// The main menu's larger face: the same bold mono as Terminal 14, a third
// larger, so the menu reads as a game's and not a dialog's.
bool MakeTerminalLargeSheet(Image& out, std::string& error) {
  return MakeSheet(out, error, "DejaVuSansMono-Bold.ttf", 20, 12, 24, 19, 1.35f, 0.5f, 2.0f, 0xFFFFFF, 255, 0xFFFFFFFF);
}

bool MakeConsolasSheet(Image& out, std::string& error) {
  return MakeSheet(out, error, "DejaVuSansMono.ttf", 11, 7, 14, 11, 0.75f, 0.2f, 0.6f, 0x1C1A16, 255, 0xFFF4D2);
}

Image TextMask(const std::string& fontFile, int pixelSize, const std::string& text, std::string& error) {
  Library lib;
  Face face;
  if (!OpenFace(lib, face, fontFile, pixelSize, error)) return {};
  int width = 0;
  for (char ch : text) {
    if (FT_Load_Char(face.face, FT_ULong(static_cast<unsigned char>(ch)), FT_LOAD_DEFAULT) != 0) continue;
    width += int(face.face->glyph->advance.x >> 6);
  }
  int height = pixelSize * 2;
  Image canvas(width + pixelSize, height);
  int pen = pixelSize / 2;
  int baseline = pixelSize + pixelSize / 2;
  for (char ch : text) {
    unsigned cp = static_cast<unsigned char>(ch);
    DrawGlyph(face.face, cp, canvas, pen, baseline);
    if (FT_Load_Char(face.face, cp, FT_LOAD_DEFAULT) == 0) pen += int(face.face->glyph->advance.x >> 6);
  }
  int x0 = canvas.width, y0 = canvas.height, x1 = -1, y1 = -1;
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x)
      if (canvas.At(x, y).a > 0) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return Image(1, 1);
  Image out(x1 - x0 + 1, y1 - y0 + 1);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      float a = canvas.At(x0 + x, y0 + y).a;
      out.At(x, y) = {a, a, a, a};
    }
  return out;
}

}  // namespace assetgen
