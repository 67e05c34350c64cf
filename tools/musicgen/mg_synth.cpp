// mg_synth: the instrument recipes. Additive tones with exact loops, filtered noise for drums, a resonant croak.
//
// Pitched tones repeat every P samples (P a power of two) and are played at
// C-4 at C2 speed = P x 261.63 Hz, so a loop of whole periods joins without
// a step and the pitch is right. Short periods keep the player's integer
// periods fine (the pitch error of a period is 1 / period). Harmonics stay
// below P / 2, the sample's own Nyquist limit. Noise comes from a fixed
// linear congruential generator, so every build writes the same bytes.
#include "tools/musicgen/mg_synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double MIDDLE_C = 261.6255653005986;
constexpr double PEAK = 122.0;

struct RNG {
  uint32_t s;
  double next() {  // -1..1
    s = s * 1664525u + 1013904223u;
    return double(s >> 8) / double(1u << 23) - 1.0;
  }
};

uint32_t c2_for_period(int period) { return uint32_t(std::lround(MIDDLE_C * period)); }

// sin of 2 pi x num / den with the angle reduced exactly, so that periodic
// tones repeat to the last bit.
double cycle_sin(uint64_t num, uint64_t den) { return std::sin(2.0 * PI * double(num % den) / double(den)); }

// 1 at t = 0 falling exponentially with time constant tau, and exactly 0 from t_end on.
double fall(double t, double tau, double t_end) {
  if (t >= t_end) return 0.0;
  const double end = std::exp(-t_end / tau);
  return (std::exp(-t / tau) - end) / (1.0 - end);
}

// Scales to the common peak and rounds to signed 8-bit.
void finish(const std::vector<double>& v, MG_SAMPLE* out) {
  double peak = 1e-9;
  for (double x : v) peak = std::max(peak, std::fabs(x));
  out->data.resize(v.size());
  for (size_t i = 0; i < v.size(); i++) {
    const long q = std::lround(v[i] * PEAK / peak);
    out->data[i] = int8_t(std::clamp(q, -127L, 127L));
  }
}

// A one-shot sound ends with a short fade so that nothing clicks at its end.
void fade_tail(std::vector<double>* v, size_t n) {
  n = std::min(n, v->size());
  for (size_t i = 0; i < n; i++) (*v)[v->size() - n + i] *= double(n - i) / double(n);
}

// Decaying partials (ratio to the fundamental, amplitude, time constant in
// seconds at middle C), with a linear attack. One-shot.
struct PARTIAL {
  double ratio, amp, tau;
};

void partials(const PARTIAL* ps, int count, double seconds, double attack, int period, MG_SAMPLE* out) {
  out->c2_speed = c2_for_period(period);
  const double rate = out->c2_speed;
  std::vector<double> v(size_t(seconds * rate));
  for (size_t i = 0; i < v.size(); i++) {
    const double t = double(i) / rate, cycles = double(i) / period;
    double x = 0;
    for (int k = 0; k < count; k++) x += ps[k].amp * std::exp(-t / ps[k].tau) * std::sin(2.0 * PI * ps[k].ratio * cycles);
    v[i] = x * std::min(1.0, t / attack);
  }
  fade_tail(&v, 256);
  finish(v, out);
}

void pluck(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double tau = in.decay > 0 ? in.decay : 0.7;
  PARTIAL ps[12];
  for (int k = 1; k <= 12; k++)
    ps[k - 1] = {double(k), std::pow(double(k), -(2.0 - in.bright)), tau / (1.0 + (k - 1) * (1.6 - in.bright))};
  partials(ps, 12, std::min(4.0 * tau, 2.5), 0.002, 32, out);
}

void mallet(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double tau = in.decay > 0 ? in.decay : 0.45;
  const PARTIAL ps[] = {{1.0, 1.0, tau}, {3.93, 0.25 + 0.3 * in.bright, tau * 0.16}, {9.3, 0.12 * in.bright, tau * 0.05}};
  partials(ps, 3, std::min(4.5 * tau, 2.5), 0.001, 32, out);
}

void bell(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double tau = in.decay > 0 ? in.decay : 0.9;
  const PARTIAL ps[] = {{1.0, 1.0, tau},
                        {2.0, 0.2, tau * 0.6},
                        {2.76, 0.35 * (0.5 + in.bright), tau * 0.45},
                        {5.40, 0.2 * in.bright, tau * 0.25},
                        {8.93, 0.1 * in.bright, tau * 0.12}};
  partials(ps, 5, std::min(4.5 * tau, 3.0), 0.0015, 32, out);
}

// A one-pole DC blocker (pole 0.996): decaying partials and thumps leave
// an offset that would add up over quick repeated notes.
constexpr size_t DC_SETTLE = 1500;  // samples after which its transient is below 0.3 %

void dc_block(std::vector<double>* v) {
  double x1 = 0, y1 = 0;
  for (double& x : *v) {
    const double y = x - x1 + 0.996 * y1;
    x1 = x;
    x = y1 = y;
  }
}

// Sustained tones: an attack part, then a loop of whole periods from the
// first period boundary after the envelope has settled. With `blocked` the
// whole sample goes through the DC blocker and the loop starts once the
// blocker has settled, so that it still repeats exactly.
void sustained(const std::vector<double>& head, int period, int loop_periods, MG_SAMPLE* out,
               double (*wave)(uint64_t, const MG_INSTRUMENT&), const MG_INSTRUMENT& in, bool blocked = false) {
  const size_t settled = head.size() + (blocked ? DC_SETTLE : 0);
  const size_t start = (settled + size_t(period) - 1) / size_t(period) * size_t(period);
  std::vector<double> v(head);
  v.resize(start + size_t(period) * size_t(loop_periods));
  for (size_t i = head.size(); i < v.size(); i++) v[i] = wave(i, in);
  if (blocked) dc_block(&v);
  out->c2_speed = c2_for_period(period);
  out->loop_start = uint32_t(start);
  out->loop_end = uint32_t(v.size());
  finish(v, out);
}

// Band-limited pulse: Fourier series with Lanczos smoothing against ringing.
double pulse_wave(uint64_t i, const MG_INSTRUMENT& in) {
  const int harmonics = 6 + int(std::lround(8 * in.bright));
  double x = 0;
  for (int k = 1; k <= harmonics; k++) {
    const double sigma = std::sin(PI * k / (harmonics + 1)) / (PI * k / (harmonics + 1));
    x += 2.0 / (k * PI) * std::sin(PI * k * in.duty) * sigma * std::cos(2.0 * PI * double((uint64_t(k) * i) % 32) / 32.0);
  }
  return x;
}

void square(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = c2_for_period(32), settle = 0.25;
  const double tau = in.decay > 0 ? in.decay : 0.08;
  std::vector<double> head(size_t(settle * rate));
  for (size_t i = 0; i < head.size(); i++) {
    const double t = double(i) / rate;
    head[i] = pulse_wave(i, in) * std::min(1.0, t / 0.004) * (0.7 + 0.3 * fall(t, tau, settle));
  }
  sustained(head, 32, 1, out, [](uint64_t i, const MG_INSTRUMENT& m) { return 0.7 * pulse_wave(i, m); }, in);
}

double flute_wave(uint64_t i, const MG_INSTRUMENT& in) {
  return cycle_sin(i, 32) + 0.1 * (0.5 + in.bright) * cycle_sin(2 * i, 32) + 0.06 * in.bright * cycle_sin(3 * i, 32) +
         0.02 * cycle_sin(4 * i, 32);
}

void flute(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = c2_for_period(32), settle = 0.16;
  const double attack = in.decay > 0 ? in.decay : 0.05;
  RNG rng{0x5eed0003u};
  double breath = 0;
  std::vector<double> head(size_t(settle * rate));
  for (size_t i = 0; i < head.size(); i++) {
    const double t = double(i) / rate;
    breath = 0.6 * breath + 0.4 * rng.next();  // a soft, low-passed hiss
    const double swell = t < attack ? 0.5 - 0.5 * std::cos(PI * t / attack) : 1.0;
    head[i] = flute_wave(i, in) * swell + 0.25 * breath * (1.0 - t / settle) * swell;
  }
  sustained(head, 32, 1, out, flute_wave, in);
}

// Three voices of a soft wave at M - 1, M and M + 2 periods of the loop of
// 32 x M samples: a slow, uneven chorus that still loops exactly.
constexpr uint64_t PAD_M = 240;

double pad_wave(uint64_t i, const MG_INSTRUMENT& in) {
  const uint64_t len = 32 * PAD_M;
  const uint64_t voices[3] = {PAD_M, PAD_M - 1, PAD_M + 2};
  const double gains[3] = {1.0, 0.32, 0.32};
  double x = 0;
  for (int v = 0; v < 3; v++)
    for (uint64_t k = 1; k <= 6; k++)
      x += gains[v] * std::pow(double(k), -(2.6 - 1.4 * in.bright)) * cycle_sin(i * k * voices[v] + 7 * k * v * PAD_M, len);
  return x;
}

void pad(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = c2_for_period(32);
  const double attack = in.decay > 0 ? in.decay : 0.3;
  std::vector<double> head(size_t(attack * rate));
  for (size_t i = 0; i < head.size(); i++) {
    const double t = double(i) / rate;
    head[i] = pad_wave(i, in) * (0.5 - 0.5 * std::cos(PI * t / attack));
  }
  sustained(head, 32, int(PAD_M), out, pad_wave, in);
}

// Bass: times are at C-2 (a quarter of the sample's C-4 speed), where it plays.
double bass_sustain(uint64_t i, const MG_INSTRUMENT& in) {
  return cycle_sin(i, 64) + (0.3 + 0.2 * in.bright) * cycle_sin(2 * i, 64) + 0.12 * cycle_sin(3 * i, 64);
}

void bass(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = c2_for_period(64) / 4.0, settle = 0.4;
  const double tau = in.decay > 0 ? in.decay : 0.12;
  std::vector<double> head(size_t(settle * rate));
  for (size_t i = 0; i < head.size(); i++) {
    const double t = double(i) / rate;
    double pluck = 0;
    for (int k = 1; k <= 12; k++)
      pluck += std::pow(double(k), -1.3) * fall(t, tau / (1.0 + 0.35 * (k - 1)), settle) * cycle_sin(uint64_t(k) * i, 64);
    const double body = 0.75 + 0.25 * fall(t, tau * 2, settle);
    head[i] = std::min(1.0, t / 0.003) * (body * bass_sustain(i, in) + 0.6 * in.bright * pluck);
  }
  sustained(head, 64, 1, out, [](uint64_t i, const MG_INSTRUMENT& m) { return 0.75 * bass_sustain(i, m); }, in, true);
}

void kick(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = 22050, tau = in.decay > 0 ? in.decay : 0.18;
  RNG rng{0x5eed0007u};
  std::vector<double> v(size_t(std::min(3.0 * tau, 0.6) * rate));
  double phase = 0;
  for (size_t i = 0; i < v.size(); i++) {
    const double t = double(i) / rate;
    phase += (46.0 + 120.0 * std::exp(-t / 0.03)) / rate;
    v[i] = (std::sin(2 * PI * phase) * std::exp(-t / tau) + 0.25 * in.bright * rng.next() * std::exp(-t / 0.003)) *
           std::min(1.0, t / 0.0015);
  }
  dc_block(&v);
  fade_tail(&v, 200);
  out->c2_speed = uint32_t(rate);
  finish(v, out);
}

void snare(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = 32000, tau = in.decay > 0 ? in.decay : 0.09;
  RNG rng{0x5eed0008u};
  std::vector<double> v(size_t(std::min(4.0 * tau, 0.6) * rate));
  double prev = 0, hp = 0;
  for (size_t i = 0; i < v.size(); i++) {
    const double t = double(i) / rate;
    const double n = rng.next();
    hp = 0.6 * (hp + n - prev);  // one-pole high-pass: the rattle of the snares
    prev = n;
    const double body = 0.6 * std::sin(2 * PI * 185 * t) * std::exp(-t / 0.05) + 0.3 * std::sin(2 * PI * 330 * t) * std::exp(-t / 0.03);
    v[i] = (body + (0.6 + 0.4 * in.bright) * hp * std::exp(-t / tau)) * std::min(1.0, t / 0.001);
  }
  fade_tail(&v, 200);
  out->c2_speed = uint32_t(rate);
  finish(v, out);
}

void hat(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = 32000, tau = in.decay > 0 ? in.decay : 0.035;
  RNG rng{0x5eed0009u};
  std::vector<double> v(size_t(std::min(7.0 * tau, 0.8) * rate));
  double p1 = 0, p2 = 0;
  for (size_t i = 0; i < v.size(); i++) {
    const double t = double(i) / rate;
    const double n = rng.next();
    const double d1 = n - p1, d2 = d1 - p2;  // twice differenced: only the sizzle is left
    p1 = n;
    p2 = d1;
    v[i] = (d2 * in.bright + d1 * (1.0 - in.bright)) * std::exp(-t / tau) * std::min(1.0, t / 0.0005);
  }
  fade_tail(&v, 128);
  out->c2_speed = uint32_t(rate);
  finish(v, out);
}

// A two-pole resonator at `freq` Hz with bandwidth `bw` Hz.
struct RESONATOR {
  double a1, a2, y1 = 0, y2 = 0;
  RESONATOR(double freq, double bw, double rate) {
    const double r = std::exp(-PI * bw / rate);
    a1 = 2 * r * std::cos(2 * PI * freq / rate);
    a2 = -r * r;
  }
  double run(double x) {
    const double y = x + a1 * y1 + a2 * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// "Rib" then "bit": two bursts of a buzzing pulse train through two
// resonances, the second shorter and higher.
void ribbit(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  const double rate = 22050;
  RESONATOR f1(650 + 200 * in.bright, 160, rate), f2(1700 + 400 * in.bright, 300, rate);
  std::vector<double> v(size_t(0.26 * rate));
  double phase = 0;
  for (size_t i = 0; i < v.size(); i++) {
    const double t = double(i) / rate;
    const bool second = t >= 0.13;
    const double ts = second ? t - 0.13 : t, len = second ? 0.075 : 0.1;
    double env = 0;
    if (ts < len) env = std::min(1.0, ts / 0.006) * std::min(1.0, (len - ts) / 0.02) * (1.0 - 0.3 * ts / len);
    const double pitch = second ? 150 + 120 * ts : 115 - 60 * ts;
    phase += pitch / rate;
    double pulse = 0;
    if (phase >= 1.0) {
      phase -= 1.0;
      pulse = 1.0;
    }
    const double croak = 0.5 + 0.5 * std::sin(2 * PI * 34 * t);  // the rattle of the throat
    const double x = pulse * env * (0.6 + 0.4 * croak);
    v[i] = f1.run(x) + 0.5 * f2.run(x);
  }
  fade_tail(&v, 256);
  out->c2_speed = uint32_t(rate);
  finish(v, out);
}

}  // namespace

int mg_synth_make(const MG_INSTRUMENT& in, MG_SAMPLE* out) {
  *out = MG_SAMPLE{};
  switch (in.kind) {
    case MG_PLUCK: pluck(in, out); break;
    case MG_SQUARE: square(in, out); break;
    case MG_FLUTE: flute(in, out); break;
    case MG_PAD: pad(in, out); break;
    case MG_BASS: bass(in, out); break;
    case MG_MALLET: mallet(in, out); break;
    case MG_BELL: bell(in, out); break;
    case MG_KICK: kick(in, out); break;
    case MG_SNARE: snare(in, out); break;
    case MG_HAT: hat(in, out); break;
    case MG_RIBBIT: ribbit(in, out); break;
    default: return 0;
  }
  return 1;
}
