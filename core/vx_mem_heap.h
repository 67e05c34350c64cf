// The memory tracker's heap: buffers from the system cut into elements, best fit, split and merge.
//
// Every field of the two headers is a 32-bit word, so the layout is the same
// on 32- and 64-bit machines: links are byte offsets from the start of the
// element's own buffer (0 means none: offset 0 is the buffer header), and
// buffers are numbers in the heap's buffer table. An element never crosses
// its buffer.
//
// The blocks handed out are 4-byte aligned; callers that need more push an
// alignment (vx_mem_align_push) for the duration.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/vx_mem.h"

constexpr uint32_t VX_MEM_NONE = 0xFFFFFFFFu;     // no buffer (in buffer links)
constexpr int VX_MEM_MAX_BUFFERS = 1024;          // heap buffers obtained from the system
constexpr size_t VX_MEM_GROW_SIZE = 0x100000;     // smallest buffer added when the heap is full (1 MiB)
constexpr size_t VX_MEM_DEFAULT_HEAP = 0x500000;  // first buffer when the settings say 0 (5 MiB)

// Header at the start of every heap buffer; the buffer's space follows it.
struct VX_MEM_BUFFER {
  uint32_t magic;      // VX_MEM_BUFFER_MAGIC
  uint32_t first;      // offset of the first element (always 32, right after this header)
  uint32_t ready;      // 1 once set up
  uint32_t size;       // usable bytes after this header, a multiple of 4
  uint32_t free_head;  // offset of the first element of the free list (address order), 0 for none
  uint32_t elements;   // offset of the first element of the chain (address order)
  uint32_t next, prev; // neighbouring buffers in creation order, VX_MEM_NONE for none
};
static_assert(sizeof(VX_MEM_BUFFER) == VX_MEM_BUFFER_SIZE, "buffer header is 32 bytes");

// Header in front of every block, used or free.
struct VX_MEM_ELE {
  uint32_t magic;                 // VX_MEM_USED_MAGIC or VX_MEM_FREE_MAGIC
  uint32_t size;                  // bytes after the header, a multiple of 4
  uint32_t data;                  // offset of the caller's address from the header (44, or more when aligned)
  uint32_t reserved;              // zero
  uint32_t buffer;                // number of the buffer holding the element
  uint32_t next, prev;            // neighbouring elements in address order (buffer offsets, 0 none)
  uint32_t free_next, free_prev;  // neighbours in the buffer's free list (buffer offsets, 0 none)
  uint32_t self;                  // the element's own buffer offset
  // The word just before an unaligned block: `data` again, so the header is
  // found as pointer - word. An aligned block repeats it just before its
  // address. This slot is the second of the two words the 32-bit layout kept
  // in reserve.
  uint32_t back;
};
static_assert(sizeof(VX_MEM_ELE) == VX_MEM_ELE_SIZE, "element header is 44 bytes");
static_assert(offsetof(VX_MEM_ELE, back) == VX_MEM_ELE_SIZE - 4, "back-reference is the word before the data");

struct VX_MEM_HEAP_STATS {
  long long used, max_used;  // bytes of every buffer not in a free block (headers included)
  long long free;            // bytes of the free blocks, headers excluded
  long long buffers;
};

// One element of a buffer's chain, as seen by vx_mem_heap_elements.
struct VX_MEM_HEAP_ELEMENT {
  uint32_t offset;  // buffer offset of the header
  uint32_t size;    // bytes after the header
  int used;         // 1 used, 0 free
};

// Creates the first buffer of `size` bytes (rounded up to a multiple of 4,
// at least one element header and 4 bytes). `module` is the error module
// number that heap errors are raised under; they are shown when
// settings->debug is set (the record is kept by pointer; null: never shown).
// 1, or 0 when the system refused the memory.
int vx_mem_heap_init(size_t size, int module, const VX_MEM_SETTINGS* settings);
// Returns every buffer to the system. Blocks still held become invalid.
void vx_mem_heap_deinit();
int vx_mem_heap_ready();

// A block of `size` bytes whose address is a multiple of mask + 1 (mask is
// alignment - 1; 0 for the plain 4-byte alignment). Adds a buffer when no
// free element fits (raising "Not enough heap"). None on failure.
void* vx_mem_heap_alloc(size_t size, size_t mask);
// Frees a block of this heap. 0, with "HEAP Error: Not a valid memory block"
// raised and nothing changed, when `ptr` is not the address of a used block.
int vx_mem_heap_free(void* ptr);
// Resizes a block, in place when it shrinks or the next element is free and
// large enough, else by moving it (new block aligned by `mask`, contents
// copied). None, with the block untouched, when no memory is left or `ptr`
// is not a block.
void* vx_mem_heap_realloc(void* ptr, size_t size, size_t mask);

// 1 when `ptr` lies inside the space of one of the heap's buffers.
int vx_mem_heap_contains(const void* ptr);
// Bytes usable at a block's address (at least what was asked), 0 when `ptr` is not a used block.
size_t vx_mem_heap_block_size(const void* ptr);

void vx_mem_heap_stats(VX_MEM_HEAP_STATS* out);
int vx_mem_heap_buffer_count();
// The header of buffer `index` (creation order), or null.
VX_MEM_BUFFER* vx_mem_heap_buffer(int index);
// Copies at most `max` elements of buffer `index`'s chain, in address order,
// into `out`. Returns the number of elements in the chain, -1 for no such buffer.
int vx_mem_heap_elements(int index, VX_MEM_HEAP_ELEMENT* out, int max);
