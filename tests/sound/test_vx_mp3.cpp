// MP3 streams: compliance with the ISO Layer III vectors and libmpg123, and the stream's output rules (formats, end, loop, gains, tags, rates).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "sound/vx_mp3.h"
#include "sound/vx_mp3_dec.h"

#ifdef PS_HAVE_MPG123
#include <mpg123.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Pcm = std::vector<int16_t>;

const std::string kVectors = std::string(PS_CORPUS) + "/mp3/minimp3-vectors/";

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything a stream gives in `format` until it reports its end (at most `limit` frames).
Pcm decode_all(VX_MP3* s, const VX_MP3_FORMAT& f, size_t limit = 1 << 22) {
  Pcm out;
  std::vector<int16_t> buf(1000 * size_t(f.channels));
  for (size_t total = 0; total < limit; total += 1000) {
    int more = vx_mp3_decode(s, buf.data(), long(buf.size() * 2));
    out.insert(out.end(), buf.begin(), buf.end());
    if (!more) break;
  }
  // Drop the silence the last call padded with (the stream ends mid-buffer).
  while (!out.empty() && out.back() == 0) out.pop_back();
  return out;
}

// The file decoded at its own rate and channel count, 16-bit.
Pcm decode_native(const Bytes& data, int* channels) {
  VX_MP3_FORMAT probe{16, 2, 44100};
  VX_MP3* s = vx_mp3_open_memory(data.data(), data.size(), 0, &probe);
  if (!s) return {};
  VX_MP3_FORMAT f{16, vx_mp3_file_channels(s), vx_mp3_file_rate(s)};
  vx_mp3_close(s);
  s = vx_mp3_open_memory(data.data(), data.size(), 0, &f);
  Pcm out = decode_all(s, f);
  vx_mp3_close(s);
  *channels = f.channels;
  return out;
}

struct Diff {
  double rms;  // in 16-bit steps
  int max;
};
Diff compare(const Pcm& a, const Pcm& ref, size_t n) {
  double se = 0;
  int mx = 0;
  for (size_t i = 0; i < n; i++) {
    int e = std::abs(int(a[i]) - int(ref[i]));
    se += double(e) * e;
    mx = e > mx ? e : mx;
  }
  return {n ? std::sqrt(se / double(n)) : 0, mx};
}

class Mp3Test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const VX_IO_SETTINGS io = {0, nullptr, nullptr};
    vx_mem_init(nullptr);
    vx_io_init(&io);
  }
  void SetUp() override { used_ = vx_mem_used(); }
  void TearDown() override { EXPECT_EQ(vx_mem_used(), used_) << "a stream leaked"; }
  long long used_ = 0;
};

// ---------------------------------------------------------------- compliance
// The frames of a file decoded one by one, each with its own channel count,
// as the reference files hold them: a frame counts when the next header (or
// the end of the data) follows it; a Xing / Info tag frame first is skipped.
Pcm decode_frames(const Bytes& d) {
  static VX_MP3_DECODER dec;
  vx_mp3_decoder_reset(&dec);
  Pcm out;
  int16_t pcm[VX_MP3_MAX_FRAME_SAMPLES * 2];
  size_t p = 0;
  int free_size = 0, first = 1, rate = 0;  // frames at another rate than the first are skipped
  while (p + 4 <= d.size()) {
    VX_MP3_HEADER h, n;
    if (!vx_mp3_header(&d[p], &h) || h.layer != 3 || (rate && h.rate != rate)) {
      p++;
      continue;
    }
    size_t size = size_t(h.frame_bytes ? h.frame_bytes : free_size + h.padding);
    for (size_t k = 40; !size && p + k + 4 <= d.size(); k++)  // free format: up to the next header
      if (vx_mp3_header(&d[p + k], &n) && !n.bitrate && n.rate == h.rate) size = k, free_size = int(k) - h.padding;
    const uint8_t* next = &d[std::min(p + size, d.size())];
    size_t left = d.size() - std::min(p + size, d.size());
    int follows = size && p + size <= d.size() && (left == 0 || (left >= 4 && vx_mp3_header(next, &n) && n.rate == h.rate && n.layer == 3) ||
                           (left >= 3 && !std::memcmp(next, "TAG", 3)) || (left >= 8 && !std::memcmp(next, "APETAGEX", 8)));
    if (!follows) {
      p++;
      continue;
    }
    int side_end = 4 + (h.crc ? 2 : 0) + vx_mp3_side_info_bytes(&h);
    // (a tag of 4 fields and the table of contents: 120 bytes)
    int tag = first && side_end + 120 <= int(size) &&
              (!std::memcmp(&d[p + side_end], "Xing", 4) || !std::memcmp(&d[p + side_end], "Info", 4));
    first = 0;
    rate = h.rate;
    int got = tag ? 0 : vx_mp3_decode_frame(&dec, &h, &d[p], size, pcm);
    out.insert(out.end(), pcm, pcm + got * h.channels);
    p += size;
  }
  return out;
}

// The ISO full-accuracy limit: RMS below 2^-15 / sqrt(12) of full scale (1 / sqrt(12)
// of a 16-bit step) and no sample more than 2^-14 (2 steps) away.
constexpr double kFullAccuracyRms = 0.28867513;
constexpr int kFullAccuracyMax = 2;

struct Vector {
  std::string name;
  Bytes bit;
  Pcm ref;
  bool has_ref;
};
std::vector<Vector> vectors() {
  std::vector<Vector> v;
  for (const auto& e : fs::recursive_directory_iterator(std::string(PS_CORPUS) + "/mp3")) {
    std::string ext = e.path().extension().string();
    if (ext != ".bit" && ext != ".mp3") continue;
    fs::path ref_path = e.path();
    ref_path.replace_extension(".pcm");
    Bytes r = read_file(ref_path.string());
    Pcm ref(r.size() / 2);
    if (!r.empty()) std::memcpy(ref.data(), r.data(), ref.size() * 2);
    v.push_back({e.path().filename().string(), read_file(e.path().string()), ref, fs::exists(ref_path)});
  }
  return v;
}

TEST_F(Mp3Test, EveryVectorMeetsFullAccuracy) {
  int checked = 0;
  for (const Vector& v : vectors()) {
    if (!v.has_ref) continue;
    SCOPED_TRACE(v.name);
    Pcm ours = decode_frames(v.bit);
    // Some references stop one frame early (the last frame of the file).
    ASSERT_GE(ours.size(), v.ref.size());
    EXPECT_LE(ours.size(), v.ref.size() + 4608);  // (two frames at the change of rate in he_44_48khz)
    Diff d = compare(ours, v.ref, v.ref.size());
    EXPECT_LT(d.rms, kFullAccuracyRms);
    EXPECT_LE(d.max, kFullAccuracyMax);
    checked++;
  }
  EXPECT_GE(checked, 30);
}

// The stream gives what the frames give, for every file of one channel
// count: framing, tags, free format and the skipped tag frames. (The frame
// reader here may take one more frame at the end.)
TEST_F(Mp3Test, StreamMatchesFrames) {
  for (const Vector& v : vectors()) {
    // Damaged files aside (where the two framings may part), and the two
    // whose frames change channels or rate midway.
    if (!v.has_ref || v.name == "l3-he_mode.bit" || v.name == "l3-nonstandard-he_44_48khz.bit") continue;
    SCOPED_TRACE(v.name);
    int channels = 0;
    Pcm stream = decode_native(v.bit, &channels);
    Pcm frames = decode_frames(v.bit);
    if (frames.empty()) continue;
    while (!frames.empty() && frames.back() == 0) frames.pop_back();
    EXPECT_LE(stream.size(), frames.size());
    EXPECT_GE(stream.size() + 2304, frames.size());
    size_t n = std::min(stream.size(), frames.size());
    n = n > 2304 ? n - 2304 : 0;
    EXPECT_TRUE(std::equal(stream.begin(), stream.begin() + long(n), frames.begin()));
  }
}

// An MPEG-1 joint-stereo frame (44.1 kHz, 128 kbit/s, intensity on) built
// bit by bit: in both granules the left channel holds one line (the pair
// 1, 0 of table 1) and the right channel no lines, with intensity position
// `pos` in bands 0-10 (4-bit scale factors) and 0 above.
Bytes intensity_frame(int pos) {
  Bytes b;
  size_t bit = 0;
  auto put = [&](uint32_t v, int n) {
    for (int i = n - 1; i >= 0; i--, bit++) {
      if (bit % 8 == 0) b.push_back(0);
      if (v >> i & 1) b.back() |= uint8_t(0x80 >> bit % 8);
    }
  };
  put(0xFFFB9050, 32);  // header: MPEG-1 Layer III, no check word, 128 kbit/s, 44.1 kHz, joint stereo, intensity
  put(0, 9 + 3 + 8);    // main_data_begin, private bits, scfsi
  for (int gr = 0; gr < 2; gr++) {
    // part2_3_length, big_values, global_gain, scalefac_compress, window switching, tables 1 0 0, regions, flags
    put(3, 12), put(1, 9), put(190, 8), put(0, 4), put(0, 1), put(1 << 10, 15), put(0, 7), put(0, 3);
    put(64, 12), put(0, 9), put(190, 8), put(14, 4), put(0, 1), put(0, 15), put(0, 7), put(0, 3);  // slen 4 and 2
  }
  for (int gr = 0; gr < 2; gr++) {
    put(2, 3);  // code 01 and a plus sign
    for (int band = 0; band < 21; band++) put(band < 11 ? uint32_t(pos) : 0, band < 11 ? 4 : 2);
  }
  b.resize(417);
  return b;
}

// Positions above 7 (possible only in damaged or nonstandard data) count
// as illegal: the band stays as it is, the right channel silent.
TEST_F(Mp3Test, IntensityPositionsAboveSevenCountAsIllegal) {
  static VX_MP3_DECODER dec;
  auto decode = [&](int pos) {
    Bytes f = intensity_frame(pos);
    VX_MP3_HEADER h;
    EXPECT_TRUE(vx_mp3_header(f.data(), &h));
    Pcm pcm(VX_MP3_MAX_FRAME_SAMPLES * 2);
    vx_mp3_decoder_reset(&dec);
    EXPECT_EQ(vx_mp3_decode_frame(&dec, &h, f.data(), f.size(), pcm.data()), 1152);
    return pcm;
  };
  auto right_silent = [](const Pcm& p) {
    for (size_t i = 1; i < p.size(); i += 2)
      if (p[i]) return false;
    return true;
  };
  Pcm shared = decode(3), illegal = decode(7), beyond = decode(15);
  EXPECT_FALSE(right_silent(shared));  // the frame does reach the intensity step
  EXPECT_TRUE(right_silent(illegal));
  EXPECT_TRUE(beyond == illegal);
}

#ifdef PS_HAVE_MPG123
// libmpg123's output of the whole file (no gapless trimming), interleaved 16-bit.
Pcm mpg123_decode(const Bytes& data) {
  mpg123_init();
  int err = 0;
  mpg123_handle* m = mpg123_new(nullptr, &err);
  mpg123_param(m, MPG123_FLAGS, MPG123_QUIET, 0);
  mpg123_param(m, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  mpg123_open_feed(m);
  Pcm out;
  std::vector<unsigned char> buf(1 << 16);
  size_t done = 0;
  int ret = mpg123_decode(m, data.data(), data.size(), buf.data(), buf.size(), &done);
  for (;;) {
    out.insert(out.end(), reinterpret_cast<int16_t*>(buf.data()), reinterpret_cast<int16_t*>(buf.data() + done));
    if (ret == MPG123_ERR || ret == MPG123_NEED_MORE) break;
    ret = mpg123_decode(m, nullptr, 0, buf.data(), buf.size(), &done);
  }
  mpg123_delete(m);
  return out;
}

// Every file, the damaged ones too, against libmpg123 over what both give
// (one step of rounding apart). Where libmpg123 itself misses the ISO
// reference (it shares intensity positions differently in a few frames of
// the lower frequencies), ours must be the closer of the two.
TEST_F(Mp3Test, EveryFileMatchesLibmpg123OrIsCloserToTheReference) {
  for (const Vector& v : vectors()) {
    SCOPED_TRACE(v.name);
    Pcm ours = decode_frames(v.bit);
    Pcm theirs = mpg123_decode(v.bit);
    size_t n = std::min(ours.size(), theirs.size());
    if (v.has_ref) n = std::min(n, v.ref.size());
    Diff d = compare(ours, theirs, n);
    if (v.has_ref && !v.ref.empty()) {
      size_t m = std::min(n, v.ref.size());
      Diff theirs_ref = compare(theirs, v.ref, m);
      if (theirs_ref.max > kFullAccuracyMax) {
        EXPECT_LT(compare(ours, v.ref, m).rms, theirs_ref.rms);
        continue;
      }
    }
    if (!v.has_ref) {  // damaged files: the damaged frames may differ, the rest not
      size_t close = 0;
      for (size_t i = 0; i < n; i++) close += std::abs(ours[i] - theirs[i]) <= 1;
      EXPECT_GE(double(close), 0.9 * double(n));
      continue;
    }
    EXPECT_LT(d.rms, 0.5);
    EXPECT_LE(d.max, 1);
  }
}
#endif

}  // namespace

namespace {

// ---------------------------------------------------------------- stream rules
// One MPEG-1 stereo frame (44.1 kHz, 1152 samples) followed by an ID3v1 tag.
Bytes one_frame() { return read_file(kVectors + "l3-nonstandard-id3v1.bit"); }

VX_MP3* open_bytes(const Bytes& b, int mode, VX_MP3_FORMAT f) { return vx_mp3_open_memory(b.data(), b.size(), mode, &f); }

TEST_F(Mp3Test, BadArgumentsGiveNoStream) {
  Bytes b = one_frame();
  const VX_MP3_FORMAT bad[] = {{12, 2, 44100}, {0, 2, 44100}, {16, 0, 44100}, {16, 3, 44100}, {8, 1, 0}, {16, 2, -5}};
  for (const VX_MP3_FORMAT& f : bad) EXPECT_EQ(open_bytes(b, 0, f), nullptr) << f.bits << " " << f.channels << " " << f.rate;
  EXPECT_EQ(vx_mp3_open("no such file.mp3", 0, nullptr), nullptr);
  VX_MP3_FORMAT ok{16, 2, 44100};
  EXPECT_EQ(vx_mp3_open("no such file.mp3", 3, &ok), nullptr);
  Bytes no_frames = read_file(kVectors + "l3-nonstandard-id3v2-only.bit");
  EXPECT_EQ(open_bytes(no_frames, 0, ok), nullptr);
  EXPECT_EQ(open_bytes(Bytes(5, 0xFF), 0, ok), nullptr);
}

// The end of a stream without the loop bit: one pass, then silence of the
// format's kind, result 0. With the loop bit the pass comes again and again,
// sample for sample, across calls (each pass starts from a cleared decoder
// and rate converter).
TEST_F(Mp3Test, EndSilenceAndLoop) {
  Bytes b = one_frame();  // 1152 samples of mono at 48 kHz
  struct Case {
    int bits, rate;
    size_t pass;  // output frames of one pass
  };
  // At 44.1 kHz the 1152 samples span 1058.4 output frames and the last
  // output frame falls on the last sample: 1059.
  const Case cases[] = {{16, 48000, 1152}, {8, 48000, 1152}, {16, 44100, 1059}, {8, 44100, 1059}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits at " << c.rate);
    VX_MP3_FORMAT f{c.bits, 2, c.rate};
    size_t pass = c.pass * 2 * size_t(c.bits / 8), bytes = 3 * pass + pass / 2;
    std::vector<uint8_t> once(bytes, 0x55), looped(bytes, 0x55);
    VX_MP3* s = open_bytes(b, 0, f);
    EXPECT_EQ(vx_mp3_decode(s, once.data(), long(bytes)), 0);
    EXPECT_EQ(vx_mp3_decode(s, once.data(), 4), 0);  // stays ended
    vx_mp3_close(s);
    s = open_bytes(b, 0, f);
    vx_mp3_decode(s, once.data(), long(bytes));
    vx_mp3_close(s);
    uint8_t quiet = c.bits == 16 ? 0 : 128;
    EXPECT_TRUE(std::all_of(once.begin() + long(pass), once.end(), [&](uint8_t x) { return x == quiet; }));
    EXPECT_FALSE(std::all_of(once.begin(), once.begin() + long(pass), [&](uint8_t x) { return x == quiet; }));
    s = open_bytes(b, VX_MP3_LOOP, f);
    for (size_t at = 0, step = 1000; at < bytes; at += step)
      EXPECT_EQ(vx_mp3_decode(s, looped.data() + at, long(std::min(step, bytes - at))), 1);
    vx_mp3_close(s);
    size_t differ = 0;
    for (size_t i = 0; i < bytes; i++) differ += looped[i] != once[i % pass];
    EXPECT_EQ(differ, 0u);
  }
}

// Gains, pan, channel mixing and the 8-bit rule, each against the plain
// 16-bit stereo output of the same file.
TEST_F(Mp3Test, GainPanChannelsAndEightBits) {
  Bytes b = read_file(kVectors + "l3-test46.bit");  // stereo, 22.05 kHz
  const size_t n = 4000;
  auto run = [&](VX_MP3_FORMAT f, int gain, int pan) {
    VX_MP3* s = open_bytes(b, 0, f);
    vx_mp3_gain(s, gain);
    vx_mp3_pan(s, pan);
    std::vector<uint8_t> out(n * size_t(f.channels * f.bits / 8));
    vx_mp3_decode(s, out.data(), long(out.size()));
    vx_mp3_close(s);
    return out;
  };
  auto s16 = [](const std::vector<uint8_t>& o, size_t i) { return int(int16_t(o[2 * i] | o[2 * i + 1] << 8)); };
  std::vector<uint8_t> plain = run({16, 2, 22050}, 100, 0);
  struct Case {
    const char* what;
    VX_MP3_FORMAT f;
    int gain, pan;
    double left, right;  // expected factors on the plain left and right
  };
  const Case cases[] = {
      {"half gain", {16, 2, 22050}, 50, 0, 0.5, 0.5},
      {"pan right halves the left", {16, 2, 22050}, 100, 50, 0.5, 1},
      {"pan full left silences the right", {16, 2, 22050}, 100, -100, 1, 0},
      {"pan with gain", {16, 2, 22050}, 40, -25, 0.4, 0.3},
      {"pan clamped", {16, 2, 22050}, 100, 300, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> o = run(c.f, c.gain, c.pan);
    for (size_t i = 0; i < n; i++) {
      EXPECT_NEAR(s16(o, 2 * i), s16(plain, 2 * i) * c.left, 1.0);
      EXPECT_NEAR(s16(o, 2 * i + 1), s16(plain, 2 * i + 1) * c.right, 1.0);
    }
  }
  std::vector<uint8_t> mono = run({16, 1, 22050}, 100, 0), eight = run({8, 2, 22050}, 100, 0);
  for (size_t i = 0; i < n; i++) {
    EXPECT_NEAR(s16(mono, i), (s16(plain, 2 * i) + s16(plain, 2 * i + 1)) / 2.0, 1.0);
    EXPECT_EQ(eight[2 * i], (s16(plain, 2 * i) + 32768) >> 8);
  }
}

TEST_F(Mp3Test, Id3v1TagKeptOrZero) {
  VX_MP3_FORMAT f{16, 2, 44100};
  Bytes with = one_frame(), without = read_file(kVectors + "l3-nonstandard-id3v2.bit");
  VX_MP3* s = open_bytes(with, 0, f);
  EXPECT_EQ(0, std::memcmp(vx_mp3_id3v1(s), with.data() + with.size() - 128, 128));
  vx_mp3_close(s);
  s = open_bytes(without, 0, f);
  const uint8_t* t = vx_mp3_id3v1(s);
  EXPECT_TRUE(std::all_of(t, t + 128, [](uint8_t x) { return x == 0; }));
  vx_mp3_close(s);
}

// Rate conversion keeps the pitch (a 1 kHz tone stays 1 kHz) and does not
// depend on how the output is cut into calls; the file and memory readers agree.
TEST_F(Mp3Test, ResamplingAndReaders) {
  std::string path = kVectors + "l3-sin1k0db.bit";
  Bytes b = read_file(path);
  for (int rate : {48000, 22050, 8000}) {
    SCOPED_TRACE(rate);
    VX_MP3_FORMAT f{16, 1, rate};
    VX_MP3* whole = open_bytes(b, 0, f);
    VX_MP3* file = vx_mp3_open(path.c_str(), 0, &f);
    ASSERT_NE(file, nullptr);
    std::vector<int16_t> a(static_cast<size_t>(rate)), c(static_cast<size_t>(rate));
    vx_mp3_decode(whole, a.data(), long(a.size() * 2));
    for (size_t at = 0, step = 1; at < c.size(); at += step, step = step % 997 + 113)
      vx_mp3_decode(file, c.data() + at, long(std::min(step, c.size() - at) * 2));
    vx_mp3_close(whole);
    vx_mp3_close(file);
    EXPECT_TRUE(a == c);
    int crossings = 0;  // over the second half of the second: 500 periods, 1000 crossings
    for (size_t i = a.size() / 2; i + 1 < a.size(); i++) crossings += (a[i] < 0) != (a[i + 1] < 0);
    EXPECT_NEAR(crossings, 1000, 4);
  }
}

}  // namespace
