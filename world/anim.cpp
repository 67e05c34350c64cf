// The level's time steps: frame animations, moving cells and animated objects.
#include "world/anim.h"

#include "world/engine_error.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace {

// A height as the cell keeps it: truncated, within 16 bits.
int16_t height16(double v) {
  const int h = World_Trunc(v);
  return static_cast<int16_t>(h < -32768 ? -32768 : h > 32767 ? 32767 : h);
}

// At the end of a loop the loops left go down (unless endless) and the
// owning object's copy follows.
void loop_done(ANIMATION& a) {
  WORLD_TABLES& w = world_tables;
  if (a.loops > 0) a.loops--;
  if (a.object >= 0 && a.object < WORLD_OBJECTS && w.Object_EStuff) w.Object_EStuff[a.object].loops = a.loops;
}

// The target entry shows frame `n`.
void show_frame(const ANIMATION& a, int n) {
  WORLD_TABLES& w = world_tables;
  const int from = a.frames[n];
  if (a.kind == ANIM_KIND_BITMAPS) {
    if (from < 0 || from >= w.bitmap_count || a.target < 0 || a.target >= w.bitmap_count) return;
    const BITMAP_ENTRY& f = w.bitmap_index[from];
    BITMAP_ENTRY& t = w.bitmap_index[a.target];
    t.percent = f.percent;
    t.hash = f.hash;
    t.texture = f.texture;
    return;
  }
  if (from < 0 || from >= w.sprite_bitmap_count || a.target < 0 || a.target >= w.sprite_bitmap_count) return;
  const SPRITE_BITMAP_ENTRY& f = w.sprite_bitmap_index[from];
  SPRITE_BITMAP_ENTRY& t = w.sprite_bitmap_index[a.target];
  t.percent = f.percent;
  t.texture_height = f.texture_height;
  t.texture_width = f.texture_width;
  t.texture = f.texture;
}

void animation_step(ANIMATION& a, double dt) {
  const double t = a.time_left - dt;
  if (t >= 0) {
    a.time_left = t;
    return;
  }
  const int count = a.frame_count;
  int n = a.direction == ANIM_FORWARD ? a.frame + 1 : a.frame - 1;
  if (a.direction == ANIM_BACKWARD && n < 0) {
    a.direction = ANIM_FORWARD;
    loop_done(a);
    n = a.loops != 0 ? 1 : 0;
  } else if (a.direction == ANIM_FORWARD && n >= count) {
    if (a.ping_pong) {
      a.direction = ANIM_BACKWARD;
      n = count - 2 > 0 ? count - 2 : 0;
    } else {
      loop_done(a);
      n = a.loops != 0 ? 0 : count - 1;
    }
  }
  // A one-frame ping-pong would step past its only frame.
  if (n >= count) n = count - 1;
  if (n < 0) n = 0;
  a.frame = static_cast<uint8_t>(n);
  a.time_left = a.delays[n] - t;
  show_frame(a, n);
}

void moving_cell_step(MOV_CELL& m, double dt) {
  CELL* cell = World_Cell(m.x, m.z);
  if (!cell) return;  // a cell outside the world has nothing to move
  if (m.pause == WORLD_WAITING && m.current == WORLD_WAITING) {
    m.current = m.mode == MOV_CELL_LOWER ? m.down : m.up;
    for (int k = 0; k < 4; k++) {
      cell->up[k] = m.up;
      cell->down[k] = m.down;
    }
    return;
  }
  if (m.pause == WORLD_WAITING) {
    const int f = m.frame < WORLD_MOV_FRAMES ? m.frame : 0;
    const double target = m.altitudes[f], speed = m.speeds[f];
    double current = m.current;
    if (current <= target) {
      current += speed * dt / 10;
      if (current >= target) current = target, m.pause = m.delays[f];
    } else {
      current -= speed * dt / 10;
      if (current <= target) current = target, m.pause = m.delays[f];
    }
    cell->tile = m.tile;
    if (m.mode == MOV_CELL_WHOLE || m.mode == MOV_CELL_UPPER)
      for (int k = 0; k < 4; k++) cell->up[k] = height16(current);
    if (m.mode == MOV_CELL_WHOLE || m.mode == MOV_CELL_LOWER) {
      const int thickness = m.up - m.down;
      if (thickness < 0) Engine_Error("The height of a moving cell is wrong!");
      for (int k = 0; k < 4; k++) cell->down[k] = height16(current - thickness);
    }
    m.current = current;
    return;
  }
  m.pause -= dt;
  if (m.pause < 0) {
    m.frame = static_cast<uint8_t>(m.frame + 1 < m.frame_count ? m.frame + 1 : 0);
    m.pause = WORLD_WAITING;
  }
}

void animated_object_step(ANI_OBJECT& a, double dt) {
  WORLD_TABLES& w = world_tables;
  const int count = a.frame_count;
  if (count < 1 || a.object < 1 || a.object > w.object_count) return;
  if (a.pause == 0 || a.pause == WORLD_WAITING) {
    int k = a.frame < count ? a.frame : 0;
    a.travel_left -= dt;
    if (a.travel_left <= 0) {
      a.pause = a.delay[k];
      k = k + 1 < count ? k + 1 : 0;
      a.frame = static_cast<uint8_t>(k);
      a.travel_left = a.travel_time[k];
      Object_Set_Position(a.object, a.x[k], a.y[k], a.z[k]);
    } else {
      const OBJECT& o = w.objects[a.object];
      Object_Set_Position(a.object, o.x + a.vx[k] * dt, o.y + a.vy[k] * dt, o.z + a.vz[k] * dt);
    }
    return;
  }
  a.pause -= dt;
  if (a.pause < 0) a.pause = 0;
}

}  // namespace

void Animations_Step(double dt) {
  WORLD_TABLES& w = world_tables;
  for (int i = 0; w.animated_bitmap_index && i < w.animation_count; i++) {
    ANIMATION& a = w.animated_bitmap_index[i];
    if (a.active && a.frame_count > 0) animation_step(a, dt);
  }
}

void Moving_Cells_Step(double dt) {
  WORLD_TABLES& w = world_tables;
  for (int i = 0; w.mov_cell_index && w.world && i < w.mov_cell_count; i++) moving_cell_step(w.mov_cell_index[i], dt);
}

void Animated_Objects_Step(double dt) {
  WORLD_TABLES& w = world_tables;
  for (int i = 0; w.Ani_Objects_Index && w.objects && i < w.ani_object_count; i++)
    animated_object_step(w.Ani_Objects_Index[i], dt);
}
