// The S3M effects: what each cell does to its channel and to the song, on the first tick of a row and on the later ones.
//
// Periods are Scream Tracker's: four times the Amiga's, so that C-4 of a
// sample with C2 speed 8363 has period 1712 and plays at 14317456 / period
// Hz. Slides move the period by 4 per unit (fine slides EFx/FFx too), extra
// fine slides (EEx/FEx) by 1. Most effects share one memory per channel: a
// zero parameter repeats the last non-zero parameter of any effect (D, E, F,
// I, J, K, L, Q, R and S read it); G, H/U and O keep their own.
#include <algorithm>
#include <cmath>

#include "sound/vx_mod_data.h"

namespace {

constexpr int PERIODS[12] = {1712, 1616, 1524, 1440, 1357, 1281, 1209, 1141, 1077, 1017, 961, 907};
constexpr uint16_t FLAG_AMIGA_LIMITS = 0x10;
constexpr int MAX_PERIOD = 32767;

// Retrigger volume changes by the high nibble of Qxy: added, or (for 6, 7,
// 14 and 15) a factor as numerator / denominator.
struct RETRIG_STEP {
  int add, mul, div;
};
constexpr RETRIG_STEP RETRIG[16] = {{0, 1, 1},  {-1, 1, 1}, {-2, 1, 1}, {-4, 1, 1}, {-8, 1, 1},  {-16, 1, 1},
                                    {0, 2, 3},  {0, 1, 2},  {0, 1, 1},  {1, 1, 1},  {2, 1, 1},   {4, 1, 1},
                                    {8, 1, 1},  {16, 1, 1}, {0, 3, 2},  {0, 2, 1}};

// Vibrato and tremolo waves over 64 positions, amplitude 255.
int wave(int kind, int pos) {
  static const auto sine = [] {
    struct TABLE {
      int v[64];
    } t{};
    for (int i = 0; i < 64; i++) t.v[i] = int(std::lround(255.0 * std::sin(i * 3.14159265358979323846 / 32.0)));
    return t;
  }();
  pos &= 63;
  switch (kind & 3) {
    case 1: return 255 - pos * 8;             // ramp down
    case 2: return pos < 32 ? 255 : -255;     // square
    default: return sine.v[pos];              // sine (and "random", played as sine)
  }
}

int clamp_volume(int v) { return v < 0 ? 0 : v > 64 ? 64 : v; }

bool uses_memory(uint8_t cmd) {
  switch (cmd) {
    case FX_VOLSLIDE: case FX_VOLSLIDE_FAST: case FX_PORTA_DOWN: case FX_PORTA_UP: case FX_TREMOR:
    case FX_ARPEGGIO: case FX_VIB_VOLSLIDE: case FX_PORTA_VOLSLIDE: case FX_VIB_VOLSLIDE_FT:
    case FX_PORTA_VOLSLIDE_FT: case FX_RETRIG: case FX_TREMOLO: case FX_SPECIAL:
      return true;
    default:
      return false;
  }
}

bool is_tone_porta(uint8_t cmd) {
  return cmd == FX_TONE_PORTA || cmd == FX_PORTA_VOLSLIDE || cmd == FX_PORTA_VOLSLIDE_FT;
}

// The period after a slide, kept within the module's limits. A period slid
// down to zero or below stops the channel.
void set_period(const VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, int period) {
  if (song->module->flags & FLAG_AMIGA_LIMITS) {
    if (period < 113 * 4) period = 113 * 4;
    if (period > 856 * 4) period = 856 * 4;
  }
  if (period > MAX_PERIOD) period = MAX_PERIOD;
  if (period <= 0) {
    period = 0;
    ch->kill = 1;
    ch->stopped = 1;
  }
  ch->period = period;
  ch->out_period = period;
}

// A normal volume slide step: Dx0 up by x, any other Dxy down by y (so
// that D0F and DF0 slide by 15 on every tick, the first one included).
void volslide_step(VX_MOD_CHANNEL* ch) {
  int x = ch->param >> 4, y = ch->param & 15;
  ch->volume = clamp_volume(y == 0 ? ch->volume + x : ch->volume - y);
}

bool fine_volslide(uint8_t param) {
  int x = param >> 4, y = param & 15;
  return (y == 15 && x) || (x == 15 && y);
}

// Volume slide on the first tick: fine slides (DxF up, DFy down, DFF up by
// 15), D0F and DF0, and with fast slides every normal slide.
void volslide_first(VX_MOD_CHANNEL* ch, bool fast) {
  int x = ch->param >> 4, y = ch->param & 15;
  if (fine_volslide(ch->param)) ch->volume = clamp_volume(y == 15 ? ch->volume + x : ch->volume - y);
  else if (fast || (x == 0 && y == 15) || (x == 15 && y == 0)) volslide_step(ch);
}

void volslide_tick(VX_MOD_CHANNEL* ch) {
  if (!fine_volslide(ch->param)) volslide_step(ch);
}

// E and F on the first tick: fine (xF) and extra fine (xE) slides.
void porta_first(const VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, int sign) {
  int x = ch->param >> 4, y = ch->param & 15;
  if (!ch->period) return;
  if (x == 15) set_period(song, ch, ch->period + sign * y * 4);
  else if (x == 14) set_period(song, ch, ch->period + sign * y);
}

void porta_tick(const VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, int sign) {
  if (ch->param >= 0xE0 || !ch->period) return;
  set_period(song, ch, ch->period + sign * ch->param * 4);
}

void tone_porta_tick(const VX_MOD_SONG* song, VX_MOD_CHANNEL* ch) {
  if (!ch->period || !ch->porta_target) return;
  int step = ch->porta_speed * 4;
  int p = ch->period;
  if (p < ch->porta_target) p = p + step > ch->porta_target ? ch->porta_target : p + step;
  else if (p > ch->porta_target) p = p - step < ch->porta_target ? ch->porta_target : p - step;
  set_period(song, ch, p);
}

// A vibrato that takes the period to zero or below stops the note, as a slide does.
void vibrato_tick(VX_MOD_CHANNEL* ch, bool fine) {
  int w = wave(ch->vib_wave, ch->vib_pos);
  int delta = fine ? (w * ch->vib_depth) >> 7 : (w * ch->vib_depth) >> 5;
  ch->vib_pos = uint8_t((ch->vib_pos + ch->vib_speed) & 63);
  if (!ch->period) return;
  ch->out_period = ch->period + delta;
  if (ch->out_period <= 0) {
    ch->out_period = 0;
    ch->kill = 1;
    ch->stopped = 1;
  }
}

void tremolo_tick(VX_MOD_CHANNEL* ch) {
  int w = wave(ch->trem_wave, ch->trem_pos);
  ch->out_volume = clamp_volume(ch->volume + ((w * ch->trem_depth) >> 6));
  ch->trem_pos = uint8_t((ch->trem_pos + ch->trem_speed) & 63);
}

// Ixy: sound for x + 1 ticks, silence for y + 1 ticks, counting on across rows.
void tremor_tick(VX_MOD_CHANNEL* ch) {
  if (ch->tremor_count == 0) {
    ch->tremor_on = !ch->tremor_on;
    ch->tremor_count = uint8_t((ch->tremor_on ? ch->param >> 4 : ch->param & 15) + 1);
  }
  ch->tremor_count--;
  if (!ch->tremor_on) ch->out_volume = 0;
}

void arpeggio(VX_MOD_CHANNEL* ch, int tick) {
  int step = tick % 3 == 1 ? ch->param >> 4 : tick % 3 == 2 ? ch->param & 15 : 0;
  if (step && ch->note != VX_MOD_NO_NOTE) {
    int n = (ch->note >> 4) * 12 + (ch->note & 15) + step;
    int p = vx_mod_note_period((n / 12) << 4 | (n % 12), ch->c2_speed);
    if (p) ch->out_period = p;
  }
  ch->arp_period = ch->out_period;
}

void retrig_tick(VX_MOD_CHANNEL* ch) {
  if (++ch->retrig_count < (ch->param & 15)) return;
  ch->retrig_count = 0;
  if (ch->stopped || !ch->sample || !ch->sample->data) return;
  const RETRIG_STEP& s = RETRIG[ch->param >> 4];
  ch->volume = clamp_volume((ch->volume + s.add) * s.mul / s.div);
  ch->out_volume = ch->volume;
  ch->trigger = 1;
}

// Note, instrument and volume of a cell (at its row's first tick, or at the
// tick of a note delay).
void play_cell(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, const uint8_t* cell) {
  const VX_MODULE* m = song->module;
  const uint8_t note = cell[0], ins = cell[1], vol = cell[2];
  // A tone portamento glides the sounding note; with nothing sounding it plays the note.
  const bool porta = is_tone_porta(ch->cmd) && ch->sounding && !ch->stopped && ch->period;
  // A tone portamento keeps the sample playing and takes only the new
  // instrument's volume; an empty instrument has none to give it.
  if (ins && ins <= m->instrument_count && (!porta || m->instruments[ins - 1].type == 1)) {
    const VX_MOD_INSTRUMENT* in = &m->instruments[ins - 1];
    ch->volume = in->volume / 2;
    if (!porta) ch->instrument = ins;
    ch->offset = 0;
  }
  if (ch->cmd == FX_OFFSET) {
    uint8_t p = cell[4] ? cell[4] : ch->offset_memory;
    ch->offset_memory = p;
    ch->offset = uint32_t(p) << 8;
  }
  if (note == VX_MOD_NOTE_CUT) {
    ch->kill = 1;
    ch->stopped = 1;
  } else if (note != VX_MOD_NO_NOTE && ch->instrument) {
    const VX_MOD_INSTRUMENT* in = &m->instruments[ch->instrument - 1];
    int period = vx_mod_note_period(note, in->c2_speed);
    if (period && porta) {
      ch->porta_target = period;
    } else if (period) {
      ch->note = note;
      ch->sample = in;
      ch->c2_speed = in->c2_speed;
      ch->period = period;
      ch->out_period = period;
      ch->porta_target = period;
      ch->stopped = !in->data;
      ch->trigger = in->data != nullptr;
      ch->kill = !in->data;
      if (ch->vib_wave < 4) ch->vib_pos = 0;
      if (ch->trem_wave < 4) ch->trem_pos = 0;
      ch->retrig_count = 0;
    }
  }
  if (vol != VX_MOD_NO_VOLUME) ch->volume = vol > 64 ? 64 : vol;
  ch->out_volume = ch->volume;
}

void special_first(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, int repeat) {
  int x = ch->param >> 4, y = ch->param & 15;
  switch (x) {
    case 0x2:  // finetune: C2 speeds of the ProTracker finetunes, 1/8 semitone apart
      ch->c2_speed = uint32_t(std::lround(8363.0 * std::pow(2.0, ((y ^ 8) - 8) / 96.0)));
      break;
    case 0x3: ch->vib_wave = uint8_t(y & 7); break;
    case 0x4: ch->trem_wave = uint8_t(y & 7); break;
    case 0x8:
      if (!repeat) ch->pan = uint8_t(y * 8);
      break;
    case 0xB:  // pattern loop: SB0 marks the start, SBy plays the part y more times
      if (repeat) break;
      if (y == 0) {
        song->loop_row = song->row;
      } else if (song->loop_count == 0) {
        song->loop_count = y;
        song->loop_jump = 1;
        song->loop_target = song->loop_row;
      } else if (--song->loop_count > 0) {
        song->loop_jump = 1;
        song->loop_target = song->loop_row;
      } else {
        // A finished loop starts the next one after it; after the last row
        // there is none, and a loop asked for later in the row repeats it.
        song->loop_row = std::min(song->row + 1, VX_MOD_ROWS - 1);
      }
      break;
    case 0xC:
      if (!repeat && y) ch->cut_tick = uint8_t(y);
      break;
    case 0x6:  // tick delay (from other trackers): every one of the row adds its ticks
      if (!repeat) song->extra_ticks += y;
      break;
    case 0xE:  // row delay: only the first non-zero one of a row counts
      if (!repeat && song->repeat < 0 && y) song->repeat = y;
      break;
    default: break;  // S0 filter, S1 glissando, SA old stereo, SF funk repeat: no sound of their own here
  }
}

}  // namespace

int vx_mod_note_period(int note, uint32_t c2_speed) {
  int semitone = note & 15, octave = note >> 4;
  if (note < 0 || semitone > 11 || octave > 9) return 0;
  if (!c2_speed) c2_speed = 8363;
  return int(uint64_t(8363) * uint64_t((PERIODS[semitone] << 4) >> octave) / c2_speed);
}

void vx_mod_fx_row(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, const uint8_t* cell, int repeat) {
  if (!repeat) {
    ch->last_cmd = ch->cmd;
    if (cell[4]) ch->memory = cell[4];
    ch->cmd = cell[3];
    ch->param = uses_memory(ch->cmd) ? ch->memory : cell[4];
    ch->cut_tick = 0;
    ch->delay_tick = 0;
    if (ch->cmd == FX_SPECIAL && (ch->param >> 4) == 0xD && (ch->param & 15)) {
      ch->delay_tick = ch->param & 15;
      for (int i = 0; i < VX_MOD_CELL_BYTES; i++) ch->delayed[i] = cell[i];
    } else {
      play_cell(song, ch, cell);
    }
  }
  ch->out_period = ch->period;
  ch->out_volume = ch->volume;
  const uint8_t p = ch->param;
  switch (ch->cmd) {
    case FX_SPEED:
      if (!repeat && p) song->speed = p;
      break;
    case FX_JUMP:
      if (!repeat) song->jump_order = p;
      break;
    case FX_BREAK:
      if (!repeat) {
        int row = (p >> 4) * 10 + (p & 15);
        song->break_row = row < VX_MOD_ROWS ? row : 0;
      }
      break;
    case FX_VOLSLIDE: volslide_first(ch, false); break;
    case FX_VOLSLIDE_FAST: volslide_first(ch, true); break;
    case FX_VIB_VOLSLIDE_FT: case FX_PORTA_VOLSLIDE_FT:
      volslide_first(ch, false);
      break;
    case FX_PORTA_DOWN: case FX_PORTA_UP:
      // A slide right after an arpeggio starts from the last note it played.
      if (!repeat && ch->last_cmd == FX_ARPEGGIO && ch->arp_period) ch->period = ch->out_period = ch->arp_period;
      porta_first(song, ch, ch->cmd == FX_PORTA_DOWN ? 1 : -1);
      break;
    case FX_TONE_PORTA:
      if (!repeat && p) ch->porta_speed = p;
      break;
    case FX_VIBRATO: case FX_FINE_VIBRATO:
      if (!repeat) {
        if (p >> 4) ch->vib_speed = p >> 4;
        if (p & 15) ch->vib_depth = p & 15;
      }
      break;
    case FX_ARPEGGIO: ch->arp_period = ch->out_period; break;
    case FX_TREMOLO:
      if (!repeat) {
        if (p >> 4) ch->trem_speed = p >> 4;
        if (p & 15) ch->trem_depth = p & 15;
      }
      break;
    case FX_SPECIAL: special_first(song, ch, repeat); break;
    case FX_TEMPO:
      if (!repeat && p >= 0x21) {
        song->tempo = p;
        song->tempo_changed = 1;
      }
      break;
    case FX_GLOBAL_VOLUME:
      if (!repeat && p <= 64) song->global_volume = p;
      break;
    case FX_PAN:  // 0..0x80 left to right; 0xA4 surround, played in the centre
      if (!repeat && p <= 0x80) ch->pan = uint8_t(p * VX_MOD_PAN_RIGHT / 0x80);
      else if (!repeat && p == 0xA4) ch->pan = VX_MOD_PAN_CENTRE;
      break;
    default: break;
  }
}

void vx_mod_fx_tick(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch) {
  const int tick = song->tick;
  if (ch->delay_tick && tick == ch->delay_tick) {
    ch->delay_tick = 0;
    play_cell(song, ch, ch->delayed);
  }
  if (ch->cut_tick && tick == ch->cut_tick) {
    ch->kill = 1;
    ch->stopped = 1;
  }
  ch->out_period = ch->period;
  ch->out_volume = ch->volume;
  switch (ch->cmd) {
    case FX_VOLSLIDE: case FX_VOLSLIDE_FAST: volslide_tick(ch); break;
    case FX_PORTA_DOWN: porta_tick(song, ch, 1); break;
    case FX_PORTA_UP: porta_tick(song, ch, -1); break;
    case FX_TONE_PORTA: tone_porta_tick(song, ch); break;
    case FX_VIBRATO: vibrato_tick(ch, false); break;
    case FX_FINE_VIBRATO: vibrato_tick(ch, true); break;
    case FX_TREMOR: tremor_tick(ch); break;
    case FX_ARPEGGIO: arpeggio(ch, tick); break;
    case FX_VIB_VOLSLIDE: case FX_VIB_VOLSLIDE_FT:
      volslide_tick(ch);
      ch->out_volume = ch->volume;
      vibrato_tick(ch, false);
      break;
    case FX_PORTA_VOLSLIDE: case FX_PORTA_VOLSLIDE_FT:
      volslide_tick(ch);
      ch->out_volume = ch->volume;
      tone_porta_tick(song, ch);
      break;
    case FX_RETRIG: retrig_tick(ch); break;
    case FX_TREMOLO: tremolo_tick(ch); break;
    default: break;
  }
}
