// gen_mem: the gen layer's allocations through the memory tracker, each named, with the program's end when memory runs out.
#pragma once
#include <cstddef>

// A block of `size` bytes from the memory tracker named `name`. When memory
// runs out the program ends through gen_error ("gen_mem_malloc (%s %i): cant
// allocate enough memory for %s", with file, line and name): the result is
// never null. `file` and `line` are the caller's (__FILE__, __LINE__).
void* gen_mem_malloc(const char* file, int line, size_t size, const char* name);
// Makes *block (null, or a block from gen_mem_malloc / gen_mem_resize)
// new_count x element_size bytes long, zeroes the elements from *count on,
// and sets *count = new_count. A new count of 0 frees the block (*block
// null). Running out of memory ends the program as gen_mem_malloc does
// ("gen_mem_resize (%s %i): cant allocate enough memory for %s"). 1, or 0
// for null pointers or a negative count (nothing changed).
int gen_mem_resize(const char* file, int line, void** block, int* count, int new_count, size_t element_size,
                   const char* name);
// Frees a block of either function; null does nothing.
void gen_mem_free(void* block);
