// gen_mem: named allocations and the resize helper of the gen layer; out of memory ends the program.
#include "world/gen/gen_mem.h"

#include <cstdint>
#include <cstring>

#include "core/vx_mem.h"
#include "world/gen/gen_info.h"

void* gen_mem_malloc(const char* file, int line, size_t size, const char* name) {
  void* block = vx_mem_malloc(size);
  if (!block) gen_error("gen_mem_malloc (%s %i): cant allocate enough memory for %s", file ? file : "", line,
                        name ? name : "");
  if (name) vx_mem_name(block, name);
  return block;
}

int gen_mem_resize(const char* file, int line, void** block, int* count, int new_count, size_t element_size,
                   const char* name) {
  if (!block || !count || new_count < 0 || *count < 0) return 0;
  if (new_count == 0) {
    if (*block) vx_mem_free(*block);
    *block = nullptr;
    *count = 0;
    return 1;
  }
  if (element_size && size_t(new_count) > SIZE_MAX / element_size) {
    gen_error("gen_mem_resize (%s %i): cant allocate enough memory for %s", file ? file : "", line,
              name ? name : "");
  }
  const size_t bytes = size_t(new_count) * element_size;
  void* grown = *block ? vx_mem_realloc(*block, bytes) : vx_mem_malloc(bytes);
  if (!grown && bytes) {
    gen_error("gen_mem_resize (%s %i): cant allocate enough memory for %s", file ? file : "", line,
              name ? name : "");
  }
  // A block the tracker moved or made keeps (or gets) the caller's name.
  const char* had = grown ? vx_mem_get_name(grown) : nullptr;
  if (grown && name && (!had || std::strcmp(had, name) != 0)) vx_mem_name(grown, name);
  if (new_count > *count) {
    const size_t old_bytes = size_t(*block ? *count : 0) * element_size;
    std::memset(static_cast<uint8_t*>(grown) + old_bytes, 0, bytes - old_bytes);
  }
  *block = grown;
  *count = new_count;
  return 1;
}

void gen_mem_free(void* block) {
  if (block) vx_mem_free(block);
}
