// The breakpoint list of the settings: a
// chain whose owner also counts its items in `num_items`. The owner link of
// an item and the list's changed flag are the caller's.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

// Links `item` after `after`, or at the head when `after` is null.
template <class List, class Item>
void cfg_chain_insert_after(List* list, Item* after, Item* item) {
  if (!list->head) SYS_ASSERT(!list->num_items);
  chain_insert_after(list->head, list->tail, after, item);
  ++list->num_items;
}

// Unlinks `item` from `list`.
template <class List, class Item>
void cfg_chain_unlink(List* list, Item* item) {
  chain_unlink(list->head, list->tail, item);
  SYS_ASSERT(list->num_items);
  --list->num_items;
  item->prev = item->next = nullptr;
}
