// Game controllers: a reading in the standard pad layout turned into the joystick state every device gives.
#include "platform/plat_input.h"

static_assert(PLAT_PAD_BUTTONS <= PLAT_JOY_BUTTONS, "every pad button has a joystick button");

namespace {

constexpr int32_t AXIS_MIN = -32768;
constexpr int32_t AXIS_MAX = 32767;

int32_t clamp_axis(int32_t v) { return v < AXIS_MIN ? AXIS_MIN : (v > AXIS_MAX ? AXIS_MAX : v); }

}  // namespace

void plat_pad_to_joy(const PLAT_PAD_READING* pad, PLAT_JOY_STATE* out) {
  if (!out) return;
  *out = PLAT_JOY_STATE{};
  if (!pad) return;
  const uint8_t* b = pad->buttons;
  out->x = clamp_axis(pad->left_x);
  out->y = clamp_axis(pad->left_y);
  if (b[PLAT_PAD_DPAD_LEFT]) out->x = AXIS_MIN;
  if (b[PLAT_PAD_DPAD_RIGHT]) out->x = AXIS_MAX;
  if (b[PLAT_PAD_DPAD_UP]) out->y = AXIS_MIN;
  if (b[PLAT_PAD_DPAD_DOWN]) out->y = AXIS_MAX;
  // Both triggers on one axis, as the system's driver for such pads reports them.
  out->z = clamp_axis(pad->trigger_left - pad->trigger_right);
  out->rz = clamp_axis(pad->right_x);
  for (int i = 0; i < PLAT_PAD_BUTTONS; i++) out->buttons[i] = b[i] ? 0x80 : 0;
}
