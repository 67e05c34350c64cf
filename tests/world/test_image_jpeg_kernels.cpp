// JPEG decoder kernels: the integer inverse DCT, the upsampling filters and the YCbCr conversion against plain reference computations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "world/image/img_jpeg_color.h"
#include "world/image/img_jpeg_idct.h"

namespace {

using Block = std::array<uint8_t, 64>;

struct alignas(16) Coefs {
  std::array<int16_t, 64> c;
};

// Runs vx_img_jpeg_idct (or the portable version) on a copy of `coef` and
// checks that it clears the block and leaves `q` alone.
Block idct(const Coefs& coef, const std::array<int16_t, 64>& q, bool portable = false) {
  Coefs work = coef;
  const std::array<int16_t, 64> q_before = q;
  Block out;
  out.fill(0xAA);
  if (portable) vx_img_jpeg_idct_portable(work.c.data(), q.data(), out.data(), 8);
  else vx_img_jpeg_idct(work.c.data(), q.data(), out.data(), 8);
  for (int16_t v : work.c) EXPECT_EQ(v, 0);
  EXPECT_EQ(q, q_before);
  return out;
}

std::array<int16_t, 64> flat_q(int16_t v) {
  std::array<int16_t, 64> q;
  q.fill(v);
  return q;
}

// The inverse DCT of T.81 A.3.3 in double precision: samples of the
// dequantised coefficients F[v * 8 + u], level-shifted, rounded, clamped.
std::array<double, 64> reference_idct(const std::array<int, 64>& f) {
  std::array<double, 64> s;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) {
      double sum = 0;
      for (int v = 0; v < 8; v++)
        for (int u = 0; u < 8; u++) {
          const double cu = u ? 1 : M_SQRT1_2, cv = v ? 1 : M_SQRT1_2;
          sum += cu * cv * f[size_t(v * 8 + u)] * std::cos((2 * x + 1) * u * M_PI / 16) *
                 std::cos((2 * y + 1) * v * M_PI / 16);
        }
      s[size_t(y * 8 + x)] = std::clamp(sum / 4 + 128, 0.0, 255.0);
    }
  return s;
}

// ---------------------------------------------------------------- inverse DCT
TEST(JpegIdct, WithinOneLevelOfTheExactTransform) {
  // Blocks as encoders make them: a DC level and a few low-frequency terms.
  std::mt19937 rng(7);
  for (int n = 0; n < 2000; n++) {
    Coefs coef = {};
    std::array<int, 64> f = {};
    const std::array<int16_t, 64> q = flat_q(int16_t(1 + rng() % 16));
    const int terms = 1 + int(rng() % 12);
    for (int t = 0; t < terms; t++) {
      const size_t k = t == 0 ? 0 : rng() % 64;
      coef.c[k] = int16_t(int(rng() % 121) - 60);
      f[k] = coef.c[k] * q[k];
    }
    const Block got = idct(coef, q);
    const std::array<double, 64> want = reference_idct(f);
    for (size_t i = 0; i < 64; i++) ASSERT_LE(std::abs(got[i] - want[i]), 1.0) << "block " << n << " sample " << i;
  }
}

TEST(JpegIdct, VectorAndPortableVersionsAgreeBitForBit) {
  // Whole 16-bit range and large steps included: saturation paths too.
  std::mt19937 rng(11);
  for (int n = 0; n < 5000; n++) {
    Coefs coef = {};
    std::array<int16_t, 64> q;
    const int range = n % 3 == 0 ? 65536 : n % 3 == 1 ? 2048 : 64;
    for (size_t k = 0; k < 64; k++) {
      coef.c[k] = rng() % 3 ? int16_t(0) : int16_t(int(rng() % unsigned(range)) - range / 2);
      q[k] = int16_t(n % 5 == 0 ? 32767 : 1 + rng() % 255);
    }
    ASSERT_EQ(idct(coef, q), idct(coef, q, true)) << "block " << n;
  }
  Coefs extreme;
  for (int16_t v : {int16_t(-32768), int16_t(32767)}) {
    extreme.c.fill(v);
    EXPECT_EQ(idct(extreme, flat_q(32767)), idct(extreme, flat_q(32767), true));
  }
}

// ---------------------------------------------------------------- colour conversion
uint8_t clamp255(int v) { return uint8_t(std::clamp(v, 0, 255)); }

TEST(JpegColour, EveryYCbCrTripleFollowsTheJfifFormulas) {
  // All 2^24 inputs: the vector code splits the multiplications.
  std::vector<uint8_t> y(256), cb(256), cr(256), rgb(256 * 3 + 16);
  for (int i = 0; i < 256; i++) cr[size_t(i)] = uint8_t(i);
  for (int Y = 0; Y < 256; Y++)
    for (int Cb = 0; Cb < 256; Cb++) {
      std::fill(y.begin(), y.end(), uint8_t(Y));
      std::fill(cb.begin(), cb.end(), uint8_t(Cb));
      vx_img_jpeg_ycc_rgb(y.data(), cb.data(), cr.data(), rgb.data(), 256);
      for (int Cr = 0; Cr < 256; Cr++) {
        const uint8_t* p = &rgb[size_t(Cr) * 3];
        ASSERT_EQ(p[0], clamp255(Y + (((Cr - 128) * 91881) >> 16))) << Y << " " << Cb << " " << Cr;
        ASSERT_EQ(p[1], clamp255(Y - ((Cb * 22554 + Cr * 46802 - 8877568) >> 16))) << Y << " " << Cb << " " << Cr;
        ASSERT_EQ(p[2], clamp255(Y + (((Cb - 128) * 116130) >> 16))) << Y << " " << Cb << " " << Cr;
      }
    }
}

// ---------------------------------------------------------------- upsampling
// A plane of random samples in whole 8 x 8 blocks, for a picture of
// `pw` x `ph` pixels.
struct TestPlane {
  std::vector<uint8_t> samples;
  VX_JPEG_PLANE p;
};

TestPlane make_plane(int pw, int ph, int h, int v, int hmax, int vmax, std::mt19937& rng) {
  TestPlane t;
  const int cw = (pw * h + hmax - 1) / hmax, ch = (ph * v + vmax - 1) / vmax;
  const size_t stride = size_t((cw + 7) / 8 * 8), rows = size_t((ch + 7) / 8 * 8);
  t.samples.resize(stride * rows);
  for (uint8_t& s : t.samples) s = uint8_t(rng());
  t.p = {t.samples.data(), stride, 0, h, v, hmax, vmax, cw, ch};
  return t;
}

// The filter of one direction at output position `i` of a halved side of
// `n` samples: 3/4 of the nearer sample and 1/4 of the next one beyond it.
double tri(const std::vector<double>& s, int i) {
  const int n = int(s.size()), near = i / 2;
  const int far = i & 1 ? std::min(near + 1, n - 1) : std::max(near - 1, 0);
  return (3 * s[size_t(near)] + s[size_t(far)]) / 4;
}

// Row `y` of the picture from plane `t` as the filters' definition gives it,
// exactly (the decoder's integers round it either way).
std::vector<double> reference_row(const TestPlane& t, int y, int pw) {
  const VX_JPEG_PLANE& p = t.p;
  const int fh = p.hmax / p.h, fv = p.vmax / p.v;
  auto at = [&](int r, int c) { return double(t.samples[size_t(r) * p.stride + size_t(c)]); };
  std::vector<double> out(static_cast<size_t>(pw));
  const bool fancy = p.hmax % p.h == 0 && p.vmax % p.v == 0 && fh <= 2 && fv <= 2 && !(fh == 2 && p.width <= 2);
  if (!fancy) {
    for (int x = 0; x < pw; x++) out[size_t(x)] = at(y * p.v / p.vmax, x * p.h / p.hmax);
    return out;
  }
  std::vector<double> col(size_t(p.width));
  for (int c = 0; c < p.width; c++) {
    if (fv == 1) {
      col[size_t(c)] = at(y, c);
    } else {
      std::vector<double> down(size_t(p.height));
      for (int r = 0; r < p.height; r++) down[size_t(r)] = at(r, c);
      col[size_t(c)] = tri(down, y);
    }
  }
  for (int x = 0; x < pw; x++) out[size_t(x)] = fh == 1 ? col[size_t(x)] : tri(col, x);
  return out;
}

const uint8_t* plane_row(const VX_JPEG_PLANE& p, int y, int pw, std::vector<uint16_t>& work, std::vector<uint8_t>& out) {
  work.assign(size_t(p.width) + VX_JPEG_ROW_SLACK, 0);
  out.assign(size_t(pw) + VX_JPEG_ROW_SLACK, 0);
  return vx_img_jpeg_plane_row(&p, y, pw, work.data(), out.data());
}

TEST(JpegUpsample, HalvedPlanesFollowTheTriangleFilter) {
  std::mt19937 rng(5);
  struct Layout {
    int h, v, hmax, vmax;
  };
  // 4:2:0, 4:2:2, 4:4:0 chroma; full size; and ratios that repeat samples.
  const Layout layouts[] = {{1, 1, 2, 2}, {1, 1, 2, 1}, {1, 1, 1, 2}, {1, 1, 1, 1}, {1, 1, 4, 1}, {1, 2, 4, 4}, {2, 1, 3, 1}};
  std::vector<uint16_t> work;
  std::vector<uint8_t> out;
  for (const Layout& l : layouts)
    for (int pw = 1; pw <= 37; pw += 3)
      for (int ph : {1, 2, 5, 17}) {
        SCOPED_TRACE(testing::Message() << l.h << "x" << l.v << " of " << l.hmax << "x" << l.vmax << ", " << pw << " x " << ph);
        const TestPlane t = make_plane(pw, ph, l.h, l.v, l.hmax, l.vmax, rng);
        const std::vector<uint8_t> before = t.samples;
        for (int y = 0; y < ph; y++) {
          const uint8_t* got = plane_row(t.p, y, pw, work, out);
          const std::vector<double> want = reference_row(t, y, pw);
          for (int x = 0; x < pw; x++)
            ASSERT_TRUE(got[x] == std::floor(want[size_t(x)]) || got[x] == std::ceil(want[size_t(x)]))
                << "row " << y << " column " << x << ": " << int(got[x]) << " for " << want[size_t(x)];
        }
        EXPECT_EQ(t.samples, before);
      }
}

}  // namespace
