// Bitmap fonts: .fnt files that cut characters out of pictures and FLI/FLC animations, and the measuring and drawing of UTF-8 or byte texts with them.
//
// Reports go through the error module as module "Font" (codes below) and
// are shown in debug mode only. A font whose file named characters that
// could not be loaded is still usable: codes it lacks draw as default_char.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

struct VX_FONT_SETTINGS {
  int debug;  // non-zero shows this module's reports and checks pictures against their rows
};

// Error codes of module "Font" (positions in its message table). Code 10
// (a formatted text cut at 255 characters) has no message.
enum VX_FONT_ERROR {
  VX_FONT_ERR_POINTER = 0,
  VX_FONT_ERR_NO_FILE = 1,
  VX_FONT_ERR_FORMAT = 2,
  VX_FONT_ERR_MEMORY = 3,
  VX_FONT_ERR_PALETTE = 4,
  VX_FONT_ERR_SOME_CHARS = 5,
  VX_FONT_ERR_TWICE = 6,
  VX_FONT_ERR_REALLOC = 7,
  VX_FONT_ERR_PICTURE_SMALL = 8,
  VX_FONT_ERR_UTF8 = 9,
  VX_FONT_ERR_TEXT_LONG = 10,
};

// Load flags.
constexpr int VX_FONT_LOAD_PALETTE = 1;  // handed to the picture loader (palette pictures keep their palette)
constexpr int VX_FONT_LOAD_TRIM = 2;     // span and band from the inked pixels
constexpr int VX_FONT_LOAD_FRAMES = 4;   // a character met again gains a frame (animations)

// Drawing flags.
constexpr uint32_t VX_FONT_CENTER = 2;         // centre proportional text in the rectangle
constexpr uint32_t VX_FONT_SCALE = 4;          // scale the characters into the rectangle
constexpr uint32_t VX_FONT_PROPORTIONAL = 8;   // advance by span widths, else by the cell width
constexpr uint32_t VX_FONT_BLIT_UNIFORM = 0x20;  // the copy's one-factor scaling (its flag 4)
constexpr uint32_t VX_FONT_KEEP_ASPECT = 0x40;   // keep the cells' aspect ratio when scaling
constexpr uint32_t VX_FONT_TRANSPARENT = 0x100;  // draw with the transparent copy
constexpr uint32_t VX_FONT_NO_GAP = 0x200;       // no one-pixel gap after each character

// One animation frame of a character. Rectangles are pixels of `bitmap`:
// cell the character's cell; span the cell cut to its first and last inked
// columns (full height), used for proportional spacing; band the cell cut to
// its first and last inked rows (full width). Untrimmed, both equal the cell.
struct VX_CHAR_DATA {
  uint8_t owns_bitmap;  // 1 for the first frame cut from a picture: it frees the picture (pixels and record)
  VX_BITMAP* bitmap;
  VX_RECT cell, span, band;
};

// A glyph: one frame for a still character, one per animation frame otherwise.
struct VX_CHAR {
  uint16_t frame_count;
  VX_CHAR_DATA* frames;
};

// A character of a font: a code point (version 2) or a byte value (version 1).
struct VX_FONT_CHAR {
  uint32_t code;
  uint8_t owner;  // 1 when the entry owns its glyph; 0 for an alias made by the character map
  VX_CHAR* glyph;
};

// A loaded font; all blocks are the font's until vx_font_free.
struct VX_FONT {
  int version;            // 1: texts are single bytes; 2: texts are UTF-8
  char* name;             // Name of [Font Properties]
  uint16_t width, height; // the cell size
  uint16_t default_char;  // 1-based index of the character drawn for codes the font lacks
  VX_FONT_CHAR* chars;    // sorted by code
  int char_count;
  VX_PALETTE* palette;    // the Palette file, else the first picture's; may be null
};

// Reads pictures for the font loader: fills `bitmap` from file `name` with
// load flags `flags` (1: palette pictures keep their palette); 1, or 0 with
// the bitmap owning nothing. The toolkit does not link the image decoders:
// the program installs their loader (vx_img_load) before loading fonts.
typedef int (*VX_FONT_PICTURE_LOADER)(VX_BITMAP* bitmap, const char* name, int flags);
void vx_font_picture_loader_set(VX_FONT_PICTURE_LOADER loader);

// Keeps a copy of the settings, registers module "Font" and allocates the
// 256-byte text buffer. 1, or 0 when already running or out of memory.
int vx_font_init(const VX_FONT_SETTINGS* settings);
// Frees the text and decoding buffers.
void vx_font_deinit();

// Loads `file` (a .fnt string file; names inside are relative to its
// folder) into `font`, which is zeroed first. 1 when the font is usable,
// also after "Some characters couldn't be loaded..."; 0 (record zeroed) for
// a null record, a missing file, a missing Name, Width, Height or file count,
// or a Palette that cannot be loaded.
int vx_font_load(VX_FONT* font, const char* file, int load_flags);
// Frees the owned glyphs, their frames and the pictures they own, the
// table and the name, drops the palette and zeroes the record. Null is fine.
void vx_font_free(VX_FONT* font);

// Formats a printf-style text (cut at 255 characters) and draws it into
// `rect` of `target` (null rect: 0, 0, target width, font height) with the
// drawing flags. The width drawn in pixels; 0 when refused (no font, a cell
// width of 0, no or an empty format, no target, an empty rectangle or one
// wholly outside the target) or when the module is not running.
int vx_font_print(VX_FONT* font, VX_BITMAP* target, const VX_RECT* rect, uint32_t draw_flags,
                  const char* format, ...) __attribute__((format(printf, 5, 6)));
// The size `text` would take: fixed spacing cell width x n plus n - 1 gaps,
// cell height; proportional (flag 8) the span widths plus one gap per
// character, the tallest span. Gaps are 1 pixel, 0 with VX_FONT_NO_GAP.
// Returns the width; `size_out` (may be null) gets width and height.
int vx_font_measure(VX_FONT* font, const char* text, VX_RECT* size_out, uint32_t draw_flags);
// Draws frame `frame` of one character into `rect` (null: as for print).
// The width drawn, 0 when refused.
int vx_font_draw_char(VX_FONT* font, uint32_t code, int frame, VX_BITMAP* target, const VX_RECT* rect,
                      uint32_t draw_flags);
// Frame `frame` (1-based; below 1 means 1, past the count wraps) of the
// character drawn for `code` (codes the font lacks give default_char): its
// bitmap, and the cell, span and band into rects_out[0..2] when not null.
// Null when the font has no characters.
VX_BITMAP* vx_font_char_frame(VX_FONT* font, uint32_t code, int frame, VX_RECT rects_out[3]);
// The frame count of the character drawn for `code`; 0 without characters.
int vx_font_char_frames(VX_FONT* font, uint32_t code);

// Decoding modes.
constexpr int VX_FONT_GROW = 1;  // grow the buffer as needed
constexpr int VX_FONT_UTF8 = 2;  // UTF-8; else every byte is one code

// Decodes `text` into *buffer, an array of codes ending with 0 that the
// caller keeps between calls (with *capacity codes of room). With
// VX_FONT_GROW the buffer grows through the memory tracker; without it the
// output stops at the capacity, the last slot holding the 0. The number of
// codes stored before the 0. In debug mode continuation bytes are checked
// ("The string isn't UTF-8 compliant"); a byte that cannot start a
// sequence is taken as a code of its own, a sequence cut by the end of the
// text is dropped.
int vx_font_utf_8_to_unicode(uint32_t** buffer, int* capacity, const char* text, int mode);
