// The module engine's sample pool: named tracker blocks, counted and chained so that destroying the pool finds leaks.
#include <cstring>

#include "core/vx_mem.h"
#include "sound/vx_mod.h"

namespace {

constexpr uint32_t POOL_MAGIC = 0x504F4F4Cu;   // "POOL"
constexpr uint32_t BLOCK_MAGIC = 0x424C4B53u;  // "BLKS"

// In front of every block the pool hands out; 32 bytes keep the caller's
// address 8-byte aligned when the tracker's block is.
struct POOL_BLOCK {
  POOL_BLOCK* prev;
  POOL_BLOCK* next;
  VX_MOD_POOL* pool;
  uint32_t size;
  uint32_t magic;
};
static_assert(sizeof(POOL_BLOCK) == 32, "block header keeps 8-byte alignment");

}  // namespace

struct VX_MOD_POOL {
  uint32_t magic;
  POOL_BLOCK* head;
  long long blocks;
  size_t bytes;  // live bytes asked for
  size_t limit;  // 0 none
};

static POOL_BLOCK* header_of(VX_MOD_POOL* pool, void* block) {
  if (!pool || pool->magic != POOL_MAGIC || !block) return nullptr;
  auto* h = reinterpret_cast<POOL_BLOCK*>(static_cast<uint8_t*>(block) - sizeof(POOL_BLOCK));
  return h->magic == BLOCK_MAGIC && h->pool == pool ? h : nullptr;
}

VX_MOD_POOL* vx_mod_pool_create() {
  vx_mem_align_push(8);
  auto* pool = static_cast<VX_MOD_POOL*>(vx_mem_alloc_named(sizeof(VX_MOD_POOL), "VX_MOD sample pool"));
  vx_mem_align_pop();
  if (!pool) return nullptr;
  std::memset(pool, 0, sizeof *pool);
  pool->magic = POOL_MAGIC;
  return pool;
}

void* vx_mod_pool_alloc(VX_MOD_POOL* pool, size_t size, const char* name) {
  if (!pool || pool->magic != POOL_MAGIC || size > 0x7FFFFFFFu) return nullptr;
  if (pool->limit && (size > pool->limit || pool->bytes > pool->limit - size)) return nullptr;
  vx_mem_align_push(8);
  auto* h = static_cast<POOL_BLOCK*>(vx_mem_alloc_named(sizeof(POOL_BLOCK) + size, name ? name : "VX_MOD block"));
  vx_mem_align_pop();
  if (!h) return nullptr;
  h->prev = nullptr;
  h->next = pool->head;
  if (pool->head) pool->head->prev = h;
  pool->head = h;
  h->pool = pool;
  h->size = uint32_t(size);
  h->magic = BLOCK_MAGIC;
  pool->blocks++;
  pool->bytes += size;
  return h + 1;
}

static void unlink_and_free(VX_MOD_POOL* pool, POOL_BLOCK* h) {
  if (h->prev) h->prev->next = h->next;
  else pool->head = h->next;
  if (h->next) h->next->prev = h->prev;
  pool->blocks--;
  pool->bytes -= h->size;
  h->magic = 0;
  vx_mem_free(h);
}

void vx_mod_pool_free(VX_MOD_POOL* pool, void* block) {
  POOL_BLOCK* h = header_of(pool, block);
  if (h) unlink_and_free(pool, h);
}

long long vx_mod_pool_blocks(const VX_MOD_POOL* pool) {
  return pool && pool->magic == POOL_MAGIC ? pool->blocks : 0;
}

void vx_mod_pool_set_limit(VX_MOD_POOL* pool, size_t bytes) {
  if (pool && pool->magic == POOL_MAGIC) pool->limit = bytes;
}

int vx_mod_pool_destroy(VX_MOD_POOL* pool) {
  if (!pool || pool->magic != POOL_MAGIC) return 0;
  int clean = pool->blocks == 0;
  while (pool->head) unlink_and_free(pool, pool->head);
  pool->magic = 0;
  vx_mem_free(pool);
  return clean;
}
