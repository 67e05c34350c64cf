// Linked lists of untyped data references with a built-in cursor.
#pragma once
#include "core/vx_error.h"

struct VX_LIST_NODE {
  int owns_data;  // the data is freed with the node when the list is cleared
  void* data;
  VX_LIST_NODE* next;
};

struct VX_LIST {
  VX_LIST_NODE* head;
  int count;
  VX_LIST_NODE* cursor;  // node the next vx_list_next returns
};

// Error codes of module "Linked List".
enum VX_LIST_ERROR { VX_LIST_NO_MALLOC = 0, VX_LIST_NO_FREE = 1, VX_LIST_NO_REMOVE = 2, VX_LIST_NULL = 3 };

int vx_list_init(const VX_ERROR_SETTINGS* settings);
void vx_list_deinit();
int vx_list_live_count();  // lists created and not destroyed

int vx_list_create(VX_LIST** list);
void vx_list_destroy(VX_LIST* list);
void vx_list_append(VX_LIST* list, void* data);
void vx_list_push(VX_LIST* list, void* data);
void* vx_list_pop(VX_LIST* list);
void* vx_list_pop_last(VX_LIST* list);
void* vx_list_first(VX_LIST* list);
void* vx_list_last(VX_LIST* list);
int vx_list_count(VX_LIST* list);  // -1 for a missing list
int vx_list_remove(VX_LIST* list, void* data);
void vx_list_clear(VX_LIST* list);
void vx_list_set_owned(VX_LIST* list, int flag);
void vx_list_copy(VX_LIST* source, VX_LIST* destination);
void vx_list_reverse(VX_LIST* list);
void vx_list_rewind(VX_LIST* list);
int vx_list_has_next(VX_LIST* list);
void* vx_list_next(VX_LIST* list);
