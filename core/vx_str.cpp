// String operations with argument checks: every missing string is reported, none crashes.
#include "core/vx_str.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/vx_mem.h"

namespace {

const char* const kStrTable[] = {
    "Could not malloc space",
    "String too big",
    "Trying to destroy a null string",
    "Passed a NULL string to string function.  Shame on you.",
};

struct StrState {
  VX_ERROR_SETTINGS settings;
  int module;
};
StrState st = {{0}, -1};

void raise(int code) { vx_error_raise(st.module, code, st.settings.debug); }

bool check(const void* a, const void* b = "") {
  if (a && b) return true;
  raise(VX_STR_NULL);
  return false;
}

}  // namespace

int vx_str_init(const VX_ERROR_SETTINGS* settings) {
  st = {};
  if (settings) st.settings = *settings;
  st.module = vx_error_register("String", kStrTable);
  return 1;
}

void vx_str_deinit() {}

int vx_str_new(char** dst, const char* src, size_t length) {
  if (!check(dst, src)) return 0;
  size_t n = std::strlen(src);
  if (length && length < n) n = length;
  *dst = static_cast<char*>(vx_mem_malloc(n + 1));
  if (!*dst) {
    raise(VX_STR_NO_MALLOC);
    return 0;
  }
  std::memcpy(*dst, src, n);
  (*dst)[n] = 0;
  return 1;
}

void vx_str_free(char* str) {
  if (!str) {
    raise(VX_STR_FREE_NULL);
    return;
  }
  vx_mem_free(str);
}

int vx_str_copy(char* dst, const char* src) {
  if (!check(dst, src)) return 0;
  std::memmove(dst, src, std::strlen(src) + 1);
  return 1;
}

int vx_str_copy_checked(char* dst, const char* src) {
  if (!check(dst, src)) return 0;
  if (std::strlen(src) > std::strlen(dst)) {
    raise(VX_STR_TOO_BIG);
    return 0;
  }
  std::memmove(dst, src, std::strlen(src) + 1);
  return 1;
}

int vx_str_ncopy(char* dst, const char* src, size_t n) {
  if (!check(dst, src)) return 0;
  std::strncpy(dst, src, n);
  return 1;
}

int vx_str_cat(char* dst, const char* src) {
  if (!check(dst, src)) return 0;
  std::strcat(dst, src);
  return 1;
}

int vx_str_ncat(char* dst, const char* src, size_t n) {
  if (!check(dst, src)) return 0;
  std::strncat(dst, src, n);
  return 1;
}

int vx_str_len(const char* str) {
  if (!check(str)) return -1;
  return static_cast<int>(std::strlen(str));
}

int vx_str_cmp(const char* a, const char* b) {
  if (!check(a, b)) return 0;
  return std::strcmp(a, b);
}

const char* vx_str_find(const char* str, const char* what) {
  if (!check(str, what)) return nullptr;
  return std::strstr(str, what);
}

int vx_str_upper(char* str) {
  if (!check(str)) return 0;
  for (char* p = str; *p; p++) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return 1;
}

int vx_str_lower(char* str) {
  if (!check(str)) return 0;
  for (char* p = str; *p; p++) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return 1;
}

int vx_str_trim(char* str) {
  if (!check(str)) return 0;
  size_t n = std::strlen(str);
  while (n && str[n - 1] == ' ') str[--n] = 0;
  size_t lead = 0;
  while (str[lead] == ' ') lead++;
  if (lead) std::memmove(str, str + lead, n - lead + 1);
  return 1;
}

int vx_str_replace_char(char* str, char from, char to) {
  if (!check(str)) return -1;
  int n = 0;
  for (; str[n]; n++)
    if (str[n] == from) str[n] = to;
  return n;
}

// Number to text: the formats are part of what callers write into files.
template <typename T>
static int format_into(char* dst, size_t size, const char* fmt, T v) {
  if (!check(dst)) return 0;
  int n = std::snprintf(dst, size, fmt, v);
  if (n < 0 || static_cast<size_t>(n) >= size) {
    raise(VX_STR_TOO_BIG);
    return 0;
  }
  return 1;
}

int vx_str_from_short(char* d, size_t s, short v) { return format_into(d, s, "%hd", v); }
int vx_str_from_ushort(char* d, size_t s, unsigned short v) { return format_into(d, s, "%hu", v); }
int vx_str_from_int(char* d, size_t s, int v) { return format_into(d, s, "%d", v); }
int vx_str_from_uint(char* d, size_t s, unsigned v) { return format_into(d, s, "%u", v); }
int vx_str_from_llong(char* d, size_t s, long long v) { return format_into(d, s, "%lld", v); }
int vx_str_from_ullong(char* d, size_t s, unsigned long long v) { return format_into(d, s, "%llu", v); }
int vx_str_from_double(char* d, size_t s, double v) { return format_into(d, s, "%lf", v); }
int vx_str_from_float(char* d, size_t s, float v) { return format_into(d, s, "%f", static_cast<double>(v)); }
int vx_str_from_char(char* d, size_t s, char v) { return format_into(d, s, "%c", v); }

float vx_str_to_float(const char* str) {
  if (!check(str)) return 0.0f;
  return std::strtof(str, nullptr);
}

double vx_str_to_double(const char* str) {
  if (!check(str)) return 0.0;
  return std::strtod(str, nullptr);
}

void vx_str_print(const char* str, int newline) {
  if (!check(str)) return;
  std::printf(newline ? "%s\n" : "%s", str);
}
