// Layer III frames: header, side information, the bit reservoir, scale factors, and the run of one frame through every stage.
#include <cstring>

#include "sound/vx_mp3_dec.h"

namespace {

// kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; index 0 is free format, 15 is refused.
constexpr int16_t BITRATES[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};
constexpr int RATES[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

// Scale-factor bands by sampling frequency (the lower frequencies have
// their own partition; MPEG-2.5's 11.025 and 12 kHz reuse MPEG-2's 22.05 kHz
// one and 8 kHz has its own).
constexpr VX_MP3_BANDS BANDS[9] = {
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 12, 24, 36, 48, 60, 72, 88, 108, 132, 160, 192, 232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
     {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192}},
};

// MPEG-1 scale factor lengths by scalefac_compress.
constexpr uint8_t SLEN[2][16] = {{0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
                                 {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};

// Lower frequencies: scale factors per partition, by [scheme][long, short,
// mixed][partition]; schemes 3 to 5 serve the right channel of intensity stereo.
constexpr uint8_t LSF_COUNTS[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},   {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}}, {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}}, {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

// Reads the side information after the header (and check word). 1, or 0
// when a field holds a value the format forbids.
int read_side_info(const VX_MP3_HEADER* h, VX_MP3_BITS* b, VX_MP3_SIDE_INFO* si) {
  int lsf = h->version != 1;
  int nch = h->channels;
  si->main_data_begin = int(vx_mp3_bits(b, lsf ? 8 : 9));
  vx_mp3_bits(b, lsf ? nch : (nch == 1 ? 5 : 3));  // private bits
  std::memset(si->scfsi, 0, sizeof si->scfsi);
  if (!lsf)
    for (int ch = 0; ch < nch; ch++)
      for (int g = 0; g < 4; g++) si->scfsi[ch][g] = int(vx_mp3_bits(b, 1));
  const VX_MP3_BANDS* bands = vx_mp3_bands(h->rate_index);
  for (int gr = 0; gr < (lsf ? 1 : 2); gr++) {
    for (int ch = 0; ch < nch; ch++) {
      VX_MP3_GRANULE_INFO* gi = &si->gr[gr][ch];
      gi->part23_length = int(vx_mp3_bits(b, 12));
      gi->big_values = int(vx_mp3_bits(b, 9));
      gi->global_gain = int(vx_mp3_bits(b, 8));
      gi->scalefac_compress = int(vx_mp3_bits(b, lsf ? 9 : 4));
      if (gi->big_values > VX_MP3_GRANULE / 2) return 0;
      if (vx_mp3_bits(b, 1)) {  // window switching
        gi->block_type = int(vx_mp3_bits(b, 2));
        gi->mixed = int(vx_mp3_bits(b, 1));
        if (gi->block_type == 0) return 0;
        for (int r = 0; r < 2; r++) gi->table_select[r] = int(vx_mp3_bits(b, 5));
        gi->table_select[2] = 0;
        for (int w = 0; w < 3; w++) gi->subblock_gain[w] = int(vx_mp3_bits(b, 3));
        // Region 0 covers the first 8 long bands' lines (36 at the higher
        // frequencies) or 3 short bands; region 1 the rest.
        gi->region1_start = gi->block_type == 2 && !gi->mixed ? bands->s[3] * 3 : bands->l[8];
        gi->region2_start = VX_MP3_GRANULE;
      } else {
        gi->block_type = 0;
        gi->mixed = 0;
        for (int r = 0; r < 3; r++) gi->table_select[r] = int(vx_mp3_bits(b, 5));
        for (int w = 0; w < 3; w++) gi->subblock_gain[w] = 0;
        int r0 = int(vx_mp3_bits(b, 4));
        int r1 = int(vx_mp3_bits(b, 3));
        int b1 = r0 + 1, b2 = r0 + r1 + 2;
        gi->region1_start = bands->l[b1 < 22 ? b1 : 22];
        gi->region2_start = bands->l[b2 < 22 ? b2 : 22];
      }
      gi->preflag = lsf ? 0 : int(vx_mp3_bits(b, 1));
      gi->scalefac_scale = int(vx_mp3_bits(b, 1));
      gi->count1_table = int(vx_mp3_bits(b, 1));
    }
  }
  return 1;
}

// MPEG-1 scale factors of granule `gr`, channel `ch` (granule 1 keeps
// granule 0's bands where scfsi says so).
void read_scalefactors(VX_MP3_BITS* b, const VX_MP3_SIDE_INFO* si, int gr, int ch, VX_MP3_SCALEFACTORS* sf) {
  const VX_MP3_GRANULE_INFO* gi = &si->gr[gr][ch];
  int slen1 = SLEN[0][gi->scalefac_compress], slen2 = SLEN[1][gi->scalefac_compress];
  if (gi->block_type == 2) {
    int first = 0;
    if (gi->mixed) {
      for (int sfb = 0; sfb < 8; sfb++) sf->l[sfb] = uint8_t(vx_mp3_bits(b, slen1));
      first = 3;
    }
    for (int sfb = first; sfb < 12; sfb++)
      for (int w = 0; w < 3; w++) sf->s[sfb][w] = uint8_t(vx_mp3_bits(b, sfb < 6 ? slen1 : slen2));
    for (int w = 0; w < 3; w++) sf->s[12][w] = 0;
    return;
  }
  constexpr int GROUP_START[5] = {0, 6, 11, 16, 21};
  for (int g = 0; g < 4; g++) {
    if (gr == 1 && si->scfsi[ch][g]) continue;
    for (int sfb = GROUP_START[g]; sfb < GROUP_START[g + 1]; sfb++)
      sf->l[sfb] = uint8_t(vx_mp3_bits(b, g < 2 ? slen1 : slen2));
  }
  sf->l[21] = sf->l[22] = 0;
}

// Scale factors of the lower frequencies. `is_right`: the right channel of
// an intensity-stereo frame, whose scale factors are intensity positions.
void read_scalefactors_lsf(VX_MP3_BITS* b, VX_MP3_GRANULE_INFO* gi, int is_right, VX_MP3_SCALEFACTORS* sf) {
  int sfc = gi->scalefac_compress;
  int slen[4] = {0, 0, 0, 0};
  int scheme;
  if (!is_right) {
    if (sfc < 400) {
      slen[0] = (sfc >> 4) / 5, slen[1] = (sfc >> 4) % 5, slen[2] = (sfc & 15) >> 2, slen[3] = sfc & 3;
      scheme = 0;
    } else if (sfc < 500) {
      sfc -= 400;
      slen[0] = (sfc >> 2) / 5, slen[1] = (sfc >> 2) % 5, slen[2] = sfc & 3;
      scheme = 1;
    } else {
      sfc -= 500;
      slen[0] = sfc / 3, slen[1] = sfc % 3;
      gi->preflag = 1;
      scheme = 2;
    }
  } else {
    sfc >>= 1;  // the low bit is the intensity scale
    if (sfc < 180) {
      slen[0] = sfc / 36, slen[1] = (sfc % 36) / 6, slen[2] = sfc % 6;
      scheme = 3;
    } else if (sfc < 244) {
      sfc -= 180;
      slen[0] = (sfc & 63) >> 4, slen[1] = (sfc & 15) >> 2, slen[2] = sfc & 3;
      scheme = 4;
    } else {
      sfc -= 244;
      slen[0] = sfc / 3, slen[1] = sfc % 3;
      scheme = 5;
    }
  }
  int kind = gi->block_type == 2 ? (gi->mixed ? 2 : 1) : 0;
  std::memset(sf, 0, sizeof *sf);
  int k = 0;
  for (int p = 0; p < 4; p++) {
    int max = (1 << slen[p]) - 1;
    for (int n = 0; n < LSF_COUNTS[scheme][kind][p]; n++, k++) {
      uint8_t v = uint8_t(vx_mp3_bits(b, slen[p]));
      if (kind == 0 || (kind == 2 && k < 6)) {
        sf->l[k] = v;
        sf->l_max[k] = uint8_t(max);
      } else {
        int j = kind == 2 ? k - 6 + 9 : k;  // mixed: short bands from band 3
        sf->s[j / 3][j % 3] = v;
        sf->s_max[j / 3] = uint8_t(max);
      }
    }
  }
}

}  // namespace

const VX_MP3_BANDS* vx_mp3_bands(int rate_index) { return &BANDS[rate_index]; }

int vx_mp3_header(const uint8_t* p, VX_MP3_HEADER* h) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
  int version_bits = p[1] >> 3 & 3;
  int layer_bits = p[1] >> 1 & 3;
  int bitrate_index = p[2] >> 4;
  int rate_bits = p[2] >> 2 & 3;
  if (version_bits == 1 || layer_bits == 0 || bitrate_index == 15 || rate_bits == 3) return 0;
  h->version = version_bits == 3 ? 1 : version_bits == 2 ? 2 : 3;
  h->layer = 4 - layer_bits;
  h->crc = !(p[1] & 1);
  h->rate_index = (h->version - 1) * 3 + rate_bits;
  h->rate = RATES[h->rate_index];
  h->bitrate = BITRATES[h->version == 1 ? 0 : 1][h->layer - 1][bitrate_index];
  h->padding = p[2] >> 1 & 1;
  h->mode = p[3] >> 6;
  h->mode_ext = p[3] >> 4 & 3;
  h->channels = h->mode == 3 ? 1 : 2;
  if (h->layer == 1) {
    h->samples = 384;
    h->frame_bytes = h->bitrate ? (12000 * h->bitrate / h->rate + h->padding) * 4 : 0;
  } else {
    int lsf_l3 = h->layer == 3 && h->version != 1;
    h->samples = lsf_l3 ? 576 : 1152;
    h->frame_bytes = h->bitrate ? (lsf_l3 ? 72000 : 144000) * h->bitrate / h->rate + h->padding : 0;
  }
  return 1;
}

int vx_mp3_side_info_bytes(const VX_MP3_HEADER* h) {
  if (h->version == 1) return h->channels == 1 ? 17 : 32;
  return h->channels == 1 ? 9 : 17;
}

void vx_mp3_decoder_reset(VX_MP3_DECODER* d) { std::memset(d, 0, sizeof *d); }

int vx_mp3_decode_frame(VX_MP3_DECODER* d, const VX_MP3_HEADER* h, const uint8_t* frame, size_t size,
                        int16_t* pcm) {
  if (h->layer != 3) return 0;
  size_t head = 4 + (h->crc ? 2 : 0);
  size_t side = size_t(vx_mp3_side_info_bytes(h));
  if (size < head + side || size > VX_MP3_MAX_FRAME_BYTES) return 0;
  int nch = h->channels;
  std::memset(pcm, 0, sizeof(int16_t) * size_t(h->samples * nch));

  // Side information, read from a padded copy so the reader stays inside.
  uint8_t side_copy[32 + 8] = {};
  std::memcpy(side_copy, frame + head, side);
  VX_MP3_BITS sb{side_copy, 0, side * 8};
  VX_MP3_SIDE_INFO si;
  int side_ok = read_side_info(h, &sb, &si);

  // The reservoir: this frame's main data goes after what earlier frames
  // left; the frame's own main data start main_data_begin bytes before it.
  size_t main_bytes = size - head - side;
  int kept = d->reservoir_bytes;
  std::memcpy(d->reservoir + kept, frame + head + side, main_bytes);
  int total = kept + int(main_bytes);
  std::memset(d->reservoir + total, 0, 16);
  int usable = side_ok && si.main_data_begin <= kept;

  if (usable) {
    const VX_MP3_BANDS* bands = vx_mp3_bands(h->rate_index);
    VX_MP3_BITS b{d->reservoir + (kept - si.main_data_begin), 0,
                  size_t(si.main_data_begin + int(main_bytes)) * 8};
    float(*xr)[VX_MP3_GRANULE] = d->xr;
    int lsf = h->version != 1;
    for (int gr = 0; gr < (lsf ? 1 : 2); gr++) {
      int nonzero[2] = {0, 0};
      for (int ch = 0; ch < nch; ch++) {
        VX_MP3_GRANULE_INFO* gi = &si.gr[gr][ch];
        size_t start = b.pos;
        if (lsf)
          read_scalefactors_lsf(&b, gi, ch == 1 && h->mode == 1 && (h->mode_ext & 1), &d->sf[ch]);
        else
          read_scalefactors(&b, &si, gr, ch, &d->sf[ch]);
        size_t part3_end = start + size_t(gi->part23_length);
        if (part3_end > b.end) part3_end = b.end;
        if (b.pos > part3_end) b.pos = part3_end;
        nonzero[ch] = vx_mp3_huffman(&b, part3_end, gi, &d->sf[ch], bands, xr[ch]);
        b.pos = start + size_t(gi->part23_length);
        if (b.pos > b.end) b.pos = b.end;
      }
      if (nch == 2 && h->mode == 1 && h->mode_ext) vx_mp3_stereo(h, si.gr[gr], &d->sf[1], bands, xr, nonzero);
      for (int ch = 0; ch < nch; ch++) {
        vx_mp3_hybrid(&si.gr[gr][ch], h->rate_index, xr[ch], nonzero[ch], d->overlap[ch], &d->overlap_subbands[ch],
                      d->slots);
        vx_mp3_synth(d, ch, d->slots, pcm + gr * VX_MP3_GRANULE * nch + ch, nch);
      }
    }
  }
  // Keep the last 511 bytes for the next frame's main_data_begin.
  int keep = total < 511 ? total : 511;
  std::memmove(d->reservoir, d->reservoir + total - keep, size_t(keep));
  d->reservoir_bytes = keep;
  return usable || !side_ok ? h->samples : 0;  // damaged side information: silence of the frame's length
}
