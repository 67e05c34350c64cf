// ag_palette: the one set of colours every picture of the game is painted with.
//
// Ramps go dark to light. The frog's lime green (AGP_FROG*) is used by
// nothing else, and the grass is a cooler, darker green, so the frog stands
// out on every floor; every sprite gets the AGP_INK outline.
#pragma once
#include "tools/artgen/ag_canvas.h"

constexpr AG_RGBA AGP_INK = {22, 22, 38, 255};  // outlines, darkest shadow
constexpr AG_RGBA AGP_SHADOW = {10, 14, 30, 96};  // cast shadows on the ground (translucent)

// Greys, slightly blue.
constexpr AG_RGBA AGP_GREY1 = {44, 48, 66, 255};
constexpr AG_RGBA AGP_GREY2 = {72, 78, 98, 255};
constexpr AG_RGBA AGP_GREY3 = {110, 118, 138, 255};
constexpr AG_RGBA AGP_GREY4 = {158, 166, 182, 255};
constexpr AG_RGBA AGP_GREY5 = {206, 212, 220, 255};
constexpr AG_RGBA AGP_WHITE = {248, 248, 242, 255};

// The frog.
constexpr AG_RGBA AGP_FROG_DARK = {26, 112, 38, 255};
constexpr AG_RGBA AGP_FROG = {86, 196, 44, 255};
constexpr AG_RGBA AGP_FROG_LIGHT = {164, 234, 76, 255};
constexpr AG_RGBA AGP_FROG_BELLY = {246, 232, 130, 255};
constexpr AG_RGBA AGP_FROG_SPOT = {48, 146, 40, 255};

// Grass and leaves.
constexpr AG_RGBA AGP_GRASS_DARK = {38, 92, 64, 255};
constexpr AG_RGBA AGP_GRASS = {56, 124, 78, 255};
constexpr AG_RGBA AGP_GRASS_LIGHT = {82, 150, 88, 255};
constexpr AG_RGBA AGP_GRASS_HI = {118, 176, 100, 255};
constexpr AG_RGBA AGP_LEAF_DARK = {30, 74, 56, 255};

// Autumn.
constexpr AG_RGBA AGP_DRY_DARK = {120, 96, 48, 255};
constexpr AG_RGBA AGP_DRY = {160, 132, 64, 255};
constexpr AG_RGBA AGP_DRY_LIGHT = {196, 168, 92, 255};

// Road.
constexpr AG_RGBA AGP_TAR_DARK = {46, 50, 62, 255};
constexpr AG_RGBA AGP_TAR = {62, 66, 80, 255};
constexpr AG_RGBA AGP_TAR_LIGHT = {80, 84, 98, 255};
constexpr AG_RGBA AGP_PAINT = {236, 236, 226, 255};
constexpr AG_RGBA AGP_PAINT_YELLOW = {246, 200, 40, 255};

// Water.
constexpr AG_RGBA AGP_WATER_DEEP = {22, 62, 142, 255};
constexpr AG_RGBA AGP_WATER = {34, 100, 192, 255};
constexpr AG_RGBA AGP_WATER_LIGHT = {78, 150, 226, 255};
constexpr AG_RGBA AGP_FOAM = {196, 230, 250, 255};

// Sand, wood, earth.
constexpr AG_RGBA AGP_SAND_DARK = {186, 146, 88, 255};
constexpr AG_RGBA AGP_SAND = {224, 192, 126, 255};
constexpr AG_RGBA AGP_SAND_LIGHT = {244, 222, 164, 255};
constexpr AG_RGBA AGP_WOOD_DARK = {84, 50, 32, 255};
constexpr AG_RGBA AGP_WOOD = {132, 84, 50, 255};
constexpr AG_RGBA AGP_WOOD_LIGHT = {180, 126, 78, 255};
constexpr AG_RGBA AGP_EARTH_DARK = {70, 44, 34, 255};
constexpr AG_RGBA AGP_EARTH = {108, 70, 48, 255};

// Warm colours.
constexpr AG_RGBA AGP_RED_DARK = {136, 22, 42, 255};
constexpr AG_RGBA AGP_RED = {218, 44, 52, 255};
constexpr AG_RGBA AGP_RED_LIGHT = {250, 110, 94, 255};
constexpr AG_RGBA AGP_BRICK_DARK = {116, 42, 38, 255};
constexpr AG_RGBA AGP_BRICK = {168, 66, 50, 255};
constexpr AG_RGBA AGP_BRICK_LIGHT = {204, 106, 80, 255};
constexpr AG_RGBA AGP_ORANGE_DARK = {178, 78, 22, 255};
constexpr AG_RGBA AGP_ORANGE = {242, 130, 34, 255};
constexpr AG_RGBA AGP_ORANGE_LIGHT = {252, 180, 78, 255};
constexpr AG_RGBA AGP_YELLOW_DARK = {206, 144, 18, 255};
constexpr AG_RGBA AGP_YELLOW = {252, 208, 46, 255};
constexpr AG_RGBA AGP_YELLOW_LIGHT = {255, 240, 140, 255};
constexpr AG_RGBA AGP_PINK = {238, 116, 168, 255};
constexpr AG_RGBA AGP_PINK_LIGHT = {255, 180, 210, 255};

// Cool colours.
constexpr AG_RGBA AGP_BLUE_DARK = {30, 48, 118, 255};
constexpr AG_RGBA AGP_BLUE = {50, 98, 208, 255};
constexpr AG_RGBA AGP_BLUE_LIGHT = {108, 158, 248, 255};
constexpr AG_RGBA AGP_ICE = {168, 228, 250, 255};
constexpr AG_RGBA AGP_PURPLE_DARK = {68, 38, 108, 255};
constexpr AG_RGBA AGP_PURPLE = {128, 68, 178, 255};
constexpr AG_RGBA AGP_PURPLE_LIGHT = {188, 128, 228, 255};
constexpr AG_RGBA AGP_GLASS_DARK = {44, 70, 104, 255};
constexpr AG_RGBA AGP_GLASS = {116, 176, 218, 255};
constexpr AG_RGBA AGP_GLASS_LIGHT = {196, 232, 250, 255};
constexpr AG_RGBA AGP_GREEN_DARK = {24, 88, 60, 255};  // painted green (bus, tractor)
constexpr AG_RGBA AGP_GREEN = {34, 146, 92, 255};
constexpr AG_RGBA AGP_GREEN_LIGHT = {92, 198, 132, 255};
