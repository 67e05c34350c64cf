// sfx_synth: the sound generator's building blocks (oscillators, noise, envelopes, filters), the finishing of a sound and its WAV file.
//
// Everything works on mono float samples at SFX_RATE, -1..1 full scale.
// Nothing here draws from a clock or a shared random source: the same calls
// give the same samples.
#pragma once
#include <cstdint>
#include <vector>

constexpr int SFX_RATE = 44100;
constexpr double SFX_PI = 3.14159265358979323846;

using SFX_SAMPLES = std::vector<float>;

// Samples of `seconds` of sound (rounded to the nearest sample).
int sfx_length(double seconds);

// A phase accumulator: advance by a frequency each sample, read a waveform.
struct SFX_OSC {
  double phase;  // 0..1
};
double sfx_osc_sine(SFX_OSC* osc, double hz);
double sfx_osc_triangle(SFX_OSC* osc, double hz);
// Square and saw with their steps rounded off over one sample (PolyBLEP),
// so that high notes do not fold back as harsh tones.
double sfx_osc_square(SFX_OSC* osc, double hz);
double sfx_osc_saw(SFX_OSC* osc, double hz);

// White noise, -1..1, from a 32-bit xorshift.
struct SFX_NOISE {
  uint32_t state;  // non-zero seed
};
double sfx_noise(SFX_NOISE* noise);

// An exponential glide from `from` to `to` over `seconds`, then `to`.
double sfx_glide(double from, double to, double seconds, double t);
// The usual percussive envelope: a raised-cosine rise over `attack` seconds
// (no corner at the start to click), then exp(-(t - attack) / decay).
double sfx_env_hit(double t, double attack, double decay);

// A two-pole state-variable filter; set the cutoff (Hz) and resonance
// (0.5 soft .. 5 sharp) before each sample to sweep it.
struct SFX_SVF {
  double low, band;
};
double sfx_svf_lowpass(SFX_SVF* f, double in, double cutoff, double q);
double sfx_svf_bandpass(SFX_SVF* f, double in, double cutoff, double q);
// One pole: smooth (lowpass) or remove slow drift (highpass).
struct SFX_ONEPOLE {
  double state;
};
double sfx_onepole_lowpass(SFX_ONEPOLE* f, double in, double cutoff);
double sfx_onepole_highpass(SFX_ONEPOLE* f, double in, double cutoff);

// A soft limit that keeps the shape of small signals: tanh(drive x) / tanh(drive).
double sfx_soft_clip(double x, double drive);

// Finishes a sound: removes any DC offset, fades the first `fade_in` and
// last `fade_out` seconds along a raised cosine (so the file starts and ends
// at zero and never clicks) and scales it to a loudness of `loudness_db`
// (dBFS, negative), its peak kept at or below SFX_PEAK_CEILING_DB.
void sfx_finish(SFX_SAMPLES* s, double fade_in, double fade_out, double loudness_db);
constexpr double SFX_PEAK_CEILING_DB = -1.0;
// Loudness as the ear takes a short sound: the RMS of its loudest 50 ms.
double sfx_loudness(const SFX_SAMPLES& s);

// Peak and RMS of samples, in full-scale units.
double sfx_peak(const SFX_SAMPLES& s);
double sfx_rms(const SFX_SAMPLES& s);

// A plain PCM WAV file, 16-bit mono at SFX_RATE: "RIFF", "WAVE", a 16-byte
// "fmt " chunk and the "data" chunk right after it, nothing else.
std::vector<uint8_t> sfx_wav(const SFX_SAMPLES& s);
