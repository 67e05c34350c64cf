// MP3 stream context: the reader (file or memory), tags, frame synchronisation, and the conversion into the caller's output format.
#include "sound/vx_mp3.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "sound/vx_mp3_dec.h"

namespace {

constexpr size_t IN_SIZE = 4 * VX_MP3_MAX_FRAME_BYTES + 4;  // room for a frame and the header after the next
constexpr uint64_t SAME_RATE = uint64_t(1) << 32;          // rate conversion step of 1 source frame
constexpr int BLOCK = 256;                                  // output frames converted at a time

struct VX_MP3_READER {
  VX_IO_FILE* file;     // file mode, else null
  const uint8_t* data;  // memory mode: the whole file
  uint8_t* owned;       // memory mode from vx_mp3_open: the block to free
  long start, end;      // the audio data: after ID3v2 tags, before the ID3v1 tag
  long pos;             // next byte to read
};

}  // namespace

struct VX_MP3 {
  VX_MP3_FORMAT format;
  float gain;
  int pan;
  float left, right;  // derived from gain and pan
  int loop;
  VX_MP3_READER reader;
  uint8_t id3v1[128];
  // Frame synchronisation: the first frame's version, layer and frequency.
  int lock_version, lock_layer, lock_rate_index, channels;
  int free_bytes;    // free-format streams: frame size without padding, once found
  int first_frame;   // the next frame is the first of a pass (may be a VBR tag)
  uint8_t in[IN_SIZE];
  size_t in_pos, in_len;
  int at_eof;
  // Decoded samples waiting for output, in the stream's channels.
  int16_t pcm[VX_MP3_MAX_FRAME_SAMPLES * 2];
  int pcm_count, pcm_pos;  // sample frames held, next to use
  // Rate conversion: the decoded samples as floats in the output's channels,
  // frame 0 the last frame of the block before (the frames 1..src_count the
  // current block), and the position of the next output frame among them.
  // At the same rate (step SAME_RATE) the source frames go out as they are.
  float src[2 * (VX_MP3_MAX_FRAME_SAMPLES + 1)];
  int src_count;
  uint64_t pos;      // 32.32 frames into src
  uint64_t step;     // 32.32 source frames per output frame
  int pass_ended;    // every sample of this pass given out
  int pass_samples;  // samples decoded since the last rewind
  VX_MP3_DECODER decoder;
};

namespace {

long reader_read(VX_MP3_READER* r, uint8_t* dst, long n) {
  if (n > r->end - r->pos) n = r->end - r->pos;
  if (n <= 0) return 0;
  long got;
  if (r->file) {
    got = long(vx_io_fread(dst, 1, size_t(n), r->file));
  } else {
    std::memcpy(dst, r->data + r->pos, size_t(n));
    got = n;
  }
  r->pos += got;
  return got;
}

void reader_seek(VX_MP3_READER* r, long pos) {
  r->pos = pos;
  if (r->file) vx_io_fseek(r->file, pos, SEEK_SET);
}

// Reads `n` bytes at `pos` into `dst` (for the tags); 1 when all came.
int reader_peek(VX_MP3_READER* r, long pos, uint8_t* dst, long n) {
  long keep_end = r->end;
  r->end = pos + n;
  reader_seek(r, pos);
  long got = reader_read(r, dst, n);
  r->end = keep_end;
  return got == n;
}

// Finds the audio data between the tags and keeps the ID3v1 tag.
void find_tags(VX_MP3* s, long size) {
  VX_MP3_READER* r = &s->reader;
  r->start = 0;
  r->end = size;
  uint8_t t[128];
  if (size >= 128 && reader_peek(r, size - 128, t, 128) && !std::memcmp(t, "TAG", 3)) {
    std::memcpy(s->id3v1, t, 128);
    r->end = size - 128;
  }
  // An APE tag before it: a 32-byte footer "APETAGEX", version, size (items
  // and footer), count, flags (bit 31: a 32-byte header as well).
  uint8_t a[32];
  if (r->end >= 32 && reader_peek(r, r->end - 32, a, 32) && !std::memcmp(a, "APETAGEX", 8)) {
    long tag = long(a[12] | a[13] << 8 | a[14] << 16 | uint32_t(a[15]) << 24) + (a[23] & 0x80 ? 32 : 0);
    if (tag >= 32 && tag <= r->end) r->end -= tag;
  }
  // ID3v2: "ID3", version, flags, size in four 7-bit bytes; a footer adds 10.
  for (;;) {
    uint8_t h[10];
    if (r->end - r->start < 10 || !reader_peek(r, r->start, h, 10) || std::memcmp(h, "ID3", 3)) break;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) break;
    long tag = 10 + (long(h[6]) << 21 | long(h[7]) << 14 | long(h[8]) << 7 | long(h[9])) + (h[5] & 0x10 ? 10 : 0);
    if (tag > r->end - r->start) tag = r->end - r->start;
    r->start += tag;
  }
  reader_seek(r, r->start);
}

// Keeps at least `want` bytes (or all that is left) in the input window.
void fill(VX_MP3* s, size_t want) {
  if (s->in_len - s->in_pos >= want || s->at_eof) return;
  std::memmove(s->in, s->in + s->in_pos, s->in_len - s->in_pos);
  s->in_len -= s->in_pos;
  s->in_pos = 0;
  long got = reader_read(&s->reader, s->in + s->in_len, long(IN_SIZE - s->in_len));
  s->in_len += size_t(got);
  if (s->in_len < IN_SIZE) s->at_eof = 1;
}

// A header that can continue the stream locked so far.
int header_fits(const VX_MP3* s, const VX_MP3_HEADER* h) {
  return h->version == s->lock_version && h->layer == s->lock_layer && h->rate_index == s->lock_rate_index;
}

// Size of the frame with header `h` at `p` (`avail` bytes there), or 0 when
// it cannot be told: a free-format frame whose follower is not in sight.
int frame_size(VX_MP3* s, const VX_MP3_HEADER* h, const uint8_t* p, size_t avail) {
  if (h->frame_bytes) return h->frame_bytes;
  if (s->free_bytes) return s->free_bytes + h->padding;
  // Free format: the next header with the same fixed fields gives the size.
  int slot = h->layer == 1 ? 4 : 1;
  for (size_t k = size_t(vx_mp3_side_info_bytes(h)) + 6; k + 4 <= avail && k <= VX_MP3_MAX_FRAME_BYTES; k++) {
    VX_MP3_HEADER n;
    if (p[k] != 0xFF || !vx_mp3_header(p + k, &n) || n.bitrate || n.version != h->version ||
        n.layer != h->layer || n.rate_index != h->rate_index)
      continue;
    s->free_bytes = int(k) - h->padding * slot;
    return int(k);
  }
  return 0;
}

// Finds the next frame. Until the stream is locked a frame only counts when
// the next header follows it (or the data end with it). Returns its size and
// its header in `h`, the frame at s->in + s->in_pos; 0 at the end.
int next_frame(VX_MP3* s, VX_MP3_HEADER* h) {
  for (;;) {
    fill(s, 2 * VX_MP3_MAX_FRAME_BYTES + 4);
    size_t avail = s->in_len - s->in_pos;
    if (avail < 4) return 0;
    const uint8_t* p = s->in + s->in_pos;
    if (p[0] != 0xFF || !vx_mp3_header(p, h) || (s->lock_layer && !header_fits(s, h))) {
      s->in_pos++;
      continue;
    }
    int size = frame_size(s, h, p, avail);
    if (size <= 0 || size > VX_MP3_MAX_FRAME_BYTES || size_t(size) > avail) {
      if (size > 0 && size <= VX_MP3_MAX_FRAME_BYTES && s->at_eof) return 0;  // cut off at the end
      s->in_pos++;
      continue;
    }
    // The next header must follow (a false sync inside frame data rarely
    // has one), except where the data end with this frame.
    if (size_t(size) != avail) {
      VX_MP3_HEADER n;
      if (size_t(size) + 4 > avail || !vx_mp3_header(p + size, &n) || n.version != h->version ||
          n.layer != h->layer || n.rate_index != h->rate_index) {
        s->free_bytes = 0;
        s->in_pos++;
        continue;
      }
    }
    return size;
  }
}

// A Xing / Info tag sits after the side information; VBRI 32 bytes after the header.
// A Xing tag counts only when the frame holds all the fields its flags announce.
int is_vbr_tag(const VX_MP3_HEADER* h, const uint8_t* p, int size) {
  int at = 4 + (h->crc ? 2 : 0) + vx_mp3_side_info_bytes(h);
  if (at + 8 <= size && (!std::memcmp(p + at, "Xing", 4) || !std::memcmp(p + at, "Info", 4))) {
    int flags = p[at + 7];
    return at + 8 + (flags & 1) * 4 + (flags & 2) * 2 + (flags & 4) * 25 + (flags & 8) / 2 <= size;
  }
  return 36 + 4 <= size && !std::memcmp(p + 36, "VBRI", 4);
}

void rewind_stream(VX_MP3* s) {
  reader_seek(&s->reader, s->reader.start);
  s->in_pos = s->in_len = 0;
  s->at_eof = 0;
  s->first_frame = 1;
  s->pcm_count = s->pcm_pos = 0;
  s->pass_samples = 0;
  s->pass_ended = 0;
  s->src_count = 0;
  s->pos = uint64_t(1) << 32;  // the first frame of the first block
  vx_mp3_decoder_reset(&s->decoder);
}

// Decodes frames until samples come; 0 at the end of the data.
int decode_more(VX_MP3* s) {
  for (;;) {
    VX_MP3_HEADER h;
    int size = next_frame(s, &h);
    if (!size) return 0;
    const uint8_t* p = s->in + s->in_pos;
    s->in_pos += size_t(size);
    int first = s->first_frame;
    s->first_frame = 0;
    if (h.layer != 3 || (first && is_vbr_tag(&h, p, size))) continue;
    int n = vx_mp3_decode_frame(&s->decoder, &h, p, size_t(size), s->pcm);
    if (n <= 0) continue;
    if (h.channels == 1 && s->channels == 2) {  // a mono frame in a stereo stream
      for (int i = n - 1; i >= 0; i--) s->pcm[2 * i] = s->pcm[2 * i + 1] = s->pcm[i];
    } else if (h.channels == 2 && s->channels == 1) {
      for (int i = 0; i < n; i++) s->pcm[i] = int16_t((s->pcm[2 * i] + s->pcm[2 * i + 1]) / 2);
    }
    s->pcm_count = n;
    s->pcm_pos = 0;
    s->pass_samples += n;
    return 1;
  }
}

void update_gains(VX_MP3* s) {
  float g = s->gain;
  if (s->pan >= 0) {
    s->left = float(100 - s->pan) / 100.0f * g;
    s->right = g;
  } else {
    s->left = g;
    s->right = float(s->pan + 100) / 100.0f * g;
  }
}

// Writes `n` output frames of float samples (output channels, with room
// for a multiple of 8 values) in the output format, with the channel gains.
// Whole runs of 8 so that the loops vectorise.
void emit(const VX_MP3* s, float* v, int n, void* out) {
  int nch = s->format.channels, count = n * nch, padded = (count + 7) & ~7;
  for (int j = count; j < padded; j++) v[j] = 0;
  float gl = nch == 2 ? s->left : (s->left + s->right) * 0.5f, gr = nch == 2 ? s->right : gl;
  const VX_MP3_V4 g = {gl, gr, gl, gr};
  for (int j = 0; j < padded; j += 4) vx_mp3_store4(v + j, vx_mp3_round16(vx_mp3_load4(v + j) * g));
  if (s->format.bits == 16) {
    int16_t o[2 * BLOCK];
    for (int j = 0; j < padded; j += 8)
      for (int q = 0; q < 8; q++) o[j + q] = int16_t(v[j + q]);
    std::memcpy(out, o, size_t(count) * 2);
  } else {
    uint8_t o[2 * BLOCK];
    for (int j = 0; j < padded; j += 8)
      for (int q = 0; q < 8; q++) o[j + q] = uint8_t((int(v[j + q]) + 32768) >> 8);
    std::memcpy(out, o, size_t(count));
  }
}

// `n` decoded frames (the stream's channels) as floats in the output's
// channels: as they are, the mono one doubled, or the stereo pair's mean.
// In runs of 8 so that the loops vectorise.
void to_output_channels(const VX_MP3* s, const int16_t* p, int n, float* d) {
  int out_ch = s->format.channels, j = 0;
  if (out_ch == s->channels) {
    for (; j + 8 <= n * out_ch; j += 8)
      for (int q = 0; q < 8; q++) d[j + q] = p[j + q];
    for (; j < n * out_ch; j++) d[j] = p[j];
  } else if (out_ch == 2) {
    for (; j + 8 <= n; j += 8)
      for (int q = 0; q < 8; q++) d[2 * (j + q)] = d[2 * (j + q) + 1] = p[j + q];
    for (; j < n; j++) d[2 * j] = d[2 * j + 1] = p[j];
  } else {
    for (; j < n; j++) d[j] = (float(p[2 * j]) + float(p[2 * j + 1])) * 0.5f;
  }
}

// At the same rate: up to `n` source frames as they are. Returns the frames
// written, fewer only at the end of the pass.
long copy_frames(VX_MP3* s, uint8_t* out, long n) {
  int in_ch = s->channels, out_ch = s->format.channels;
  int frame_bytes = out_ch * s->format.bits / 8;
  int plain = in_ch == out_ch && s->format.bits == 16 && s->left == 1.0f && s->right == 1.0f;
  long done = 0;
  while (done < n) {
    if (s->pcm_pos >= s->pcm_count && !decode_more(s)) {
      s->pass_ended = 1;
      break;
    }
    long left = s->pcm_count - s->pcm_pos;
    int k = int(n - done < left ? n - done : left);
    if (k > BLOCK) k = BLOCK;
    const int16_t* p = s->pcm + s->pcm_pos * in_ch;
    if (plain) {
      std::memcpy(out + done * frame_bytes, p, size_t(k * frame_bytes));
    } else {
      float v[2 * BLOCK];
      to_output_channels(s, p, k, v);
      emit(s, v, k, out + done * frame_bytes);
    }
    s->pcm_pos += k;
    done += k;
  }
  return done;
}

// Rate conversion: the next decoded block into src after the last frame
// of the one before, the position moved along. 0 at the end of the pass.
int next_block(VX_MP3* s) {
  if (s->pcm_pos >= s->pcm_count && !decode_more(s)) return 0;
  int n = s->pcm_count - s->pcm_pos;
  const int16_t* p = s->pcm + s->pcm_pos * s->channels;
  float* d = s->src;
  int nch = s->format.channels;
  for (int c = 0; c < nch; c++) d[c] = d[s->src_count * nch + c];
  to_output_channels(s, p, n, d + nch);
  s->pos -= uint64_t(s->src_count) << 32;
  s->src_count = n;
  s->pcm_pos = s->pcm_count;
  return 1;
}

// At another rate: up to `n` output frames interpolated between the source
// frames around their positions. Returns the frames written, fewer only at
// the end of the pass. The pass's last frame goes out for the positions
// that fall on it.
long convert_frames(VX_MP3* s, uint8_t* out, long n) {
  int nch = s->format.channels;
  int frame_bytes = nch * s->format.bits / 8;
  long done = 0;
  float v[2 * BLOCK];
  while (done < n) {
    uint64_t i = s->pos >> 32;
    if (i >= uint64_t(s->src_count) && !next_block(s)) {
      if (i != uint64_t(s->src_count) || !s->src_count) {
        s->pass_ended = 1;
        break;
      }
      for (int c = 0; c < nch; c++) v[c] = s->src[i * uint64_t(nch) + uint64_t(c)];
      emit(s, v, 1, out + done * frame_bytes);
      s->pos += s->step;
      done++;
      continue;
    }
    if (i >= uint64_t(s->src_count)) continue;  // (a new block came: look again)
    // Every position before the block's last frame has both neighbours.
    const float* src = s->src;
    uint64_t pos = s->pos, end = uint64_t(s->src_count) << 32, step = s->step;
    uint64_t fit = (end - pos + step - 1) / step;  // positions before the last frame
    int limit = int(n - done < BLOCK ? n - done : BLOCK);
    if (uint64_t(limit) > fit) limit = int(fit);
    int k = 0;
    if (nch == 2) {
      for (; k < limit; k++, pos += step) {
        const float* a = src + 2 * (pos >> 32);
        float t = float(uint32_t(pos)) * (1.0f / 4294967296.0f);
        v[2 * k] = a[0] + (a[2] - a[0]) * t;
        v[2 * k + 1] = a[1] + (a[3] - a[1]) * t;
      }
    } else {
      for (; k < limit; k++, pos += step) {
        const float* a = src + (pos >> 32);
        float t = float(uint32_t(pos)) * (1.0f / 4294967296.0f);
        v[k] = a[0] + (a[1] - a[0]) * t;
      }
    }
    s->pos = pos;
    emit(s, v, k, out + done * frame_bytes);
    done += k;
  }
  return done;
}

VX_MP3* open_common(VX_MP3_READER* reader, long size, int mode, const VX_MP3_FORMAT* format) {
  VX_MP3* s = static_cast<VX_MP3*>(vx_mem_alloc_named(sizeof(VX_MP3), "MP3 stream."));
  if (!s) return nullptr;
  std::memset(s, 0, sizeof *s);
  s->format = *format;
  s->reader = *reader;
  s->loop = mode & VX_MP3_LOOP ? 1 : 0;
  s->gain = 1;
  update_gains(s);
  find_tags(s, size);
  // Lock onto the first frame; it must be Layer III.
  VX_MP3_HEADER h;
  rewind_stream(s);
  if (!next_frame(s, &h) || h.layer != 3) {
    s->reader.file = nullptr;  // the caller closes what it opened
    s->reader.owned = nullptr;
    vx_mp3_close(s);
    return nullptr;
  }
  s->lock_version = h.version;
  s->lock_layer = h.layer;
  s->lock_rate_index = h.rate_index;
  s->channels = h.channels;
  s->step = (uint64_t(uint32_t(h.rate)) << 32) / uint32_t(format->rate);
  rewind_stream(s);
  return s;
}

int format_ok(const VX_MP3_FORMAT* f) {
  return f && (f->bits == 8 || f->bits == 16) && (f->channels == 1 || f->channels == 2) && f->rate >= 1000 &&
         f->rate <= 192000;
}

}  // namespace

VX_MP3* vx_mp3_open(const char* name, int mode, const VX_MP3_FORMAT* format) {
  if (!format_ok(format) || !name) return nullptr;
  VX_MP3_READER r{};
  long size = 0;
  if (mode & VX_MP3_IN_MEMORY) {
    r.owned = static_cast<uint8_t*>(vx_io_load(name, &size));
    if (!r.owned) return nullptr;
    vx_mem_name(r.owned, "MP3 file data.");
    r.data = r.owned;
  } else {
    r.file = vx_io_fopen(name, "rb");
    if (!r.file) return nullptr;
    if (vx_io_fseek(r.file, 0, SEEK_END) == 0) size = vx_io_ftell(r.file);
    if (size < 0) size = 0;
  }
  VX_MP3* s = open_common(&r, size, mode, format);
  if (!s) {
    if (r.file) vx_io_fclose(r.file);
    if (r.owned) vx_mem_free(r.owned);
  }
  return s;
}

VX_MP3* vx_mp3_open_memory(const void* data, size_t size, int mode, const VX_MP3_FORMAT* format) {
  if (!format_ok(format) || (!data && size) || size > 0x7FFFFFFF) return nullptr;
  VX_MP3_READER r{};
  r.data = static_cast<const uint8_t*>(data);
  return open_common(&r, long(size), mode, format);
}

int vx_mp3_decode(VX_MP3* s, void* buffer, long bytes) {
  if (!s || !buffer || bytes <= 0) return 0;
  int frame_bytes = s->format.channels * s->format.bits / 8;
  long frames = bytes / frame_bytes;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  long i = 0;
  while (i < frames) {
    if (s->pass_ended) {
      // A looping stream starts each pass from a cleared decoder and rate
      // converter, so that every pass gives the samples of the first.
      if (!s->loop || !s->pass_samples) break;
      rewind_stream(s);
    }
    uint8_t* at = out + i * frame_bytes;
    i += s->step == SAME_RATE ? copy_frames(s, at, frames - i) : convert_frames(s, at, frames - i);
  }
  long filled = i * frame_bytes;
  std::memset(out + filled, s->format.bits == 16 ? 0 : 128, size_t(bytes - filled));
  return i == frames && (!s->pass_ended || (s->loop && s->pass_samples)) ? 1 : 0;
}

void vx_mp3_gain(VX_MP3* s, int percent) {
  if (!s) return;
  s->gain = percent < 0 ? 0.0f : float(percent) / 100.0f;
  update_gains(s);
}

void vx_mp3_pan(VX_MP3* s, int pan) {
  if (!s) return;
  s->pan = pan < -100 ? -100 : pan > 100 ? 100 : pan;
  update_gains(s);
}

void vx_mp3_close(VX_MP3* s) {
  if (!s) return;
  if (s->reader.file) vx_io_fclose(s->reader.file);
  if (s->reader.owned) vx_mem_free(s->reader.owned);
  vx_mem_free(s);
}

const uint8_t* vx_mp3_id3v1(const VX_MP3* s) { return s->id3v1; }
int vx_mp3_file_rate(const VX_MP3* s) {
  static constexpr int RATES[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
  return RATES[s->lock_rate_index];
}
int vx_mp3_file_channels(const VX_MP3* s) { return s->channels; }
