// The lists of the settings (recent files, breakpoints, find histories): a
// chain whose owner also counts its items in `num_items`. The owner link of
// an item and the list's changed flag are the caller's.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/shell/chain.h"
#include "workbench/shell/sysassert.h"

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

// Adds `item` (not yet owned by the list: a deleted item must not unlink
// itself) to a list of distinct `key`s, most recent first, that holds at
// most `maximum` items. An item equal to the most recent one is deleted and
// the result is false; an equal older one is deleted (its destructor unlinks
// it) and the new one takes the head. Adding at the tail, as loading does,
// keeps the first `maximum` items. The least recent items give way to a new
// head. True when the item was linked.
template <class List, class Item>
bool cfg_chain_add_recent(List* list, Item* item, bool at_tail, int64_t maximum, std::string Item::*key) {
  for (Item* e = list->head; e; e = e->next) {
    if (e->*key == item->*key) {
      if (e == list->head) {
        delete item;
        return false;
      }
      delete e;
      break;
    }
  }
  if (at_tail && static_cast<int64_t>(list->num_items) >= maximum) {
    delete item;
    return false;
  }
  while (static_cast<int64_t>(list->num_items) >= maximum && list->tail) delete list->tail;
  cfg_chain_insert_after(list, at_tail ? list->tail : nullptr, item);
  return true;
}
