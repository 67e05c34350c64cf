// The memory tracker's heap: buffers cut into 44-byte-headed elements, best fit, split, merge and check.
#include "core/vx_mem_heap.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "core/vx_error.h"

namespace {

// Buffers hold 32-bit offsets, so a buffer's usable size stays below 4 GiB
// with room for its header and the rounding of a request.
constexpr size_t kMaxBufferSize = 0xFFFFFF00u;
constexpr uint32_t kHeader = static_cast<uint32_t>(VX_MEM_ELE_SIZE);
constexpr uint32_t kFirst = static_cast<uint32_t>(VX_MEM_BUFFER_SIZE);  // offset of a buffer's first element

struct HeapState {
  std::array<VX_MEM_BUFFER*, VX_MEM_MAX_BUFFERS> buffers;  // creation order; buffer links repeat it
  int count;
  int ready;
  int module;
  const VX_MEM_SETTINGS* settings;
  long long used, max_used;  // buffer bytes outside free blocks: used blocks and every header
  long long free;            // bytes of free blocks, headers excluded
};
HeapState st = {};

void heap_raise(int code) { vx_error_raise(st.module, code, st.settings && st.settings->debug); }

char* base(uint32_t b) { return reinterpret_cast<char*>(st.buffers[b]); }
VX_MEM_ELE* ele(uint32_t b, uint32_t off) { return reinterpret_cast<VX_MEM_ELE*>(base(b) + off); }

void note_used() {
  if (st.used > st.max_used) st.max_used = st.used;
}

// Writes the back-reference in front of a block's address.
void set_data(VX_MEM_ELE* e, uint32_t data) {
  e->data = data;
  e->back = data;
  std::memcpy(reinterpret_cast<char*>(e) + data - 4, &data, 4);
}

// Finds the buffer whose space holds `ptr`; -1 for none.
int buffer_of(const void* ptr) {
  auto p = reinterpret_cast<uintptr_t>(ptr);
  for (int b = 0; b < st.count; ++b) {
    auto lo = reinterpret_cast<uintptr_t>(st.buffers[b]);
    if (p >= lo + kFirst && p < lo + kFirst + st.buffers[b]->size) return b;
  }
  return -1;
}

// The used element whose block starts at `ptr`, or null. Reads only inside
// the buffer, so any pointer may be asked about.
VX_MEM_ELE* element_of(const void* ptr, uint32_t* buffer) {
  int b = buffer_of(ptr);
  if (b < 0) return nullptr;
  uint32_t off = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ptr) - reinterpret_cast<uintptr_t>(st.buffers[b]));
  if (off < kFirst + kHeader) return nullptr;
  uint32_t word;
  std::memcpy(&word, base(b) + off - 4, 4);
  if (word < kHeader || word > off - kFirst) return nullptr;
  uint32_t at = off - word;
  if (at % 4 != 0 || at + kHeader > kFirst + st.buffers[b]->size) return nullptr;
  VX_MEM_ELE* e = ele(b, at);
  if (e->magic != VX_MEM_USED_MAGIC || e->self != at || e->buffer != static_cast<uint32_t>(b) ||
      e->data != word || word - kHeader >= e->size)
    return nullptr;
  *buffer = b;
  return e;
}

void free_list_unlink(uint32_t b, VX_MEM_ELE* e) {
  VX_MEM_BUFFER* buf = st.buffers[b];
  if (e->free_prev)
    ele(b, e->free_prev)->free_next = e->free_next;
  else
    buf->free_head = e->free_next;
  if (e->free_next) ele(b, e->free_next)->free_prev = e->free_prev;
  e->free_next = e->free_prev = 0;
}

// Puts a free element into its buffer's free list at its address position.
void free_list_insert(uint32_t b, VX_MEM_ELE* e) {
  VX_MEM_BUFFER* buf = st.buffers[b];
  uint32_t prev = 0, cur = buf->free_head;
  if (e->next && ele(b, e->next)->magic == VX_MEM_FREE_MAGIC) {
    cur = e->next;  // the free chain neighbour is the free-list successor
    prev = ele(b, cur)->free_prev;
  } else {
    while (cur && cur < e->self) {
      prev = cur;
      cur = ele(b, cur)->free_next;
    }
  }
  e->free_prev = prev;
  e->free_next = cur;
  if (prev)
    ele(b, prev)->free_next = e->self;
  else
    buf->free_head = e->self;
  if (cur) ele(b, cur)->free_prev = e->self;
}

// Removes `e` from the element chain; its bytes now belong to its predecessor.
void chain_unlink(uint32_t b, VX_MEM_ELE* e) {
  if (e->prev) ele(b, e->prev)->next = e->next;
  if (e->next) ele(b, e->next)->prev = e->prev;
  e->magic = 0;  // a stale pointer to the old block no longer validates
}

// Places a new element header at `off`, right after `before` in the chain.
VX_MEM_ELE* chain_insert_after(uint32_t b, VX_MEM_ELE* before, uint32_t off, uint32_t size, uint32_t magic) {
  VX_MEM_ELE* n = ele(b, off);
  *n = VX_MEM_ELE{magic, size, kHeader, 0, b, before->next, before->self, 0, 0, off, kHeader};
  if (before->next) ele(b, before->next)->prev = off;
  before->next = off;
  return n;
}

// Turns a used element of the chain into a free one and merges it with free
// neighbours, first the previous element and then the next.
void release(uint32_t b, VX_MEM_ELE* e) {
  e->magic = VX_MEM_FREE_MAGIC;
  e->data = e->back = kHeader;
  st.free += e->size;
  st.used -= e->size;
  if (e->prev && ele(b, e->prev)->magic == VX_MEM_FREE_MAGIC) {
    VX_MEM_ELE* p = ele(b, e->prev);
    p->size += kHeader + e->size;
    chain_unlink(b, e);
    st.free += kHeader;
    st.used -= kHeader;
    e = p;
  } else {
    free_list_insert(b, e);
  }
  if (e->next && ele(b, e->next)->magic == VX_MEM_FREE_MAGIC) {
    VX_MEM_ELE* n = ele(b, e->next);
    free_list_unlink(b, n);
    e->size += kHeader + n->size;
    chain_unlink(b, n);
    st.free += kHeader;
    st.used -= kHeader;
  }
}

// Keeps the first `size` bytes of a used element and frees the rest as an
// element of its own (the caller checked that more than a header is left).
void split_tail(uint32_t b, VX_MEM_ELE* e, uint32_t size) {
  uint32_t rest = e->size - size - kHeader;
  e->size = size;
  // The tail and its new header stay counted as used until `release` frees the tail.
  release(b, chain_insert_after(b, e, e->self + kHeader + size, rest, VX_MEM_USED_MAGIC));
}

// Adds a buffer with one free element spanning its space; `size` is a
// multiple of 4. 1 or 0.
int add_buffer(size_t size) {
  if (st.count >= VX_MEM_MAX_BUFFERS || size > kMaxBufferSize || size < kHeader + 4) return 0;
  auto* buf = static_cast<VX_MEM_BUFFER*>(std::malloc(VX_MEM_BUFFER_SIZE + size));
  if (!buf) return 0;
  auto b = static_cast<uint32_t>(st.count);
  auto usable = static_cast<uint32_t>(size);
  *buf = VX_MEM_BUFFER{VX_MEM_BUFFER_MAGIC, kFirst, 1, usable, kFirst, kFirst, VX_MEM_NONE, VX_MEM_NONE};
  if (b > 0) {
    buf->prev = b - 1;
    st.buffers[b - 1]->next = b;
  }
  st.buffers[b] = buf;
  st.count++;
  *ele(b, kFirst) = VX_MEM_ELE{VX_MEM_FREE_MAGIC, usable - kHeader, kHeader, 0, b, 0, 0, 0, 0, kFirst, kHeader};
  st.free += usable - kHeader;
  st.used += kHeader;
  note_used();
  return 1;
}

struct Fit {
  uint32_t buffer;
  VX_MEM_ELE* e;
};

// Best fit over the free lists of every buffer. An exact fit ends the
// search; otherwise an element that can be split (surplus of 45 bytes or
// more) is preferred, the smallest such surplus winning, and only while none
// has been seen does the smallest surplus below 45 bytes stand.
Fit find_free(uint32_t n) {
  Fit fit = {0, nullptr};
  uint32_t small_best = 0xFFFFFFFFu, large_best = 0xFFFFFFFFu;
  bool large_chosen = false;
  for (uint32_t b = 0; b != VX_MEM_NONE && b < static_cast<uint32_t>(st.count); b = st.buffers[b]->next) {
    for (uint32_t off = st.buffers[b]->free_head; off; off = ele(b, off)->free_next) {
      VX_MEM_ELE* e = ele(b, off);
      if (e->size < n) continue;
      uint32_t surplus = e->size - n;
      if (surplus == 0) return {b, e};
      if (surplus < VX_MEM_SPLIT_MIN) {
        if (!large_chosen && surplus < small_best) {
          small_best = surplus;
          fit = {b, e};
        }
      } else if (surplus < large_best) {
        large_best = surplus;
        large_chosen = true;
        fit = {b, e};
      }
    }
  }
  return fit;
}

// Marks a free element used for `n` bytes, splitting off what is more than
// a header beyond n as a free element that takes its place in the free list.
void take(uint32_t b, VX_MEM_ELE* e, uint32_t n) {
  if (e->size <= n + kHeader) {
    free_list_unlink(b, e);
    st.free -= e->size;
    st.used += e->size;
  } else {
    uint32_t rest = e->size - n - kHeader;
    e->size = n;
    VX_MEM_ELE* r = chain_insert_after(b, e, e->self + kHeader + n, rest, VX_MEM_FREE_MAGIC);
    r->free_prev = e->free_prev;
    r->free_next = e->free_next;
    if (e->free_prev)
      ele(b, e->free_prev)->free_next = r->self;
    else
      st.buffers[b]->free_head = r->self;
    if (e->free_next) ele(b, e->free_next)->free_prev = r->self;
    e->free_next = e->free_prev = 0;
    st.free -= n + kHeader;
    st.used += n + kHeader;
  }
  e->magic = VX_MEM_USED_MAGIC;
  note_used();
}

// The element bytes a request of `size` bytes needs with `pad` bytes in
// front of it, a multiple of 4. An empty request counts as one byte, so a
// block's address always lies inside its element. 0 when it would not fit a
// buffer.
uint32_t round_request(size_t size, size_t pad) {
  if (size == 0) size = 1;
  if (size > kMaxBufferSize - kHeader || pad > kMaxBufferSize - kHeader - size) return 0;
  return static_cast<uint32_t>((size + pad + 3) & ~static_cast<size_t>(3));
}

}  // namespace

int vx_mem_heap_init(size_t size, int module, const VX_MEM_SETTINGS* settings) {
  vx_mem_heap_deinit();
  st.module = module;
  st.settings = settings;
  if (size == 0) size = VX_MEM_DEFAULT_HEAP;
  if (size > kMaxBufferSize) size = kMaxBufferSize;
  size = (size + 3) & ~static_cast<size_t>(3);
  if (size < kHeader + 4) size = kHeader + 4;
  if (!add_buffer(size)) return 0;
  st.ready = 1;
  return 1;
}

void vx_mem_heap_deinit() {
  for (int b = 0; b < st.count; ++b) std::free(st.buffers[b]);
  st = {};
}

int vx_mem_heap_ready() { return st.ready; }

void* vx_mem_heap_alloc(size_t size, size_t mask) {
  if (!st.ready) return nullptr;
  uint32_t n = round_request(size, mask);
  if (n == 0) return nullptr;
  Fit fit = find_free(n);
  if (!fit.e) {
    heap_raise(VX_MEM_NEW_BUFFER);
    size_t grow = n + VX_MEM_ELE_SIZE;
    if (grow < VX_MEM_GROW_SIZE + VX_MEM_ELE_SIZE) grow = VX_MEM_GROW_SIZE + VX_MEM_ELE_SIZE;
    if (!add_buffer(grow)) return nullptr;
    fit = find_free(n);
    if (!fit.e) return nullptr;
  }
  take(fit.buffer, fit.e, n);
  auto at = reinterpret_cast<uintptr_t>(fit.e) + kHeader;
  uintptr_t aligned = (at + mask) & ~static_cast<uintptr_t>(mask);
  set_data(fit.e, static_cast<uint32_t>(aligned - reinterpret_cast<uintptr_t>(fit.e)));
  return reinterpret_cast<void*>(aligned);
}

int vx_mem_heap_free(void* ptr) {
  uint32_t b;
  VX_MEM_ELE* e = st.ready ? element_of(ptr, &b) : nullptr;
  if (!e) {
    heap_raise(VX_MEM_NOT_A_BLOCK);
    return 0;
  }
  release(b, e);
  return 1;
}

void* vx_mem_heap_realloc(void* ptr, size_t size, size_t mask) {
  uint32_t b;
  VX_MEM_ELE* e = st.ready ? element_of(ptr, &b) : nullptr;
  if (!e) {
    heap_raise(VX_MEM_NOT_A_BLOCK);
    return nullptr;
  }
  uint32_t pad = e->data - kHeader;  // an aligned block keeps its address when it stays
  uint32_t need = round_request(size, pad);
  if (need == 0) return nullptr;
  if (need <= e->size) {
    if (e->size - need > kHeader) split_tail(b, e, need);
    return ptr;
  }
  if (e->next) {
    VX_MEM_ELE* n = ele(b, e->next);
    if (n->magic == VX_MEM_FREE_MAGIC && e->size + kHeader + n->size >= need) {
      free_list_unlink(b, n);
      st.free -= n->size;
      st.used += n->size;
      e->size += kHeader + n->size;
      chain_unlink(b, n);
      if (e->size - need > kHeader) split_tail(b, e, need);
      note_used();
      return ptr;
    }
  }
  size_t old = e->size - pad;
  void* moved = vx_mem_heap_alloc(size, mask);
  if (!moved) return nullptr;
  std::memcpy(moved, ptr, old < size ? old : size);
  vx_mem_heap_free(ptr);
  return moved;
}

int vx_mem_heap_contains(const void* ptr) { return buffer_of(ptr) >= 0; }

size_t vx_mem_heap_block_size(const void* ptr) {
  uint32_t b;
  VX_MEM_ELE* e = element_of(ptr, &b);
  return e ? e->size - (e->data - kHeader) : 0;
}

void vx_mem_heap_stats(VX_MEM_HEAP_STATS* out) {
  if (out) *out = VX_MEM_HEAP_STATS{st.used, st.max_used, st.free, st.count};
}

int vx_mem_heap_buffer_count() { return st.count; }

VX_MEM_BUFFER* vx_mem_heap_buffer(int index) {
  return index >= 0 && index < st.count ? st.buffers[index] : nullptr;
}

int vx_mem_heap_elements(int index, VX_MEM_HEAP_ELEMENT* out, int max) {
  if (index < 0 || index >= st.count) return -1;
  auto b = static_cast<uint32_t>(index);
  int n = 0;
  for (uint32_t off = st.buffers[b]->elements; off; off = ele(b, off)->next, ++n) {
    if (out && n < max) out[n] = {off, ele(b, off)->size, ele(b, off)->magic == VX_MEM_USED_MAGIC};
  }
  return n;
}

// ---------------------------------------------------------------- check

namespace {

// One buffer's element chain: every header carries a magic and its own
// offset, the chain tiles the buffer's space exactly, and no two free
// elements touch (they would have been merged). Counts the free elements
// and their bytes. 1 or 0.
int check_chain(uint32_t b, int* free_count, long long* free_bytes) {
  VX_MEM_BUFFER* buf = st.buffers[b];
  uint32_t end = kFirst + buf->size, expect = kFirst, prev = 0;
  bool prev_free = false;
  for (uint32_t off = buf->elements; off; off = ele(b, off)->next) {
    if (off != expect || off + kHeader > end) return 0;
    VX_MEM_ELE* e = ele(b, off);
    bool is_free = e->magic == VX_MEM_FREE_MAGIC;
    if (!is_free && e->magic != VX_MEM_USED_MAGIC) return 0;
    if (e->self != off || e->buffer != b || e->prev != prev || e->size % 4 != 0 || e->size > end - off - kHeader)
      return 0;
    if (is_free) {
      if (prev_free) return 0;
      ++*free_count;
      *free_bytes += e->size;
    } else {
      uint32_t word;
      if (e->data < kHeader || e->data - kHeader >= e->size) return 0;
      std::memcpy(&word, reinterpret_cast<char*>(e) + e->data - 4, 4);
      if (word != e->data) return 0;
    }
    prev_free = is_free;
    prev = off;
    expect = off + kHeader + e->size;
  }
  return expect == end;
}

// One buffer's free list: free elements in strictly rising address order
// with consistent back links, as many as the chain holds. 1 or 0.
int check_free_list(uint32_t b, int free_count) {
  VX_MEM_BUFFER* buf = st.buffers[b];
  uint32_t prev = 0;
  int n = 0;
  for (uint32_t off = buf->free_head; off; off = ele(b, off)->free_next) {
    if (off <= prev || off % 4 != 0 || off + kHeader > kFirst + buf->size || ++n > free_count) return 0;
    VX_MEM_ELE* e = ele(b, off);
    if (e->magic != VX_MEM_FREE_MAGIC || e->self != off || e->free_prev != prev) return 0;
    prev = off;
  }
  return n == free_count;
}

}  // namespace

int vx_mem_heap_check(void* heap) {
  if (!st.ready) return 0;
  int start = 0;
  if (heap) {
    start = -1;
    for (int b = 0; b < st.count; ++b)
      if (st.buffers[b] == heap) start = b;
    if (start < 0) return 0;
  }
  long long free_bytes = 0, space = 0;
  int visited = 0;
  for (uint32_t b = start; b != VX_MEM_NONE; b = st.buffers[b]->next) {
    if (b >= static_cast<uint32_t>(st.count) || ++visited > st.count) return 0;
    VX_MEM_BUFFER* buf = st.buffers[b];
    if (buf->magic != VX_MEM_BUFFER_MAGIC || buf->ready != 1 || buf->first != kFirst) return 0;
    int free_count = 0;
    if (!check_chain(b, &free_count, &free_bytes)) {
      vx_error_alert("vx_mem_heap_check error");
      return 0;
    }
    if (!check_free_list(b, free_count)) {
      vx_error_alert("vx_mem_heap_check free error");
      return 0;
    }
    space += buf->size;
  }
  // Walking every buffer also accounts for the statistics.
  if (!heap && (free_bytes != st.free || space != st.used + st.free)) {
    vx_error_alert("vx_mem_heap_check error");
    return 0;
  }
  return 2;
}
