// The SDL2 build's input devices: the keyboard state, the relative mouse, joysticks and game controllers.
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include "platform/plat_input.h"
#include "platform/plat_internal.h"
#include "platform/sdl/plat_sdl.h"

namespace {

struct SDL_JOY_SLOT {
  SDL_Joystick* joystick;          // set for every open slot (a controller's own joystick too)
  SDL_GameController* controller;  // null for a plain joystick
  uint32_t id;                     // SDL instance id + 1
  int acquired;
};

// SDL scan codes above 255 are SDL's own numbers for the consumer keys; the
// rest are USB usages and go through the platform's key table.
struct SDL_KEY_NUMBER {
  int scancode;
  uint8_t number;
};
constexpr SDL_KEY_NUMBER CONSUMER_KEYS[] = {
    {SDL_SCANCODE_AUDIONEXT, 0x99}, {SDL_SCANCODE_AUDIOPREV, 0x90}, {SDL_SCANCODE_AUDIOSTOP, 0xA4},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2}, {SDL_SCANCODE_AUDIOMUTE, 0xA0}, {SDL_SCANCODE_SLEEP, 0xDF},
};

constexpr int AXIS_MIN = -32768;
constexpr int AXIS_MAX = 32767;
constexpr int MAX_SEEN = 64;

}  // namespace

static struct {
  int started;
  int events_ready;
  int joy_ready;
  int keyboard_acquired;
  int mouse_acquired;
  std::atomic<int> wheel;  // gathered by the event watch while the mouse is acquired
  std::array<SDL_JOY_SLOT, PLAT_MAX_JOYSTICKS> slots;
  uint32_t serial;
  std::array<SDL_JoystickID, MAX_SEEN> seen;  // attached devices at the last update
  int seen_count;
  std::array<uint8_t, SDL_NUM_SCANCODES> numbers;  // DirectInput number of every SDL scan code
} sdl_in;

static SDL_JOY_SLOT* open_slot(int slot) {
  if (slot < 0 || slot >= PLAT_MAX_JOYSTICKS || !sdl_in.slots[slot].joystick) return nullptr;
  return &sdl_in.slots[slot];
}

static SDL_Window* main_native() {
  PLAT_WINDOW* w = plat_window_main();
  return w ? static_cast<SDL_Window*>(w->native) : nullptr;
}

static int has_focus() {
  SDL_Window* w = main_native();
  return w && plat_sdl_events_ready() && SDL_GetKeyboardFocus() == w;
}

// The wheel arrives only as events, which the message pump takes; a watch
// sees each one as it is queued (on the pumping thread).
static int SDLCALL wheel_watch(void*, SDL_Event* e) {
  if (e->type == SDL_MOUSEWHEEL && sdl_in.mouse_acquired) {
    int turn = e->wheel.y * 120;
    if (e->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turn = -turn;
    sdl_in.wheel.fetch_add(turn);
  }
  return 1;
}

static void build_numbers() {
  sdl_in.numbers = {};
  for (uint32_t sc = 0; sc < 256; sc++) sdl_in.numbers[sc] = static_cast<uint8_t>(plat_input_key_number(sc));
  for (const SDL_KEY_NUMBER& k : CONSUMER_KEYS) sdl_in.numbers[k.scancode] = k.number;
}

int plat_input_start() {
  if (sdl_in.started) return 1;
  build_numbers();
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "SDL events: %s\n", SDL_GetError());
    return 0;
  }
  sdl_in.events_ready = 1;
  // Joysticks are read in the background, as the system's device interface
  // does for a non-exclusive background device.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  sdl_in.joy_ready = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!sdl_in.joy_ready) std::fprintf(stderr, "SDL joysticks: %s\n", SDL_GetError());
  SDL_AddEventWatch(wheel_watch, nullptr);
  sdl_in.seen_count = 0;
  sdl_in.started = 1;
  plat_input_update();
  return 1;
}

void plat_input_stop() {
  if (!sdl_in.started) return;
  for (int slot = 0; slot < PLAT_MAX_JOYSTICKS; slot++) plat_input_joystick_close(slot);
  plat_input_mouse_acquire(0);
  plat_input_keyboard_acquire(0);
  plat_input_show_cursor(1);
  SDL_DelEventWatch(wheel_watch, nullptr);
  if (sdl_in.joy_ready) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  sdl_in.joy_ready = 0;
  sdl_in.events_ready = 0;
  sdl_in.started = 0;
}

int plat_input_joysticks_available() { return sdl_in.joy_ready; }

// A new serial whenever the list of attached devices differs from the last one seen.
static void note_devices() {
  int n = SDL_NumJoysticks();
  if (n < 0) n = 0;
  if (n > MAX_SEEN) n = MAX_SEEN;
  int changed = n != sdl_in.seen_count;
  for (int i = 0; i < n; i++) {
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    if (!changed && sdl_in.seen[i] != id) changed = 1;
    sdl_in.seen[i] = id;
  }
  sdl_in.seen_count = n;
  if (changed) sdl_in.serial++;
}

void plat_sdl_input_devices_changed() {
  if (sdl_in.joy_ready) sdl_in.serial++;
}

void plat_input_update() {
  if (!sdl_in.joy_ready) return;
  // Reads new states and detects devices attached or detached since.
  SDL_JoystickUpdate();
  note_devices();
}

// ---------------------------------------------------------------- keyboard

int plat_input_keyboard_acquire(int acquire) {
  sdl_in.keyboard_acquired = acquire && sdl_in.started;
  return acquire ? sdl_in.keyboard_acquired : 1;
}

int plat_input_keyboard_read(uint8_t keys[PLAT_KEYS]) {
  if (!sdl_in.keyboard_acquired) return 0;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  std::memset(keys, 0, PLAT_KEYS);
  if (count > SDL_NUM_SCANCODES) count = SDL_NUM_SCANCODES;
  for (int sc = 0; state && sc < count; sc++)
    if (state[sc] && sdl_in.numbers[sc]) keys[sdl_in.numbers[sc]] = 0x80;
  return 1;
}

// ---------------------------------------------------------------- mouse

int plat_input_mouse_acquire(int acquire) {
  if (!acquire) {
    if (sdl_in.mouse_acquired && SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetRelativeMouseMode(SDL_FALSE);
    sdl_in.mouse_acquired = 0;
    return 1;
  }
  if (!sdl_in.started || !has_focus()) return 0;
  if (!sdl_in.mouse_acquired) {
    // Relative mode keeps the pointer in the window and reports raw motion;
    // where the system cannot give it, motion is still read, unconfined.
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_GetRelativeMouseState(nullptr, nullptr);  // forget motion from before
    sdl_in.wheel.store(0);
  }
  sdl_in.mouse_acquired = 1;
  return 1;
}

int plat_input_mouse_read(PLAT_MOUSE_STATE* state) {
  if (!sdl_in.mouse_acquired || !state) return 0;
  if (!has_focus()) {
    plat_input_mouse_acquire(0);
    return 0;
  }
  int x = 0, y = 0;
  uint32_t b = SDL_GetRelativeMouseState(&x, &y);
  state->x = x;
  state->y = y;
  state->z = sdl_in.wheel.exchange(0);
  state->buttons[0] = (b & SDL_BUTTON_LMASK) ? 0x80 : 0;
  state->buttons[1] = (b & SDL_BUTTON_RMASK) ? 0x80 : 0;
  state->buttons[2] = (b & SDL_BUTTON_MMASK) ? 0x80 : 0;
  state->buttons[3] = (b & SDL_BUTTON_X1MASK) ? 0x80 : 0;
  return 1;
}

int plat_input_buttons_swapped() {
  char buf[8];
  return plat_getenv("PS_MOUSE_BUTTONS_SWAPPED", buf, sizeof buf) && std::strcmp(buf, "1") == 0;
}

void plat_input_show_cursor(int show) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// ---------------------------------------------------------------- joysticks

int plat_input_joystick_devices() {
  if (!sdl_in.joy_ready) return 0;
  int n = SDL_NumJoysticks();
  return n > 0 ? n : 0;
}

uint32_t plat_input_joystick_device_id(int index) {
  if (!sdl_in.joy_ready || index < 0 || index >= SDL_NumJoysticks()) return 0;
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  return id < 0 ? 0 : static_cast<uint32_t>(id) + 1;
}

uint32_t plat_input_joystick_serial() { return sdl_in.serial; }

static int device_index(uint32_t id) {
  for (int i = 0; id && i < SDL_NumJoysticks(); i++)
    if (static_cast<uint32_t>(SDL_JoystickGetDeviceInstanceID(i)) + 1 == id) return i;
  return -1;
}

int plat_input_joystick_open(uint32_t id, int slot, PLAT_JOY_INFO* info) {
  if (!sdl_in.joy_ready || slot < 0 || slot >= PLAT_MAX_JOYSTICKS) return 0;
  plat_input_joystick_close(slot);
  int index = device_index(id);
  if (index < 0) return 0;
  SDL_JOY_SLOT s{};
  if (SDL_IsGameController(index)) {
    s.controller = SDL_GameControllerOpen(index);
    s.joystick = s.controller ? SDL_GameControllerGetJoystick(s.controller) : nullptr;
  } else {
    s.joystick = SDL_JoystickOpen(index);
  }
  if (!s.joystick) {
    if (s.controller) SDL_GameControllerClose(s.controller);
    return 0;
  }
  s.id = id;
  sdl_in.slots[slot] = s;
  if (info) {
    *info = PLAT_JOY_INFO{};
    info->controller = s.controller != nullptr;
    // A controller's sticks and triggers are read as the four axes below.
    info->axes = s.controller ? 4 : SDL_JoystickNumAxes(s.joystick);
    info->buttons = s.controller ? PLAT_PAD_BUTTONS : SDL_JoystickNumButtons(s.joystick);
    if (info->buttons > PLAT_JOY_BUTTONS) info->buttons = PLAT_JOY_BUTTONS;
    const char* name = s.controller ? SDL_GameControllerName(s.controller) : SDL_JoystickName(s.joystick);
    std::snprintf(info->name, sizeof info->name, "%s", name ? name : "");
  }
  return 1;
}

void plat_input_joystick_close(int slot) {
  SDL_JOY_SLOT* s = open_slot(slot);
  if (!s) return;
  if (s->controller)
    SDL_GameControllerClose(s->controller);
  else
    SDL_JoystickClose(s->joystick);
  *s = SDL_JOY_SLOT{};
}

uint32_t plat_input_joystick_id(int slot) {
  SDL_JOY_SLOT* s = open_slot(slot);
  return s ? s->id : 0;
}

int plat_input_joystick_attached(int slot) {
  SDL_JOY_SLOT* s = open_slot(slot);
  return s && SDL_JoystickGetAttached(s->joystick);
}

int plat_input_joystick_acquire(int slot) {
  SDL_JOY_SLOT* s = open_slot(slot);
  if (!s || !SDL_JoystickGetAttached(s->joystick)) return 0;
  s->acquired = 1;
  return 1;
}

// SDL's controller buttons are the pad layout's, in the same order.
constexpr bool same_button(SDL_GameControllerButton sdl, PLAT_PAD_BUTTON pad) { return int(sdl) == int(pad); }
static_assert(same_button(SDL_CONTROLLER_BUTTON_A, PLAT_PAD_A) && same_button(SDL_CONTROLLER_BUTTON_START, PLAT_PAD_START) &&
                  same_button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PLAT_PAD_DPAD_RIGHT) &&
                  same_button(SDL_CONTROLLER_BUTTON_TOUCHPAD, PLAT_PAD_TOUCHPAD),
              "SDL's controller button order");

static void read_controller(SDL_GameController* c, PLAT_JOY_STATE* st) {
  PLAT_PAD_READING pad{};
  pad.left_x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
  pad.left_y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
  pad.right_x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
  pad.right_y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY);
  pad.trigger_left = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  pad.trigger_right = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  for (int b = 0; b < PLAT_PAD_BUTTONS && b < SDL_CONTROLLER_BUTTON_MAX; b++)
    pad.buttons[b] = SDL_GameControllerGetButton(c, static_cast<SDL_GameControllerButton>(b));
  plat_pad_to_joy(&pad, st);
}

// A plain joystick: axes 0 to 3 are X, Y, Z and rotation Z; the first hat
// pushes X and Y fully over, so that pads whose cross is a hat steer too.
static void read_joystick(SDL_Joystick* j, PLAT_JOY_STATE* st) {
  int axes = SDL_JoystickNumAxes(j);
  int32_t* out[4] = {&st->x, &st->y, &st->z, &st->rz};
  for (int a = 0; a < 4 && a < axes; a++) *out[a] = SDL_JoystickGetAxis(j, a);
  if (SDL_JoystickNumHats(j) > 0) {
    Uint8 hat = SDL_JoystickGetHat(j, 0);
    if (hat & SDL_HAT_LEFT) st->x = AXIS_MIN;
    if (hat & SDL_HAT_RIGHT) st->x = AXIS_MAX;
    if (hat & SDL_HAT_UP) st->y = AXIS_MIN;
    if (hat & SDL_HAT_DOWN) st->y = AXIS_MAX;
  }
  int buttons = SDL_JoystickNumButtons(j);
  for (int b = 0; b < buttons && b < PLAT_JOY_BUTTONS; b++)
    st->buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
}

int plat_input_joystick_read(int slot, PLAT_JOY_STATE* state) {
  SDL_JOY_SLOT* s = open_slot(slot);
  if (!s || !state || !s->acquired) return 0;
  if (!SDL_JoystickGetAttached(s->joystick)) {
    s->acquired = 0;
    return 0;
  }
  *state = PLAT_JOY_STATE{};
  if (s->controller)
    read_controller(s->controller, state);
  else
    read_joystick(s->joystick, state);
  return 1;
}
