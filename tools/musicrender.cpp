// musicrender: renders a music file through the engine's own player and mixer into a 16-bit stereo WAV file.
//
// Usage: musicrender IN OUT.wav [--rate HZ] [--quality low|medium|high] [--seconds S]
//   IN         an S3M module (by its extension, any letter case; an MP3 file
//              takes its own branch, render_mp3)
//   --rate     output frames per second, 1000..384000 (default 44100)
//   --quality  interpolation of modules: low nearest sample, medium linear
//              (the default), high quadratic
//   --seconds  length to render, the piece going round as it does in the
//              game (a module where its order list leads, an MP3 file from
//              its start again); without it the whole piece once, up to
//              where the song ends or comes back to a row it has played,
//              or to the end of the MP3 data
// The WAV file is written beside OUT under a temporary name and renamed
// over OUT when complete. Exit status 0, 1 when IN cannot be read or
// rendered, 2 for bad usage or an unwritable output.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "sound/vx_mod.h"
#include "sound/vx_mp3.h"

namespace {

constexpr double MAX_SECONDS = 3600.0;  // a piece that never ends stops here
constexpr size_t CHUNK_FRAMES = 4096;

struct OPTIONS {
  const char* input = nullptr;
  const char* output = nullptr;
  uint32_t rate = 44100;
  uint16_t quality = VX_MOD_LINEAR;
  double seconds = 0;  // 0: the whole piece
};

// A 16-bit stereo PCM WAV file whose sizes are filled in when it is closed.
struct WAV_OUT {
  FILE* file = nullptr;
  uint32_t rate = 0;
  uint64_t frames = 0;
};

void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

bool write_header(WAV_OUT* w) {
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0};
  const uint64_t data = w->frames * 4;
  put32(h + 4, uint32_t(36 + data));
  put32(h + 24, w->rate);
  put32(h + 28, w->rate * 4);
  h[32] = 4;   // bytes per frame
  h[34] = 16;  // bits per sample
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, uint32_t(data));
  return std::fseek(w->file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, w->file) == sizeof h;
}

bool write_frames(WAV_OUT* w, const int16_t* lr, size_t frames) {
  // WAV samples are little-endian whatever the machine.
  uint8_t bytes[CHUNK_FRAMES * 4];
  for (size_t i = 0; i < frames * 2; i++) {
    bytes[2 * i] = uint8_t(lr[i]);
    bytes[2 * i + 1] = uint8_t(uint16_t(lr[i]) >> 8);
  }
  w->frames += frames;
  return std::fwrite(bytes, 4, frames, w->file) == frames;
}

bool has_extension(const char* name, const char* upper_ext) {
  std::string up(name);
  for (char& c : up) c = char(std::toupper(static_cast<unsigned char>(c)));
  return up.find(upper_ext) != std::string::npos;
}

// The whole file in a block of the pool; none when it cannot be read.
uint8_t* read_file(const char* name, VX_MOD_POOL* pool, size_t* size) {
  FILE* f = std::fopen(name, "rb");
  if (!f) return nullptr;
  uint8_t* block = nullptr;
  long n = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
  if (n >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
    block = static_cast<uint8_t*>(vx_mod_pool_alloc(pool, size_t(n) + 1, "musicrender file image"));
    if (block && std::fread(block, 1, size_t(n), f) != size_t(n)) {
      vx_mod_pool_free(pool, block);
      block = nullptr;
    }
  }
  std::fclose(f);
  *size = size_t(n);
  return block;
}

// Module input: the S3M loader, player and mixer as the game's music runs
// them, with the song stopping where it ends or loops.
bool render_module(const OPTIONS& o, WAV_OUT* out) {
  if (!vx_mod_start(128, 1, 1, 0, 0, 8, 360)) return false;
  VX_MOD_POOL* pool = vx_mod_pool_create();
  size_t size = 0;
  uint8_t* image = pool ? read_file(o.input, pool, &size) : nullptr;
  VX_MODULE* m = image ? vx_mod_load(image, size, VX_MOD_LOAD_PANS, pool) : nullptr;
  vx_mod_pool_free(pool, image);
  bool ok = m != nullptr;
  if (!ok) std::fprintf(stderr, "musicrender: %s: %s\n", o.input, image ? "not a playable S3M module" : "cannot read");
  if (ok) {
    vx_mod_select(m);
    vx_mod_reset();
    const uint8_t end_mode = o.seconds > 0 ? VX_MOD_END_LOOP : VX_MOD_END_STOP;
    vx_mod_set(131072, o.rate, VX_MOD_16BIT | VX_MOD_STEREO | o.quality, VX_MOD_RUNNING, end_mode, 0, 256, 128);
    const uint64_t limit = uint64_t((o.seconds > 0 ? o.seconds : MAX_SECONDS) * o.rate);
    int16_t buf[CHUNK_FRAMES * 2];
    while (ok && out->frames < limit) {
      size_t n = limit - out->frames < CHUNK_FRAMES ? size_t(limit - out->frames) : CHUNK_FRAMES;
      vx_mod_render(buf, n * 4);
      VX_MOD_STATUS st;
      vx_mod_status(&st);
      bool ended = o.seconds <= 0 && st.loops > 0;
      if (ended) n = st.end_frame > out->frames ? size_t(st.end_frame - out->frames) : 0;
      ok = write_frames(out, buf, n);
      if (ended) break;
    }
    vx_mod_free(m, pool);
  }
  if (!vx_mod_pool_destroy(pool)) std::fprintf(stderr, "musicrender: the module left blocks in the pool\n");
  vx_mod_shutdown();
  return ok;
}

// MP3 input: the engine's decoder over the whole file in memory, delivering
// the output rate itself. The silence the decoder pads its last buffer with
// is left out (trailing zero frames of the final chunk).
bool render_mp3(const OPTIONS& o, WAV_OUT* out) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(o.input, "rb")) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  } else {
    std::fprintf(stderr, "musicrender: %s: cannot read\n", o.input);
    return false;
  }
  const VX_MP3_FORMAT format = {16, 2, int(o.rate)};
  VX_MP3* s = vx_mp3_open_memory(bytes.data(), bytes.size(), o.seconds > 0 ? VX_MP3_LOOP : 0, &format);
  if (!s) {
    std::fprintf(stderr, "musicrender: %s: not a playable MP3 file\n", o.input);
    return false;
  }
  const uint64_t limit = uint64_t((o.seconds > 0 ? o.seconds : MAX_SECONDS) * o.rate);
  int16_t buf[CHUNK_FRAMES * 2];
  bool ok = true, more = true;
  while (ok && more && out->frames < limit) {
    size_t n = limit - out->frames < CHUNK_FRAMES ? size_t(limit - out->frames) : CHUNK_FRAMES;
    more = vx_mp3_decode(s, buf, long(n * 4)) != 0;
    if (!more)
      while (n > 0 && buf[2 * n - 1] == 0 && buf[2 * n - 2] == 0) n--;
    ok = write_frames(out, buf, n);
  }
  vx_mp3_close(s);
  return ok;
}

int usage() {
  std::fprintf(stderr, "usage: musicrender IN OUT.wav [--rate HZ] [--quality low|medium|high] [--seconds S]\n");
  return 2;
}

bool parse(int argc, char** argv, OPTIONS* o) {
  int positional = 0;
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!std::strcmp(a, "--rate") && v) {
      long r = std::strtol(v, nullptr, 10);
      if (r < 1000 || r > 384000) return false;
      o->rate = uint32_t(r);
      i++;
    } else if (!std::strcmp(a, "--quality") && v) {
      if (!std::strcmp(v, "low")) o->quality = 0;
      else if (!std::strcmp(v, "medium")) o->quality = VX_MOD_LINEAR;
      else if (!std::strcmp(v, "high")) o->quality = VX_MOD_QUADRATIC;
      else return false;
      i++;
    } else if (!std::strcmp(a, "--seconds") && v) {
      o->seconds = std::strtod(v, nullptr);
      if (!(o->seconds > 0 && o->seconds <= MAX_SECONDS)) return false;
      i++;
    } else if (a[0] == '-' && a[1] == '-') {
      return false;
    } else if (positional == 0) {
      o->input = a;
      positional++;
    } else if (positional == 1) {
      o->output = a;
      positional++;
    } else {
      return false;
    }
  }
  return positional == 2;
}

}  // namespace

int main(int argc, char** argv) {
  OPTIONS o;
  if (!parse(argc, argv, &o)) return usage();
  const bool mp3 = has_extension(o.input, ".MP3");
  if (!mp3 && !has_extension(o.input, ".S3M")) {
    std::fprintf(stderr, "musicrender: %s: not an .s3m or .mp3 file\n", o.input);
    return 1;
  }
  VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);

  const std::string temp = std::string(o.output) + ".part";
  WAV_OUT out;
  out.rate = o.rate;
  out.file = std::fopen(temp.c_str(), "wb");
  int status = 0;
  if (!out.file || !write_header(&out)) {
    status = 2;
  } else {
    status = (mp3 ? render_mp3(o, &out) : render_module(o, &out)) ? 0 : 1;
    if (status == 0 && (!write_header(&out) || std::fflush(out.file) != 0)) status = 2;
  }
  if (out.file && std::fclose(out.file) != 0 && status == 0) status = 2;
  if (status == 0 && std::rename(temp.c_str(), o.output) != 0) status = 2;
  if (status != 0) std::remove(temp.c_str());
  if (status == 2) std::fprintf(stderr, "musicrender: cannot write %s\n", o.output);
  if (status == 0)
    std::fprintf(stderr, "%s: %.2f s at %u Hz\n", o.output, double(out.frames) / o.rate, unsigned(o.rate));
  vx_mem_deinit();
  vx_error_deinit();
  return status;
}
