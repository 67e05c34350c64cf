// mg_song: a piece of music as the score compiler produces it and the S3M writer reads it.
//
// Everything here is plain data: instruments by their recipe (the sound is
// made later by mg_synth), channels, patterns already laid out as S3M cells,
// and the order list. Notes are counted in semitones from C-0, so 48 is
// middle C (c4 in a score, C-4 in the module, 261.63 Hz).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int MG_ROWS = 64;             // rows of every stored pattern
constexpr int MG_MAX_CHANNELS = 32;
constexpr int MG_MAX_INSTRUMENTS = 99;
constexpr int MG_MAX_PATTERNS = 200;
constexpr int MG_MAX_ORDERS = 254;      // 254 and 255 are markers in the order list
constexpr int MG_MAX_NOTE = 95;         // b7

// Cell values as the S3M file stores them.
constexpr uint8_t MG_NO_NOTE = 255;
constexpr uint8_t MG_NOTE_CUT = 254;
constexpr uint8_t MG_NO_VOLUME = 255;

struct MG_CELL {
  uint8_t note = MG_NO_NOTE;        // (octave << 4) | semitone, or the two markers above
  uint8_t instrument = 0;           // 1-based, 0 none
  uint8_t volume = MG_NO_VOLUME;    // 0..64
  uint8_t command = 0;              // 1 = A .. 26 = Z, 0 none
  uint8_t info = 0;
};

// The sound recipes mg_synth knows.
enum MG_KIND : uint8_t {
  MG_PLUCK,   // plucked string: bright attack, every harmonic dying away
  MG_SQUARE,  // band-limited pulse wave with a short swell, sustained
  MG_FLUTE,   // near-sine with a breathy start, sustained
  MG_PAD,     // three slightly detuned soft voices, slow attack, sustained
  MG_BASS,    // round bass: a plucked attack settling on a warm tone
  MG_MALLET,  // marimba-like bar: fundamental, and quickly fading overtones
  MG_BELL,    // glockenspiel-like: inharmonic partials, long ring
  MG_KICK,    // bass drum: a falling sine thump
  MG_SNARE,   // snare drum: a short tone under a burst of noise
  MG_HAT,     // hi-hat: high-passed noise
  MG_RIBBIT,  // a frog's two-part croak
  MG_KIND_COUNT
};

struct MG_INSTRUMENT {
  std::string name;
  MG_KIND kind = MG_PLUCK;
  int volume = 64;      // default volume 0..64
  double decay = 0;     // seconds at middle C (0: the recipe's own)
  double bright = 0.5;  // 0 dull .. 1 bright
  double duty = 0.5;    // pulse width of MG_SQUARE, 0.05..0.5
  int note = 48;        // the note it plays when named on its own in a track
};

struct MG_CHANNEL {
  std::string name;
  int pan = 7;          // 0 left .. 15 right
  int instrument = -1;  // index into the song's instruments used by default, -1 none
};

struct MG_PATTERN {
  std::string name;
  int rows = MG_ROWS;          // rows played; the rest are skipped by a break
  std::vector<MG_CELL> cells;  // MG_ROWS x channel count, row by row
};

struct MG_SONG {
  std::string title;
  int speed = 6, tempo = 125;  // initial ticks per row and beats per minute
  int global = 64;             // global volume 0..64
  int master = 48;             // master volume 16..127 (the module is always stereo)
  std::vector<MG_INSTRUMENT> instruments;
  std::vector<MG_CHANNEL> channels;
  std::vector<MG_PATTERN> patterns;
  std::vector<int> orders;  // pattern indices in playing order
  int loop_order = 0;       // where the song goes on after the last order
};

inline MG_CELL& mg_cell(MG_SONG* song, MG_PATTERN* p, int row, int channel) {
  return p->cells[size_t(row) * song->channels.size() + size_t(channel)];
}
inline const MG_CELL& mg_cell(const MG_SONG& song, const MG_PATTERN& p, int row, int channel) {
  return p.cells[size_t(row) * song.channels.size() + size_t(channel)];
}
