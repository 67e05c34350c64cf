// sfx_synth: oscillators, noise, envelopes and filters, the finishing pass and the WAV writer of the sound generator.
#include "tools/sfxgen/sfx_synth.h"

#include <algorithm>
#include <cmath>

namespace {

// Advances the phase; returns the phase before the step and the step.
double advance(SFX_OSC* osc, double hz, double* step) {
  *step = hz / SFX_RATE;
  const double p = osc->phase;
  osc->phase += *step;
  osc->phase -= std::floor(osc->phase);
  return p;
}

// The PolyBLEP correction around a step at phase 0 (t in 0..1, dt the step).
double blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

void put_le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_id(std::vector<uint8_t>& out, const char* id) {
  for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(id[i]));
}

}  // namespace

int sfx_length(double seconds) { return static_cast<int>(std::lround(seconds * SFX_RATE)); }

double sfx_osc_sine(SFX_OSC* osc, double hz) {
  double dt;
  return std::sin(2.0 * SFX_PI * advance(osc, hz, &dt));
}

double sfx_osc_triangle(SFX_OSC* osc, double hz) {
  double dt;
  const double p = advance(osc, hz, &dt);
  return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
}

double sfx_osc_square(SFX_OSC* osc, double hz) {
  double dt;
  const double p = advance(osc, hz, &dt);
  double v = p < 0.5 ? 1.0 : -1.0;
  v += blep(p, dt);
  double q = p + 0.5;
  q -= std::floor(q);
  v -= blep(q, dt);
  return v;
}

double sfx_osc_saw(SFX_OSC* osc, double hz) {
  double dt;
  const double p = advance(osc, hz, &dt);
  return 2.0 * p - 1.0 - blep(p, dt);
}

double sfx_noise(SFX_NOISE* noise) {
  uint32_t x = noise->state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  noise->state = x;
  return static_cast<double>(x) / 2147483648.0 - 1.0;
}

double sfx_glide(double from, double to, double seconds, double t) {
  if (t >= seconds) return to;
  if (t <= 0) return from;
  return from * std::pow(to / from, t / seconds);
}

double sfx_env_hit(double t, double attack, double decay) {
  if (t < 0) return 0.0;
  if (t < attack) return 0.5 * (1.0 - std::cos(SFX_PI * t / attack));
  return std::exp(-(t - attack) / decay);
}

// Chamberlin's state-variable filter, its cutoff kept below a sixth of the
// rate where it stays stable.
static void svf_step(SFX_SVF* f, double in, double cutoff, double q) {
  const double fc = 2.0 * std::sin(SFX_PI * std::min(cutoff, SFX_RATE / 6.0) / SFX_RATE);
  const double damp = 1.0 / std::max(q, 0.5);
  f->low += fc * f->band;
  const double high = in - f->low - damp * f->band;
  f->band += fc * high;
}

double sfx_svf_lowpass(SFX_SVF* f, double in, double cutoff, double q) {
  svf_step(f, in, cutoff, q);
  return f->low;
}

double sfx_svf_bandpass(SFX_SVF* f, double in, double cutoff, double q) {
  svf_step(f, in, cutoff, q);
  return f->band;
}

double sfx_onepole_lowpass(SFX_ONEPOLE* f, double in, double cutoff) {
  const double a = 1.0 - std::exp(-2.0 * SFX_PI * cutoff / SFX_RATE);
  f->state += a * (in - f->state);
  return f->state;
}

double sfx_onepole_highpass(SFX_ONEPOLE* f, double in, double cutoff) {
  return in - sfx_onepole_lowpass(f, in, cutoff);
}

double sfx_soft_clip(double x, double drive) { return std::tanh(drive * x) / std::tanh(drive); }

double sfx_loudness(const SFX_SAMPLES& s) {
  const size_t window = static_cast<size_t>(sfx_length(0.05));
  double sum = 0, best = 0;
  for (size_t i = 0; i < s.size(); i++) {
    sum += static_cast<double>(s[i]) * s[i];
    if (i >= window) sum -= static_cast<double>(s[i - window]) * s[i - window];
    best = std::max(best, sum);
  }
  return std::sqrt(std::max(best, 0.0) / static_cast<double>(std::min(window, std::max<size_t>(s.size(), 1))));
}

void sfx_finish(SFX_SAMPLES* s, double fade_in, double fade_out, double loudness_db) {
  SFX_SAMPLES& v = *s;
  if (v.empty()) return;
  // DC: a 20 Hz highpass, then the mean of what is left.
  SFX_ONEPOLE dc = {};
  for (float& x : v) x = static_cast<float>(sfx_onepole_highpass(&dc, x, 20.0));
  double mean = 0;
  for (float x : v) mean += x;
  mean /= static_cast<double>(v.size());
  for (float& x : v) x = static_cast<float>(x - mean);
  const int n = static_cast<int>(v.size());
  const int in = std::min(n / 2, std::max(1, sfx_length(fade_in)));
  const int out = std::min(n / 2, std::max(1, sfx_length(fade_out)));
  for (int i = 0; i < in; i++) v[i] = static_cast<float>(v[i] * 0.5 * (1.0 - std::cos(SFX_PI * i / in)));
  for (int i = 0; i < out; i++)
    v[n - 1 - i] = static_cast<float>(v[n - 1 - i] * 0.5 * (1.0 - std::cos(SFX_PI * i / out)));
  const double loud = sfx_loudness(v), peak = sfx_peak(v);
  if (loud <= 0 || peak <= 0) return;
  const double gain = std::min(std::pow(10.0, loudness_db / 20.0) / loud, std::pow(10.0, SFX_PEAK_CEILING_DB / 20.0) / peak);
  for (float& x : v) x = static_cast<float>(x * gain);
}

double sfx_peak(const SFX_SAMPLES& s) {
  double p = 0;
  for (float x : s) p = std::max(p, static_cast<double>(std::fabs(x)));
  return p;
}

double sfx_rms(const SFX_SAMPLES& s) {
  if (s.empty()) return 0;
  double sum = 0;
  for (float x : s) sum += static_cast<double>(x) * x;
  return std::sqrt(sum / static_cast<double>(s.size()));
}

std::vector<uint8_t> sfx_wav(const SFX_SAMPLES& s) {
  const uint32_t data = static_cast<uint32_t>(s.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + data);
  put_id(out, "RIFF");
  put_le(out, 36 + data, 4);
  put_id(out, "WAVE");
  put_id(out, "fmt ");
  put_le(out, 16, 4);
  put_le(out, 1, 2);             // PCM
  put_le(out, 1, 2);             // mono
  put_le(out, SFX_RATE, 4);
  put_le(out, SFX_RATE * 2, 4);  // bytes per second
  put_le(out, 2, 2);             // block
  put_le(out, 16, 2);            // bits
  put_id(out, "data");
  put_le(out, data, 4);
  for (float x : s) {
    const long v = std::clamp(std::lround(static_cast<double>(x) * 32767.0), -32767L, 32767L);
    put_le(out, static_cast<uint32_t>(static_cast<int16_t>(v)) & 0xFFFF, 2);
  }
  return out;
}
