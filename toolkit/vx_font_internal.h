// Shared by the font module's files: its state, reports, text decoding and character lookup.
#pragma once
#include <cstdint>

#include "toolkit/vx_font.h"

// Raises `code` of module "Font" with an optional detail line; shown in debug mode.
void vx_font_raise(int code, const char* detail_format = nullptr, ...) __attribute__((format(printf, 2, 3)));
int vx_font_debug();
VX_FONT_PICTURE_LOADER vx_font_picture_loader();
// The module's 256-byte text buffer; null while the module is not running.
char* vx_font_text_buffer();
// Decodes `text` as the font's version reads texts (UTF-8 for version 2)
// into the module's decoding buffer; *codes points at the result. The count.
int vx_font_decode(const VX_FONT* font, const char* text, const uint32_t** codes);

// Index (0-based) of the entry of `code`, or -1. While a font is being
// loaded its table is not sorted yet: `loading` searches it linearly.
int vx_font_find(const VX_FONT* font, uint32_t code, bool loading);
// The entry drawn for `code`: its own, else default_char's; null when the
// font has no characters.
const VX_FONT_CHAR* vx_font_entry(const VX_FONT* font, uint32_t code);
