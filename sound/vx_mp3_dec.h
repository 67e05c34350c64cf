// The MPEG audio Layer III frame decoder shared by the MP3 stream's stages: frame header, side information, decoder state.
//
// One frame in, 16-bit PCM out. MPEG-1 (two granules of 576 samples per
// channel), MPEG-2 and MPEG-2.5 (one granule: the lower sampling frequencies).
// Layers I and II are recognised by the header parser and refused by the
// frame decoder. The stages run in float; every array here has a fixed size,
// so a damaged frame can give wrong sound but never a read or write outside
// the decoder's own record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr int VX_MP3_GRANULE = 576;            // spectral lines / samples per granule and channel
constexpr int VX_MP3_MAX_FRAME_SAMPLES = 1152;  // samples per channel of one frame (MPEG-1)
constexpr int VX_MP3_MAX_FRAME_BYTES = 2881;    // MPEG-1 at 8 kHz free format tops at 2880 + padding
// The bit reservoir: main_data_begin reaches back at most 511 bytes; the
// current frame adds at most a frame's worth.
constexpr int VX_MP3_RESERVOIR = 511 + VX_MP3_MAX_FRAME_BYTES + 16;  // + zero bytes the readers may peek at
// Subband samples of a granule are kept by subband, 18 time slots each,
// padded to 20 so that the synthesis can take them 4 slots at a time (the
// padding stays zero).
constexpr int VX_MP3_SLOT_ROW = 20;
// The synthesis history, by value (33 per slot) and then by slot: the 16
// slots before the granule, then the granule's own (padded as above).
constexpr int VX_MP3_SYNTH_HISTORY = 16;
constexpr int VX_MP3_SYNTH_ROW = VX_MP3_SYNTH_HISTORY + VX_MP3_SLOT_ROW;

struct VX_MP3_HEADER {
  int version;      // 1 = MPEG-1, 2 = MPEG-2, 3 = MPEG-2.5
  int layer;        // 1, 2 or 3
  int crc;          // 1 when a 16-bit check word follows the header
  int bitrate;      // kbit/s; 0 = free format
  int rate;         // sampling frequency, Hz
  int rate_index;   // 0..8: 44.1, 48, 32, 22.05, 24, 16, 11.025, 12, 8 kHz
  int padding;      // 0 or 1 (slot)
  int mode;         // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int mode_ext;     // joint stereo: bit 0 intensity, bit 1 middle/side
  int channels;     // 1 or 2
  int frame_bytes;  // the whole frame, header included; 0 for free format
  int samples;      // samples per channel in the frame (1152, or 576 at the lower frequencies)
};

// Side information of one granule of one channel.
struct VX_MP3_GRANULE_INFO {
  int part23_length;      // bits of scale factors plus Huffman data
  int big_values;         // pairs in the big-value regions
  int global_gain;
  int scalefac_compress;  // 4 bits (MPEG-1) or 9 bits (lower frequencies)
  int block_type;         // 0 normal, 1 start, 2 short, 3 stop
  int mixed;              // short block whose two lowest subbands are long
  int table_select[3];
  int subblock_gain[3];
  int region1_start;      // first spectral line of region 1
  int region2_start;      // first spectral line of region 2
  int preflag;
  int scalefac_scale;
  int count1_table;       // 0 table A, 1 table B
};

struct VX_MP3_SIDE_INFO {
  int main_data_begin;  // bytes of earlier frames' data this frame starts with
  int scfsi[2][4];      // MPEG-1: scale factors of granule 0 reused in granule 1, per band group
  VX_MP3_GRANULE_INFO gr[2][2];  // [granule][channel]
};

// Scale factors of one granule and channel.
struct VX_MP3_SCALEFACTORS {
  uint8_t l[23];     // long blocks, per band (22 used)
  uint8_t s[13][3];  // short blocks, per band and window
  // Lower frequencies, right channel of intensity stereo: the largest value
  // each band can hold (the "illegal position" that switches the band off).
  uint8_t l_max[23];
  uint8_t s_max[13];
};

// Everything a stream keeps from frame to frame. Cleared (all zero) by
// vx_mp3_decoder_reset; a new stream or a rewind starts from there.
struct VX_MP3_DECODER {
  uint8_t reservoir[VX_MP3_RESERVOIR];
  int reservoir_bytes;                 // main data kept from earlier frames
  VX_MP3_SCALEFACTORS sf[2];           // last granule's scale factors, per channel (scfsi)
  float overlap[2][VX_MP3_GRANULE];    // second half of each subband's last IMDCT output, [slot][subband]
  int overlap_subbands[2];             // the overlap is zero from this subband up
  float synth[2][33][VX_MP3_SYNTH_ROW];  // polyphase history per channel: [value][slot]
  float xr[2][VX_MP3_GRANULE];         // work space of one granule: spectral lines
  float slots[32][VX_MP3_SLOT_ROW];    // work space: one channel's subband samples [subband][slot]
};

// Parses the 4 header bytes at `p`. 1 when they form a valid MPEG audio
// header of any layer (reserved values refused), else 0.
int vx_mp3_header(const uint8_t* p, VX_MP3_HEADER* h);
// Bytes of the side information of a Layer III frame with this header.
int vx_mp3_side_info_bytes(const VX_MP3_HEADER* h);

void vx_mp3_decoder_reset(VX_MP3_DECODER* d);
// Decodes one Layer III frame of `size` bytes (header included) into
// interleaved 16-bit samples (h->channels per sample time). Returns the
// samples per channel written (h->samples), or 0 when nothing came out: the
// frame is not Layer III, is too short for its side information, or its
// main data reach back further than the reservoir holds (the first frames
// after a cut or a rewind; such a frame still feeds the reservoir). A frame
// whose side information holds forbidden values gives silence.
int vx_mp3_decode_frame(VX_MP3_DECODER* d, const VX_MP3_HEADER* h, const uint8_t* frame, size_t size,
                        int16_t* pcm);

// ---------------------------------------------------------------- stages (one .cpp each)
// Four floats worked on together: the compiler's vector type (SSE on x86,
// NEON on ARM, plain floats elsewhere). Loads and stores go through memcpy,
// as the decoder's records need not be 16-byte aligned.
typedef float VX_MP3_V4 __attribute__((vector_size(16)));
typedef int32_t VX_MP3_I4 __attribute__((vector_size(16)));
inline VX_MP3_V4 vx_mp3_load4(const float* p) {
  VX_MP3_V4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void vx_mp3_store4(float* p, VX_MP3_V4 v) { std::memcpy(p, &v, sizeof v); }
// v clamped to the 16-bit range and rounded to a whole number (ties to
// even), still as floats; a NaN gives -32768.
inline VX_MP3_V4 vx_mp3_round16(VX_MP3_V4 v) {
  v = v > -32768.0f ? v : -32768.0f;
  v = v < 32767.0f ? v : 32767.0f;
  return (v + 12582912.0f) - 12582912.0f;  // 1.5 x 2^23: the sum keeps no fraction
}

// A bit reader over a buffer that has 8 readable zero bytes past `end`.
struct VX_MP3_BITS {
  const uint8_t* data;
  size_t pos;  // bit position
  size_t end;  // bit position of the end of the valid data
};
inline uint32_t vx_mp3_bits(VX_MP3_BITS* b, int n) {  // n in 0..24
  if (n == 0) return 0;
  const uint8_t* p = b->data + (b->pos >> 3);
  uint32_t w = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  w = (w << (b->pos & 7)) >> (32 - n);
  b->pos += size_t(n);
  return w;
}

// Scale-factor band limits for one sampling frequency: spectral line of the
// start of each band (long: 23 entries, short: 14 entries per window).
struct VX_MP3_BANDS {
  int16_t l[23];
  int16_t s[14];
};
const VX_MP3_BANDS* vx_mp3_bands(int rate_index);

// Huffman decoding of one granule's spectral values and their
// requantisation into `xr` (576 lines, in bitstream order: short bands keep
// their window-by-window layout). Reads from `b` up to bit `part3_end`.
// Returns the number of lines that may be non-zero (the rest are zeroed).
int vx_mp3_huffman(VX_MP3_BITS* b, size_t part3_end, const VX_MP3_GRANULE_INFO* gi,
                   const VX_MP3_SCALEFACTORS* sf, const VX_MP3_BANDS* bands, float* xr);

// Joint stereo of one granule: middle/side and intensity, in place on the
// two channels' lines (bitstream order). `nonzero` are the counts from
// vx_mp3_huffman; both are raised to what the stereo step left non-zero.
void vx_mp3_stereo(const VX_MP3_HEADER* h, const VX_MP3_GRANULE_INFO* gi, const VX_MP3_SCALEFACTORS* sf_right,
                   const VX_MP3_BANDS* bands, float xr[2][VX_MP3_GRANULE], int nonzero[2]);

// Reorder of short blocks, antialiasing, IMDCT with its windows, overlap
// with the previous granule and the inversion of the odd subbands: from
// `xr` (bitstream order) to 32 subbands x 18 time slots in `out`.
// `overlap_subbands`: the overlap is zero from this subband up (updated).
void vx_mp3_hybrid(const VX_MP3_GRANULE_INFO* gi, int rate_index, float* xr, int nonzero, float* overlap,
                   int* overlap_subbands, float out[32][VX_MP3_SLOT_ROW]);

// Polyphase synthesis of 18 slots of 32 subband samples of channel `ch`
// into 16-bit samples written `stride` apart.
void vx_mp3_synth(VX_MP3_DECODER* d, int ch, const float in[32][VX_MP3_SLOT_ROW], int16_t* pcm, int stride);
