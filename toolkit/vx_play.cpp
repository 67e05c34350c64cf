// Players: registration with the default bindings, configuration set-up, and the per-frame action values.
#include "toolkit/vx_play.h"

#include <array>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "toolkit/vx_inp.h"

namespace {

// The messages of module "Player", by error code; code 3 is a single space.
const char* const kPlayerErrors[] = {
    "Passed a NULL player",
    "Tried to remove a player never registered",
    "Trying to assign control that doesn't exist",
    " ",
    "Trying to assign a configuration out of limit in vx_play_setup",
};
static_assert(std::size(kPlayerErrors) == VX_PLAY_ERR_CONFIG + 1, "one message per code");

constexpr uint16_t UNBOUND = 0;  // keyboard code 0: a key that is never down
constexpr int DEVICE_KEY = 0, DEVICE_MOUSE = 1, DEVICE_JOY = 2, DEVICES = 3;

typedef std::array<std::array<uint16_t, VX_PLAY_ACTIONS>, VX_PLAY_CONFIGS> SLOT_TABLE;

// One registered player. Allocated zeroed, one per player, linked in
// registration order in the module's list.
struct PLAY_BINDING {
  int number;  // registration order; also the index of the player's joystick
  std::array<int, VX_PLAY_CONFIGS> enabled;
  std::array<SLOT_TABLE, DEVICES> slots;  // [device][configuration - 1][action] = input code
  VX_PLAYER* player;
};

// Default codes per action: keyboard, mouse (first player), joystick.
struct DEFAULT_ROW {
  uint16_t key, mouse, joy;
};
constexpr DEFAULT_ROW kDefaults[VX_PLAY_ACTIONS] = {
    {200, 400, 500}, {208, 401, 501}, {203, 402, 502}, {205, 403, 503}, {23, 404, 504},
    {24, 405, 505},  {57, 408, 508},  {28, 409, 509},  {28, 28, 28},    {1, 1, 1},
};
constexpr int ACTION_BUTTON1 = 6, ACTION_BUTTON2 = 7;

struct PlayState {
  int started;
  int module = -1;
  VX_PLAY_SETTINGS settings;
  VX_LIST* players;
};
PlayState st;

void report(int code) { vx_error_raise(st.module, code, st.settings.debug); }

// Slot index of a code's device, or -1 for a code that names no control.
int device_slot(int code) {
  if (code >= 0 && code < 256) return DEVICE_KEY;
  if (code >= 400 && code < 440) return DEVICE_MOUSE;
  if (code >= 500 && code < 540) return DEVICE_JOY;
  return -1;
}

PLAY_BINDING* find(const VX_PLAYER* player) {
  if (!st.players) return nullptr;
  for (VX_LIST_NODE* n = st.players->head; n; n = n->next) {
    auto* b = static_cast<PLAY_BINDING*>(n->data);
    if (b->player == player) return b;
  }
  return nullptr;
}

void bind_defaults(PLAY_BINDING* b) {
  const int swapped = vx_inp_buttons_swapped();
  for (int c = 0; c < VX_PLAY_CONFIGS; c++) {
    for (int a = 0; a < VX_PLAY_ACTIONS; a++) {
      uint16_t mouse = kDefaults[a].mouse;
      if (swapped && a == ACTION_BUTTON1) mouse = kDefaults[ACTION_BUTTON2].mouse;
      if (swapped && a == ACTION_BUTTON2) mouse = kDefaults[ACTION_BUTTON1].mouse;
      b->slots[DEVICE_KEY][c][a] = kDefaults[a].key;
      b->slots[DEVICE_MOUSE][c][a] = b->number == 0 ? mouse : UNBOUND;
      b->slots[DEVICE_JOY][c][a] = kDefaults[a].joy;
    }
  }
  b->enabled = {1, 0, 0, 0, 0};
}

// Checks shared by both set-up calls; the binding record, or null after raising.
PLAY_BINDING* setup_target(VX_PLAYER* player, int configuration) {
  if (!player) {
    report(VX_PLAY_ERR_NULL);
    return nullptr;
  }
  if (configuration < 1 || configuration > VX_PLAY_CONFIGS) {
    report(VX_PLAY_ERR_CONFIG);
    return nullptr;
  }
  PLAY_BINDING* b = find(player);
  if (!b) report(VX_PLAY_ERR_UNKNOWN);
  return b;
}

// Binds ten codes into one configuration; `unbind` allows -2 to -4.
int bind(PLAY_BINDING* b, int configuration, const int* codes, bool unbind) {
  const int c = configuration - 1;
  b->enabled[c] = 1;
  int all = 1;
  for (int a = 0; a < VX_PLAY_ACTIONS; a++) {
    int code = codes[a];
    if (code == VX_PLAY_KEEP) continue;
    if (unbind && code <= VX_PLAY_UNBIND_KEY && code >= VX_PLAY_UNBIND_JOY) {
      b->slots[VX_PLAY_UNBIND_KEY - code][c][a] = UNBOUND;  // -2 keyboard, -3 mouse, -4 joystick
      continue;
    }
    int device = device_slot(code);
    if (device < 0) {
      report(VX_PLAY_ERR_NO_CONTROL);
      all = 0;
      continue;
    }
    b->slots[device][c][a] = static_cast<uint16_t>(code);
  }
  return all;
}

uint8_t action_value(const PLAY_BINDING* b, int a) {
  for (int c = 0; c < VX_PLAY_CONFIGS; c++) {
    if (!b->enabled[c]) continue;
    uint8_t v = 0;
    for (int d = 0; d < DEVICES; d++) v |= vx_inp_state_of(b->number, b->slots[d][c][a]);
    if (v) return v;
  }
  return 0;
}

}  // namespace

int vx_play_init(const VX_PLAY_SETTINGS* settings) {
  if (!settings) return 0;
  if (st.started) return 1;
  st = PlayState{};
  st.settings = *settings;
  st.module = vx_error_register("Player", kPlayerErrors);
  if (!vx_list_create(&st.players)) return 0;
  st.started = 1;
  return 1;
}

void vx_play_deinit() {
  if (!st.started) return;
  for (VX_LIST_NODE* n = st.players->head; n; n = n->next) vx_mem_free(n->data);
  vx_list_destroy(st.players);
  st.players = nullptr;
  st.started = 0;
}

int vx_play_add(VX_PLAYER* player) {
  if (!player) {
    report(VX_PLAY_ERR_NULL);
    return 0;
  }
  if (!st.started || find(player)) return 0;
  auto* b = static_cast<PLAY_BINDING*>(vx_mem_calloc(1, sizeof(PLAY_BINDING)));
  if (!b) return 0;
  vx_mem_name(b, "VX_PLAY binding record");
  std::memset(player, 0, sizeof *player);
  b->number = vx_list_count(st.players);
  b->player = player;
  bind_defaults(b);
  vx_list_append(st.players, b);
  return 1;
}

int vx_play_remove(VX_PLAYER* player) {
  if (!player) {
    report(VX_PLAY_ERR_NULL);
    return 0;
  }
  PLAY_BINDING* b = find(player);
  if (!b) {
    report(VX_PLAY_ERR_UNKNOWN);
    return 0;
  }
  vx_list_remove(st.players, b);
  vx_mem_free(b);
  return 1;
}

int vx_play_setup(VX_PLAYER* player, int configuration, int c0, int c1, int c2, int c3, int c4, int c5,
                  int c6, int c7, int c8, int c9) {
  PLAY_BINDING* b = setup_target(player, configuration);
  if (!b) return 0;
  const int codes[VX_PLAY_ACTIONS] = {c0, c1, c2, c3, c4, c5, c6, c7, c8, c9};
  return bind(b, configuration, codes, false);
}

int vx_play_setup_list(VX_PLAYER* player, const int16_t codes[VX_PLAY_ACTIONS], int configuration) {
  PLAY_BINDING* b = setup_target(player, configuration);
  if (!b) return 0;
  if (!codes) {
    report(VX_PLAY_ERR_NO_CONTROL);
    return 0;
  }
  int wide[VX_PLAY_ACTIONS];
  for (int a = 0; a < VX_PLAY_ACTIONS; a++) wide[a] = codes[a];
  return bind(b, configuration, wide, true);
}

void vx_play_update() {
  if (!st.started) return;
  for (VX_LIST_NODE* n = st.players->head; n; n = n->next) {
    auto* b = static_cast<PLAY_BINDING*>(n->data);
    const uint8_t* block = vx_inp_joystick_block(b->number);
    if (block)
      std::memcpy(b->player->joystick, block, sizeof b->player->joystick);
    else
      std::memset(b->player->joystick, 0, sizeof b->player->joystick);
    for (int a = 0; a < VX_PLAY_ACTIONS; a++) b->player->actions[a] = action_value(b, a);
  }
}

int vx_play_control_device(int code) {
  switch (device_slot(code)) {
    case DEVICE_MOUSE: return 400;
    case DEVICE_JOY: return 500;
    case DEVICE_KEY: return 0;
    default: report(VX_PLAY_ERR_NO_CONTROL); return 0;
  }
}

int vx_play_count() { return st.players ? vx_list_count(st.players) : 0; }

int vx_play_number(const VX_PLAYER* player) {
  const PLAY_BINDING* b = find(player);
  return b ? b->number : -1;
}

int vx_play_enabled(const VX_PLAYER* player, int configuration) {
  const PLAY_BINDING* b = find(player);
  if (!b || configuration < 1 || configuration > VX_PLAY_CONFIGS) return 0;
  return b->enabled[configuration - 1];
}

int vx_play_binding(const VX_PLAYER* player, int configuration, int action, int device) {
  const PLAY_BINDING* b = find(player);
  int d = device == 0 ? DEVICE_KEY : device == 400 ? DEVICE_MOUSE : device == 500 ? DEVICE_JOY : -1;
  if (!b || d < 0 || configuration < 1 || configuration > VX_PLAY_CONFIGS || action < 0 ||
      action >= VX_PLAY_ACTIONS)
    return -1;
  return b->slots[d][configuration - 1][action];
}
