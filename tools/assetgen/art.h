// The generator's image builders.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace assetgen {

// Ground and surface textures; all repeat every 64 pixels so that cells
// placed side by side join without seams.
Rgba Grass(float x, float y);
Rgba Gravel(float x, float y);
Rgba Asphalt(float x, float y);
Rgba Sand(float x, float y);
Rgba Water(float x, float y);

// One 64 x 64 track tile (0..39) or marker (40..45).
Image TrackCell(int tile, std::string& error);
// The asphalt a diagonal through a corner (1, 3, 5, 7) puts into a cell
// that only touches that corner.
Image CornerPatchCell(int corner, bool gravel);
// One scenery cell (46..87) and its description for circuit authors.
Image SceneryCell(int tile);
std::string SceneryName(int tile);

bool MakeTileset(Image& out, std::string& error);  // 512 x 704
bool MakeCars(Image& out, std::string& error);     // 512 x 704, cars in cells 0..kCars-1
constexpr int kCars = 24;
// One car's artwork at a point of its 64 x 64 cell (nose up), for drawing it
// at other sizes.
Rgba CarArt(int car, float x, float y);

// The game's icon for the desktop: a car on a loop of track, size x size
// (256 and its halvings).
Image MakeIcon(int size);

// The track view's marks, drawn under a car: the player's car, and the car
// whose move is running. The game reads them from these cells.
constexpr int kPlayerMarkCell = 86;
constexpr int kMovingMarkCell = 87;

// Theme images.
Image MakeFrame();        // 96 x 96
Image MakePanel();        // 24 x 24
// A button's face as it rests, under the pointer and pressed.
enum class ButtonLook { Normal, Hover, Pressed };
Image MakeButton(int w, bool accent = true, ButtonLook look = ButtonLook::Normal, int height = 32);  // w x height
Image MakeMenuButton(ButtonLook look);  // the main menu's 256 x 48
// The title screen's logo (transparent ground).
bool MakeLogo(Image& out, std::string& error);
Image MakeScrollArrows(); // 24 x 64
Image MakeChartInk();     // 8 x 8 white

// Sample circuits drawn from the tile images and the tile table, with cars,
// written into folder (for checking the art; not part of the game).
bool WritePreviews(const std::string& folder, const Image& tileset, const Image& cars,
                   std::string& error);
bool WriteGuiPreview(const std::string& folder, const Image& tileset, const Image& terminal, const Image& consolas,
                     std::string& error);

}  // namespace assetgen
