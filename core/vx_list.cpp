// Linked lists: singly linked nodes of untyped data with a cursor for iteration.
#include "core/vx_list.h"

#include "core/vx_mem.h"

namespace {

const char* const kListTable[] = {
    "Could not malloc list",
    "Could not free list",
    "Could not remove from list",
    "Passed NULL list pointer to list function",
};

struct ListState {
  VX_ERROR_SETTINGS settings;
  int module;
  int live;          // lists created and not destroyed
  void* last_next;   // data handed out by the last vx_list_next
};
ListState st = {{0}, -1, 0, nullptr};

void raise(int code) { vx_error_raise(st.module, code, st.settings.debug); }

// Every operation refuses a missing list the same way.
bool check(VX_LIST* list) {
  if (list) return true;
  raise(VX_LIST_NULL);
  return false;
}

// Nodes carry no allocation records, so lists do not clutter the leak report.
VX_LIST_NODE* new_node(void* data) {
  auto* n = static_cast<VX_LIST_NODE*>(vx_mem_raw_alloc(sizeof(VX_LIST_NODE)));
  if (!n) {
    raise(VX_LIST_NO_MALLOC);
    return nullptr;
  }
  n->owns_data = 0;
  n->data = data;
  n->next = nullptr;
  return n;
}

void free_node(VX_LIST_NODE* n) {
  if (n->owns_data) vx_mem_free(n->data);
  vx_mem_raw_free(n);
}

}  // namespace

int vx_list_init(const VX_ERROR_SETTINGS* settings) {
  st = {};
  if (settings) st.settings = *settings;
  st.module = vx_error_register("Linked List", kListTable);
  return 1;
}

void vx_list_deinit() { st.last_next = nullptr; }

int vx_list_live_count() { return st.live; }

int vx_list_create(VX_LIST** list) {
  if (!list) {
    raise(VX_LIST_NULL);
    return 0;
  }
  *list = static_cast<VX_LIST*>(vx_mem_raw_alloc(sizeof(VX_LIST)));
  if (!*list) {
    raise(VX_LIST_NO_MALLOC);
    return 0;
  }
  **list = VX_LIST{nullptr, 0, nullptr};
  st.live++;
  return 1;
}

void vx_list_destroy(VX_LIST* list) {
  if (!check(list)) return;
  vx_list_clear(list);
  vx_mem_raw_free(list);
  st.live--;
}

void vx_list_append(VX_LIST* list, void* data) {
  if (!check(list)) return;
  VX_LIST_NODE* n = new_node(data);
  if (!n) return;
  if (!list->head) {
    list->head = n;
  } else {
    VX_LIST_NODE* t = list->head;
    while (t->next) t = t->next;
    t->next = n;
  }
  list->count++;
}

void vx_list_push(VX_LIST* list, void* data) {
  if (!check(list)) return;
  VX_LIST_NODE* n = new_node(data);
  if (!n) return;
  n->next = list->head;
  list->head = n;
  list->count++;
}

// Unlinks `node` (whose predecessor is `prev`, or null for the head) and
// keeps the cursor valid by moving it past a removed node.
static void unlink(VX_LIST* list, VX_LIST_NODE* prev, VX_LIST_NODE* node) {
  if (prev)
    prev->next = node->next;
  else
    list->head = node->next;
  if (list->cursor == node) list->cursor = node->next;
  list->count--;
}

void* vx_list_pop(VX_LIST* list) {
  if (!check(list) || !list->head) return nullptr;
  VX_LIST_NODE* n = list->head;
  void* data = n->data;
  unlink(list, nullptr, n);
  vx_mem_raw_free(n);
  return data;
}

void* vx_list_pop_last(VX_LIST* list) {
  if (!check(list) || !list->head) return nullptr;
  VX_LIST_NODE* prev = nullptr;
  VX_LIST_NODE* n = list->head;
  while (n->next) {
    prev = n;
    n = n->next;
  }
  void* data = n->data;
  unlink(list, prev, n);
  vx_mem_raw_free(n);
  return data;
}

void* vx_list_first(VX_LIST* list) {
  if (!check(list) || !list->head) return nullptr;
  return list->head->data;
}

void* vx_list_last(VX_LIST* list) {
  if (!check(list) || !list->head) return nullptr;
  VX_LIST_NODE* n = list->head;
  while (n->next) n = n->next;
  return n->data;
}

int vx_list_count(VX_LIST* list) {
  if (!check(list)) return -1;
  return list->count;
}

int vx_list_remove(VX_LIST* list, void* data) {
  if (!check(list)) return 0;
  VX_LIST_NODE* prev = nullptr;
  for (VX_LIST_NODE* n = list->head; n; prev = n, n = n->next) {
    if (n->data == data) {
      unlink(list, prev, n);
      vx_mem_raw_free(n);  // the caller removes its reference, not the data
      return 1;
    }
  }
  raise(VX_LIST_NO_REMOVE);
  return 0;
}

void vx_list_clear(VX_LIST* list) {
  if (!check(list)) return;
  VX_LIST_NODE* n = list->head;
  while (n) {
    VX_LIST_NODE* next = n->next;
    free_node(n);
    n = next;
  }
  *list = VX_LIST{nullptr, 0, nullptr};
}

void vx_list_set_owned(VX_LIST* list, int flag) {
  if (!check(list)) return;
  for (VX_LIST_NODE* n = list->head; n; n = n->next) n->owns_data = flag;
}

void vx_list_copy(VX_LIST* source, VX_LIST* destination) {
  if (!check(source) || !check(destination)) return;
  vx_list_clear(destination);
  // Append through a tail pointer: appending one by one would walk the
  // destination each time.
  VX_LIST_NODE** tail = &destination->head;
  for (VX_LIST_NODE* n = source->head; n; n = n->next) {
    VX_LIST_NODE* c = new_node(n->data);
    if (!c) return;
    *tail = c;
    tail = &c->next;
    destination->count++;
  }
}

void vx_list_reverse(VX_LIST* list) {
  if (!check(list)) return;
  VX_LIST_NODE* prev = nullptr;
  VX_LIST_NODE* n = list->head;
  while (n) {
    VX_LIST_NODE* next = n->next;
    n->next = prev;
    prev = n;
    n = next;
  }
  list->head = prev;
}

void vx_list_rewind(VX_LIST* list) {
  if (!check(list)) return;
  list->cursor = list->head;
}

int vx_list_has_next(VX_LIST* list) {
  if (!check(list)) return 0;
  return list->cursor != nullptr;
}

void* vx_list_next(VX_LIST* list) {
  if (!check(list) || !list->cursor) return nullptr;
  st.last_next = list->cursor->data;
  list->cursor = list->cursor->next;
  return st.last_next;
}
