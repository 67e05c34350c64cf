// The video clip player: Ogg pages and Theora packets in through libogg and libtheora, RGBA pictures out, paced by the shared clip clock.
#include "world/clip/clip.h"

#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cstddef>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "platform/platform.h"

constexpr int READ_SIZE = 4096;  // bytes handed to libogg per read

struct CLIP_STATE {
  ogg_sync_state sync;
  ogg_stream_state stream;  // the Theora logical stream; set up while the clip's header count is above 0
  ogg_page page;
  ogg_packet packet;
  th_info info;
  th_comment comment;
  th_setup_info* setup;  // between the headers and the decoder's start
  th_dec_ctx* decoder;
  long frames;        // frames decoded in this pass through the file
  double first_time;  // the stream's presentation times (s) of this pass's first
  double last_time;   // and latest decoded frames
};

// The clip clock, shared by every clip.
static struct {
  CLIP_TICKS ticks;   // null: the platform's counter
  int started;        // `origin` holds the tick of the first reading
  uint32_t origin;
  double last_shown;  // clock time (s) of the last frame any clip showed
} clock_state;

static uint32_t ticks_now() { return clock_state.ticks ? clock_state.ticks() : plat_ticks(); }

// Seconds since the first reading; the difference of wrapping ticks is taken unsigned.
static double clock_now() {
  uint32_t t = ticks_now();
  if (!clock_state.started) {
    clock_state.started = 1;
    clock_state.origin = t;
  }
  return static_cast<uint32_t>(t - clock_state.origin) * 0.001;
}

void Clip_Set_Ticks(CLIP_TICKS ticks) {
  clock_state.ticks = ticks;
  clock_state.started = 0;
  clock_state.origin = 0;
  clock_state.last_shown = 0;
}

// ---------------------------------------------------------------- colour conversion

static inline uint8_t to_level(int scaled) {
  int v = scaled / 1000;  // C++ division truncates toward zero, as the conversion asks
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The coefficients are taken in thousandths, so each value is the exact
// product of the three-decimal factors before it is truncated.
void Clip_Convert(const CLIP_PLANE planes[3], int width, int height, uint8_t* rgba) {
  for (int y = 0; y < height; y++) {
    const uint8_t* luma = planes[0].data + static_cast<ptrdiff_t>(y) * planes[0].stride;
    const uint8_t* cb = planes[1].data + static_cast<ptrdiff_t>(y / 2) * planes[1].stride;
    const uint8_t* cr = planes[2].data + static_cast<ptrdiff_t>(y / 2) * planes[2].stride;
    for (int x = 0; x < width; x++, rgba += 4) {
      const int c = 1164 * (luma[x] - 16);
      const int u = cb[x / 2] - 128;
      const int v = cr[x / 2] - 128;
      rgba[0] = to_level(c + 1596 * v);
      rgba[1] = to_level(c - 813 * v - 391 * u);
      rgba[2] = to_level(c + 2018 * u);
      rgba[3] = 255;
    }
  }
}

// ---------------------------------------------------------------- reading the file

// Hands the next 4096 bytes of the file to libogg; the bytes read (0 at the end).
static long read_data(CLIP* clip) {
  char* buffer = ogg_sync_buffer(&clip->state->sync, READ_SIZE);
  if (!buffer) return 0;
  size_t n = vx_io_fread(buffer, 1, READ_SIZE, clip->file);
  ogg_sync_wrote(&clip->state->sync, static_cast<long>(n));
  return static_cast<long>(n);
}

// Takes the next complete page from the bytes read so far into `page`,
// passing over bytes that do not form a page. 1, or 0 when more data is needed.
static int next_page(CLIP_STATE* s) {
  int r;
  while ((r = ogg_sync_pageout(&s->sync, &s->page)) < 0) {
  }
  return r;
}

// Every complete page read so far goes to the Theora stream (pages of
// other streams are refused by it).
static void pages_to_stream(CLIP_STATE* s) {
  while (next_page(s)) ogg_stream_pagein(&s->stream, &s->page);
}

// Reads the beginning-of-stream pages. The first logical stream whose
// opening packet libtheora takes as a Theora header becomes the clip's
// stream (header count 1); the others are dropped. The first page that does
// not begin a stream ends the search and goes to the chosen stream.
static void find_theora(CLIP* clip) {
  CLIP_STATE* s = clip->state;
  for (;;) {
    if (!next_page(s)) {
      if (!read_data(clip)) return;
      continue;
    }
    if (!ogg_page_bos(&s->page)) {
      if (clip->headers) ogg_stream_pagein(&s->stream, &s->page);
      return;
    }
    ogg_stream_state test;
    if (ogg_stream_init(&test, ogg_page_serialno(&s->page)) != 0) return;
    ogg_stream_pagein(&test, &s->page);
    if (!clip->headers && ogg_stream_packetout(&test, &s->packet) > 0 &&
        th_decode_headerin(&s->info, &s->comment, &s->setup, &s->packet) > 0) {
      s->stream = test;  // the stream's buffers move to the clip
      clip->headers = 1;
    } else {
      ogg_stream_clear(&test);
    }
  }
}

// Gives the stream's next packets to libtheora until the comment and setup
// headers are in. 0 when a header is broken, the stream has a gap or the
// file ends first.
static int read_headers(CLIP* clip) {
  CLIP_STATE* s = clip->state;
  while (clip->headers == 1 || clip->headers == 2) {
    int r = ogg_stream_packetout(&s->stream, &s->packet);
    if (r < 0) return 0;
    if (r > 0) {
      if (th_decode_headerin(&s->info, &s->comment, &s->setup, &s->packet) <= 0) return 0;
      clip->headers++;
    } else if (next_page(s)) {
      ogg_stream_pagein(&s->stream, &s->page);
    } else if (!read_data(clip)) {
      return 0;
    }
  }
  return 1;
}

// Frees the libogg and libtheora state and closes the file; the picture,
// the name and the counters stay.
static void release_stream(CLIP* clip) {
  if (CLIP_STATE* s = clip->state) {
    if (s->decoder) th_decode_free(s->decoder);
    if (s->setup) th_setup_free(s->setup);
    if (clip->headers) ogg_stream_clear(&s->stream);
    th_comment_clear(&s->comment);
    th_info_clear(&s->info);
    ogg_sync_clear(&s->sync);
    vx_mem_free(s);
  }
  if (clip->file) vx_io_fclose(clip->file);
  clip->state = nullptr;
  clip->file = nullptr;
  clip->headers = 0;
}

// The sizes the stream declares can be held: a positive frame rate, a
// picture inside the frame that fits the bitmap record, a frame within the limit.
static int sizes_usable(const th_info& ti) {
  return ti.fps_numerator > 0 && ti.fps_denominator > 0 && ti.pic_width > 0 && ti.pic_height > 0 &&
         ti.pic_width <= ti.frame_width && ti.pic_height <= ti.frame_height && ti.pic_width <= 32767 &&
         ti.pic_height <= 32767 && ti.pic_x <= 32767 && ti.pic_y <= 32767 &&
         static_cast<long long>(ti.frame_width) * ti.frame_height <= CLIP_MAX_PIXELS;
}

// Opens the file and reads up to the first video packet: the Theora
// stream's three headers, then the decoder is started. A file without a
// Theora stream stays open with the header count at 0. 1, or 0 with what
// was made left for release_stream.
static int open_stream(CLIP* clip, const char* name) {
  if (!vx_io_exists(name, VX_IO_THROUGH_OPEN)) return 0;  // checked first: a missing clip raises nothing
  auto* s = static_cast<CLIP_STATE*>(vx_mem_alloc_named(sizeof(CLIP_STATE), "CLIP stream state"));
  if (!s) return 0;
  std::memset(s, 0, sizeof *s);
  clip->state = s;
  ogg_sync_init(&s->sync);
  th_info_init(&s->info);
  th_comment_init(&s->comment);
  clip->file = vx_io_fopen(name, "rb");
  if (!clip->file) return 0;
  find_theora(clip);
  if (!clip->headers) {
    th_comment_clear(&s->comment);
    th_info_clear(&s->info);
    return 1;
  }
  if (!read_headers(clip) || !sizes_usable(s->info)) return 0;
  s->decoder = th_decode_alloc(&s->info, s->setup);
  th_setup_free(s->setup);
  s->setup = nullptr;
  if (!s->decoder) return 0;
  pages_to_stream(s);
  return 1;
}

int Clip_Open(CLIP* clip, const char* name) {
  if (!clip) return 0;
  std::memset(clip, 0, sizeof *clip);
  clip->frame = -1;
  if (!name || !open_stream(clip, name)) {
    Clip_Close(clip);
    return 0;
  }
  if (clip->headers) {
    const th_info& ti = clip->state->info;
    clip->kind = CLIP_KIND;
    clip->encoded_width = static_cast<int32_t>(ti.frame_width);
    clip->encoded_height = static_cast<int32_t>(ti.frame_height);
    clip->picture.x = static_cast<int16_t>(ti.pic_x);
    clip->picture.y = static_cast<int16_t>(ti.pic_y);
    clip->picture.width = static_cast<int16_t>(ti.pic_width);
    clip->picture.height = static_cast<int16_t>(ti.pic_height);
    clip->picture.bpp = VX_BIT_BPP32;
    const unsigned long long ms = 1000ull * ti.fps_denominator / ti.fps_numerator;
    clip->frame_ms = ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
    const size_t bytes = static_cast<size_t>(ti.frame_width) * ti.frame_height * 4;
    clip->picture.pixels = static_cast<uint8_t*>(vx_mem_alloc_named(bytes, "CLIP picture"));
    const size_t name_bytes = std::strlen(name) + 1;
    clip->name = static_cast<char*>(vx_mem_alloc_named(name_bytes, "CLIP file name"));
    if (!clip->picture.pixels || !clip->name) {
      Clip_Close(clip);
      return 0;
    }
    std::memset(clip->picture.pixels, 0, bytes);
    std::memcpy(clip->name, name, name_bytes);
  }
  clip->next_tick = ticks_now();
  return 1;
}

void Clip_Close(CLIP* clip) {
  if (!clip) return;
  release_stream(clip);
  vx_bit_free(&clip->picture);
  if (clip->name) vx_mem_free(clip->name);
  std::memset(clip, 0, sizeof *clip);
}

// ---------------------------------------------------------------- frames

// Starts the next pass from the beginning of the file; the picture and the
// counters go on. The pass's time line follows on from the last one, one
// frame after its last frame, but when the clock drives the clip
// (`by_clock`) a pass never starts before the clock's time: a clip that
// fell behind catches up in one step instead of racing through passes. 0
// when the file cannot be read again as before, or the pass that ended had
// no frame (looping would never end).
static int restart(CLIP* clip, int by_clock) {
  const CLIP_STATE* s = clip->state;
  if (!s->frames) return 0;
  const th_info& ti = s->info;
  const double frame_s = double(ti.fps_denominator) / ti.fps_numerator;
  const double first = s->first_time, span = s->last_time - s->first_time;
  double base = clip->time_base + (span > 0 ? span : 0) + frame_s;
  if (by_clock) {
    const double now = clock_now();
    if (base + first < now) base = now - first;
  }
  const th_info was = ti;
  release_stream(clip);
  clip->time_base = base;
  if (!open_stream(clip, clip->name) || !clip->headers || clip->state->info.frame_width != was.frame_width ||
      clip->state->info.frame_height != was.frame_height || clip->state->info.pic_width != was.pic_width ||
      clip->state->info.pic_height != was.pic_height) {
    release_stream(clip);
    return 0;
  }
  clip->passes++;
  return 1;
}

// Decodes packets until one gives a frame: *t is its presentation time on
// the clip's time line (s), *frame its number in the stream. Packets that
// carry no video data and gaps in the stream are passed over. 1, or 0 at
// the end of the file (after starting again when the clip loops).
static int decode_frame(CLIP* clip, double* t, int64_t* frame, int by_clock) {
  while (CLIP_STATE* s = clip->state) {
    int r = ogg_stream_packetout(&s->stream, &s->packet);
    if (r > 0) {
      ogg_int64_t granule = -1;
      int d = th_decode_packetin(s->decoder, &s->packet, &granule);
      if (d != 0 && d != TH_DUPFRAME) continue;  // a dropped frame (TH_DUPFRAME) repeats the last picture
      s->last_time = th_granule_time(s->decoder, granule);
      if (!s->frames++) s->first_time = s->last_time;
      *t = clip->time_base + s->last_time;
      *frame = th_granule_frame(s->decoder, granule);
      return 1;
    }
    if (r < 0) continue;
    if (read_data(clip)) {
      pages_to_stream(s);
    } else if (!clip->loop || !restart(clip, by_clock)) {
      return 0;
    }
  }
  return 0;
}

// Converts the decoder's current frame into the picture.
static void show_frame(CLIP* clip, int64_t frame) {
  th_ycbcr_buffer ycbcr;
  if (th_decode_ycbcr_out(clip->state->decoder, ycbcr) != 0) return;
  CLIP_PLANE planes[3];
  for (int i = 0; i < 3; i++) planes[i] = {ycbcr[i].data, ycbcr[i].width, ycbcr[i].height, ycbcr[i].stride};
  const int width = clip->picture.width, height = clip->picture.height;
  // The decoder's planes cover the whole coded frame; a picture they do not
  // hold (only a decoder fault could make one) is left as it was.
  for (int i = 0; i < 3; i++)
    if ((i ? planes[i].width * 2 : planes[i].width) < width || (i ? planes[i].height * 2 : planes[i].height) < height)
      return;
  Clip_Convert(planes, width, height, clip->picture.pixels);
  clip->frame = static_cast<int32_t>(frame);
  clip->frames_shown++;
}

// Milliseconds from `seconds`, truncated toward zero and held within 32 bits.
static int32_t to_ms(double seconds) {
  double ms = seconds * 1000.0;
  if (!(ms > -2147483647.0)) return -2147483647;  // NaN included
  if (ms > 2147483647.0) return 2147483647;
  return static_cast<int32_t>(ms);
}

int Clip_Update(CLIP* clip) {
  if (!clip || !clip->state) return 0;
  if (static_cast<int32_t>(ticks_now() - clip->next_tick) < 0) return 1;
  if (!clip->headers) {
    // Nothing to show: the data are read and their pages dropped.
    long n = read_data(clip);
    while (next_page(clip->state)) {
    }
    return n > 0;
  }
  double t;
  int64_t frame;
  while (decode_frame(clip, &t, &frame, 1)) {
    const double now = clock_now();
    // A late frame is dropped unless a whole second went by without one.
    if (t >= now || now - clock_state.last_shown >= 1.0) {
      show_frame(clip, frame);
      clock_state.last_shown = now;
      clip->next_tick = ticks_now() + static_cast<uint32_t>(to_ms(t - now));
      return 1;
    }
  }
  return 0;
}

int Clip_Step(CLIP* clip) {
  if (!clip || !clip->state || !clip->headers) return 0;
  double t;
  int64_t frame;
  if (!decode_frame(clip, &t, &frame, 0)) return 0;
  show_frame(clip, frame);
  return 1;
}
