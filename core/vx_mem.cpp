// The memory tracker: allocation records with names, statistics, alignment stack, leak report and name dump.
#include "core/vx_mem.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_list.h"
#include "core/vx_mem_heap.h"
#include "platform/platform.h"

namespace {

const char* const kMemTable[] = {
    "Tried to free a NULL pointer!",
    "malloc() failed!",
    "VX INTERNAL ERROR:  couldn't malloc VX_MEM_ELE",
    "calloc failed!",
    "passed a non NULL pointer to realloc which wasn't allocated by the vx_mem module!",
    "Tried to malloc a zero length buffer",
    "Tried to name a NULL Pointer",
    "Tried to name a pointer that wasn't allocated with vx_mem_malloc",
    "Not enough heap. Allocating another buffer",
    "HEAP Error: Not a valid memory block",
    "realloc failed!",
    "Too many vx_mem_align_pop!",
};
static_assert(std::size(kMemTable) == VX_MEM_ALIGN_POP + 1, "one message per error code");

constexpr size_t kNameBufferSize = 256;
constexpr int kAlignGrow = 10;   // alignment stack entries added at a time
constexpr int kEarlyMax = 256;   // standard-allocator blocks remembered while the tracker is stopped

// One live tracked block. It counts VX_MEM_RECORD_SIZE (12) bytes in `used`,
// the size of the record on the 32-bit machines the statistics were made for.
struct MemRecord {
  void* ptr;
  size_t size;  // bytes asked for
  char* name;   // untracked heap copy, or null
};

const VX_MEM_SETTINGS kDefaultSettings = {0, 0};

struct MemState {
  VX_MEM_SETTINGS settings;
  int started;
  int module;
  // MemRecord*, in allocation order. The header lives here rather than
  // through vx_list_create, so the tracker's own list is not counted among
  // the engine's live lists; its nodes are untracked heap blocks.
  VX_LIST records;
  char* name_buffer;  // scratch for the debug names
  size_t* align;      // alignment stack of masks (alignment - 1)
  int align_count, align_cap;
  long long used, max_used, count, max_count;
  long long total_ram, free_ram;
  VX_MEM_HEAP_STATS last_heap;  // the heap's figures at the last shutdown
};
MemState st = {{0, 0}, 0, -1, {nullptr, 0, nullptr}, nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, {}};

// Kept apart from MemState because they outlive a restart of the tracker.
VX_MEM_STATS_WRITER stats_writer = nullptr;
// Blocks handed out by the standard allocator while the tracker was stopped
// and not yet freed: after a start, a pointer outside the heap is given back
// to the standard allocator only when it is listed here. A block that did
// not fit the list is then refused (code 9) and leaks rather than risk
// freeing a pointer that never came from the allocator.
std::array<void*, kEarlyMax> early = {};
int early_count = 0;

int debug() { return st.settings.debug; }
void mem_raise(int code) { vx_error_raise(st.module, code, debug()); }

void early_add(void* p) {
  if (p && early_count < kEarlyMax) early[early_count++] = p;
}

int early_take(void* p) {
  for (int i = 0; i < early_count; ++i) {
    if (early[i] == p) {
      early[i] = early[--early_count];
      return 1;
    }
  }
  return 0;
}

void* std_alloc(size_t size) {
  void* p = std::malloc(size ? size : 1);
  early_add(p);
  return p;
}

void std_free(void* p) {
  early_take(p);
  std::free(p);
}

// Frees a block of either origin while the tracker runs; 0 (code 9) when
// `p` is neither a heap block nor a known standard block.
int block_free(void* p) {
  if (vx_mem_heap_contains(p)) return vx_mem_heap_free(p);
  if (early_take(p)) {
    std::free(p);
    return 1;
  }
  mem_raise(VX_MEM_NOT_A_BLOCK);
  return 0;
}

size_t align_mask() { return st.align_count ? st.align[st.align_count - 1] : 0; }

void note_used() {
  if (st.used > st.max_used) st.max_used = st.used;
  if (st.count > st.max_count) st.max_count = st.count;
}

MemRecord* find_record(const void* ptr) {
  for (VX_LIST_NODE* n = st.records.head; n; n = n->next) {
    auto* r = static_cast<MemRecord*>(n->data);
    if (r->ptr == ptr) return r;
  }
  return nullptr;
}

// Forgets a record (the block itself is left alone).
void drop_record(MemRecord* r) {
  st.used -= static_cast<long long>(r->size + VX_MEM_RECORD_SIZE);
  st.count--;
  vx_list_remove(&st.records, r);
  vx_mem_raw_free(r->name);
  vx_mem_raw_free(r);
}

#ifdef PS_MEM_SYSTEM_BLOCKS
// Fuzz builds: the tracked blocks themselves come from the system allocator,
// each with its exact size, so the address sanitizer reports a read or write
// past any of them; records, names and figures stay the tracker's.
void* block_alloc(size_t size, size_t mask) {
  if (size == 0) size = 1;
  if (!mask) return std::malloc(size);
  const size_t align = mask + 1 < sizeof(void*) ? sizeof(void*) : mask + 1;
  if (size > static_cast<size_t>(-1) - mask) return nullptr;
  return std::aligned_alloc(align, (size + align - 1) & ~(align - 1));
}
void block_release(void* p) { std::free(p); }
void* block_resize(void* p, size_t old, size_t size, size_t mask) {
  void* q = block_alloc(size, mask);
  if (!q) return nullptr;
  std::memcpy(q, p, old < size ? old : size);
  std::free(p);
  return q;
}
#else
void* block_alloc(size_t size, size_t mask) { return vx_mem_heap_alloc(size, mask); }
void block_release(void* p) { vx_mem_heap_free(p); }
void* block_resize(void* p, size_t, size_t size, size_t mask) { return vx_mem_heap_realloc(p, size, mask); }
#endif

// A tracked heap block of `size` bytes; `fail_code` is raised when the heap
// refuses it.
void* track_alloc(size_t size, int fail_code) {
  auto* r = static_cast<MemRecord*>(vx_mem_heap_alloc(sizeof(MemRecord), 0));
  if (!r) {
    mem_raise(VX_MEM_RECORD_FAILED);
    return nullptr;
  }
  void* p = block_alloc(size, align_mask());
  int listed = 0;
  if (p) {
    *r = MemRecord{p, size, nullptr};
    int before = st.records.count;
    vx_list_append(&st.records, r);
    listed = st.records.count == before + 1;
  }
  if (!listed) {
    if (p) block_release(p);
    vx_mem_heap_free(r);
    vx_error_raise(st.module, fail_code, debug(), "Heap Size = %d, Buffer Size = %d", static_cast<int>(st.used),
                   static_cast<int>(size));
    return nullptr;
  }
  st.used += static_cast<long long>(size + VX_MEM_RECORD_SIZE);
  st.count++;
  note_used();
  return p;
}

// Formats a fresh untracked copy of a name; null when no memory is left.
char* name_copy(const char* format, const char* a, const char* b) {
  int len = std::snprintf(nullptr, 0, format, a, b);
  auto* s = static_cast<char*>(vx_mem_raw_alloc(static_cast<size_t>(len) + 1));
  if (s) std::snprintf(s, static_cast<size_t>(len) + 1, format, a, b);
  return s;
}

// Names a block after its caller's location, in the name buffer.
int name_debug(void* ptr, const char* name, const char* file, int line) {
  char local[kNameBufferSize];
  char* buf = st.name_buffer ? st.name_buffer : local;
  std::snprintf(buf, kNameBufferSize, "%s (Allocated or Named in file: %s, on line: %d)", name ? name : "",
                file ? file : "", line);
  return vx_mem_name(ptr, buf);
}

void info_box(const char* text) { plat_message_box(nullptr, text, "Memory Info", PLAT_MB_OK); }

// The eight figures kept in section "System" of the settings file after a run.
void mem_write_statistics() {
  VX_MEM_HEAP_STATS h;
  vx_mem_heap_stats(&h);
  const std::array<std::pair<const char*, long long>, 8> figures = {{
      {"TotalRAM", st.total_ram},
      {"FreeRAM", st.free_ram},
      {"UsedRAM", st.max_used},
      {"MaxNumberAlloc", st.max_count},
      {"NumberAlloc", st.count},
      {"TotalSizeHeap", h.free},
      {"MaxUsedHeap", h.max_used},
      // each buffer's space starts as one free element whose header counts as
      // heap in use; the figure leaves those headers out
      {"UsedHeap", h.used - static_cast<long long>(VX_MEM_ELE_SIZE) * h.buffers},
  }};
  if (!stats_writer) return;
  for (const auto& [key, value] : figures) stats_writer("System", key, value);
}

// Reports and forgets the records still held at shutdown.
void report_leaks() {
  for (VX_LIST_NODE* n = st.records.head; n; n = n->next) {
    auto* r = static_cast<MemRecord*>(n->data);
    if (debug()) {
      char text[512];
      std::snprintf(text, sizeof text, "Pointer not freed before exit! Name: '%s' Size: '%d'", r->name ? r->name : "",
                    static_cast<int>(r->size));
      info_box(text);
    }
    vx_mem_raw_free(r->name);
    vx_mem_raw_free(r);
  }
  vx_list_clear(&st.records);
}

}  // namespace

int vx_mem_init(const VX_MEM_SETTINGS* settings) {
  if (st.started) return 1;
  // Alignments pushed before the start stay in force.
  st = MemState{settings ? *settings : kDefaultSettings, 0, -1, {nullptr, 0, nullptr}, nullptr, st.align,
                st.align_count, st.align_cap, 0, 0, 0, 0, 0, 0, {}};
  uint64_t total = 0, avail = 0;
  plat_memory_status(&total, &avail);
  st.total_ram = static_cast<long long>(total);
  st.free_ram = static_cast<long long>(avail);
  st.module = vx_error_register("Memory", kMemTable);
  if (!vx_mem_heap_init(st.settings.heap_size, st.module, &st.settings)) {
    vx_error_alert("HEAP INIT FAILED");
    return 0;
  }
  st.started = 1;
  st.name_buffer = static_cast<char*>(vx_mem_malloc(kNameBufferSize));
  if (st.name_buffer) {
    st.name_buffer[0] = 0;
    if (debug()) vx_mem_name(st.name_buffer, "vx_mem_name_buffer");
  }
  return 1;
}

int vx_mem_deinit() {
  if (!st.started) return st.used == 0;
  if (st.name_buffer) vx_mem_free(st.name_buffer);
  st.name_buffer = nullptr;
  vx_mem_raw_free(st.align);
  st.align = nullptr;
  st.align_count = st.align_cap = 0;
  report_leaks();
  mem_write_statistics();
  vx_mem_heap_stats(&st.last_heap);
  vx_mem_heap_deinit();
  st.started = 0;
  char text[160];
  if (st.used > 0) {
    std::snprintf(text, sizeof text, "Memory not all freed: %ld bytes left", static_cast<long>(st.used));
    if (debug()) vx_error_alert(text);
    return 0;
  }
  if (st.used < 0) {
    std::snprintf(text, sizeof text, "More memory freed with vx_mem than allocated: %ld bytes",
                  static_cast<long>(st.used));
    if (debug()) vx_error_alert(text);
    return 0;
  }
  return 1;
}

int vx_mem_started() { return st.started; }

void vx_mem_set_stats_writer(VX_MEM_STATS_WRITER writer) { stats_writer = writer; }

void* vx_mem_raw_alloc(size_t size) {
  if (!st.started) return std_alloc(size);
  return vx_mem_heap_alloc(size, 0);
}

void vx_mem_raw_free(void* ptr) {
  if (!ptr) return;
  if (!st.started) {
    std_free(ptr);
    return;
  }
  block_free(ptr);
}

void* vx_mem_malloc(size_t size) {
  if (!st.started) return std_alloc(size);
  return track_alloc(size, VX_MEM_MALLOC_FAILED);
}

void* vx_mem_calloc(size_t count, size_t size) {
  if (size && count > static_cast<size_t>(-1) / size) {
    mem_raise(VX_MEM_CALLOC_FAILED);
    return nullptr;
  }
  void* p;
  if (!st.started) {
    p = std::calloc(count ? count : 1, size ? size : 1);
    early_add(p);
    return p;
  }
  p = track_alloc(count * size, VX_MEM_CALLOC_FAILED);
  if (p) std::memset(p, 0, count * size);
  return p;
}

void* vx_mem_realloc(void* ptr, size_t size) {
  if (!st.started) {
    if (!ptr) return std_alloc(size);
    if (size == 0) {
      std_free(ptr);
      return nullptr;
    }
    int known = early_take(ptr);
    void* q = std::realloc(ptr, size);
    if (q || known) early_add(q ? q : ptr);
    return q;
  }
  if (!ptr) return vx_mem_malloc(size);
  MemRecord* r = find_record(ptr);
  if (!r) {
    mem_raise(VX_MEM_REALLOC_FOREIGN);
    return vx_mem_malloc(size);
  }
  if (size == 0) {
    drop_record(r);
    block_release(ptr);
    return nullptr;
  }
  void* q = block_resize(ptr, r->size, size, align_mask());
  if (!q) {
    mem_raise(VX_MEM_REALLOC_FAILED);
    drop_record(r);
    return nullptr;
  }
  st.used += static_cast<long long>(size) - static_cast<long long>(r->size);
  r->ptr = q;
  r->size = size;
  note_used();
  return q;
}

void vx_mem_free(void* ptr) {
  if (!st.started) {
    if (ptr) std_free(ptr);
    return;
  }
  if (!ptr) {
    mem_raise(VX_MEM_FREE_NULL);
    return;
  }
  if (MemRecord* r = find_record(ptr)) {
    drop_record(r);
    block_release(ptr);
    return;
  }
  if (!vx_mem_heap_contains(ptr) && early_take(ptr)) {
    std::free(ptr);  // allocated before the start, when blocks carried no records
    return;
  }
  block_free(ptr);
  vx_error_alert("Warning, did not add with vx_malloc()");
}

int vx_mem_name(void* ptr, const char* name) {
  if (!st.started) return 0;
  if (!ptr) {
    mem_raise(VX_MEM_NAME_NULL);
    return 0;
  }
  if (!name) name = "";
  MemRecord* r = find_record(ptr);
  if (!r) {
    vx_error_raise(st.module, VX_MEM_NAME_FOREIGN, debug(), "Name: %s", name);
    return 0;
  }
  char* copy = r->name ? name_copy("%s (Previously known as %s)", name, r->name) : name_copy("%s%s", name, "");
  if (!copy) {
    mem_raise(VX_MEM_MALLOC_FAILED);
    return 0;
  }
  vx_mem_raw_free(r->name);
  r->name = copy;
  return 1;
}

const char* vx_mem_get_name(void* ptr) {
  MemRecord* r = st.started ? find_record(ptr) : nullptr;
  return r ? r->name : nullptr;
}

long long vx_mem_used() { return st.used; }
long long vx_mem_max_used() { return st.max_used; }

void vx_mem_stats(VX_MEM_STATS* out) {
  if (!out) return;
  VX_MEM_HEAP_STATS h = st.last_heap;
  if (st.started) vx_mem_heap_stats(&h);
  *out = VX_MEM_STATS{st.used,     st.max_used, st.count,   st.max_count, h.used,
                      h.max_used,  h.free,      h.buffers,  st.total_ram, st.free_ram};
}

void vx_mem_align_push(size_t alignment) {
  size_t a = 1;
  while (a < alignment && a < (static_cast<size_t>(1) << 20)) a <<= 1;  // the next power of two, at most 1 MiB
  if (st.align_count == st.align_cap) {
    auto* grown = static_cast<size_t*>(vx_mem_raw_alloc((st.align_cap + kAlignGrow) * sizeof(size_t)));
    if (!grown) {
      mem_raise(VX_MEM_MALLOC_FAILED);
      return;
    }
    if (st.align_count) std::memcpy(grown, st.align, st.align_count * sizeof(size_t));
    vx_mem_raw_free(st.align);
    st.align = grown;
    st.align_cap += kAlignGrow;
  }
  st.align[st.align_count++] = a - 1;
}

void vx_mem_align_pop() {
  if (st.align_count == 0) {
    mem_raise(VX_MEM_ALIGN_POP);
    return;
  }
  st.align_count--;
}

int vx_mem_name_dump(const char* file) {
  // Opening the file may allocate (the handle); the dump shows the blocks
  // that were live when it was asked for.
  int records = st.records.count;
  VX_IO_FILE* f = file ? vx_io_fopen(file, "w") : nullptr;
  if (!f) {
    char text[512];
    std::snprintf(text, sizeof text, "Error opening %s in vx_mem_name_dump", file ? file : "");
    vx_error_alert(text);
    return 0;
  }
  vx_io_fputs("\n\n*** vx_mem_name_dump() begin ***\n\n", f);
  long long total = 0;
  char line[96];
  VX_LIST_NODE* n = st.records.head;
  for (int i = 0; i < records && n; ++i, n = n->next) {
    auto* r = static_cast<MemRecord*>(n->data);
    // The address column is 32 bits wide: the low half of a 64-bit address.
    auto low = static_cast<unsigned>(reinterpret_cast<uintptr_t>(r->ptr));
    std::snprintf(line, sizeof line, "PTR = %8x, Size = %10d, Name = ", low, static_cast<int>(r->size));
    vx_io_fputs(line, f);
    vx_io_fputs(r->name ? r->name : "(null)", f);
    vx_io_fputs("\n", f);
    total += static_cast<long long>(r->size);
  }
  std::snprintf(line, sizeof line, "\nTotal RAM allocated: %d\n", static_cast<int>(total));
  vx_io_fputs(line, f);
  vx_io_fputs("\n\n*** vx_mem_name_dump() end ***\n\n", f);
  return vx_io_fclose(f) == 0;
}

// ---------------------------------------------------------------- debug variants

void* vx_mem_malloc_dbg(const char* file, int line, size_t size) {
  vx_error_location(file, line);
  void* p = vx_mem_malloc(size);
  if (p) name_debug(p, "", file, line);
  return p;
}

void* vx_mem_calloc_dbg(const char* file, int line, size_t count, size_t size) {
  vx_error_location(file, line);
  void* p = vx_mem_calloc(count, size);
  if (p) name_debug(p, "", file, line);
  return p;
}

void* vx_mem_realloc_dbg(const char* file, int line, void* ptr, size_t size) {
  vx_error_location(file, line);
  void* p = vx_mem_realloc(ptr, size);
  if (p && !vx_mem_get_name(p)) name_debug(p, "", file, line);
  return p;
}

void vx_mem_free_dbg(const char* file, int line, void* ptr) {
  vx_error_location(file, line);
  vx_mem_free(ptr);
}

int vx_mem_name_dbg(const char* file, int line, void* ptr, const char* name) {
  vx_error_location(file, line);
  if (!ptr || !st.started) return vx_mem_name(ptr, name);
  return name_debug(ptr, name, file, line);
}

void* vx_mem_alloc_named(size_t size, const char* name) {
  void* p = vx_mem_malloc(size);
  if (p && name) vx_mem_name(p, name);
  return p;
}
