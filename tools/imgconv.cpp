// imgconv: loads a picture (or one frame of an FLI/FLC animation) through the engine's readers and writes it as an RGBA PAM or TGA file.
//
// Usage: imgconv [-n] INPUT [OUTPUT] [--frame N]
//   INPUT   any name the loader knows by its extension (.png, .tga, .pcx, .pcc, .jpg, .jpe, .jpeg),
//           or an Ogg/Theora clip (.ogg, .ogv) or an FLI/FLC animation (.fli, .flc): frame N
//           (from 0, default 0) is decoded, stepping frame by frame without a clock
//   OUTPUT  ends in .tga for a 32-bit top-left TGA, anything else gives a PAM
//           (P7, TUPLTYPE RGB_ALPHA); "-" writes the PAM to standard output.
//           Without OUTPUT only the description line is printed.
//   -n      load without load flag bit 0 (palette-based pictures come
//           without their palette and are written as grey levels)
// Prints "INPUT: WIDTHxHEIGHT, BPP bits, FORMAT[, palette of N]" on standard
// error and exits with 0; when the loader refuses the file it prints
// "INPUT: the loader refused the file" and exits with 1 (for an animation:
// the reader's reason, or that the frame is past the last); 2 for bad usage
// or an unwritable output. FORMAT is FLIC for animations.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <utility>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "world/clip/clip.h"
#include "display/vx_pal.h"
#include "toolkit/vx_anim.h"
#include "world/image/img_load.h"

namespace {

const char* format_name(int format) {
  switch (format) {
    case VX_IMG_PCX: return "PCX";
    case VX_IMG_PNG: return "PNG";
    case VX_IMG_TGA: return "TGA";
    case VX_IMG_JPEG: return "JPEG";
    default: return "unknown";
  }
}

bool ends_with_tga(const char* name) {
  size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* e = name + n - 4;
  return e[0] == '.' && (e[1] | 32) == 't' && (e[2] | 32) == 'g' && (e[3] | 32) == 'a';
}

bool write_pam(FILE* f, int w, int h, const uint8_t* rgba) {
  std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", w, h);
  size_t n = size_t(w) * size_t(h) * 4;
  return std::fwrite(rgba, 1, n, f) == n;
}

// Type 2, 32 bits, descriptor 0x28: rows top first, 8 alpha bits; pixels blue, green, red, alpha.
bool write_tga(FILE* f, int w, int h, uint8_t* rgba) {
  uint8_t head[18] = {};
  head[2] = 2;
  head[12] = uint8_t(w), head[13] = uint8_t(w >> 8);
  head[14] = uint8_t(h), head[15] = uint8_t(h >> 8);
  head[16] = 32;
  head[17] = 0x28;
  size_t n = size_t(w) * size_t(h);
  for (size_t i = 0; i < n; i++) std::swap(rgba[4 * i], rgba[4 * i + 2]);
  return std::fwrite(head, 1, sizeof head, f) == sizeof head && std::fwrite(rgba, 4, n, f) == n;
}

bool ends_with(const char* name, const char* ext) {
  size_t n = std::strlen(name), e = std::strlen(ext);
  return n >= e && !strcasecmp(name + n - e, ext);
}

bool write_picture(const char* output, int w, int h, uint8_t* rgba) {
  bool to_stdout = !std::strcmp(output, "-");
  FILE* f = to_stdout ? stdout : std::fopen(output, "wb");
  bool ok = f && (!to_stdout && ends_with_tga(output) ? write_tga(f, w, h, rgba) : write_pam(f, w, h, rgba));
  if (f && !to_stdout && std::fclose(f) != 0) ok = false;
  return ok;
}

// Frame `frame` of a clip: the frames before it are decoded and passed over.
int convert_clip(const char* input, const char* output, long frame) {
  CLIP clip = {};
  if (!Clip_Open(&clip, input) || !clip.kind) {
    std::fprintf(stderr, "%s: the clip player refused the file\n", input);
    Clip_Close(&clip);
    return 1;
  }
  long shown = 0;
  while (shown <= frame && Clip_Step(&clip)) shown++;
  int status = 0;
  if (shown <= frame) {
    std::fprintf(stderr, "%s: the clip ends after %ld frames\n", input, shown);
    status = 1;
  } else {
    std::fprintf(stderr, "%s: %dx%d, 32 bits, Theora, frame %ld\n", input, clip.picture.width,
                 clip.picture.height, frame);
    if (output && !write_picture(output, clip.picture.width, clip.picture.height, clip.picture.pixels)) {
      std::fprintf(stderr, "%s: cannot write %s\n", input, output);
      status = 2;
    }
  }
  Clip_Close(&clip);
  return status;
}

int usage() {
  std::fprintf(stderr, "usage: imgconv [-n] INPUT [OUTPUT.pam|OUTPUT.tga|-] [--frame N]\n");
  return 2;
}

bool is_flic(const char* name) {
  size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* e = name + n - 4;
  return e[0] == '.' && (e[1] | 32) == 'f' && (e[2] | 32) == 'l' && ((e[3] | 32) == 'i' || (e[3] | 32) == 'c');
}

// Frame `frame` (from 0) of an animation, as an 8-bit bitmap with a copy of its palette.
bool load_flic_frame(const char* input, int frame, VX_BITMAP* out, VX_IMG_INFO* info) {
  VX_ANIM anim;
  if (!vx_anim_open(&anim, input, VX_ANIM_FLIC)) {
    std::fprintf(stderr, "%s\n", vx_anim_refusal());
    return false;
  }
  if (frame >= anim.frame_count) {
    std::fprintf(stderr, "%s: frame %d asked for, the animation has %d\n", input, frame, anim.frame_count);
    vx_anim_close(&anim);
    return false;
  }
  for (int i = 0; i <= frame; i++) vx_anim_step(&anim);
  VX_RECT rect = {0, 0, anim.picture.width, anim.picture.height};
  bool ok = vx_bit_alloc(out, &rect, VX_BIT_BPP8);
  if (ok) {
    std::memcpy(out->pixels, anim.picture.pixels, size_t(rect.width) * size_t(rect.height));
    out->palette = vx_pal_alloc(anim.picture.palette, 256, VX_PAL_OPT_RGB);
    ok = out->palette != nullptr;
  }
  vx_anim_close(&anim);
  if (!ok) vx_bit_free(out);
  *info = {VX_IMG_UNKNOWN, 1, 8, 1};
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  long frame = 0;
  for (int i = 1; i + 1 < argc; i++) {
    if (std::strcmp(argv[i], "--frame")) continue;
    char* end;
    frame = std::strtol(argv[i + 1], &end, 10);
    if (!*argv[i + 1] || *end || frame < 0 || frame > 65535) return usage();
    for (int j = i; j + 2 <= argc; j++) argv[j] = argv[j + 2];
    argc -= 2;
    break;
  }
  int flags = VX_IMG_PALETTE, arg = 1;
  if (arg < argc && !std::strcmp(argv[arg], "-n")) {
    flags = 0;
    arg++;
  }
  if (arg >= argc || argc - arg > 2) return usage();
  const char* input = argv[arg];
  const char* output = arg + 1 < argc ? argv[arg + 1] : nullptr;

  VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);

  if (ends_with(input, ".ogg") || ends_with(input, ".ogv")) {
    int status = convert_clip(input, output, frame);
    vx_mem_deinit();
    vx_error_deinit();
    return status;
  }

  VX_BITMAP bitmap;
  VX_IMG_INFO info;
  if (is_flic(input) ? !load_flic_frame(input, frame, &bitmap, &info)
                     : !vx_img_load_info(&bitmap, input, flags, &info)) {
    if (!is_flic(input)) std::fprintf(stderr, "%s: %s\n", input, vx_img_reason());
    vx_mem_deinit();
    vx_error_deinit();
    return 1;
  }
  std::fprintf(stderr, "%s: %dx%d, %d bits, %s", input, bitmap.width, bitmap.height, bitmap.bpp,
               is_flic(input) ? "FLIC" : format_name(info.format));
  if (bitmap.palette) std::fprintf(stderr, ", palette of %d", bitmap.palette->count);
  std::fprintf(stderr, "\n");

  int status = 0;
  if (output) {
    size_t bytes = size_t(bitmap.width) * size_t(bitmap.height) * 4;
    auto* rgba = static_cast<uint8_t*>(vx_mem_alloc_named(bytes, "imgconv RGBA pixels"));
    bool ok = rgba && vx_img_expand_rgba(&bitmap, &info, rgba) &&
              write_picture(output, bitmap.width, bitmap.height, rgba);
    if (!ok) {
      std::fprintf(stderr, "%s: cannot write %s\n", input, output);
      status = 2;
    }
    if (rgba) vx_mem_free(rgba);
  }
  vx_bit_free(&bitmap);
  vx_mem_deinit();
  vx_error_deinit();
  return status;
}
