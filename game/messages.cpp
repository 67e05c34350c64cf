// The on-screen messages: loading a messages file, filling a message in from the game state, placing it by its number and drawing it with the default font.
#include "game/messages.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_screen.h"
#include "game/game_fonts.h"
#include "game/game_state.h"
#include "toolkit/vx_font.h"
#include "world/engine_error.h"

namespace {

constexpr const char* kSection = "Messages";
constexpr int kMaxMessages = 99;  // Message_NN carries two digits
constexpr int kBaseWidth = 640, kBaseHeight = 480;
constexpr VX_RECT kDefaultRect = {10, 50, 300, 40};

// Messages the game fills in and those it moves.
constexpr int kFirstFormatted = 3, kLastFormatted = 18;
constexpr int kTitle = 10, kBonusText = 11, kTimeUp = 13, kDrowning = 14;
constexpr int kOwedSteps = 6, kClock = 8, kTimeBonus = 18;

struct MessagesState {
  MESSAGE_TABLE* current;
  void (*hook)(int n);
};
MessagesState ms = {};

// The argument kinds a message's format is given.
enum ArgKind { ARG_NONE, ARG_TEXT, ARG_ONE_NUMBER, ARG_CLOCK };

ArgKind arguments_of(int n) {
  switch (n) {
    case 3:
    case 7:
    case kTitle:
    case kBonusText: return ARG_TEXT;
    case kOwedSteps:
    case kTimeBonus: return ARG_ONE_NUMBER;
    case kClock: return ARG_CLOCK;
    default: return ARG_NONE;
  }
}

// A format from a data file is checked before it is used: every conversion
// must take an argument of the kind the message is given (%s a text, the
// integer conversions a number), in number no more than there are.
int format_fits(const char* format, ArgKind kind) {
  const int numbers = kind == ARG_CLOCK ? 3 : kind == ARG_ONE_NUMBER ? 1 : 0;
  const int texts = kind == ARG_TEXT ? 1 : 0;
  int used_numbers = 0, used_texts = 0;
  for (const char* p = format; *p; p++) {
    if (*p != '%') continue;
    p++;
    if (*p == '%') continue;
    while (*p && std::strchr("-+ #0", *p)) p++;
    while (*p >= '0' && *p <= '9') p++;
    if (*p == '.') {
      p++;
      while (*p >= '0' && *p <= '9') p++;
    }
    if (*p == 's') {
      if (++used_texts > texts) return 0;
    } else if (*p && std::strchr("diuxXoc", *p)) {
      if (++used_numbers > numbers) return 0;
    } else {
      return 0;  // a '*' width, a length modifier, another conversion or the end
    }
  }
  return 1;
}

// The message's text rebuilt with its format; 0 (text untouched) when the
// format does not fit what the message is given.
int rebuild_text(const GAME_MESSAGE& m, int n, char* text) {
  const ArgKind kind = arguments_of(n);
  if (!format_fits(m.format, kind)) return 0;
  const GameState& gs = g_game;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  switch (kind) {
    case ARG_TEXT: std::snprintf(text, MESSAGE_TEXT, m.format, gs.text_buffer); break;
    case ARG_ONE_NUMBER:
      std::snprintf(text, MESSAGE_TEXT, m.format, n == kOwedSteps ? gs.pending_steps.load() : gs.bonus_chunks);
      break;
    case ARG_CLOCK: std::snprintf(text, MESSAGE_TEXT, m.format, gs.time_min, gs.time_sec, gs.time_tick); break;
    case ARG_NONE: std::snprintf(text, MESSAGE_TEXT, m.format, 0); break;
  }
#pragma GCC diagnostic pop
  return 1;
}

int16_t clamp16(long v) { return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

// The wobble of time up and drowning: y swings about a third of the way down.
long wobble_y(int height) {
  return static_cast<long>(std::cos(g_game.frog.state_timer / 32.0) * (height * 15 / 120)) + height / 3;
}

void move_by_number(int n, int width, int height, VX_RECT* r) {
  const GameState& gs = g_game;
  switch (n) {
    case kTitle: r->x = clamp16(static_cast<long>(gs.title_x * static_cast<float>(width) / 120.0f)); break;
    case kBonusText:
      r->x = clamp16(static_cast<long>(std::sin(gs.bonus_text_timer / 32.0) * (width * 30 / 120)));
      r->y = clamp16(static_cast<long>(gs.bonus_text_y * static_cast<float>(height) / 120.0f));
      break;
    case kTimeUp: r->y = clamp16(wobble_y(height)); break;
    case kDrowning:
      r->x = clamp16(static_cast<long>(std::sin(gs.frog.state_timer / 32.0) * (width * 25 / 120)) + width * 30 / 100);
      r->y = clamp16(wobble_y(height));
      break;
    default: break;
  }
}

char* copy_text(const char* s) {
  const size_t n = std::strlen(s) + 1;
  auto* p = static_cast<char*>(vx_mem_malloc(n));
  if (p) std::memcpy(p, s, n);
  return p;
}

void message_free(GAME_MESSAGE* m) {
  if (!m) return;
  vx_dsp_rect_remove(&m->rect);
  if (m->text) vx_mem_free(m->text);
  if (m->format) vx_mem_free(m->format);
  vx_mem_free(m);
}

// One message from its section; null when memory runs out.
GAME_MESSAGE* message_read(const char* section, const char* file) {
  auto* m = static_cast<GAME_MESSAGE*>(vx_mem_alloc_named(sizeof(GAME_MESSAGE), "game_messages"));
  if (!m) return nullptr;
  *m = GAME_MESSAGE{};
  char value[MESSAGE_TEXT];
  if (!vx_io_ini_get_string(section, "Text", value, MESSAGE_TEXT - 1, file)) value[0] = 0;
  m->text = copy_text(value);
  if (vx_io_ini_get_string(section, "Format", value, MESSAGE_TEXT - 1, file) && std::strcmp(value, " ") != 0) {
    m->format = copy_text(value);
    if (!m->format) {
      message_free(m);
      return nullptr;
    }
  }
  if (!m->text) {
    message_free(m);
    return nullptr;
  }
  if (!vx_io_ini_get_string(section, "Rect", value, MESSAGE_TEXT - 1, file) || !message_rect_parse(value, &m->rect))
    m->rect = kDefaultRect;
  int font = 1;
  if (!vx_io_ini_get_int(section, "Font", &font, file)) font = 1;
  m->flags = font == 1 ? MESSAGE_FLAGS_PROPORTIONAL : MESSAGE_FLAGS_FIXED;
  // From the 640 x 480 base to the screen, now and after every resize.
  vx_dsp_rect_add(&m->rect);
  return m;
}

}  // namespace

int message_rect_parse(const char* value, VX_RECT* out) {
  int x = 0, y = 0, w = 0, h = 0;
  if (!value || std::sscanf(value, "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return 0;
  auto place = [](long v, long base) { return clamp16(v > 0 ? v * base / 100 : -v); };
  auto size = [](long v, long base) { return clamp16(v > 0 ? v * base / 100 : 0); };
  *out = VX_RECT{place(x, kBaseWidth), place(y, kBaseHeight), size(w, kBaseWidth), size(h, kBaseHeight)};
  return 1;
}

MESSAGE_TABLE* messages_load(const char* file) {
  if (!file || !file[0]) return nullptr;
  vx_io_ini_set_mode(file, KEEP_OPEN);
  int count = 0;
  if (!vx_io_ini_get_int(kSection, "NumMessages", &count, file) || count <= 0) {
    vx_io_ini_set_mode(file, KEEP_CLOSE);
    return nullptr;
  }
  if (count > kMaxMessages) count = kMaxMessages;
  auto* table = static_cast<MESSAGE_TABLE*>(vx_mem_alloc_named(sizeof(MESSAGE_TABLE), "game_messages table"));
  auto* list = static_cast<GAME_MESSAGE**>(vx_mem_calloc(static_cast<size_t>(count), sizeof(GAME_MESSAGE*)));
  if (!table || !list) {
    if (table) vx_mem_free(table);
    if (list) vx_mem_free(list);
    vx_io_ini_set_mode(file, KEEP_CLOSE);
    Engine_Error("Cant allocate memory for game_messages");
    return nullptr;
  }
  *table = MESSAGE_TABLE{count, list};
  char sections[kMaxMessages][MESSAGE_TEXT] = {};
  for (int i = 0; i < count; i++) {
    char key[32];
    std::snprintf(key, sizeof key, "Message_%02d", i + 1);
    if (!vx_io_ini_get_string(kSection, key, sections[i], MESSAGE_TEXT - 1, file)) {
      char text[400];
      std::snprintf(text, sizeof text, "Sorry, I can't find Message %s in %s", key, file);
      vx_error_alert(text);
      sections[i][0] = 0;
    }
  }
  for (int i = 0; i < count; i++) {
    if (!sections[i][0]) continue;
    list[i] = message_read(sections[i], file);
    if (!list[i]) {
      vx_io_ini_set_mode(file, KEEP_CLOSE);
      messages_free(table);
      Engine_Error("Cant allocate memory for game_messages");
      return nullptr;
    }
  }
  vx_io_ini_set_mode(file, KEEP_CLOSE);
  return table;
}

void messages_free(MESSAGE_TABLE* table) {
  if (!table) return;
  for (int i = 0; i < table->count; i++) message_free(table->messages[i]);
  vx_mem_free(table->messages);
  vx_mem_free(table);
  if (ms.current == table) ms.current = nullptr;
}

int message_layout(const MESSAGE_TABLE* table, int n, int width, int height, char text[MESSAGE_TEXT],
                   VX_RECT* rect) {
  if (!table || n < 1 || n > table->count) return 0;
  const GAME_MESSAGE* m = table->messages[n - 1];
  if (!m || !m->text) return 0;
  std::snprintf(text, MESSAGE_TEXT, "%s", m->text);
  *rect = m->rect;
  if (m->format && n >= kFirstFormatted && n <= kLastFormatted && rebuild_text(*m, n, text))
    move_by_number(n, width, height, rect);
  return 1;
}

void message_draw(const MESSAGE_TABLE* table, int n) {
  VX_BITMAP* screen = vx_screen();
  VX_FONT* font = game_default_font();
  if (!screen || !font) return;
  char text[MESSAGE_TEXT];
  VX_RECT rect;
  if (!message_layout(table, n, screen->width, screen->height, text, &rect) || !text[0]) return;
  vx_font_print(font, screen, &rect, table->messages[n - 1]->flags, "%s", text);
}

void messages_current_set(MESSAGE_TABLE* table) { ms.current = table; }

MESSAGE_TABLE* messages_current() { return ms.current; }

void message_draw(int n) {
  if (ms.hook) ms.hook(n);
  message_draw(ms.current, n);
}

void message_draw_hook_set(void (*hook)(int n)) { ms.hook = hook; }
