// The menu bar of the main window: the menu resources in seven languages, the loaded menu with its popups, check marks and greyed items, and the bar's tracking by keyboard and mouse.
#pragma once
#include <cstdint>

#include "display/vx_dsp.h"

// Command ids of the menu resource (PLAT_WM_COMMAND's low word).
constexpr uint32_t VX_CMD_BACK_TO_GAME = 40004;  // post a click (resume)
constexpr uint32_t VX_CMD_EXIT = 40005;          // post PLAT_WM_CLOSE
constexpr uint32_t VX_CMD_HELP_TOPICS = 41001;   // the game's
constexpr uint32_t VX_CMD_ABOUT = 41002;         // the game's
constexpr uint32_t VX_CMD_LOWRES = 50001;
constexpr uint32_t VX_CMD_HIGHRES = 50002;
constexpr uint32_t VX_CMD_TOGGLE = 50003;        // text: the language's label and "\tF4"
constexpr uint32_t VX_CMD_256_COLOURS = 50004;   // checked while the depth is the preferred one
constexpr uint32_t VX_CMD_DEFAULT_SIZE = 50005;
constexpr uint32_t VX_CMD_DEFAULT_MODE = 50006;  // "%dx%d (Default)" when no table size is current
constexpr uint32_t VX_CMD_SIZE_FIRST = 50100;    // + table size index
constexpr uint32_t VX_CMD_MODE_FIRST = 50201;    // + mode index, the all-modes popup
constexpr uint32_t VX_CMD_LANGUAGE_FIRST = 50300;  // + language index
constexpr uint32_t VX_CMD_DIGITAL_MUSIC = 51001;   // the sound layer's, 51001-51005
constexpr uint32_t VX_CMD_SOUND_EFFECTS = 51002;
constexpr uint32_t VX_CMD_QUALITY_LOW = 51003;
constexpr uint32_t VX_CMD_QUALITY_MEDIUM = 51004;
constexpr uint32_t VX_CMD_QUALITY_HIGH = 51005;
constexpr uint32_t VX_CMD_PLACEHOLDER = 59999;   // in the popups the program fills; removed then

// Item flags.
constexpr uint16_t VX_MENU_CHECKED = 1;
constexpr uint16_t VX_MENU_GRAYED = 2;
constexpr uint16_t VX_MENU_SEPARATOR = 4;
constexpr uint16_t VX_MENU_POPUP = 8;

constexpr int VX_MENU_TEXT = 112;       // bytes of an item text, terminator included (UTF-8)
constexpr int VX_MENU_MAX_ITEMS = 128;  // items of one menu
constexpr int VX_MENU_MAX = 16;         // menus (the bar and its popups) alive at a time

// One item. Texts are UTF-8; '&' marks the mnemonic, '\t' starts the key name.
struct VX_MENU_ITEM {
  uint32_t id;     // command id; 0 for a separator or a popup
  uint16_t flags;  // VX_MENU_*
  int16_t popup;   // the popup's menu handle, -1 for none
  char text[VX_MENU_TEXT];
};

// ---------------------------------------------------------------- resources
// One line of a menu resource: its nesting depth (0 for the bar's popups),
// kind and id. A popup's items follow it one level deeper.
enum VX_MENU_RES_KIND : uint8_t { VX_RES_POPUP, VX_RES_ITEM, VX_RES_SEPARATOR };
struct VX_MENU_RES_LINE {
  uint8_t depth;
  VX_MENU_RES_KIND kind;
  uint32_t id;
  const char* text;
};
struct VX_MENU_RESOURCE {
  const char* name;   // "PONDSPRINT"
  uint16_t language;  // Windows language id: primary | sub-language << 10
  const VX_MENU_RES_LINE* lines;
  int count;
};
// The menu resource of exactly that name (case-blind) and language, or null.
const VX_MENU_RESOURCE* vx_dsp_menu_resource(const char* name, uint16_t language);
int vx_dsp_menu_resource_count();
const VX_MENU_RESOURCE* vx_dsp_menu_resource_at(int index);
// The language id of a language: from its abbreviation ("eng", "fra",
// "spa", "ger"/"deu", "ita", "por", "jpn" and their two-letter forms); a
// language without an abbreviation by its position in the table (English,
// French, Spanish, German, Italian, Portuguese, Japanese); 0 for any other
// language (there is no menu in it). No language (null) is English US.
uint16_t vx_dsp_menu_language_id(const VX_LANGUAGE* language, int index);

// ---------------------------------------------------------------- the loaded menu
// Loads the descriptor's menu in the current language and rebuilds the
// mode and language popups, then calls menu_hook. Without a resource of
// that language the box says "Menu not found in the resource", the
// previous menu stays and the result is 0.
int vx_dsp_menu_load(VX_APP* app);
// Frees the loaded menu.
void vx_dsp_menu_free();
// The bar's menu handle, -1 while none is loaded; the language it was loaded in.
int vx_dsp_menu_bar();
uint16_t vx_dsp_menu_language();
// Items by position. Count is -1 for a bad handle; item is null for a bad position.
int vx_dsp_menu_count(int menu);
const VX_MENU_ITEM* vx_dsp_menu_item(int menu, int pos);
// The popup opened by item `pos`, -1 when it is not a popup.
int vx_dsp_menu_sub(int menu, int pos);
// Where the first item with command `id` is (depth first from the bar). 1 or 0.
int vx_dsp_menu_find(uint32_t id, int* menu, int* pos);
// Check marks and greying, by command or by position. 1 when the item exists.
int vx_dsp_menu_check(uint32_t id, int checked);
int vx_dsp_menu_check_pos(int menu, int pos, int checked);
int vx_dsp_menu_enable(uint32_t id, int enabled);
int vx_dsp_menu_enable_pos(int menu, int pos, int enabled);
// 1 checked / enabled, 0 not, -1 when no item has that command.
int vx_dsp_menu_is_checked(uint32_t id);
int vx_dsp_menu_is_enabled(uint32_t id);
// Replaces the text of the item with command `id`. 1 or 0.
int vx_dsp_menu_set_text(uint32_t id, const char* text);
// Appends an item (flags VX_MENU_SEPARATOR for a separator). Its position, or -1 when full.
int vx_dsp_menu_append(int menu, uint16_t flags, uint32_t id, const char* text);
// Removes item `pos` (and the popup it opens). 1 or 0.
int vx_dsp_menu_delete(int menu, int pos);

// The Change Resolution popup (one "%dx%d" item per table size, 50100 + i)
// and the all-modes popup, then the marks.
void vx_dsp_mode_menu_build();
// Check marks, greying and the Fullscreen / Window text for the current mode.
void vx_dsp_mode_menu_update();
// The Language popup: the languages by name (50300 + i), the current one
// checked; deleted when the table is not multi-language or holds one language.
void vx_dsp_language_menu_build();

// ---------------------------------------------------------------- the bar on screen
// In a window the bar lies above the picture; in full screen it is detached.
// It is drawn by a drawer the font module installs; until one is there the
// bar takes no room and does not open. The drawer draws over every frame
// the display presents, after the picture; while play is paused (a popup
// open, the window inactive) the bar's changes are presented at once, over
// the picture drawn again through the descriptor's redraw hook.
constexpr int VX_MENU_BAR_HEIGHT = 22;  // pixels
constexpr int VX_MENU_CELL = 8;         // pixels per character cell of a layout without a measure
constexpr int VX_MENU_ROW = 22;         // pixels per popup item
constexpr int VX_MENU_SEPARATOR_ROW = 9;
// A popup's columns: the check mark, the labels, a gap, the key names
// (the text after '\t'), the sub-popup arrow.
constexpr int VX_MENU_CHECK_COLUMN = 2 * VX_MENU_CELL;
constexpr int VX_MENU_KEY_GAP = 3 * VX_MENU_CELL;
constexpr int VX_MENU_ARROW_COLUMN = 2 * VX_MENU_CELL;
constexpr int VX_MENU_TITLE_PAD = VX_MENU_CELL;  // left and right of a title on the bar

struct VX_MENU_BAR_DRAWER {
  // Draws the bar and the open popups over the window's drawable area of
  // width x height pixels (the bar at the top, the picture below it), in
  // the layout below, through the bitmap copies.
  void (*draw)(int width, int height);
  // The width in pixels of a label's text as drawn: up to '\t', without
  // the '&' marks. Null: VX_MENU_CELL per character cell (two for East
  // Asian wide characters).
  int (*text_width)(const char* text);
};
// Installs the drawer (copied; null removes it). The window is placed
// again when the bar's room appears or goes.
void vx_dsp_menu_bar_drawer_set(const VX_MENU_BAR_DRAWER* drawer);
int vx_dsp_menu_bar_shown();  // attached, loaded and drawn
// The bar changed: presented at once while play is paused, else with the next frame.
void vx_dsp_menu_bar_redraw();

struct VX_MENU_BAR_STATE {
  int open;       // 1 while the menu loop runs
  int popup;      // position of the open top-level popup
  int item;       // highlighted item of that popup, -1 none
  int sub;        // position (in the popup) of an open sub-popup, -1 none
  int sub_item;   // highlighted item of the sub-popup, -1 none
};
const VX_MENU_BAR_STATE* vx_dsp_menu_bar_state();
// Opens the bar on top-level popup `pos` (PLAT_WM_ENTERMENULOOP is sent first). 1 when open.
int vx_dsp_menu_bar_open(int pos);
// Closes it (PLAT_WM_EXITMENULOOP is sent).
void vx_dsp_menu_bar_close();
// While the bar is open it takes the keys (arrows, Enter, Esc, F10, Alt)
// and the mouse; closed, F10 and a click on the bar open it. A chosen
// command closes the bar and is posted as PLAT_WM_COMMAND. 1 when the message was taken.
int vx_dsp_menu_bar_message(uint32_t message, uintptr_t wparam, intptr_t lparam);
// The layout, in client pixels of the window's drawable area: a top-level
// title on the bar, and the box of an open popup (sub-popups to the right of their item).
VX_DSP_RECT vx_dsp_menu_bar_title_rect(int pos);
VX_DSP_RECT vx_dsp_menu_popup_rect(int menu, int x, int y);
// The boxes on screen of the open popup (level 0) and of its open
// sub-popup (level 1), kept inside the drawable area; empty when not open.
VX_DSP_RECT vx_dsp_menu_bar_popup_box(int level);
// The x of the key names' column of `menu` drawn in a box at box_x.
int vx_dsp_menu_popup_key_x(int menu, int box_x);
