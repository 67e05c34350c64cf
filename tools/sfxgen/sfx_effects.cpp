// sfx_effects: the recipes of the game's 11 sound effects and the sound list.
#include <algorithm>
#include <cmath>

#include "tools/sfxgen/sfx_gen.h"

namespace {

using Draw = void (*)(SFX_SAMPLES& s);

// Note frequencies (equal temperament, A4 = 440 Hz).
constexpr double C5 = 523.25, E5 = 659.26, G5 = 783.99, B5 = 987.77;
constexpr double C6 = 1046.50, E6 = 1318.51, G6S = 1661.22, B6 = 1975.53, C7 = 2093.00, E7 = 2637.02;

double time_of(int i) { return static_cast<double>(i) / SFX_RATE; }

// A struck, bell-like tone from `start` seconds: a few partials, the higher
// ones dying sooner, as a wooden or glass bar sounds.
void mallet(SFX_SAMPLES& s, double start, double hz, double level, double decay) {
  static const struct {
    double ratio, level, decay;
  } partials[] = {{1.0, 1.0, 1.0}, {2.0, 0.30, 0.55}, {3.0, 0.10, 0.35}, {4.16, 0.05, 0.2}};
  const int from = sfx_length(start);
  for (const auto& p : partials) {
    SFX_OSC osc = {};
    for (int i = from; i < static_cast<int>(s.size()); i++) {
      const double t = time_of(i - from);
      s[i] += static_cast<float>(level * p.level * sfx_osc_sine(&osc, hz * p.ratio) * sfx_env_hit(t, 0.003, decay * p.decay));
    }
  }
}

// 1: a dull thump falling in pitch, a short crunch of filtered noise and a squashed squeak.
void draw_hit(SFX_SAMPLES& s) {
  SFX_OSC body = {}, squeak = {};
  SFX_NOISE noise = {0x2545F491u};
  SFX_SVF crunch = {}, squeak_lp = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double thump = sfx_osc_sine(&body, sfx_glide(170, 42, 0.22, t)) * sfx_env_hit(t, 0.002, 0.11);
    const double grit = sfx_svf_bandpass(&crunch, sfx_noise(&noise), sfx_glide(2500, 600, 0.15, t), 1.2);
    const double sq = sfx_svf_lowpass(&squeak_lp, sfx_osc_square(&squeak, sfx_glide(520, 180, 0.12, t)), 1800, 0.7);
    const double mix = 0.9 * thump + 1.4 * grit * sfx_env_hit(t, 0.001, 0.045) + 0.25 * sq * sfx_env_hit(t - 0.01, 0.004, 0.05);
    s[i] = static_cast<float>(sfx_soft_clip(mix, 1.5));
  }
}

// 2: a slap of bright noise, a wash whose brightness falls, then bubbles.
void draw_splash(SFX_SAMPLES& s) {
  SFX_NOISE noise = {0x9E3779B9u};
  SFX_SVF wash = {}, slap = {}, slap_lp = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double n = sfx_noise(&noise);
    const double w = sfx_svf_lowpass(&wash, n, sfx_glide(7000, 700, 0.5, t), 0.7) * sfx_env_hit(t, 0.006, 0.16);
    const double b = sfx_svf_lowpass(&slap_lp, sfx_svf_bandpass(&slap, n, 3500, 1.0), 7000, 0.7) * sfx_env_hit(t, 0.002, 0.04);
    s[i] = static_cast<float>(0.8 * w + 0.8 * b);
  }
  static const double bubbles[][2] = {{0.10, 420}, {0.19, 560}, {0.27, 480}, {0.36, 640}};
  for (const auto& bub : bubbles) {
    SFX_OSC osc = {};
    const int from = sfx_length(bub[0]);
    for (int i = from; i < static_cast<int>(s.size()); i++) {
      const double t = time_of(i - from);
      s[i] += static_cast<float>(0.3 * sfx_osc_sine(&osc, sfx_glide(bub[1], bub[1] * 1.8, 0.035, t)) * sfx_env_hit(t, 0.002, 0.02));
    }
  }
}

// 3: a rising major arpeggio, C E G C.
void draw_leave(SFX_SAMPLES& s) {
  const double notes[] = {C5, E5, G5, C6};
  for (int k = 0; k < 4; k++) mallet(s, 0.09 * k, notes[k], 0.7, k == 3 ? 0.3 : 0.18);
}

// 4: a quick rising whoop with a rush of air.
void draw_takeoff(SFX_SAMPLES& s) {
  SFX_OSC tone = {};
  SFX_NOISE noise = {0x7F4A7C15u};
  SFX_SVF air = {}, air_lp = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double w = sfx_osc_triangle(&tone, sfx_glide(330, 990, 0.2, t)) * sfx_env_hit(t, 0.01, 0.09);
    const double band = sfx_svf_bandpass(&air, sfx_noise(&noise), sfx_glide(600, 3500, 0.22, t), 1.5);
    const double a = sfx_svf_lowpass(&air_lp, band, 5000, 0.7) * sfx_env_hit(t, 0.02, 0.08);
    s[i] = static_cast<float>(w + 0.6 * a);
  }
}

// 5: a short, high tick that stays clear when it repeats every 300 ms.
void draw_tick(SFX_SAMPLES& s) {
  SFX_OSC a = {}, b = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    s[i] = static_cast<float>((sfx_osc_sine(&a, C7) + 0.5 * sfx_osc_sine(&b, C7 * 1.5)) * sfx_env_hit(t, 0.0008, 0.012));
  }
}

// 6: two bell notes closing the count, G to C, with a quiet octave above.
void draw_bonus_end(SFX_SAMPLES& s) {
  mallet(s, 0.0, G5, 0.6, 0.2);
  mallet(s, 0.1, C6, 0.7, 0.25);
  mallet(s, 0.1, C7, 0.2, 0.15);
}

// An envelope of two notes on one voice: the first struck at 0, the second
// at `split`, rising from where the first has decayed to (no step to click).
double two_notes(double t, double split, double decay1, double decay2) {
  if (t < split) return sfx_env_hit(t, 0.002, decay1);
  const double from = sfx_env_hit(split, 0.002, decay1);
  const double u = t - split;
  const double rise = u < 0.003 ? 0.5 * (1.0 - std::cos(SFX_PI * u / 0.003)) : 1.0;
  return (from + (1.0 - from) * rise) * std::exp(-std::max(0.0, u - 0.003) / decay2);
}

// 7: a bright two-step blip, B then E, its edges softened.
void draw_blip(SFX_SAMPLES& s) {
  SFX_OSC osc = {};
  SFX_SVF lp = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double tone = sfx_svf_lowpass(&lp, sfx_osc_triangle(&osc, t < 0.045 ? B5 : E6), 5000, 0.7);
    s[i] = static_cast<float>(tone * two_notes(t, 0.045, 0.05, 0.04));
  }
}

// 8: a soft upward boing with a puff at the push-off.
void draw_hop(SFX_SAMPLES& s) {
  SFX_OSC tone = {}, second = {};
  SFX_NOISE noise = {0x1B873593u};
  SFX_ONEPOLE puff = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double f = sfx_glide(240, 560, 0.09, t);
    const double tone_v = (sfx_osc_sine(&tone, f) + 0.25 * sfx_osc_sine(&second, 2 * f)) * sfx_env_hit(t, 0.004, 0.045);
    const double puff_v = sfx_onepole_lowpass(&puff, sfx_noise(&noise), 1200) * sfx_env_hit(t, 0.001, 0.012);
    s[i] = static_cast<float>(tone_v + 0.3 * puff_v);
  }
}

// 9: a falling, wobbling tone: something has gone the wrong way.
void draw_pick_bad(SFX_SAMPLES& s) {
  SFX_OSC osc = {};
  SFX_SVF lp = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double f = sfx_glide(620, 220, 0.38, t) * (1.0 + 0.04 * std::sin(2 * SFX_PI * 11 * t));
    s[i] = static_cast<float>(sfx_svf_lowpass(&lp, sfx_osc_square(&osc, f), 1500, 0.8) * sfx_env_hit(t, 0.005, 0.2));
  }
}

// 10: a quick sparkling arpeggio up, E G# B E.
void draw_pick_good(SFX_SAMPLES& s) {
  const double notes[] = {E6, G6S, B6, E7};
  for (int k = 0; k < 4; k++) mallet(s, 0.05 * k, notes[k], 0.6, k == 3 ? 0.2 : 0.12);
}

// 11: the coin: a short B, then a longer E, soft-edged squares.
void draw_coin(SFX_SAMPLES& s) {
  SFX_OSC osc = {};
  SFX_SVF lp = {};
  SFX_ONEPOLE soft = {};
  for (int i = 0; i < static_cast<int>(s.size()); i++) {
    const double t = time_of(i);
    const double sq = sfx_svf_lowpass(&lp, sfx_osc_square(&osc, t < 0.075 ? B5 : E6), 2500, 0.7);
    s[i] = static_cast<float>(sfx_onepole_lowpass(&soft, sq, 6000) * two_notes(t, 0.075, 0.4, 0.12));
  }
}

struct Recipe {
  const char* file;   // under snd/
  double seconds;
  double fade_out;    // seconds
  double loudness_db; // dBFS of the loudest 50 ms
  Draw draw;
};

// Louder for the events that matter (a death), quieter for the frequent
// ones (hop, tick), all well below full scale: several may sound at once.
const Recipe kRecipes[SFX_EFFECTS] = {
    {"hit.wav", 0.45, 0.03, -12, draw_hit},
    {"splash.wav", 0.70, 0.05, -14, draw_splash},
    {"leave.wav", 0.85, 0.05, -16, draw_leave},
    {"takeoff.wav", 0.30, 0.03, -17, draw_takeoff},
    {"tick.wav", 0.06, 0.01, -23, draw_tick},
    {"bonusend.wav", 0.75, 0.05, -16, draw_bonus_end},
    {"blip.wav", 0.14, 0.02, -18, draw_blip},
    {"hop.wav", 0.15, 0.02, -18, draw_hop},
    {"pickbad.wav", 0.45, 0.04, -17, draw_pick_bad},
    {"pickgood.wav", 0.50, 0.04, -16, draw_pick_good},
    {"coin.wav", 0.40, 0.04, -16, draw_coin},
};

}  // namespace

std::string sfx_effect_game_name(int n) {
  if (n < 1 || n > SFX_EFFECTS) return "";
  return std::string("snd\\") + kRecipes[n - 1].file;
}

SFX_SAMPLES sfx_effect(int n) {
  if (n < 1 || n > SFX_EFFECTS) return {};
  const Recipe& r = kRecipes[n - 1];
  SFX_SAMPLES s(static_cast<size_t>(sfx_length(r.seconds)), 0.0f);
  r.draw(s);
  sfx_finish(&s, 0.002, r.fade_out, r.loudness_db);
  return s;
}

std::vector<SFX_FILE> sfx_generate_all() {
  std::vector<SFX_FILE> out;
  std::string list;
  for (int n = 1; n <= SFX_EFFECTS; n++) {
    out.push_back({std::string("snd/") + kRecipes[n - 1].file, sfx_wav(sfx_effect(n))});
    list += sfx_effect_game_name(n) + "\r\n";
  }
  out.push_back({"data/sndlist.txt", std::vector<uint8_t>(list.begin(), list.end())});
  return out;
}
