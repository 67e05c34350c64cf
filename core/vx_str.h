// String operations with argument checks ("String" module).
#pragma once
#include <cstddef>
#include "core/vx_error.h"

enum VX_STR_ERROR { VX_STR_NO_MALLOC = 0, VX_STR_TOO_BIG = 1, VX_STR_FREE_NULL = 2, VX_STR_NULL = 3 };

int vx_str_init(const VX_ERROR_SETTINGS* settings);
void vx_str_deinit();

// Allocates a copy of `src` (its first `length` characters; 0 means all) into *dst. 1 or 0.
int vx_str_new(char** dst, const char* src, size_t length);
void vx_str_free(char* str);
// Copies src into dst. The checked form refuses a source longer than the
// text dst holds now ("String too big"), since that is all dst is known to fit.
int vx_str_copy(char* dst, const char* src);
int vx_str_copy_checked(char* dst, const char* src);
int vx_str_ncopy(char* dst, const char* src, size_t n);
int vx_str_cat(char* dst, const char* src);
int vx_str_ncat(char* dst, const char* src, size_t n);
int vx_str_len(const char* str);  // -1 for none
int vx_str_cmp(const char* a, const char* b);
const char* vx_str_find(const char* str, const char* what);  // first occurrence or null
int vx_str_upper(char* str);
int vx_str_lower(char* str);
int vx_str_trim(char* str);  // spaces only, both ends, in place
int vx_str_replace_char(char* str, char from, char to);  // returns the length, -1 for none

// Number to text into dst (a buffer of `size` bytes).
int vx_str_from_short(char* dst, size_t size, short v);             // "%hd"
int vx_str_from_ushort(char* dst, size_t size, unsigned short v);   // "%hu"
int vx_str_from_int(char* dst, size_t size, int v);                 // "%d"
int vx_str_from_uint(char* dst, size_t size, unsigned v);           // "%u"
int vx_str_from_llong(char* dst, size_t size, long long v);         // "%lld"
int vx_str_from_ullong(char* dst, size_t size, unsigned long long v);  // "%llu"
int vx_str_from_double(char* dst, size_t size, double v);           // "%lf"
int vx_str_from_float(char* dst, size_t size, float v);             // "%f"
int vx_str_from_char(char* dst, size_t size, char v);               // "%c"
// Text to real number; 0.0 for none.
float vx_str_to_float(const char* str);
double vx_str_to_double(const char* str);
// Writes "%s", or "%s\n" with newline, to standard output.
void vx_str_print(const char* str, int newline = 0);
