// The memory tracker: the engine's own heap, a named record of every live block, statistics and leak report.
#pragma once
#include <cstddef>
#include <cstdint>

struct VX_MEM_SETTINGS {
  int debug;         // non-zero shows this module's errors and names its internal blocks
  size_t heap_size;  // bytes of the first heap buffer; 0 means 0x500000 (5 MiB)
};

constexpr uint32_t VX_MEM_BUFFER_MAGIC = 0x27EFCDABu;
constexpr uint32_t VX_MEM_USED_MAGIC = 0x12EFCDABu;
constexpr uint32_t VX_MEM_FREE_MAGIC = 0xFFEFCDABu;
constexpr size_t VX_MEM_ELE_SIZE = 44;     // element header in front of every block
constexpr size_t VX_MEM_BUFFER_SIZE = 32;  // heap buffer header
constexpr size_t VX_MEM_RECORD_SIZE = 12;  // what a live record adds to `used`
constexpr size_t VX_MEM_SPLIT_MIN = 45;    // surplus from which a free element is split

// Error codes of module "Memory".
enum VX_MEM_ERROR {
  VX_MEM_FREE_NULL = 0,
  VX_MEM_MALLOC_FAILED = 1,
  VX_MEM_RECORD_FAILED = 2,
  VX_MEM_CALLOC_FAILED = 3,
  VX_MEM_REALLOC_FOREIGN = 4,
  VX_MEM_ZERO_LENGTH = 5,
  VX_MEM_NAME_NULL = 6,
  VX_MEM_NAME_FOREIGN = 7,
  VX_MEM_NEW_BUFFER = 8,
  VX_MEM_NOT_A_BLOCK = 9,
  VX_MEM_REALLOC_FAILED = 10,
  VX_MEM_ALIGN_POP = 11,
};

struct VX_MEM_STATS {
  long long used, max_used;          // bytes asked for by live blocks, plus 12 per record
  long long count, max_count;        // live tracked blocks
  long long heap_used, max_heap_used;  // heap bytes outside free blocks: used blocks and every element header
  long long heap_free;               // bytes of the free blocks in all heap buffers, headers excluded
  long long buffers;                 // heap buffers obtained from the system
  long long total_ram, free_ram;     // the machine's memory, read at start
};

// Starts the tracker: reads the machine's memory status, registers module
// "Memory", creates the first heap buffer (failure: box "HEAP INIT FAILED",
// result 0), the record list and the 256-byte name buffer. `settings` is
// copied (null: defaults, debug off). 1 or 0; 1 at once when already started.
int vx_mem_init(const VX_MEM_SETTINGS* settings);
// Reports the blocks still allocated ("Memory Info" boxes in debug mode),
// hands the statistics to the statistics writer, returns every heap buffer
// to the system. 1 when every block had been freed (`used` back at 0), else 0.
// vx_mem_used() and vx_mem_max_used() keep their last values afterwards.
int vx_mem_deinit();
int vx_mem_started();

// The usual contracts. Before vx_mem_init and after vx_mem_deinit they go to
// the standard allocator. Blocks are 4-byte aligned unless an alignment is
// pushed. A zero-length malloc gives a valid block of its own.
void* vx_mem_malloc(size_t size);
void* vx_mem_calloc(size_t count, size_t size);  // zero-filled; none when count * size overflows
// Null `ptr` allocates. A pointer the tracker does not know raises code 4 and
// gets a fresh block of `size` bytes (nothing copied, the old block
// untouched). Size 0 frees the block and gives none. When the heap cannot
// satisfy the request the result is none, code 10 is raised and the block's
// record and name are dropped: the old block stays valid but untracked.
void* vx_mem_realloc(void* ptr, size_t size);
// Null raises code 0. A pointer without a record is still freed when it is a
// heap block (else code 9, nothing changes) and raises the alert "Warning,
// did not add with vx_malloc()".
void vx_mem_free(void* ptr);
// Gives a live block a copy of `name`; a named block gets "new (Previously
// known as old)". 1, or 0 for none (code 6) or an unknown block (code 7).
int vx_mem_name(void* ptr, const char* name);
const char* vx_mem_get_name(void* ptr);  // the block's name, or null; owned by the tracker
long long vx_mem_used();      // bytes asked for by live blocks plus 12 per record
long long vx_mem_max_used();
void vx_mem_stats(VX_MEM_STATS* out);
// While alignments are pushed, every block's address is a multiple of the
// top one (a power of two up to 1 MiB; other values are rounded up to one).
void vx_mem_align_push(size_t alignment);
void vx_mem_align_pop();  // code 11 when nothing is pushed
// 2 when every heap buffer, element chain and free list is consistent, else 0.
// `heap` is the first buffer to check, or null for all of them.
int vx_mem_heap_check(void* heap);
// Writes every live block (address, size, name) to `file`, opened for
// writing through the file layer. 1, or 0 with the box "Error opening <file>
// in vx_mem_name_dump".
int vx_mem_name_dump(const char* file);

// Untracked heap blocks, for the engine's own bookkeeping (list nodes and
// headers, names): no record, no name, not in the leak report, never
// aligned by the alignment stack. Before the tracker starts they come from
// the standard allocator; vx_mem_raw_free tells those apart from heap blocks
// by address, so either kind may be freed at any time.
void* vx_mem_raw_alloc(size_t size);
void vx_mem_raw_free(void* ptr);

// Debug variants: record the caller's location in the error module and name
// the block "%s (Allocated or Named in file: %s, on line: %d)" (an empty name
// for the allocations). The debug realloc keeps a name the block already has.
void* vx_mem_malloc_dbg(const char* file, int line, size_t size);
void* vx_mem_calloc_dbg(const char* file, int line, size_t count, size_t size);
void* vx_mem_realloc_dbg(const char* file, int line, void* ptr, size_t size);
void vx_mem_free_dbg(const char* file, int line, void* ptr);
int vx_mem_name_dbg(const char* file, int line, void* ptr, const char* name);

// Allocates and names in one call; the common form in the engine.
void* vx_mem_alloc_named(size_t size, const char* name);

// Receives the statistics at shutdown, one integer key at a time, for
// section "System" of the per-user settings file: "TotalRAM", "FreeRAM",
// "UsedRAM", "MaxNumberAlloc", "NumberAlloc", "TotalSizeHeap", "MaxUsedHeap",
// "UsedHeap". The file layer installs it; null (the default) writes nothing.
// The writer survives restarts of the tracker.
typedef void (*VX_MEM_STATS_WRITER)(const char* section, const char* key, long long value);
void vx_mem_set_stats_writer(VX_MEM_STATS_WRITER writer);
