// Doubly linked chains of the environment's objects: an item has `prev` and
// `next`, its owner keeps the head and the tail. Counting items and the
// item's link to its owner are the owner's business.
#pragma once

#include "workbench/base/sysassert.h"

// Links `item` after `after`, or at the head when `after` is null.
template <class Item>
void chain_insert_after(Item*& head, Item*& tail, Item* after, Item* item) {
  if (after) {
    item->prev = after;
    item->next = after->next;
    if (item->next) {
      item->next->prev = item;
    } else {
      SYS_ASSERT(tail == after);
      tail = item;
    }
    after->next = item;
  } else {
    item->prev = nullptr;
    item->next = head;
    if (item->next) {
      item->next->prev = item;
    } else {
      SYS_ASSERT(!tail);
      tail = item;
    }
    head = item;
  }
}

// Takes `item` out of the chain; its own links are left as they were.
template <class Item>
void chain_unlink(Item*& head, Item*& tail, Item* item) {
  if (item->prev) {
    item->prev->next = item->next;
  } else {
    SYS_ASSERT(head == item);
    head = item->next;
  }
  if (item->next) {
    item->next->prev = item->prev;
  } else {
    SYS_ASSERT(tail == item);
    tail = item->prev;
  }
}
