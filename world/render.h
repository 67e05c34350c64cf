// The world renderer: the view state, the projection of the tile world into screen polygons in painter's order, objects and overlay sprites, the background, the transparency tables and the editor overlay.
//
// The camera looks along -z. A frame visits the rows from `view_depth` rows
// ahead of the camera row up to the camera row (far to near) and, in each
// row, the columns from the outside in (the camera column last); each cell
// draws the walls behind the rest of it (its far wall, and a side wall seen
// from the cell's inside), its floors, the objects standing in it, and the
// walls in front (a side wall seen from outside, then its near wall), so no
// depth buffer is needed. A wall whose neighbour covers it is not drawn. Every point is
// projected here with whole screen coordinates; the finished polygons go
// to the renderer's output (world/render_out.h; the program installs the
// OpenGL one of world/gen/render_gl.h), each vertex with its depth so that
// textures are interpolated with perspective.
//
// Screen coordinates are pixels of the viewport, origin top left, x right,
// y down. World units: x grows with the column, z with the row, y is height.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/render_out.h"

// ---------------------------------------------------------------- limits
constexpr int RENDER_ROWS = 51;                  // row_half_width entries: distances 0 to 50 rows
constexpr double RENDER_NEAR = 5.0;              // nearest depth drawn, world units
constexpr double RENDER_WINDOW_OPEN = 999.0;     // Draw_Object limit that cuts nothing
constexpr int RENDER_FONT_GLYPHS = 224;          // glyphs of the editor font
constexpr int RENDER_FONT_ROWS = 7;              // rows of a glyph (five pixels each, bit 4 leftmost)
constexpr int RENDER_FONT_BUFFER = 1792;         // bytes kept for the font
constexpr int RENDER_FONT_ADVANCE = 6;           // pixels from one character to the next
constexpr int RENDER_TRANSPARENCY_TABLE = 65536; // bytes of one transparency table

// ---------------------------------------------------------------- view state
// Who writes it: the static defaults below; Set_Viewport the six viewport
// fields; Init_3D_Engine the lighting, fade and horizon fields and
// `row_half_width`; the game the lighting switches, fade, `view_depth`,
// `horizon_shift`, `floors_on` and `walls_on`. Render_World changes
// `centre_y` during a frame and restores it.
struct RENDER_VIEW {
  int32_t view_right;     // last pixel column of the viewport (width - 1); default 319
  int32_t view_bottom;    // last pixel row (height - 1); default 199
  int32_t centre_x;       // screen column of the view axis; default 160
  int32_t centre_y;       // screen row of the view axis; default 100
  int32_t proj_x;         // horizontal projection scale, pixels x depth per world unit; default 200
  int32_t proj_y;         // vertical projection scale; default 166
  int32_t view_depth;     // rows drawn in front of the camera row; default 15 (the game sets 40)
  int32_t horizon_shift;  // percent of view_bottom added to centre_y during a frame; default 0
  uint8_t cell_lighting;    // 1: cells are drawn with their tint and brightness; default 0
  uint8_t object_lighting;  // 1: objects likewise; default 0
  int32_t fade_start;     // distance in rows from which brightness fades; default 8
  double fade_rate;       // brightness steps lost per row beyond fade_start; default 1.0
  uint8_t floors_on;      // 1: upper and lower faces are drawn; default 1
  uint8_t walls_on;       // 1: walls are drawn; default 1
  // Columns drawn on each side of the camera column, by distance in rows
  // (RENDER_ROWS entries); null outside Init_3D_Engine .. Free_3D_Engine.
  const uint8_t* row_half_width;
};
extern RENDER_VIEW render_view;

// A tint (0 to 15: the colour ramp) and a brightness (0 to 15, 15 full).
struct RENDER_LIGHT {
  int tint;
  int brightness;
};

// ---------------------------------------------------------------- output
// Installs `output` (copied; world/render_out.h). Every null entry, or all
// of them for a null table, does nothing (`screen` and `picture` answer 0):
// until the program installs its 3D back end's output the world draws
// nowhere.
void Render_Output_Set(const RENDER_OUTPUT* output);

// What the drawing handed out since the last Render_World began (overlay
// sprites drawn after it count too).
struct RENDER_STATS {
  int32_t rows;      // rows visited
  int32_t cells;     // cells of the world visited
  int32_t polygons;  // polygons handed to the output
  int32_t objects;   // object pieces drawn
};
RENDER_STATS Render_Stats();

// ---------------------------------------------------------------- engine
// Starts the renderer for the loaded level: lighting off, fade_rate 1.0,
// horizon_shift 0, fade_start 8; allocates the polygon buffer ("cua in init
// 3d engine", RENDER_POLYGON_BUFFER bytes) and the row table ("row lenght
// table in init 3d engine", RENDER_ROWS bytes) and builds the row table
// from the level's cell_size and the current viewport. Either allocation
// failing ends the program with "Not enough memory!". Call after Load_Level
// and Set_Viewport. A second call frees the first's blocks first.
void Init_3D_Engine();
// Frees the polygon buffer, the row table and the editor font.
void Free_3D_Engine();
// The viewport for a screen of (right + 1) x (bottom + 1) pixels, in whole
// numbers: proj_x = ((right / 2) x 200) / 160, proj_y = ((bottom / 2) x
// 166) / 100, centre_x = (right + 1) / 2, centre_y = (bottom + 1) / 2. The
// row table keeps the values of Init_3D_Engine.
void Set_Viewport(int bottom, int right);

// One frame of the world from camera (x, y, z), world units (y the eye
// height). `editor` non-zero also visits cells outside the world and empty
// cells and draws the editor overlay (loading the editor font the first
// time). Does nothing but bracket the frame while no level or no
// Init_3D_Engine is there.
void Render_World(double x, double y, double z, uint8_t editor);

// Draws the sprite of `object` seen from (cam_x, cam_y, cam_z), cut to the
// window whose limits are world-unit offsets from the camera (left, right
// across; top, bottom up and down, RENDER_WINDOW_OPEN to leave a side
// open), with `light` (null: the bitmap's own colours). 1 when a polygon
// went out; 0 when the object is nearer than RENDER_NEAR, has no sprite
// bitmap or misses the window.
int Draw_Object(int object, double cam_x, double cam_y, double cam_z, double left, double right, double top,
                double bottom, const RENDER_LIGHT* light);
// Draws `sprite` over the picture with its top-left corner at (x, y) in
// units of 100 / proj_x pixels across and 100 / proj_y pixels down, height
// x width in the same units, through the scratch object 999. The sprite
// must be defined (else the program ends, as for any object). 1 when drawn.
int Draw_Sprite_At(int sprite, double x, double y, int tint, int brightness, int translucency, double height,
                   double width, int mirror_h, int mirror_v);
// Draws the level's background picture (the `@j` line) stretched over the
// output's whole screen. 1 when drawn; 0 without a picture or while the
// output cannot draw.
int Draw_Background();

// ---------------------------------------------------------------- files
// Reads "data\transp.tab" (a count byte N, then N tables of 65536 bytes;
// a short file leaves the rest of its tables zero) through the file layer;
// tables loaded before are freed first. A file that cannot be opened ends
// the program with "Can't open the transparency tables file data\transp.tab";
// a table that cannot be allocated ("1 tabla trans in load transparency
// tables") with "Not enough memory for transparency tables". 1, or 0 (only
// with an error sink installed).
int Load_Transparency_Tables();
// The same from bytes in memory.
int Load_Transparency_Tables_Memory(const uint8_t* data, size_t size);
void Free_Transparency_Tables();
int Render_Transparency_Count();
// Table `i` (RENDER_TRANSPARENCY_TABLE bytes), null for a bad index.
const uint8_t* Render_Transparency_Table(int i);

// Reads the editor font "data\font.dat" (224 glyphs of 7 bytes, one per
// row; a short file leaves the rest zero) into its block ("mem font 2 in
// load editor font", RENDER_FONT_BUFFER bytes). A missing file ends the
// program with "Cant open the file data\font.dat\n", no memory with "Not
// enough RAM to load the font data\font.dat\n". 1, or 0 (only with an
// error sink installed). Render_World loads it at the first editor frame.
int Load_Editor_Font();
int Load_Editor_Font_Memory(const uint8_t* data, size_t size);
int Render_Editor_Font_Loaded();

// ---------------------------------------------------------------- arithmetic
// The row table entry for distance d: n + 2 for the largest n from 100 down
// to 1 with n x cell_size x proj_x / (d x cell_size + 10) + view_right / 2
// < view_right (whole numbers), else 2.
int Render_Row_Width(int d, int cell_size, int proj_x, int view_right);
// The colour of tint t and brightness b (both clamped to 0..15) into
// rgb[3]: tint 0 at brightness 15 is exact white; otherwise i = b x 256 x
// 0.0002441 and the tint picks the channels that get i or i / 2.
void Render_Light_Colour(int tint, int brightness, float rgb[3]);
// `brightness` at d rows from the camera: less trunc((d - fade_start) x
// fade_rate) beyond fade_start, clamped to 0..15.
int Render_Fade(int brightness, int d);
// The editor font glyph of character `c` (code page 437 for the accented
// letters and the inverted marks), -1 for a space.
int Render_Editor_Glyph(unsigned char c);
// Writes `text` with the editor font from (x, y), the glyph's top-left
// pixel, as white points; a glyph that would not lie wholly inside the
// viewport is left out. Nothing without the font.
void Render_Editor_Text(int x, int y, const char* text);
// Render_Editor_Text on its own, outside a world frame: the output's frame
// bracket (the renderer's projection) around the text.
void Render_Screen_Text(int x, int y, const char* text);
