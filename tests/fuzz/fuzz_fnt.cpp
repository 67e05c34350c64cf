// Fuzz target of the .fnt reader: any file text loads or is refused; a loaded font keeps its table sorted, measures and draws with every flag, and frees all it took.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_pal.h"
#include "platform/platform.h"
#include "toolkit/vx_font.h"

namespace {

int quiet_box(const char*, const char*, unsigned) { return 1; }

// Pictures come from memory: 16 x 10 pixels, cells of 4 x 5 inked in a corner of
// a size of their own; a name containing "missing" is not found.
int serve_picture(VX_BITMAP* bitmap, const char* name, int) {
  const VX_RECT size = {0, 0, 16, 10};
  if (std::strstr(name, "missing") || !vx_bit_alloc(bitmap, &size, VX_BIT_BPP8)) return 0;
  for (int y = 0; y < 10; y++)
    for (int x = 0; x < 16; x++) bitmap->pixels[y * 16 + x] = uint8_t(x % 4 <= x / 4 && y % 5 <= x / 4 ? x + 1 : 0);
  bitmap->palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB | VX_PAL_OPT_GREY);
  return 1;
}

// anim.flc beside the font: 8 x 10, two frames of a new palette and byte runs
// (per line 2 or 3 inked pixels, the rest blank).
void write_animation() {
  auto le = [](uint32_t v, int bytes) { return std::string(reinterpret_cast<const char*>(&v), size_t(bytes)); };
  std::string file = le(0, 4) + le(0xAF12, 2) + le(2, 2) + le(8, 2) + le(10, 2) + le(8, 2) + std::string(114, '\0');
  for (int k = 0; k < 2; k++) {
    std::string runs, colours = le(1, 2) + le(0, 1) + le(4, 1) + std::string(12, char(60 * k + 9));
    for (int y = 0; y < 10; y++)
      runs += le(1, 1) + char(-2 - k) + std::string(2 + k, char(1 + y % 3)) + char(6 - k) + '\0';
    const std::string body = le(22, 4) + le(4, 2) + colours + le(uint32_t(6 + runs.size()), 4) + le(15, 2) + runs;
    file += le(uint32_t(16 + body.size()), 4) + le(0xF1FA, 2) + le(2, 2) + std::string(8, '\0') + body;
  }
  FILE* out = std::fopen("anim.flc", "wb");
  if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) std::abort();
  std::fclose(out);
}

const char* const kTexts[] = {"AB\xC3\xA9 xy?", "%", "a\xF0\x9F\x98\x80!", "\xE2\x82"};
const uint32_t kFlags[] = {0, 8, 8 | 2, 4, 4 | 8, 4 | 0x40, 4 | 8 | 0x40 | 2, 4 | 8 | 0x40, 0x100 | 8,
                           0x200 | 4 | 8, 0x20 | 4};
const VX_RECT kRects[] = {{0, 0, 64, 16}, {-5, 2, 30, 9}, {60, 0, 1, 1}, {3, 3, 7, 40}};

void start_once() {
  static std::filesystem::path folder;
  if (!folder.empty()) return;
  folder = std::filesystem::temp_directory_path() / ("fuzz_fnt_" + std::to_string(plat_ticks()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::atexit([] {
    vx_font_deinit();
    vx_io_deinit();
    std::error_code ec;
    std::filesystem::current_path(folder.parent_path(), ec);
    std::filesystem::remove_all(folder, ec);
  });
  plat_set_boxes(0);
  static const VX_ERROR_SETTINGS errors = {0};
  vx_error_init(&errors);
  vx_error_set_box(quiet_box);
  static const VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);
  static const VX_IO_SETTINGS io = {0, nullptr, nullptr};
  vx_io_init(&io);
  static const VX_FONT_SETTINGS fonts = {1};  // debug: the row and UTF-8 checks run too
  vx_font_init(&fonts);
  vx_font_picture_loader_set(serve_picture);
  write_animation();
  VX_FONT none = {};
  vx_font_measure(&none, std::string(255, 'x').c_str(), nullptr, 0);  // the decoding buffer's final size
}

void check_and_draw(VX_FONT* font, VX_BITMAP* target) {
  for (int i = 0; i < font->char_count; i++) {
    const VX_FONT_CHAR& c = font->chars[i];
    if ((i && c.code <= font->chars[i - 1].code) || !c.glyph || c.glyph->frame_count < 1) std::abort();
  }
  if (font->char_count && (font->default_char < 1 || font->default_char > font->char_count)) std::abort();
  for (uint32_t flags : kFlags) {
    for (const char* t : kTexts) {
      vx_font_measure(font, t, nullptr, flags);
      for (const VX_RECT& r : kRects) vx_font_print(font, target, &r, flags, "%s", t);
    }
    vx_font_print(font, target, nullptr, flags, "%d%s", 42, kTexts[0]);
    for (const VX_RECT& r : kRects) vx_font_draw_char(font, 'x', 2, target, &r, flags);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.fnt", "wb");
  if (!out || (size && std::fwrite(data, 1, size, out) != size)) std::abort();
  std::fclose(out);
  const long long before = vx_mem_used();
  VX_BITMAP target;
  const VX_RECT size_of_target = {0, 0, 64, 16};
  vx_bit_alloc(&target, &size_of_target, VX_BIT_BPP8);
  for (int flags : {7, 0}) {
    VX_FONT font;
    if (vx_font_load(&font, "fuzz.fnt", flags)) {
      check_and_draw(&font, &target);
      vx_font_free(&font);
    } else if (font.chars || font.name || font.palette) {
      std::abort();
    }
  }
  vx_bit_free(&target);
  vx_bit_scale_buffer_free();
  if (vx_mem_used() != before) std::abort();
  return 0;
}
