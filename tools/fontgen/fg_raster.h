// fg_raster: outline fonts of Debian packages rasterised with FreeType into coverage bitmaps.
//
// The faces are opened once (fg_raster_init) from their installed paths;
// a missing file is reported with the package that brings it. Sizes are
// pixels per em; every measure is in whole pixels, y up from the baseline.
#pragma once
#include <cstdint>
#include <vector>

// The outline fonts the game's fonts are drawn from.
enum FG_FACE_ID {
  FG_SANS_BOLD,       // DejaVu Sans Bold: the menu font and the language fonts
  FG_SANS_MONO_BOLD,  // DejaVu Sans Mono Bold: figures of even width
  FG_HELP_BOLD,       // Liberation Sans Bold: the help pages (narrower, more words a line)
  FG_JAPANESE,        // IPA P Gothic: kana and kanji of the Japanese menu bar
  FG_FACE_COUNT,
};

// Where a face comes from, for messages and the licence notes.
struct FG_FACE_FILE {
  const char* path;
  const char* package;  // the Debian package that installs it
  const char* licence;
};
const FG_FACE_FILE* fg_raster_face_file(int face);

// Opens every face. 1, or 0 after printing which file (and package) is
// missing or unreadable. A second call does nothing and answers 1.
int fg_raster_init();
void fg_raster_done();

// 1 when the face has a glyph of its own for `code`.
int fg_raster_has(int face, uint32_t code);

// How to render: the face, the em size, a horizontal stretch (1 keeps the
// design), 1 for hinted one-bit rendering instead of grey coverage, and an
// emboldening strength in 1/64 pixel (0 none).
struct FG_RENDER {
  int face;
  int em;
  double stretch;
  int mono;
  int embolden;
};

// One rendered glyph. `coverage` holds rows x width values 0-255 (255
// inside the outline), top row first. The bitmap's left column lies
// `left` pixels right of the pen and its top row `top` pixels above the
// baseline (row `top` - 1 is the first row above the baseline).
struct FG_GLYPH {
  int width, rows;
  int left, top;
  int advance;  // pixels from this pen position to the next
  std::vector<uint8_t> coverage;
};

// Renders `code` as `how` says. 1, or 0 when the face lacks the code or
// FreeType refuses (out is then empty). A blank glyph has width 0.
int fg_raster_glyph(const FG_RENDER* how, uint32_t code, FG_GLYPH* out);
