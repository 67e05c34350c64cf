// gen_str: the growing format buffer and the small string helpers of the gen layer.
#include "world/gen/gen_str.h"

#include <cstdio>
#include <cstring>

#include "core/vx_mem.h"

int gen_str_vformat(char** buffer, size_t* size, const char* name, const char* format, va_list args) {
  if (!buffer || !size || !format) return -1;
  size_t want = *size ? *size : GEN_STR_FIRST_SIZE;
  for (;;) {
    if (!*buffer || *size < want) {
      // The old text is not kept: every call formats from the start.
      char* grown = static_cast<char*>(vx_mem_malloc(want));
      if (!grown) return -1;
      if (name) vx_mem_name(grown, name);
      if (*buffer) vx_mem_free(*buffer);
      *buffer = grown;
      *size = want;
    }
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(*buffer, *size, format, copy);
    va_end(copy);
    if (n < 0) {
      (*buffer)[0] = 0;
      return -1;
    }
    if (size_t(n) < *size) return n;
    if (want > (size_t(1) << 30)) return -1;  // no message needs a gigabyte
    want *= 2;
  }
}

int gen_str_strip_mark(char* name) {
  if (!name) return 0;
  size_t n = std::strlen(name);
  if (n == 0 || name[n - 1] != '!') return 0;
  name[n - 1] = 0;
  return 1;
}

int gen_str_contains(const char* text, const char* part) {
  return text && part && std::strstr(text, part) != nullptr;
}

void gen_str_copy(char* dst, size_t size, const char* src) {
  if (!dst || size == 0) return;
  std::snprintf(dst, size, "%s", src ? src : "");
}
