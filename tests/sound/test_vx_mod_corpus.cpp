// Every S3M file of the corpus against libopenmpt's render (a test oracle only): the same rows at the same times, envelopes that correlate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/vx_mod.h"

#ifdef PS_HAVE_OPENMPT
#include <libopenmpt/libopenmpt.hpp>

namespace {

constexpr int RATE = 44100;
constexpr double STEP_FRAMES = RATE * 0.008;

enum KIND {
  MATCH,      // rows, times and envelope
  SILENT,     // written to cancel out or to be quiet when played right: ours must stay near silence
  ADLIB,      // FM instruments, which the engine does not synthesise: rows and times only
  LOOP_END,   // libopenmpt ends the song at a pattern loop that goes on: rows and times up to its end
  STEREO,     // stereo samples, of which the engine plays the left channel: envelope of the left side
  SCRAMBLED,  // pattern data scrambled by its demo: reported, not judged
};

struct FILE_CASE {
  const char* path;
  KIND kind;
  double min_corr;
};

// Thresholds sit a little under the values measured when they were set.
const FILE_CASE CASES[] = {
    {"libxmp-openmpt-tests/AdlibZeroVolumeNote.s3m", ADLIB, 0},
    {"libxmp-openmpt-tests/AmigaLimits.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/FreqLimits.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/LoopReset.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/NOP.s3m", ADLIB, 0},
    {"libxmp-openmpt-tests/NoCombinedSlidesOnFirstTick-Fast.s3m", SILENT, 0},
    {"libxmp-openmpt-tests/NoCombinedSlidesOnFirstTick-Normal.s3m", SILENT, 0},
    {"libxmp-openmpt-tests/OffsetLoopWraparound.s3m", MATCH, 0.98},
    {"libxmp-openmpt-tests/OffsetPastSampleEnd.s3m", MATCH, 0.97},
    {"libxmp-openmpt-tests/OxxMemory.s3m", SILENT, 0},
    {"libxmp-openmpt-tests/OxxMemoryWithRetrig.s3m", MATCH, 0.98},
    {"libxmp-openmpt-tests/ParamMemory.s3m", SILENT, 0},
    {"libxmp-openmpt-tests/PatternDelays.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/PatternDelaysRetrig.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/PeriodLimit.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/PeriodLimitUpper.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/PortaAfterArp.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/PortaSmpChange.s3m", MATCH, 0.98},
    {"libxmp-openmpt-tests/RetrigAfterNoteCut.s3m", MATCH, 0.99},
    {"libxmp-openmpt-tests/RetrigSlide.s3m", MATCH, 0.95},
    {"libxmp-openmpt-tests/TonePortamentoWithAdlibNote.s3m", ADLIB, 0},
    {"libxmp-openmpt-tests/VibratoTypeChange.s3m", SILENT, 0},
    {"libxmp-openmpt-tests/weirdloop.s3m", LOOP_END, 0},
    {"libxmp-tests/adlib.s3m-corrupted", ADLIB, 0},
    {"libxmp-tests/f/load_s3m_invalid_sample_size.s3m", SILENT, 0},
    {"libxmp-tests/f/load_s3m_invalid_sample_size2.s3m", SILENT, 0},
    {"libxmp-tests/f/play_s3m_low_period_vibrato.s3m", MATCH, 0.88},
    {"libxmp-tests/format_s3m_schism.s3m", MATCH, 0.97},
    {"libxmp-tests/m/inside_out.s3m", MATCH, 0.98},
    {"libxmp-tests/m/mm2flash.s3m", MATCH, 0.95},
    {"libxmp-tests/p/data_jack.s3m", MATCH, 0.95},
    {"libxmp-tests/pattern_jump_mpt_break.s3m", MATCH, 0.99},
    {"libxmp-tests/pattern_jump_st3_break.s3m", MATCH, 0.99},
    {"libxmp-tests/pattern_loop_imf.s3m", LOOP_END, 0},
    {"libxmp-tests/pattern_loop_imf_breakjump.s3m", MATCH, 0.99},
    {"libxmp-tests/pattern_loop_mpt.s3m", LOOP_END, 0},
    {"libxmp-tests/pattern_loop_mpt_breakjump.s3m", MATCH, 0.99},
    {"libxmp-tests/pattern_loop_st301.s3m", MATCH, 0.97},
    {"libxmp-tests/pattern_loop_st301_breakjump.s3m", MATCH, 0.99},
    {"libxmp-tests/pattern_loop_st321.s3m", MATCH, 0.97},
    {"libxmp-tests/pattern_loop_st321_breakjump.s3m", MATCH, 0.99},
    {"libxmp-tests/s3m_sample_porta.s3m", MATCH, 0.97},
    {"libxmp-tests/stereo.s3m", STEREO, 0.99},
    {"secondreality/MUSIC0.S3M", SCRAMBLED, 0},
    {"secondreality/MUSIC1.S3M", SCRAMBLED, 0},
};

struct ROW {
  int order, row;
  long frame;
  int tempo;
};

struct RENDER {
  std::vector<int16_t> pcm;  // stereo
  std::vector<ROW> rows;
};

// Polls the position every `chunk` frames; a row is seen in the chunk in which it starts.
RENDER ours(const std::vector<uint8_t>& file) {
  RENDER r;
  vx_mod_start(128, 1, 1, 0, 0, 8, 360);
  VX_MOD_POOL* pool = vx_mod_pool_create();
  VX_MODULE* m = vx_mod_load(file.data(), file.size(), VX_MOD_LOAD_PANS, pool);
  EXPECT_NE(m, nullptr);
  vx_mod_select(m);
  vx_mod_reset();
  vx_mod_set(131072, RATE, VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR, VX_MOD_RUNNING, VX_MOD_END_STOP, 0, 256, 128);
  int16_t buf[2 * 32];
  for (long frames = 0; m && frames < 600L * RATE; frames += 32) {
    vx_mod_render(buf, sizeof buf);
    VX_MOD_STATUS st;
    vx_mod_status(&st);
    if (st.loops) {
      r.pcm.insert(r.pcm.end(), buf, buf + 2 * std::max<long>(0, long(st.end_frame) - frames));
      break;
    }
    r.pcm.insert(r.pcm.end(), buf, buf + 64);
    if (r.rows.empty() || r.rows.back().order != st.order || r.rows.back().row != st.row)
      r.rows.push_back({st.order, st.row, long(st.row_frame), st.tempo});
  }
  vx_mod_free(m, pool);
  EXPECT_EQ(vx_mod_pool_destroy(pool), 1);
  vx_mod_shutdown();
  return r;
}

RENDER theirs(const std::vector<uint8_t>& file) {
  RENDER r;
  openmpt::module m(file);
  m.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 2);
  int16_t buf[2 * 32];
  long frames = 0;
  while (size_t n = m.read_interleaved_stereo(RATE, 32, buf)) {
    if (r.rows.empty() || r.rows.back().order != m.get_current_order() || r.rows.back().row != m.get_current_row())
      r.rows.push_back({m.get_current_order(), m.get_current_row(), frames, int(m.get_current_tempo())});
    r.pcm.insert(r.pcm.end(), buf, buf + 2 * n);
    frames += long(n);
  }
  return r;
}

// RMS of 10 ms windows from each row's start, left and right in turn, so
// that drift between two renders does not blur the comparison.
std::vector<double> envelope(const RENDER& r, const std::vector<long>& lengths, bool left_only) {
  std::vector<double> e;
  for (size_t k = 0; k < lengths.size(); k++) {
    for (long w = 0; w + 441 <= lengths[k]; w += 441) {
      double l = 0, rr = 0;
      for (long i = r.rows[k].frame + w; i < r.rows[k].frame + w + 441; i++) {
        l += double(r.pcm[size_t(2 * i)]) * r.pcm[size_t(2 * i)];
        rr += double(r.pcm[size_t(2 * i + 1)]) * r.pcm[size_t(2 * i + 1)];
      }
      e.push_back(std::sqrt(l / 441));
      if (!left_only) e.push_back(std::sqrt(rr / 441));
    }
  }
  return e;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  double ma = 0, mb = 0, ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size(); i++) ma += a[i], mb += b[i];
  ma /= double(a.size()), mb /= double(a.size());
  for (size_t i = 0; i < a.size(); i++) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

double rms(const std::vector<int16_t>& pcm) {
  double s = 0;
  for (int16_t v : pcm) s += double(v) * v;
  return pcm.empty() ? 0 : std::sqrt(s / double(pcm.size()));
}

TEST(ModCorpus, RowsAndEnvelopesMatchLibopenmpt) {
  std::printf("%-52s %6s %9s %7s %15s\n", "file", "rows", "max dt ms", "corr", "rms ours/theirs");
  for (const FILE_CASE& c : CASES) {
    SCOPED_TRACE(c.path);
    std::ifstream in(std::string(PS_CORPUS) + "/s3m/" + c.path, std::ios::binary);
    ASSERT_TRUE(in) << "corpus file missing";
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const RENDER a = ours(file), b = theirs(file);
    // libopenmpt ends a song one tick into the row that repeats; ours stops before it.
    size_t n = std::min(a.rows.size(), b.rows.size());
    size_t same = 0;
    while (same < n && a.rows[same].order == b.rows[same].order && a.rows[same].row == b.rows[same].row) same++;
    if (c.kind != SCRAMBLED) {
      EXPECT_EQ(same, n) << "rows part at " << same;
      const bool ends_alike = b.rows.size() == a.rows.size() || b.rows.size() == a.rows.size() + 1;
      EXPECT_TRUE(c.kind == LOOP_END ? b.rows.size() <= a.rows.size() + 1 : ends_alike)
          << a.rows.size() << " rows against " << b.rows.size();
    }
    // The times the rows would have with libopenmpt's ticks and tempos at
    // exact tick lengths (libopenmpt itself rounds every tick to whole frames).
    // Ours run on the 8 ms steps: a row starts at the first step boundary at
    // or before its time. The sub-ticks of a step are truncated to 1/65536
    // (at least 41523/65536 per step): rows may lag by that much besides.
    double ideal = 0, worst = 0;
    for (size_t k = 0; k < same; k++) {
      const double dt = a.rows[k].frame - ideal;
      if (std::fabs(dt) > std::fabs(worst)) worst = dt;
      if (c.kind != SCRAMBLED) {
        EXPECT_TRUE(dt <= 1 + ideal / 41523 && dt > -STEP_FRAMES - 1) << "row " << k << " starts " << dt << " frames off";
      }
      if (k + 1 < b.rows.size()) {
        const double tick = RATE * 2.5 / b.rows[k].tempo;
        ideal += std::round(double(b.rows[k + 1].frame - b.rows[k].frame) / tick) * tick;
      }
    }
    std::vector<long> lengths;
    for (size_t k = 0; k < same; k++) {
      long la = (k + 1 < a.rows.size() ? a.rows[k + 1].frame : long(a.pcm.size() / 2)) - a.rows[k].frame;
      long lb = (k + 1 < b.rows.size() ? b.rows[k + 1].frame : long(b.pcm.size() / 2)) - b.rows[k].frame;
      lengths.push_back(std::min(la, lb));
    }
    const std::vector<double> ea = envelope(a, lengths, c.kind == STEREO), eb = envelope(b, lengths, c.kind == STEREO);
    const double corr = correlation(ea, eb);
    std::printf("%-52s %6zu %9.2f %7.4f %7.0f/%7.0f\n", c.path, same, worst * 1000 / RATE, corr, rms(a.pcm), rms(b.pcm));
    if (c.kind == MATCH || c.kind == STEREO) {
      EXPECT_GE(corr, c.min_corr);
    }
    if (c.kind == SILENT) {
      EXPECT_LT(rms(a.pcm), 100) << "stays near silence";
    }
  }
}

}  // namespace

#endif  // PS_HAVE_OPENMPT
