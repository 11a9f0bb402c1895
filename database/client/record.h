// Records on the wire: one element of an item encoded by its type letter,
// and a record as the elements of its items in item order. The caller's
// record is the plain concatenation of the elements, in the local byte order
// and code set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/client/buffer.h"

// Packing flags: a u32 byte size before the value, and alignment of that
// size word to 4 and of the value to its type's alignment.
enum { IDB_PACK_SIZE = 1, IDB_PACK_ALIGN = 2 };

// Encodes one element of `size` bytes at `value`. B is copied, X is mapped to
// the server's code set, I, D, S and L go in the server's byte order and must
// have their sizes (2, 4, 4 and 8); anything else is a programming error.
void idb__pack_item(Buffer* bufp, const void* value, size_t size, int type, int flags);
// Decodes one element into `dest`; 0, or -1 when the reply holds too little
// (or a size word that is not `size`).
int idb__unpack_item(Buffer* bufp, void* dest, size_t size, int type, int flags);

// One item of a record layout.
struct RecordItem {
  int type;        // type letter
  uint32_t size;   // bytes of one element
  uint32_t count;  // elements
};

// The record length: the sum of count times size.
uint32_t idb__record_length(const RecordItem* items, size_t n);
// The u32 record length, then every element of every item (flags 0).
uint32_t idb__pack_elements(Buffer* bufp, const unsigned char* record, const RecordItem* items, size_t n);
// Unpacks elements in order into `record` while the next element still fits
// into `length` bytes; returns the decode-failed flag (0 or -1).
int idb__unpack_elements(Buffer* bufp, unsigned char* record, const RecordItem* items, size_t n, uint32_t length);
