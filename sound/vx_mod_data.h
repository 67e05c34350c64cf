// Records shared inside the module engine: the loaded module, the player's channels and song state, the effect calls.
#pragma once
#include <cstddef>
#include <cstdint>

#include "sound/vx_mod.h"

constexpr int VX_MOD_CHANNELS = 32;
constexpr int VX_MOD_ROWS = 64;
constexpr int VX_MOD_CELL_BYTES = 5;  // note, instrument, volume, command, parameter
constexpr size_t VX_MOD_PATTERN_BYTES = size_t(VX_MOD_ROWS) * VX_MOD_CHANNELS * VX_MOD_CELL_BYTES;
constexpr int VX_MOD_MAX_ORDERS = 256;
constexpr int VX_MOD_MAX_INSTRUMENTS = 255;
constexpr int VX_MOD_MAX_PATTERNS = 256;

// Order list entries besides pattern numbers.
constexpr uint16_t VX_MOD_ORDER_SKIP = 65534;
constexpr uint16_t VX_MOD_ORDER_END = 65535;

// Cell values.
constexpr uint8_t VX_MOD_NO_NOTE = 255;
constexpr uint8_t VX_MOD_NOTE_CUT = 254;  // "^^": stops the channel
constexpr uint8_t VX_MOD_NO_VOLUME = 255;

// Pans run from 0 (left) to 120 (right): the format's 0..15 times 8.
constexpr uint8_t VX_MOD_PAN_RIGHT = 120;
constexpr uint8_t VX_MOD_PAN_CENTRE = 60;

// Zero bytes in front of every sample's data: the interpolators look back
// up to two samples from the first one.
constexpr size_t VX_MOD_SAMPLE_PAD = 4;

// Effects as the player knows them. The loader turns the file's command
// letters into these through the translation table of the file's tracker
// version, so one letter may mean slightly different things by version.
enum VX_MOD_FX : uint8_t {
  FX_NONE = 0,
  FX_SPEED,            // A
  FX_JUMP,             // B
  FX_BREAK,            // C
  FX_VOLSLIDE,         // D: normal slides on ticks after the first
  FX_VOLSLIDE_FAST,    // D in files of Scream Tracker 3.00 or with the fast-slides flag: normal slides on every tick
  FX_PORTA_DOWN,       // E
  FX_PORTA_UP,         // F
  FX_TONE_PORTA,       // G
  FX_VIBRATO,          // H
  FX_TREMOR,           // I
  FX_ARPEGGIO,         // J
  FX_VIB_VOLSLIDE,     // K as Scream Tracker plays it: no slide at all on the first tick
  FX_PORTA_VOLSLIDE,   // L likewise
  FX_VIB_VOLSLIDE_FT,  // K of other trackers: fine slides on the first tick
  FX_PORTA_VOLSLIDE_FT,
  FX_OFFSET,           // O
  FX_RETRIG,           // Q
  FX_TREMOLO,          // R
  FX_SPECIAL,          // S
  FX_TEMPO,            // T
  FX_FINE_VIBRATO,     // U
  FX_GLOBAL_VOLUME,    // V
  FX_PAN,              // X
  FX_COUNT
};

// One instrument. Sample data in memory are signed 8-bit whatever the file held.
struct VX_MOD_INSTRUMENT {
  uint8_t type;        // 1 a sample; any other type is an empty instrument
  uint8_t loop;        // 1 when the sample loops (loop_start < loop_end <= length)
  uint8_t volume;      // default volume doubled, 0..128
  char name[29];
  uint32_t length;     // samples
  uint32_t loop_start, loop_end;
  uint32_t c2_speed;   // frequency in Hz at which C-4 plays the sample
  int8_t* data;        // `length` samples after VX_MOD_SAMPLE_PAD zero bytes; null when empty
};

struct VX_MODULE {
  char name[29];
  uint16_t order_count, instrument_count, pattern_count;
  uint16_t flags, version, format;  // as in the file; format 1 signed, 2 unsigned samples
  uint8_t global_volume;  // doubled, 0..128
  uint8_t master_volume;  // low 7 bits of the file's
  uint8_t stereo;         // 1 when the file's master volume has bit 7 set
  uint8_t speed, tempo;   // initial ticks per row and beats per minute
  uint32_t row_length;    // initial speed x 6 sub-ticks
  uint32_t stored_tempo;  // trunc(600000000 / initial tempo)
  uint8_t channel[VX_MOD_CHANNELS];  // the file's settings: bit 7 off, low 5 bits the type (0-7 left, 8-15 right)
  uint8_t pan[VX_MOD_CHANNELS];      // 0 left .. VX_MOD_PAN_RIGHT
  uint16_t* orders;                  // order_count entries
  VX_MOD_INSTRUMENT* instruments;    // instrument_count entries
  uint8_t* patterns;                 // pattern_count x 64 rows x 32 channels x 5 bytes
};

// Where a cell lives.
inline const uint8_t* vx_mod_cell(const VX_MODULE* m, int pattern, int row, int channel) {
  return m->patterns + ((size_t(pattern) * VX_MOD_ROWS + size_t(row)) * VX_MOD_CHANNELS + size_t(channel)) *
                           VX_MOD_CELL_BYTES;
}

// Song-wide state the effects read and change. Owned by the player.
struct VX_MOD_SONG {
  const VX_MODULE* module;
  int speed;            // ticks per row
  int tempo;            // beats per minute
  int global_volume;    // 0..64
  int tick;             // tick of the row playing, 0 first (starting again at each repeat of the row)
  int row;              // row playing
  // Requests raised while a row plays, carried out when the next row is read.
  int jump_order;       // -1 none
  int break_row;        // -1 none
  int repeat;           // extra plays of the row (first row delay found), -1 none
  int extra_ticks;      // ticks added to every play of the row (tick delays)
  int loop_row;         // start of the pattern loop
  int loop_count;       // passes left, 0 idle
  int loop_jump;        // 1: go back to loop_target
  int loop_target;      // the loop start when the jump was asked for
  int tempo_changed;    // 1 after a tempo change, until the player rescales its time base
};

// One of the song's 32 channels.
struct VX_MOD_CHANNEL {
  uint8_t enabled;       // the channel sounds (a sample channel, not switched off)
  uint8_t pan;           // 0..VX_MOD_PAN_RIGHT
  uint8_t note;          // note playing (octave << 4 | semitone), 255 none
  uint8_t instrument;    // 1-based number of the channel's instrument, 0 none
  const VX_MOD_INSTRUMENT* sample;  // what the voice plays
  uint32_t c2_speed;     // of `sample`, or as the finetune command set it
  int volume;            // 0..64
  int out_volume;        // with tremolo and tremor, for this tick
  int period;            // 0 none
  int out_period;        // with vibrato and arpeggio, for this tick
  int porta_target;
  int arp_period;        // last period the arpeggio played
  uint32_t offset;       // where notes start in the sample (set by O, kept for notes without instrument)
  uint8_t porta_speed;   // memory of G
  uint8_t memory;        // last non-zero parameter: the memory of D, E, F, I, J, K, L, Q, R, S
  uint8_t offset_memory; // memory of O
  uint8_t vib_speed, vib_depth, vib_pos, vib_wave;
  uint8_t trem_speed, trem_depth, trem_pos, trem_wave;
  uint8_t tremor_on;     // 1 while tremor lets the sound through
  uint8_t tremor_count;  // ticks left in the current tremor phase
  uint8_t retrig_count;
  uint8_t cmd, param;    // effect of the row and its parameter (memory applied where the effect has it)
  uint8_t last_cmd;      // effect of the previous row
  uint8_t delay_tick;    // tick of a delayed note, 0 none
  uint8_t delayed[VX_MOD_CELL_BYTES];
  uint8_t cut_tick;      // tick of a note cut, 0 none
  uint8_t stopped;       // the note was cut: retrigger leaves it silent
  uint8_t sounding;      // the voice was still playing after the last tick (set by the player)
  // Orders to the mixer, carried out by the player at the end of the tick.
  uint8_t trigger;       // start `sample` at `offset`
  uint8_t kill;          // silence the voice
};

// Tick 0 of a row for one channel: the cell's note, instrument, volume and
// effect. `repeat` 1 when a row delay plays the row again: only the effects
// that act on first ticks run.
void vx_mod_fx_row(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch, const uint8_t* cell, int repeat);
// A later tick of the row (song->tick > 0) for one channel.
void vx_mod_fx_tick(VX_MOD_SONG* song, VX_MOD_CHANNEL* ch);
// The period of `note` (octave << 4 | semitone) for a sample of `c2_speed`;
// 0 for a note the format does not have.
int vx_mod_note_period(int note, uint32_t c2_speed);

// Deselects `module` when it is the one selected (freeing a module calls this).
void vx_mod_select_release(const VX_MODULE* module);
