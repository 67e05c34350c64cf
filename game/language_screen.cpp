// The language selection screen: the selection list read from the language file, its layout, keys and drawing, and the confirmation that applies and saves the choice.
#include "game/language_screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "game/game_state.h"
#include "game/languages.h"
#include "game/texts.h"
#include "toolkit/vx_font.h"
#include "toolkit/vx_inp.h"
#include "world/engine_error.h"
#include "world/image/img_load.h"

namespace {

constexpr const char* kTitle = "Select a Language:";
constexpr const char* kBackground = "gfx\\helpback.png";
constexpr const char* kFontFiles[3] = {"font\\langfont32.fnt", "font\\langfont64.fnt",
                                       "font\\langfont_highlighted.fnt"};
enum { FONT_TITLE, FONT_NAMES, FONT_CHOSEN };
constexpr int kLanguageFontFlags = 0;  // untrimmed: the names are drawn cell by cell

// Key scan codes.
constexpr int kKeyDown = 208, kKeyUp = 200, kKeyEnter = 28, kKeySpace = 57, kKeyW = 17;

// The layout's measures in pixels at scale 1.
constexpr int kTitleCell = 32, kTitleAbove = 128, kNameCell = 64;
constexpr int kFlagWidth = 56, kFlagHeight = 33, kFlagLeft = 71, kFlagGap = 16, kFlagDown = 16;
constexpr int kMargin = 8;  // kept free around the scaled picture

constexpr int kSectionSize = 21;  // Language_0N: 20 characters
constexpr int kNameSize = 31;     // Name and Abbreviation: 30 characters

struct SLOT {
  char* name;  // owned; null when the slot's language is not included
  int number;
  VX_BITMAP flag;
  int has_flag;
};

struct ScreenState {
  SLOT slots[LANGUAGE_SLOTS];
  int count;  // included languages, in slot order
  VX_BITMAP background;
  int has_background;
  VX_FONT fonts[3];
  int fonts_loaded;
  int row;
  int number;  // the highlighted language's Number
};
ScreenState ss = {};

// The characters of a UTF-8 text (the names are drawn a character a cell).
int characters(const char* s) {
  int n = 0;
  for (; *s; s++) n += (static_cast<unsigned char>(*s) & 0xC0) != 0x80;
  return n;
}

// The included slots in order.
const SLOT* included(int k) {
  for (const SLOT& s : ss.slots)
    if (s.name && k-- == 0) return &s;
  return nullptr;
}

int16_t px(float v) { return static_cast<int16_t>(v < 0 ? v - 0.5f : v + 0.5f); }

// Reads one slot; 0 after a fatal message.
int read_slot(int i, const char* file, char* buffer) {
  SLOT& s = ss.slots[i];
  char key[32];
  int flag = 0;
  std::snprintf(key, sizeof key, "Included_0%d", i + 1);
  vx_io_ini_get_int("Languages", key, &flag, file);
  if (!flag) return 1;
  std::snprintf(key, sizeof key, "Language_0%d", i + 1);
  char section[kSectionSize];
  if (!vx_io_ini_get_string("Languages", key, section, kSectionSize - 1, file)) return 1;
  char abbreviation[kNameSize];
  if (!vx_io_ini_get_string(section, "Name", buffer, kNameSize - 1, file)) buffer[0] = 0;
  if (!vx_io_ini_get_string(section, "Abbreviation", abbreviation, kNameSize - 1, file)) abbreviation[0] = 0;
  s.number = 0;
  vx_io_ini_get_int(section, "Number", &s.number, file);
  char picture[80];
  std::snprintf(picture, sizeof picture, "gfx\\lngflags\\flag_%s.png", abbreviation);
  s.has_flag = vx_img_load(&s.flag, picture, 0);
  const size_t n = std::strlen(buffer) + 1;
  s.name = static_cast<char*>(vx_mem_alloc_named(n, "Language screen name"));
  if (!s.name) {
    Engine_Error("Cant allocate memory for game_messages");
    return 0;
  }
  std::memcpy(s.name, buffer, n);
  ss.count++;
  return 1;
}

void fonts_load() {
  if (ss.fonts_loaded) return;
  for (int i = 0; i < 3; i++) vx_font_load(&ss.fonts[i], kFontFiles[i], kLanguageFontFlags);
  ss.fonts_loaded = 1;
}

// The background covers the screen, stretched when its size differs. The
// picture itself stays as loaded: the screen's size changes with the mode.
void background_draw(VX_BITMAP* screen) {
  if (!ss.has_background) return;
  const VX_RECT size = {0, 0, static_cast<int16_t>(screen->width), static_cast<int16_t>(screen->height)};
  const int same = ss.background.width == screen->width && ss.background.height == screen->height;
  vx_bit_copy(screen, &ss.background, &size, nullptr, same ? 0u : VX_BIT_SCALE);
}

void keys_read() {
  if (vx_inp_released(kKeyDown)) language_screen_move(1);
  if (vx_inp_released(kKeyUp)) language_screen_move(-1);
}

int confirm_pressed() {
  return vx_inp_released(kKeyEnter) || vx_inp_released(kKeySpace) || vx_inp_released(kKeyW);
}

}  // namespace

void language_screen_layout(int width, int height, int title_length, const int* name_lengths, int count,
                            LANGUAGE_LAYOUT* out) {
  *out = LANGUAGE_LAYOUT{};
  count = std::clamp(count, 0, LANGUAGE_SLOTS);
  // Each piece as the unscaled screen places it, around the middle (mx, my).
  int widest = (title_length + 1) * kTitleCell;
  for (int k = 0; k < count; k++)
    widest = std::max(widest, kFlagLeft + kNameCell * name_lengths[k] + kFlagGap + kFlagWidth);
  const int top = height / 2 - kTitleAbove, bottom = height / 2 + kNameCell * count;
  // The unscaled picture stands on the middle and may spill over the
  // edges: then the whole of it shrinks to fit between the margins.
  int fits = top >= 0 && bottom <= height;
  for (int k = 0; k < count && fits; k++) {
    const int x = (width - kNameCell * name_lengths[k]) / 2;
    fits = x - kFlagLeft >= 0 && x + kNameCell * name_lengths[k] + kFlagGap + kFlagWidth <= width;
  }
  fits = fits && (width - kTitleCell * title_length - kTitleCell) / 2 >= 0;
  // Not fitting, the picture is centred and, when it is still too large,
  // shrunk to fit between the margins.
  const float s = fits ? 1.0f
                       : std::min({1.0f, static_cast<float>(height - 2 * kMargin) / static_cast<float>(bottom - top),
                                   static_cast<float>(width - 2 * kMargin) / static_cast<float>(widest)});
  out->scale = s;
  const float y0 = fits ? static_cast<float>(top)
                        : (static_cast<float>(height) - s * static_cast<float>(bottom - top)) / 2.0f;
  // Edges are rounded, and sizes taken between rounded edges, so that
  // neighbouring rows meet without a gap or an overlap.
  auto box = [](float x, float y, float w, float h) {
    return VX_RECT{px(x), px(y), static_cast<int16_t>(px(x + w) - px(x)), static_cast<int16_t>(px(y + h) - px(y))};
  };
  const float title_w = s * static_cast<float>(kTitleCell * (title_length + 1));
  const float title_x = fits ? static_cast<float>((width - kTitleCell * title_length - kTitleCell) / 2)
                             : (static_cast<float>(width) - title_w) / 2.0f;
  out->title = box(title_x, y0, title_w, s * kTitleCell);
  for (int k = 0; k < count; k++) {
    const float w = s * static_cast<float>(kNameCell * name_lengths[k]);
    const float x = fits ? static_cast<float>((width - kNameCell * name_lengths[k]) / 2)
                         : (static_cast<float>(width) - w) / 2.0f;
    const float y = y0 + s * static_cast<float>(kTitleAbove + kNameCell * k);
    out->names[k] = box(x, y, w, s * kNameCell);
    out->flag_left[k] = box(x - s * kFlagLeft, y + s * kFlagDown, s * kFlagWidth, s * kFlagHeight);
    out->flag_right[k] = box(x + w + s * kFlagGap, y + s * kFlagDown, s * kFlagWidth, s * kFlagHeight);
  }
}

int read_languages() {
  language_screen_free();
  const char* file = languages_file();
  char* buffer = static_cast<char*>(vx_mem_alloc_named(kNameSize, "read_languages buffer"));
  if (!buffer) {
    Engine_Error("Not enough memory for buffer in read_languages()");
    return 0;
  }
  int ok = 1;
  vx_io_ini_set_mode(file, KEEP_OPEN);
  for (int i = 0; i < LANGUAGE_SLOTS && ok; i++) ok = read_slot(i, file, buffer);
  vx_io_ini_set_mode(file, KEEP_CLOSE);
  vx_mem_free(buffer);
  ss.has_background = vx_img_load(&ss.background, kBackground, 0);
  ss.row = 0;
  const SLOT* first = included(0);
  ss.number = first ? first->number : 0;
  return ok;
}

int language_screen_count() { return ss.count; }

void language_screen_move(int step) {
  if (ss.count == 0) return;
  ss.row += step;
  if (ss.row < 0) ss.row = ss.count - 1;
  if (ss.row >= ss.count) ss.row = 0;
  ss.number = included(ss.row)->number;
}

int language_screen_row() { return ss.row; }

int language_screen_number() { return ss.number; }

void language_screen_frame() {
  VX_BITMAP* screen = vx_screen();
  fonts_load();
  keys_read();
  if (screen && screen->width > 0 && screen->height > 0) {
    int lengths[LANGUAGE_SLOTS] = {};
    for (int k = 0; k < ss.count; k++) lengths[k] = characters(included(k)->name);
    LANGUAGE_LAYOUT l;
    language_screen_layout(screen->width, screen->height, characters(kTitle), lengths, ss.count, &l);
    background_draw(screen);
    vx_font_print(&ss.fonts[FONT_TITLE], screen, &l.title, VX_FONT_SCALE, "%s", kTitle);
    // Unscaled the names are copied cell by cell; scaled down they are
    // scaled into their boxes like the title.
    const uint32_t name_flags = l.scale < 1.0f ? VX_FONT_SCALE : 0u;
    for (int k = 0; k < ss.count; k++) {
      const SLOT* s = included(k);
      const int chosen = k == ss.row;
      if (chosen && s->has_flag) {
        vx_bit_copy(screen, const_cast<VX_BITMAP*>(&s->flag), &l.flag_left[k], nullptr, VX_BIT_SCALE);
        vx_bit_copy(screen, const_cast<VX_BITMAP*>(&s->flag), &l.flag_right[k], nullptr, VX_BIT_SCALE);
      }
      vx_font_print(&ss.fonts[chosen ? FONT_CHOSEN : FONT_NAMES], screen, &l.names[k], name_flags, "%s", s->name);
    }
  }
  if (confirm_pressed()) language_screen_confirm();
}

void language_screen_confirm() {
  const int number = ss.number;
  language_screen_free();
  GameState& gs = g_game;
  language_select(languages_table(), number);
  // The window's menu bar follows in that language, and its hook applies the
  // language to the game's texts; without a bar they are applied here.
  VX_APP* app = vx_dsp_app();
  if (!app || app->languages != languages_table() || !vx_dsp_menu_load(app)) language_apply();
  gs.language_chosen = 1;
  gs.language_number = number;
  const char* settings = vx_io_running() ? vx_io_settings_path() : nullptr;
  if (settings && settings[0]) vx_io_ini_set_int("Application", "Language", number, settings);
  ss.row = 0;
}

void language_screen_free() {
  for (SLOT& s : ss.slots) {
    if (s.name) vx_mem_free(s.name);
    if (s.has_flag) vx_bit_free(&s.flag);
    s = SLOT{};
  }
  if (ss.has_background) vx_bit_free(&ss.background);
  if (ss.fonts_loaded)
    for (VX_FONT& f : ss.fonts) vx_font_free(&f);
  ss = ScreenState{};
}
