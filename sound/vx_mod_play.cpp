// The module player: engine set-up, the time base of 8 ms steps, rows and ticks, channels to voices, and the render loop.
//
// Time base. A row lasts speed x 6 sub-ticks; a sub-tick lasts 1 / (2.4 x
// tempo) s (300 per second at tempo 125), so a row lasts speed x 2.5 / tempo
// s. Two 16.16 accumulators carry the time over from one render call to the
// next: F, the output frames due, grows by R per step (the frames of one
// step), and S, the sub-tick balance, shrinks by T per step (the sub-ticks of
// one step); each time S turns negative sub-ticks run until it is not. The
// frames due are mixed after the sub-ticks of their step, so sub-ticks fall
// on the same frames whatever sizes the buffers have.
#include <cstring>

#include "sound/vx_mix.h"
#include "sound/vx_mod_data.h"

namespace {

constexpr uint32_t ST3_CLOCK = 8363u * 1712u;  // period x frequency: C-4 at period 1712 plays at 8363 Hz
constexpr int SUB_TICKS = 6;                   // sub-ticks per tracker tick
constexpr int MAX_LOOP_JUMPS = 256;            // pattern loop jumps without a new row: an endless loop

struct ENGINE {
  int started;
  int step_ms;
  VX_MODULE* module;
  // Settings of the set call.
  uint32_t volume, rate;
  uint16_t mode;
  uint8_t run, end_mode;
  uint16_t start_order, separation;
  uint8_t preamp;
  // Time base.
  uint32_t R, T;  // per step: frames, sub-ticks (16.16)
  uint32_t F;     // frames due (16.16)
  int32_t S;      // sub-tick balance (16.16)
  uint32_t stored_tempo;
  // Song position.
  int order;       // index in the order list of the playing row; -1 before the first
  int pattern;
  int counter;     // sub-ticks left in the row
  int row_length;  // sub-ticks of the row
  VX_MOD_SONG song;
  VX_MOD_CHANNEL ch[VX_MOD_CHANNELS];
  uint64_t visited[VX_MOD_MAX_ORDERS];  // one bit per row played since the song last looped
  uint64_t seen[VX_MOD_MAX_ORDERS];     // one bit per row played since the reset
  int loop_jumps;                       // pattern loop jumps since a row was first played
  uint32_t loops;
  uint64_t frames, row_frame, end_frame;
};

ENGINE e;

uint32_t step_frames(uint32_t rate) { return uint32_t(uint64_t(rate) * uint64_t(e.step_ms) * 65536u / 1000u); }

// The sub-ticks of one step: the 64-bit product over the stored tempo, low 32 bits kept.
uint32_t step_sub_ticks(uint32_t stored_tempo) {
  return uint32_t(uint64_t(e.step_ms) * 65536u * 1440000u / (stored_tempo ? stored_tempo : 1));
}

// A tempo change takes effect at the sub-tick that made it. The step that
// is running was charged T at the old tempo; while its sub-ticks run, -S is
// the part of that charge still ahead of the sub-tick, and that part is
// charged again at the new tempo (the loop then runs the sub-ticks this
// owes, or the next step comes sooner or later).
void set_tempo(int tempo) {
  e.stored_tempo = 600000000u / uint32_t(tempo);
  const int64_t old = e.T;
  e.T = step_sub_ticks(e.stored_tempo);
  if (e.S < 0 && old > 0) e.S -= int32_t(int64_t(-e.S) * (int64_t(e.T) - old) / old);
}

// The first order at or after `index` that names a pattern; past the end
// (or at the end marker) the song starts over from the top. -1 when no
// order names a pattern.
int find_order(int index) {
  const VX_MODULE* m = e.module;
  for (int tries = 0; tries <= m->order_count + 1; tries++) {
    if (index < 0 || index >= m->order_count || m->orders[index] == VX_MOD_ORDER_END) {
      index = 0;
      if (!m->order_count) return -1;
    }
    uint16_t p = m->orders[index];
    if (p < m->pattern_count) return index;
    index++;
  }
  return -1;
}

void silence_channels() {
  for (int c = 0; c < VX_MOD_CHANNELS; c++) vx_mix_stop(c);
}

// The song ended or came back to a row it had played.
bool song_looped() {
  e.loops++;
  if (e.loops == 1) e.end_frame = e.frames;
  std::memset(e.visited, 0, sizeof e.visited);
  if (e.end_mode == VX_MOD_END_STOP) {
    e.run &= uint8_t(~VX_MOD_ADVANCE);
    silence_channels();
    return false;
  }
  return true;
}

// Moves to the row that follows the one that played, as the jump, break
// and loop requests of that row say. false when the song stopped there.
bool advance() {
  VX_MOD_SONG& s = e.song;
  int order = e.order, row = s.row;
  bool new_order = false;
  if (e.order < 0) {
    order = e.start_order;
    row = 0;
    new_order = true;
  } else if (s.loop_jump) {
    // The rows of a pattern loop play again without the song counting as
    // looped, unless loops keep going round without ever reaching a row not
    // played before (loops can be written so that they never end).
    if (++e.loop_jumps > MAX_LOOP_JUMPS) {
      if (!song_looped()) return false;
      e.loop_jumps = 0;
    }
    e.visited[order] &= (uint64_t(1) << s.loop_target) - 1;
    row = s.loop_target;
  } else if (s.jump_order >= 0) {
    order = s.jump_order;
    row = s.break_row >= 0 ? s.break_row : 0;
    new_order = true;
  } else if (s.break_row >= 0) {
    order++;
    row = s.break_row;
    new_order = true;
  } else if (++row >= VX_MOD_ROWS) {
    order++;
    row = 0;
    new_order = true;
  }
  if (new_order) {
    int found = find_order(order);
    if (found < 0) {
      e.run &= uint8_t(~VX_MOD_ADVANCE);
      silence_channels();
      return false;
    }
    order = found;
    // A new pattern forgets where the last pattern loop started (not how
    // many passes it has left).
    s.loop_row = 0;
  }
  if (e.order >= 0 && (e.visited[order] >> row & 1)) {
    if (!song_looped()) return false;
  }
  e.order = order;
  e.pattern = e.module->orders[order];
  s.row = row;
  e.visited[order] |= uint64_t(1) << row;
  if (!(e.seen[order] >> row & 1)) e.loop_jumps = 0;
  e.seen[order] |= uint64_t(1) << row;
  return true;
}

// Gains and step of every channel's voice for the tick just processed.
void apply_channels() {
  const VX_MODULE* m = e.module;
  const int64_t base = int64_t(e.song.global_volume) * m->master_volume * e.preamp * int64_t(e.volume);
  for (int c = 0; c < VX_MOD_CHANNELS; c++) {
    VX_MOD_CHANNEL* ch = &e.ch[c];
    if (!ch->enabled) {
      ch->trigger = ch->kill = 0;
      continue;
    }
    if (ch->trigger) {
      const VX_MOD_INSTRUMENT* in = ch->sample;
      VX_MIX_SOURCE src = {in->data, in->length, in->loop_start, in->loop_end, in->loop};
      vx_mix_play(c, &src, ch->offset);
    } else if (ch->kill) {
      vx_mix_stop(c);
    }
    ch->trigger = ch->kill = 0;
    ch->sounding = uint8_t(vx_mix_playing(c));
    if (!ch->sounding) continue;
    int period = ch->out_period < 64 ? 64 : ch->out_period;
    uint64_t step = (uint64_t(ST3_CLOCK) << 16) / (uint64_t(period) * e.rate);
    // Full scale (volume 64 x global 64 x master 128 x preamp 128 x 131072) is 2^43.
    int64_t gain = (int64_t(ch->out_volume) * base) >> 27;
    const int centre = VX_MOD_PAN_CENTRE, right = VX_MOD_PAN_RIGHT;
    int pan = m->stereo ? ch->pan : centre;
    pan = centre + (pan - centre) * int(e.separation) / 256;
    vx_mix_set(c, uint32_t(step > 0xFFFFFFFFu ? 0xFFFFFFFFu : step), int32_t(gain * (right - pan) / right),
               int32_t(gain * pan / right));
  }
}

void read_row() {
  VX_MOD_SONG& s = e.song;
  if (!advance()) return;
  s.tick = 0;
  s.jump_order = s.break_row = s.repeat = -1;
  s.extra_ticks = 0;
  s.loop_jump = 0;
  for (int c = 0; c < VX_MOD_CHANNELS; c++)
    vx_mod_fx_row(&s, &e.ch[c], vx_mod_cell(e.module, e.pattern, s.row, c), 0);
  e.row_length = (s.speed + s.extra_ticks) * SUB_TICKS * (1 + (s.repeat > 0 ? s.repeat : 0));
  e.counter = e.row_length;
  e.row_frame = e.frames;
}

void tick(int t) {
  VX_MOD_SONG& s = e.song;
  s.tick = t % (s.speed + s.extra_ticks);
  for (int c = 0; c < VX_MOD_CHANNELS; c++) {
    if (s.tick == 0) vx_mod_fx_row(&s, &e.ch[c], vx_mod_cell(e.module, e.pattern, s.row, c), 1);
    else vx_mod_fx_tick(&s, &e.ch[c]);
  }
}

void sub_tick() {
  if (!(e.run & VX_MOD_ADVANCE) || !e.song.module) return;
  if (--e.counter < 1) {
    read_row();
  } else {
    int elapsed = e.row_length - e.counter;
    if (elapsed % SUB_TICKS) return;
    tick(elapsed / SUB_TICKS);
  }
  if (e.song.tempo_changed) {
    e.song.tempo_changed = 0;
    set_tempo(e.song.tempo);
  }
  if (e.run & VX_MOD_ADVANCE) apply_channels();
}

void mix(void* out, size_t at, size_t frames) {
  const size_t width = size_t((e.mode & VX_MOD_STEREO) ? 2 : 1) * ((e.mode & 1) ? 2 : 1);
  vx_mix_render(static_cast<uint8_t*>(out) + at * width, frames);
  e.frames += frames;
}

}  // namespace

int vx_mod_start(int voices, int fade, int ramp, int, int, int step_ms, int block_frames) {
  vx_mod_shutdown();
  if (voices < VX_MOD_CHANNELS || voices > 1024 || step_ms < 1 || step_ms > 100 || block_frames < 16 ||
      block_frames > 16384)
    return 0;
  if (!vx_mix_start(voices, VX_MOD_CHANNELS, block_frames, fade, ramp)) return 0;
  e = ENGINE{};
  e.step_ms = step_ms;
  e.volume = 131072;
  e.rate = 44100;
  e.mode = VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR;
  e.separation = 256;
  e.preamp = 128;
  e.order = -1;
  e.started = 1;
  vx_mix_format(e.rate, e.mode);
  return 1;
}

void vx_mod_shutdown() {
  if (!e.started) return;
  vx_mix_shutdown();
  e = ENGINE{};
}

int vx_mod_started() { return e.started; }

int vx_mod_select(VX_MODULE* module) {
  if (!e.started) return 0;
  vx_mod_stop();
  e.module = module;
  e.song = VX_MOD_SONG{};  // no song until the next reset
  e.order = -1;
  return 1;
}

void vx_mod_select_release(const VX_MODULE* module) {
  if (e.started && module && e.module == module) vx_mod_select(nullptr);
}

int vx_mod_reset() {
  if (!e.started || !e.module) return 0;
  const VX_MODULE* m = e.module;
  vx_mix_silence();
  VX_MOD_SONG& s = e.song;
  s = VX_MOD_SONG{};
  s.module = m;
  s.speed = m->speed;
  s.tempo = m->tempo;
  s.global_volume = m->global_volume / 2;
  s.row = -1;
  for (int c = 0; c < VX_MOD_CHANNELS; c++) {
    VX_MOD_CHANNEL* ch = &e.ch[c];
    *ch = VX_MOD_CHANNEL{};
    ch->enabled = !(m->channel[c] & 0x80) && (m->channel[c] & 0x1F) < 16;
    ch->pan = m->pan[c];
    ch->note = VX_MOD_NO_NOTE;
  }
  e.R = step_frames(e.rate);
  e.stored_tempo = m->stored_tempo;
  e.T = step_sub_ticks(e.stored_tempo);
  e.F = 0;
  e.S = 0;
  e.order = -1;
  e.pattern = 0;
  e.counter = 0;
  e.row_length = 0;
  std::memset(e.visited, 0, sizeof e.visited);
  std::memset(e.seen, 0, sizeof e.seen);
  e.loops = 0;
  e.loop_jumps = 0;
  e.frames = e.row_frame = e.end_frame = 0;
  return 1;
}

void vx_mod_stop() {
  if (!e.started) return;
  vx_mix_silence();
  e.run &= uint8_t(~VX_MOD_ADVANCE);
}

int vx_mod_set(uint32_t volume, uint32_t rate, uint16_t mode, uint8_t run, uint8_t end_mode, uint16_t start_order,
               uint16_t separation, uint8_t preamp) {
  if (!e.started) return 0;
  if (rate != VX_MOD_KEEP32 && (rate < 1000 || rate > 384000)) return 0;
  if (end_mode != VX_MOD_KEEP8 && end_mode > VX_MOD_END_STOP) return 0;
  if (start_order != VX_MOD_KEEP16 && start_order >= VX_MOD_MAX_ORDERS) return 0;
  if (separation != VX_MOD_KEEP16 && separation > 256) return 0;
  if (volume != VX_MOD_KEEP32) e.volume = volume > 131072 ? 131072 : volume;
  if (rate != VX_MOD_KEEP32 && rate != e.rate) {
    // The frames still due keep their length in time at the new rate.
    e.F = uint32_t(uint64_t(e.F) * rate / e.rate);
    e.rate = rate;
    e.R = step_frames(rate);
  }
  if (mode != VX_MOD_KEEP16) e.mode = mode;
  if (run != VX_MOD_KEEP8) e.run = run;
  if (end_mode != VX_MOD_KEEP8) e.end_mode = end_mode;
  if (start_order != VX_MOD_KEEP16) e.start_order = start_order;
  if (separation != VX_MOD_KEEP16) e.separation = separation;
  if (preamp != VX_MOD_KEEP8) e.preamp = preamp;
  vx_mix_format(e.rate, e.mode);
  if (e.module && e.order >= 0) apply_channels();
  return 1;
}

int vx_mod_render(void* buffer, size_t bytes) {
  if (!e.started) return 0;
  const int shift = ((e.mode & VX_MOD_STEREO) ? 1 : 0) + ((e.mode & 1) ? 1 : 0);
  size_t frames = bytes >> shift;
  std::memset(static_cast<uint8_t*>(buffer) + (frames << shift), 0, bytes - (frames << shift));
  if (!e.module || !(e.run & VX_MOD_ADVANCE)) {
    mix(buffer, 0, frames);
    return 1;
  }
  size_t done = 0;
  while (done < frames) {
    while ((e.F >> 16) == 0) {
      e.F += e.R;
      e.S -= int32_t(e.T);
      while (e.S < 0) {
        sub_tick();
        e.S += 0x10000;
      }
    }
    size_t whole = e.F >> 16, left = frames - done;
    if (whole <= left) {
      mix(buffer, done, whole);
      done += whole;
      e.F &= 0xFFFF;
    } else {
      mix(buffer, done, left);
      e.F -= uint32_t(left) << 16;
      done = frames;
    }
  }
  return 1;
}

void vx_mod_status(VX_MOD_STATUS* out) {
  *out = VX_MOD_STATUS{};
  out->order = e.order;
  out->row = e.order >= 0 ? e.song.row : -1;
  out->speed = e.song.speed;
  out->tempo = e.song.tempo;
  out->global_volume = e.song.global_volume;
  out->run = e.run;
  out->loops = e.loops;
  out->frames = e.frames;
  out->row_frame = e.row_frame;
  out->end_frame = e.end_frame;
}
