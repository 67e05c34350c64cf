// Every S3M file of the corpus against libopenmpt's render (a test oracle only): the same rows at the same times, envelopes that correlate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/sound/s3m_image.h"

#ifdef PS_HAVE_OPENMPT
#include <libopenmpt/libopenmpt.hpp>

namespace {

constexpr int RATE = 44100;

enum KIND {
  MATCH,      // rows, times and envelope
  SILENT,     // written to cancel out or to be quiet when played right: ours must stay near silence
  ADLIB,      // FM instruments, which the engine does not synthesise: rows and times only
  LOOP_END,   // libopenmpt ends the song at a pattern loop that goes on: rows and times up to its end
  STEREO,     // stereo samples, of which the engine plays the left channel: envelope of the left side
  SCRAMBLED,  // pattern data scrambled by its demo: reported, not judged
};

struct FILE_CASE { const char* name; KIND kind; double min_corr; };
// Every other file of the corpus is a MATCH of correlation DEFAULT_CORR or more. Thresholds
// sit a little under the values measured when they were set.
constexpr double DEFAULT_CORR = 0.98;
const FILE_CASE SPECIAL[] = {
    {"AdlibZeroVolumeNote.s3m", ADLIB, 0}, {"NOP.s3m", ADLIB, 0}, {"TonePortamentoWithAdlibNote.s3m", ADLIB, 0},
    {"adlib.s3m-corrupted", ADLIB, 0}, {"NoCombinedSlidesOnFirstTick-Fast.s3m", SILENT, 0},
    {"NoCombinedSlidesOnFirstTick-Normal.s3m", SILENT, 0}, {"OxxMemory.s3m", SILENT, 0}, {"ParamMemory.s3m", SILENT, 0},
    {"VibratoTypeChange.s3m", SILENT, 0}, {"load_s3m_invalid_sample_size.s3m", SILENT, 0},
    {"load_s3m_invalid_sample_size2.s3m", SILENT, 0}, {"weirdloop.s3m", LOOP_END, 0},
    {"pattern_loop_imf.s3m", LOOP_END, 0}, {"pattern_loop_mpt.s3m", LOOP_END, 0}, {"stereo.s3m", STEREO, 0.99},
    {"MUSIC0.S3M", SCRAMBLED, 0}, {"MUSIC1.S3M", SCRAMBLED, 0}, {"play_s3m_low_period_vibrato.s3m", MATCH, 0.88},
    {"data_jack.s3m", MATCH, 0.95}, {"mm2flash.s3m", MATCH, 0.95}, {"RetrigSlide.s3m", MATCH, 0.95},
    {"OffsetPastSampleEnd.s3m", MATCH, 0.97}, {"format_s3m_schism.s3m", MATCH, 0.97},
    {"pattern_loop_st301.s3m", MATCH, 0.97}, {"pattern_loop_st321.s3m", MATCH, 0.97},
    {"s3m_sample_porta.s3m", MATCH, 0.97},
};

FILE_CASE case_of(const std::string& name) {
  for (const FILE_CASE& c : SPECIAL)
    if (name == c.name) return c;
  return {nullptr, MATCH, DEFAULT_CORR};
}

struct ROW { int order, row; long frame; int tempo; };

struct RENDER {
  std::vector<int16_t> pcm;  // stereo
  std::vector<ROW> rows;     // each row as first seen, polling every 32 frames
};

void ours(const std::vector<uint8_t>& file, RENDER* r) {
  s3m_test::PLAYER player(file, RATE, VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR, VX_MOD_END_STOP);
  EXPECT_NE(player.module, nullptr);
  for (long frames = 0; player.module && frames < 600L * RATE; frames += 32) {
    const std::vector<int16_t> pcm = s3m_test::PLAYER::render(32, 32);
    const VX_MOD_STATUS st = s3m_test::PLAYER::status();
    const long keep = st.loops ? std::clamp<long>(long(st.end_frame) - frames, 0, 32) : 32;  // up to the song's end
    r->pcm.insert(r->pcm.end(), pcm.begin(), pcm.begin() + 2 * keep);
    if (st.loops) break;
    if (r->rows.empty() || r->rows.back().order != st.order || r->rows.back().row != st.row)
      r->rows.push_back({st.order, st.row, long(st.row_frame), st.tempo});
  }
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
      for (size_t side = 0; side < (left_only ? 1u : 2u); side++) {
        double sum = 0;
        for (long i = r.rows[k].frame + w; i < r.rows[k].frame + w + 441; i++) sum += std::pow(r.pcm[size_t(2 * i) + side], 2);
        e.push_back(std::sqrt(sum / 441));
      }
    }
  }
  return e;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  double ma = 0, mb = 0, ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size(); i++) ma += a[i] / double(a.size()), mb += b[i] / double(a.size());
  for (size_t i = 0; i < a.size(); i++)
    ab += (a[i] - ma) * (b[i] - mb), aa += (a[i] - ma) * (a[i] - ma), bb += (b[i] - mb) * (b[i] - mb);
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

double rms(const std::vector<int16_t>& pcm) {
  double s = 0;
  for (int16_t v : pcm) s += double(v) * v;
  return std::sqrt(s / double(pcm.size() + 1));
}

TEST(ModCorpus, RowsAndEnvelopesMatchLibopenmpt) {
  std::vector<std::filesystem::path> paths;
  for (const auto& f : std::filesystem::recursive_directory_iterator(std::string(PS_CORPUS) + "/s3m")) {
    const std::string name = f.path().filename().string();
    if (f.is_regular_file() && name[0] != '0' && f.path().extension() != ".data") paths.push_back(f.path());
  }
  std::sort(paths.begin(), paths.end());
  ASSERT_GE(paths.size(), 40u) << "the corpus is there";
  std::printf("%-42s %6s %9s %7s %15s\n", "file", "rows", "max dt ms", "corr", "rms ours/theirs");
  for (const std::filesystem::path& path : paths) {
    const FILE_CASE c = case_of(path.filename().string());
    SCOPED_TRACE(path.string());
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RENDER a;
    ours(file, &a);
    EXPECT_FALSE(s3m_test::PLAYER::leaked);
    const RENDER b = theirs(file);
    // libopenmpt ends a song one tick into the row that repeats; ours stops before it.
    size_t n = std::min(a.rows.size(), b.rows.size());
    size_t same = 0;
    while (same < n && a.rows[same].order == b.rows[same].order && a.rows[same].row == b.rows[same].row) same++;
    if (c.kind != SCRAMBLED) {
      EXPECT_EQ(same, n) << "rows part at " << same;
      EXPECT_TRUE(b.rows.size() <= a.rows.size() + 1 && (c.kind == LOOP_END || b.rows.size() >= a.rows.size()))
          << a.rows.size() << " rows against " << b.rows.size();
    }
    // The times of the rows with libopenmpt's ticks and tempos at exact tick lengths (libopenmpt itself
    // rounds every tick to whole frames). Ours start at the first 8 ms step at or before that time; the
    // sub-ticks of a step are truncated to 1/65536 (of at least 41523/65536): rows may lag that much more.
    double ideal = 0, worst = 0;
    for (size_t k = 0; k < same; k++) {
      const double dt = a.rows[k].frame - ideal;
      if (std::fabs(dt) > std::fabs(worst)) worst = dt;
      if (c.kind != SCRAMBLED) {
        EXPECT_TRUE(dt <= 1 + ideal / 41523 && dt > -RATE * 0.008 - 1) << "row " << k << " starts " << dt << " frames off";
      }
      if (k + 1 < b.rows.size()) {
        const double tick = RATE * 2.5 / b.rows[k].tempo;
        ideal += std::round(double(b.rows[k + 1].frame - b.rows[k].frame) / tick) * tick;
      }
    }
    std::vector<long> lengths;  // of the rows, the shorter of the two renders
    auto length = [](const RENDER& r, size_t k) {
      return (k + 1 < r.rows.size() ? r.rows[k + 1].frame : long(r.pcm.size() / 2)) - r.rows[k].frame;
    };
    for (size_t k = 0; k < same; k++) lengths.push_back(std::min(length(a, k), length(b, k)));
    const std::vector<double> ea = envelope(a, lengths, c.kind == STEREO), eb = envelope(b, lengths, c.kind == STEREO);
    const double corr = correlation(ea, eb);
    std::printf("%-42s %6zu %9.2f %7.4f %7.0f/%7.0f\n", path.filename().c_str(), same, worst * 1000 / RATE, corr,
                rms(a.pcm), rms(b.pcm));
    if (c.kind == MATCH || c.kind == STEREO || c.kind == SILENT) {
      EXPECT_TRUE(c.kind == SILENT ? rms(a.pcm) < 100 : corr >= c.min_corr) << "correlation " << corr;
    }
  }
}

}  // namespace

#endif  // PS_HAVE_OPENMPT
