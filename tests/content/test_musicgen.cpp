// The music compiler and the game's music: scores become modules the engine plays for a minute and more before looping, at sane levels.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sound/vx_mod.h"
#include "sound/vx_mod_data.h"
#include "sound/vx_mp3.h"
#include "tests/content/content_fixture.h"
#include "tools/musicgen/mg_s3m.h"
#include "tools/musicgen/mg_score.h"

#ifdef PS_HAVE_OPENMPT
#include <libopenmpt/libopenmpt.hpp>
#endif

using namespace content_test;
namespace fs = std::filesystem;

namespace {

const fs::path ROOT = fs::path(PS_TEST_DATA) / ".." / "..";

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> files(const fs::path& dir, const std::string& ext) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ext) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

Bytes build(const std::string& score) {
  Bytes out;
  std::string error;
  EXPECT_EQ(mg_s3m_build(score, &out, &error), 1) << error;
  return out;
}

double db(double v) { return 20 * std::log10(std::max(v, 1e-9) / 32768.0); }

class Music : public ContentTest {
 protected:
  void SetUp() override {
    ContentTest::SetUp();
    ASSERT_EQ(vx_mod_start(128, 1, 1, 0, 0, 8, 360), 1);
    pool = vx_mod_pool_create();
  }
  void TearDown() override {
    EXPECT_EQ(vx_mod_pool_destroy(pool), 1);
    vx_mod_shutdown();
    ContentTest::TearDown();
  }
  VX_MODULE* load(const Bytes& s3m) { return vx_mod_load(s3m.data(), s3m.size(), VX_MOD_LOAD_PANS, pool); }
  VX_MOD_POOL* pool = nullptr;
};

// One pass of a piece as the game plays it (the song going round), and 3 s past its loop.
struct PASS {
  uint64_t end_frame = 0;
  double rms = 0, dc = 0, after_rms = 0;
  int peak = 0, order_after = -1;
};

PASS play(VX_MODULE* m, uint32_t rate) {
  PASS p;
  vx_mod_select(m);
  vx_mod_reset();
  vx_mod_set(131072, rate, VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR, VX_MOD_RUNNING, VX_MOD_END_LOOP, 0, 256, 128);
  std::vector<int16_t> buf(2048 * 2);
  double sum2 = 0, sum = 0, after2 = 0;
  uint64_t frame = 0, n_after = 0;
  VX_MOD_STATUS st{};
  while (frame < uint64_t(rate) * 200) {
    vx_mod_render(buf.data(), buf.size() * 2);
    vx_mod_status(&st);
    for (size_t i = 0; i < buf.size(); i++) {
      const uint64_t f = frame + i / 2;
      if (st.loops && f >= st.end_frame) {
        after2 += double(buf[i]) * buf[i];
        n_after++;
      } else {
        sum2 += double(buf[i]) * buf[i];
        sum += buf[i];
        p.peak = std::max(p.peak, std::abs(int(buf[i])));
      }
    }
    frame += buf.size() / 2;
    if (st.loops && frame >= st.end_frame + 3 * rate) break;
  }
  p.end_frame = st.end_frame;
  p.order_after = st.order;
  const double n = 2.0 * double(p.end_frame ? p.end_frame : frame);
  p.rms = std::sqrt(sum2 / n);
  p.dc = sum / n / 32768.0;
  p.after_rms = n_after ? std::sqrt(after2 / double(n_after)) : 0;
  vx_mod_select(nullptr);
  return p;
}

// Seconds of one pass of the order list, from the song's own rows and tempo.
double score_seconds(const MG_SONG& s) {
  int rows = 0;
  for (int o : s.orders) rows += s.patterns[size_t(o)].rows;
  return rows * s.speed * 2.5 / s.tempo;
}

TEST_F(Music, EveryPiecePlaysAMinuteAndLoopsWhereItsOrderListSaysAtSaneLevels) {
  constexpr uint32_t RATE = 22050;
  const std::vector<fs::path> scores = files(ROOT / "content_src" / "music", ".txt");
  ASSERT_GE(scores.size(), 5u);
  double lo = 0, hi = -100;
  for (const fs::path& path : scores) {
    SCOPED_TRACE(path.filename().string());
    const std::string text = read_text(path);
    MG_SONG song;
    std::string error;
    ASSERT_EQ(mg_score_parse(text, &song, &error), 1) << error;
    const Bytes s3m = build(text);
    VX_MODULE* m = load(s3m);
    ASSERT_NE(m, nullptr);
    const PASS p = play(m, RATE);
    vx_mod_free(m, pool);
    const double seconds = double(p.end_frame) / RATE;
    EXPECT_GE(seconds, 60.0);
    EXPECT_NEAR(seconds, score_seconds(song), 0.01) << "the song ends before or after its last order";
    EXPECT_EQ(p.order_after, song.loop_order) << "it does not go on at its loop order";
    EXPECT_GT(db(p.after_rms), -40.0) << "silence after the loop";
    EXPECT_LT(p.peak, 32767 * 3 / 4) << "less than 2.5 dB of headroom";
    EXPECT_NEAR(db(p.rms), -17.0, 2.0);
    EXPECT_LT(std::fabs(p.dc), 0.003);
    lo = std::min(lo, db(p.rms));
    hi = std::max(hi, db(p.rms));
#ifdef PS_HAVE_OPENMPT
    // Another reader of the published layout sees the same song.
    openmpt::module other(s3m);
    EXPECT_NEAR(other.get_duration_seconds(), seconds, 0.1);  // it counts whole samples a tick
    EXPECT_EQ(other.get_num_channels(), int(song.channels.size()));
#endif
  }
  EXPECT_LT(hi - lo, 2.5) << "pieces differ in loudness";
}

TEST_F(Music, BuildingIsDeterministic) {
  const std::vector<fs::path> scores = files(ROOT / "content_src" / "music", ".txt");
  ASSERT_GE(scores.size(), 2u);
  const Bytes first = build(read_text(scores[0]));
  build(read_text(scores[1]));
  EXPECT_EQ(build(read_text(scores[0])), first);
}

// A score using every kind of line, read back through the engine's loader.
const char kScore[] = R"(title Round trip
speed 4
tempo 150
global 60
master 50
instrument lead square vol=40
instrument drum kick note=c5   # a comment
channel a pan=2 inst=lead
channel b pan=13
track up len=2
  c4 e4@30 ^ g4~H43:4
end
pattern P rows=48 bar=10
  a up>12 | up>12 =drum c5:4
  b drum:16 -:16 drum+A03
  fx 40 T80
end
pattern Q like P
  b ^
end
order P | Q P
)";

TEST_F(Music, ScoreRoundTripsThroughTheLoader) {
  const Bytes s3m = build(kScore);
  VX_MODULE* m = load(s3m);
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->name, "Round trip");
  EXPECT_EQ(nums(m->speed, m->tempo, m->global_volume, m->master_volume, m->stereo), nums(4, 150, 120, 50, 1));
  // P, Q, and the last P as a copy of its own that jumps back to Q.
  ASSERT_EQ(m->pattern_count, 3);
  ASSERT_GE(m->order_count, 4);
  EXPECT_EQ(nums(m->orders[0], m->orders[1], m->orders[2], m->orders[3]), nums(0, 1, 2, VX_MOD_ORDER_END));
  EXPECT_EQ(nums(m->pan[0], m->pan[1]), nums(2 * 8, 13 * 8));
  EXPECT_EQ(nums(m->instruments[0].loop, m->instruments[0].volume, m->instruments[1].loop), nums(1, 80, 0));
  EXPECT_EQ(m->instruments[1].c2_speed, 22050u);

  auto cell = [&](int pat, int row, int ch) {
    const uint8_t* c = vx_mod_cell(m, pat, row, ch);
    return nums(c[0], c[1], c[2], c[3], c[4]);
  };
  const uint8_t C5 = 0x50, E5 = 0x54, G5 = 0x57;
  EXPECT_EQ(cell(0, 0, 0), nums(C5, 1, VX_MOD_NO_VOLUME, 0, 0));
  EXPECT_EQ(cell(0, 2, 0), nums(E5, 1, 30, 0, 0));
  EXPECT_EQ(cell(0, 4, 0), nums(VX_MOD_NOTE_CUT, 0, VX_MOD_NO_VOLUME, 0, 0));
  for (int row = 6; row < 10; row++) EXPECT_EQ(cell(0, row, 0)[3], FX_VIBRATO) << "vibrato on every row, row " << row;
  EXPECT_EQ(cell(0, 6, 0), nums(G5, 1, VX_MOD_NO_VOLUME, FX_VIBRATO, 0x43));
  EXPECT_EQ(cell(0, 10, 0), nums(C5, 1, VX_MOD_NO_VOLUME, 0, 0)) << "the track again";
  EXPECT_EQ(cell(0, 20, 0), nums(C5, 2, VX_MOD_NO_VOLUME, 0, 0)) << "after the switch to the drum";
  EXPECT_EQ(cell(0, 0, 1), nums(C5, 2, VX_MOD_NO_VOLUME, 0, 0)) << "an instrument at its own note";
  EXPECT_EQ(cell(0, 32, 1), nums(C5, 2, VX_MOD_NO_VOLUME, FX_SPEED, 3));
  EXPECT_EQ(cell(0, 40, 0), nums(VX_MOD_NO_NOTE, 0, VX_MOD_NO_VOLUME, FX_TEMPO, 0x80)) << "song effect in a free column";
  EXPECT_EQ(cell(0, 47, 0), nums(VX_MOD_NO_NOTE, 0, VX_MOD_NO_VOLUME, FX_BREAK, 0)) << "break after 48 rows";
  EXPECT_EQ(cell(1, 0, 1)[0], VX_MOD_NOTE_CUT) << "a line replaced in the copy";
  EXPECT_EQ(cell(1, 20, 0), cell(0, 20, 0)) << "the other lines kept";
  EXPECT_EQ(cell(2, 47, 1), nums(VX_MOD_NO_NOTE, 0, VX_MOD_NO_VOLUME, FX_JUMP, 1)) << "jump back to the loop order";
  EXPECT_EQ(cell(0, 47, 1)[3], 0) << "the first P does not jump";
  vx_mod_free(m, pool);
}

// Broken scores name the line at fault.
TEST(MusicScore, ErrorsNameTheirLine) {
  const std::string head = "instrument x pluck\nchannel a inst=x\n";  // lines 1-2
  const struct {
    const char* what;
    std::string body;
    int line;
  } cases[] = {
      {"unknown instrument", "channel b inst=y\n", 3},
      {"unknown kind", "instrument z drum\n", 3},
      {"bad setting", "tempo 20\n", 3},
      {"miscounted bar", "track t\n  c4:3 |\nend\n", 4},
      {"bad effect", "track t\n  c4+Z1\nend\n", 4},
      {"two effects on a row", "track t\n  c4+H11~J37\nend\n", 4},
      {"no such note", "track t\n  c9\nend\n", 4},
      {"too many rows", "pattern P\n  a c4:40 c4:40\nend\norder P\n", 5},
      {"transposed out of range", "track t\n  g7\nend\npattern P\n  a t>5\nend\norder P\n", 8},
      {"unknown channel", "pattern P\n  q c4\nend\n", 4},
      {"unknown pattern", "pattern P\n  a c4\nend\norder P R\n", 6},
      {"no end", "pattern P\n  a c4\n", 4},
      {"loop mark last", "pattern P\n  a c4\nend\norder P |\n", 6},
      {"no order list", "pattern P\n  a c4\nend\n", 5},
  };
  for (const auto& c : cases) {
    MG_SONG song;
    std::string error;
    EXPECT_EQ(mg_score_parse(head + c.body, &song, &error), 0) << c.what;
    EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ":", 0), 0u) << c.what << ": " << error;
  }
}

// Samples start and end without a click, loops join without one, and
// near-sine tones sound middle C at C-4.
TEST(MusicSynth, SamplesStartEndAndLoopCleanly) {
  for (int k = 0; k < MG_KIND_COUNT; k++) {
    SCOPED_TRACE(k);
    MG_INSTRUMENT in;
    in.kind = MG_KIND(k);
    MG_SAMPLE s;
    ASSERT_EQ(mg_synth_make(in, &s), 1);
    ASSERT_GT(s.data.size(), 1000u);
    int peak = 0, step = 0;
    for (size_t i = 1; i < s.data.size(); i++) {
      peak = std::max(peak, std::abs(int(s.data[i])));
      if (i > s.loop_start) step = std::max(step, std::abs(s.data[i] - s.data[i - 1]));
    }
    EXPECT_GE(peak, 118);
    EXPECT_LE(std::abs(int(s.data[0])), 2);
    if (s.loop_end <= s.loop_start) {
      EXPECT_LE(std::abs(int(s.data.back())), 2);
      continue;
    }
    ASSERT_EQ(s.loop_end, s.data.size());
    EXPECT_LE(std::abs(s.data[s.loop_start] - s.data[s.loop_end - 1]), step) << "a step where the loop joins";
    if (k != MG_FLUTE && k != MG_PAD && k != MG_BASS) continue;
    int rises = 0;
    for (uint32_t i = s.loop_start; i < s.loop_end; i++)  // round the loop, the join included
      rises += s.data[i == s.loop_start ? s.loop_end - 1 : i - 1] < 0 && s.data[i] >= 0;
    EXPECT_NEAR(rises * double(s.c2_speed) / (s.loop_end - s.loop_start), 261.63, 0.5);
  }
}

// Every level plays a piece that the data tree holds, and the MP3 piece
// decodes through the engine's decoder at the level of the modules.
TEST_F(Music, EveryLevelNamesShippedMusic) {
  const std::vector<fs::path> levels = files(ROOT / "content_src" / "levels", ".lvl");
  EXPECT_EQ(levels.size(), 22u);
  EXPECT_TRUE(fs::exists(ROOT / "content_src" / "music" / "mainmenu.txt")) << "snd\\mainmenu.s3m";
  std::vector<fs::path> mp3s;
  for (const fs::path& level : levels) {
    const std::string text = read_text(level);
    const size_t at = text.find("\nmusic = snd\\");
    ASSERT_NE(at, std::string::npos) << level << " names no piece";
    const fs::path name = text.substr(at + 13, text.find('\n', at + 1) - at - 13);
    if (name.extension() == ".s3m") {
      EXPECT_TRUE(fs::exists(ROOT / "content_src" / "music" / name.stem().concat(".txt"))) << level << ": " << name;
    } else {
      ASSERT_EQ(name.extension(), ".mp3") << level;
      ASSERT_TRUE(fs::exists(ROOT / "content" / "snd" / name)) << level << ": " << name;
      mp3s.push_back(ROOT / "content" / "snd" / name);
    }
  }
  ASSERT_FALSE(mp3s.empty()) << "no level plays an MP3 piece";
  const std::string bytes = read_text(mp3s[0]);
  const VX_MP3_FORMAT format = {16, 2, 22050};
  VX_MP3* s = vx_mp3_open_memory(bytes.data(), bytes.size(), 0, &format);
  ASSERT_NE(s, nullptr);
  std::vector<int16_t> buf(22050 * 2);
  double sum2 = 0;
  int seconds = 0;
  while (vx_mp3_decode(s, buf.data(), long(buf.size() * 2)) && seconds < 200) {
    for (int16_t v : buf) sum2 += double(v) * v;
    seconds++;
  }
  vx_mp3_close(s);
  EXPECT_GE(seconds, 60);
  EXPECT_NEAR(db(std::sqrt(sum2 / (double(seconds) * buf.size()))), -17.0, 2.0);
}

}  // namespace
