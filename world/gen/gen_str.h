// gen_str: the gen layer's text helpers: a growing format buffer, the `!` filter mark, bounded copies.
#pragma once
#include <cstdarg>
#include <cstddef>

// The format buffer's first size in bytes; it doubles until a text fits.
constexpr size_t GEN_STR_FIRST_SIZE = 100;

// Formats into *buffer (a tracked block of *size bytes, or null with *size
// 0), growing it from GEN_STR_FIRST_SIZE by doubling until the text fits;
// a grown block is named `name`. The text's length, or -1 when the buffer
// cannot grow (it then holds as much of the text as fits, terminated).
int gen_str_vformat(char** buffer, size_t* size, const char* name, const char* format, va_list args);

// Removes one trailing `!` (the nearest-pixel filter mark of texture file
// names). 1 when there was one; null gives 0.
int gen_str_strip_mark(char* name);
// 1 when `text` contains `part` (case-sensitive); a null argument gives 0.
int gen_str_contains(const char* text, const char* part);
// Copies `src` (null reads as "") into `dst` of `size` bytes, cut to fit and terminated.
void gen_str_copy(char* dst, size_t size, const char* src);
