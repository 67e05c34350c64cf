// Fuzz target of menu sections: any text of section [M] loads or is refused; a loaded menu keeps its counts and texts in bounds, takes every input code, draws with every flag, and frees all it took, its rectangles included.
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
#include "platform/platform.h"
#include "toolkit/vx_menu.h"
#include "world/image/img_load.h"

namespace {

int quiet_box(const char*, const char*, unsigned) { return 1; }

VX_FONT font;

// As the game's callbacks: texts rewritten (also past their capacity), variants changed (also out of range).
void update(VX_MENU_LINE* line) {
  const int n = (line->value & 0xFF) % (VX_MENU_TEXT_SIZE - 1);
  std::memset(line->texts[0].text, 'A' + line->value % 3, size_t(n));
  line->texts[0].text[n] = 0;
  line->current_text = int((unsigned(line->current_text) + unsigned(line->value)) % unsigned(line->text_count + 1));
}
void notify(int value, int code, VX_MENU_LINE* line) {
  if (line) line->current_text = int((unsigned(line->current_text) + unsigned(value) + unsigned(code)) % 3u);
}

void start_once() {
  static std::filesystem::path folder;
  if (!folder.empty()) return;
  folder = std::filesystem::temp_directory_path() / ("fuzz_menu_" + std::to_string(plat_ticks()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::atexit([] { std::error_code ec; std::filesystem::remove_all(folder, ec); });
  static const VX_ERROR_SETTINGS errors = {0};
  static const VX_MEM_SETTINGS mem = {0, 0};
  static const VX_IO_SETTINGS io = {0, nullptr, nullptr};
  static const VX_FONT_SETTINGS fonts = {0};
  static const VX_MENU_SETTINGS menus = {1, 640, 480, nullptr};  // debug: every report is formatted
  plat_set_boxes(0);
  vx_error_init(&errors);
  vx_error_set_box(quiet_box);
  vx_mem_init(&mem);
  vx_io_init(&io);
  vx_font_init(&fonts);
  vx_font_picture_loader_set(vx_img_load);
  vx_menu_init(&menus);
  if (!vx_font_load(&font, PS_TEST_DATA "/toolkit/blocks.fnt", 3)) std::abort();
  vx_font_measure(&font, std::string(255, 'x').c_str(), nullptr, 0);  // the decoding buffer's final size
}

void check_and_drive(VX_MENU* m, VX_BITMAP* target) {
  for (int i = 0; i < m->line_count; i++)
    if (i >= VX_MENU_MAX_LINES || (m->lines[i] && m->lines[i]->text_count > VX_MENU_MAX_OPTIONS)) std::abort();
  VX_RECT cells[3];
  const VX_MENU_POINTER pointer = {vx_font_char_frame(&font, '*', 1, cells), cells[0], 7, nullptr};
  vx_menu_show(m, 1);
  for (int code = -1; code <= 33; code++) {
    // Past the delay and the timeout, so that every code is taken.
    m->last_input -= uint32_t(m->delay > 0 ? m->delay : 0) + uint32_t(m->timeout > 0 ? m->timeout : 0);
    vx_menu_input(m, code);
    if (!m->shown) vx_menu_show(m, 1);
    for (int flags : {12, 2, 14, 66, 0}) vx_menu_draw(m, &font, target, code % 3 ? &pointer : nullptr, flags);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.txt", "wb");
  if (!out || (size && std::fwrite(data, 1, size, out) != size)) std::abort();
  std::fclose(out);
  const long long before = vx_mem_used();
  VX_BITMAP target;
  const VX_RECT size_of_target = {0, 0, 160, 120};
  vx_bit_alloc(&target, &size_of_target, VX_BIT_BPP8);
  for (int flags : {0, VX_MENU_FITTED}) {
    VX_MENU menu;
    if (vx_menu_load(&menu, "fuzz.txt", "M", update, notify, &font, flags)) check_and_drive(&menu, &target);
    else if (menu.name || menu.lines) std::abort();
    vx_menu_free(&menu);
  }
  vx_bit_free(&target);
  vx_bit_scale_buffer_free();
  if (vx_mem_used() != before) std::abort();
  // Freed menus leave nothing in the resize list: it takes its whole size again.
  static VX_RECT probe[VX_DSP_RESIZE_MAX];
  for (VX_RECT& r : probe)
    if (!vx_dsp_rect_add(&r)) std::abort();
  for (VX_RECT& r : probe) vx_dsp_rect_remove(&r);
  return 0;
}
