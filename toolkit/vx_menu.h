// Text-defined menus: a menu record loaded from one section of a string file, its layout on the screen, navigation by input codes, and its drawing with a bitmap font.
//
// A menu section names its line count, rectangle and timings, then each
// line's kind, notification value, spacing, alignment and text(s):
//
//   [Main Menu]
//   NumLines=3
//   Position=10,10,80,80
//   Space=8
//   Default=2
//   Type_01=1          static title (no value)
//   Font_01=1
//   Align_01=1
//   Line_01=Pond Sprint
//   Type_02=4          an item: select (input 2) sends 1001
//   Value_02=1001
//   Notif_02=2
//   ...
//
// Reports go through the error module as module "Menu" (codes below) and
// are shown in debug mode only. Loading goes on past every report except a
// missing file, a missing line count and failed allocations of the
// record's own parts; a line that could not be loaded stays empty (null).
#pragma once
#include <cstdint>

#include "display/vx_bit.h"
#include "toolkit/vx_font.h"

// Given at start, kept by pointer (the caller keeps it alive and may change debug).
struct VX_MENU_SETTINGS {
  int debug;                    // non-zero shows this module's reports and names each line block
  int base_width, base_height;  // pixels that Position's percentages refer to (the game: 640 x 480)
  // The display's translucency level (0-100) for the translucent drawing
  // mode; the game installs its 3D back end's setter. Null: none.
  void (*translucency_set)(int percent);
};

// Error codes of module "Menu" (positions in its message table).
enum VX_MENU_ERROR {
  VX_MENU_ERR_POINTER = 0,
  VX_MENU_ERR_NO_FILE = 1,
  VX_MENU_ERR_FORMAT = 2,
  VX_MENU_ERR_MEMORY = 3,
  VX_MENU_ERR_POSITION = 4,
  VX_MENU_ERR_LINE = 5,
  VX_MENU_ERR_SIZE = 6,
  VX_MENU_ERR_TOO_LONG = 7,
};

// Line kinds: the type with the visibility bits masked off is exactly one of these.
constexpr int VX_MENU_STATIC = 1;           // one text, no value, not selectable
constexpr int VX_MENU_DYNAMIC = 2;          // one text the update callback may rewrite, not selectable
constexpr int VX_MENU_ITEM = 4;             // one text, selectable
constexpr int VX_MENU_OPTIONS = 8;          // NumOptions texts, selectable, refreshed
constexpr int VX_MENU_DYNAMIC_OPTIONS = 64; // NumOptions texts, refreshed, not selectable
constexpr int VX_MENU_DYNAMIC_ITEM = 128;   // one text, selectable, refreshed and rewritable
// Visibility bits: the line exists only when its condition holds.
constexpr int VX_MENU_IF_3D_HW = 16;      // the display reports hardware 3D
constexpr int VX_MENU_IF_NO_3D_HW = 32;   // it does not
constexpr int VX_MENU_IF_SWITCHABLE = 256;  // neither window-only nor full-screen-only
constexpr int VX_MENU_IF_RESIZABLE = 512;   // not fixed-size
constexpr int VX_MENU_VISIBILITY = 16 | 32 | 256 | 512;

// Alignments (Align_NN).
constexpr int VX_MENU_ALIGN_CENTRE = 1;
constexpr int VX_MENU_ALIGN_LEFT = 2;
constexpr int VX_MENU_ALIGN_RIGHT = 3;
constexpr int VX_MENU_ALIGN_STRETCH = 4;  // the fitted layout gives the text the menu's width

// Input codes, one per call of vx_menu_input; also the bits of Notif_NN.
constexpr int VX_MENU_IN_NONE = 0;    // nothing pressed: lets the timeout run out
constexpr int VX_MENU_IN_BACK = 1;    // back / open: sends the escape value
constexpr int VX_MENU_IN_SELECT = 2;
constexpr int VX_MENU_IN_UP = 4;
constexpr int VX_MENU_IN_DOWN = 8;
constexpr int VX_MENU_IN_LEFT = 16;
constexpr int VX_MENU_IN_RIGHT = 32;

// Notification values: 1 toggles the menu, 2-999 do nothing, from 1000 on
// they go to the notify callback.
constexpr int VX_MENU_TOGGLE = 1;
constexpr int VX_MENU_NOTIFY_FROM = 1000;

// Layout flags of vx_menu_load.
constexpr int VX_MENU_FITTED = 1;  // every text scaled by one factor so that the widest fills the menu

// Drawing flags of vx_menu_draw.
constexpr int VX_MENU_DRAW_BOX = 2;            // highlight box (only when the flags, less 4 and 8, are exactly 2)
constexpr int VX_MENU_DRAW_POINTER_LEFT = 4;   // pointer sprite left of the current line
constexpr int VX_MENU_DRAW_POINTER_RIGHT = 8;  // and right of it (the game draws with 4 | 8)
constexpr int VX_MENU_DRAW_TRANSLUCENT = 64;   // unselected selectable lines at the menu's translucency

constexpr int VX_MENU_MAX_LINES = 99;    // NN is written with two digits
constexpr int VX_MENU_MAX_OPTIONS = 99;  // MM likewise
constexpr int VX_MENU_TEXT_SIZE = 256;   // bytes of a text record's text, terminator included

// One text of a line. `rect` is in screen pixels: laid out at the base size
// and kept in the display's resize list, so it follows the virtual screen.
struct VX_MENU_TEXT {
  uint32_t capacity;  // length in the file; a rewritten text is cut back to it when drawn
  VX_RECT rect;
  char text[VX_MENU_TEXT_SIZE];  // UTF-8 or bytes, as the font reads them
};

// A line, allocated in one block with its texts. The callbacks may change
// current_text and rewrite a dynamic text in place (at most `capacity` bytes).
struct VX_MENU_LINE {
  int type;         // kind | visibility bits
  int value;        // Value_NN, 0 for none (always 0 for static lines)
  int spacing;      // Font_NN: 1 proportional, else fixed cell widths
  int align;        // Align_NN: VX_MENU_ALIGN_*
  int notify_mask;  // Notif_NN: the input codes that send `value`
  int text_count;   // 1, or NumOptions_NN for option lists
  int current_text; // index of the text drawn
  VX_MENU_TEXT* texts;  // text_count records, right after the line in its block
};

// Called before a line of a refreshed kind (dynamic text, option lists, dynamic item) is drawn.
typedef void (*VX_MENU_UPDATE_CB)(VX_MENU_LINE* line);
// Receives values of 1000 and above with the input code that sent them and
// the line they came from (the current line before an up or down move;
// null for the escape value while no line is current).
typedef void (*VX_MENU_NOTIFY_CB)(int value, int code, VX_MENU_LINE* line);

// A menu. Its rectangles sit in the display's resize list from load to
// free, so the record must not move in between. Times are plat_ticks()
// milliseconds.
struct VX_MENU {
  char* name;                             // the section name (owned)
  int16_t pos_x, pos_y, pos_w, pos_h;     // Position as written
  VX_RECT rect;                           // the menu rectangle in screen pixels (resize list)
  int timeout;                            // idle ms after which code 0 sends the escape value
  int delay;                              // ms after an accepted input during which input is ignored
  int transparency;                       // 0-100, unselected lines in translucent drawing
  uint32_t last_input;                    // tick of the last accepted input or of showing
  int escape;                             // value sent by back and by the timeout
  int shown;
  VX_MENU_UPDATE_CB update_cb;
  VX_MENU_NOTIFY_CB notify_cb;
  int space;                              // pixels between lines (at the base size)
  int line_count;
  int default_line;                       // 0-based, -1 for none
  int current;                            // 0-based selected line, -1 for none
  VX_MENU_LINE** lines;                   // line_count entries, null for a line that failed
};

// The selection decoration of vx_menu_draw.
struct VX_MENU_POINTER {
  VX_BITMAP* bitmap;     // the pointer sprite's picture, null for none
  VX_RECT rect;          // the sprite's part of it (a glyph's cell); empty: the whole bitmap
  uint32_t colour;       // highlight box colour: a palette index
  VX_PALETTE* palette;   // what the index means on deeper targets; null: the screen palette, else grey
};

// Keeps the settings (null: debug off, 640 x 480, no translucency) and
// registers module "Menu". 1.
int vx_menu_init(const VX_MENU_SETTINGS* settings);

// Zeroes `menu` (free a loaded menu first), loads section `section` of
// string file `file`, lays it out with `font` (VX_MENU_FITTED in
// layout_flags: fitted, else natural), registers its rectangles and keeps
// the callbacks. 1, or 0 with the record zeroed.
int vx_menu_load(VX_MENU* menu, const char* file, const char* section, VX_MENU_UPDATE_CB update_cb,
                 VX_MENU_NOTIFY_CB notify_cb, VX_FONT* font, int layout_flags);
// Frees the name, the lines and the line array, takes every rectangle out
// of the resize list and zeroes the record. Null or zeroed records are fine.
void vx_menu_free(VX_MENU* menu);

// Shows (bit 1 of `show`) or hides the menu, choosing a current line first
// when there is none: the default line when it is an item or option list,
// else the last such line. Restarts the delay and timeout clock.
void vx_menu_show(VX_MENU* menu, int show);
// Feeds one input code (VX_MENU_IN_*). 1 when taken, 0 when ignored: within
// the delay, a code above 32, codes other than back on a hidden menu, code 0
// before the timeout, and codes 2-32 while no line is current.
int vx_menu_input(VX_MENU* menu, int code);

// Draws a shown menu onto `target` with `font`; `pointer` may be null.
// Refreshes dynamic lines through the update callback first.
void vx_menu_draw(VX_MENU* menu, VX_FONT* font, VX_BITMAP* target, const VX_MENU_POINTER* pointer,
                  int draw_flags);

// 1 when `line` exists and its visibility condition holds on the display now.
int vx_menu_line_visible(const VX_MENU_LINE* line);
// 1 when `line` can be selected: visible and an item, option list or dynamic item.
int vx_menu_line_selectable(const VX_MENU_LINE* line);
