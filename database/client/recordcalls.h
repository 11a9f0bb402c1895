// Record calls and locks of the client library: put, find and get of
// records, and locks on a database, a set or the entries a descriptor list
// describes.
//
// Each call fills the caller's status array (word 5: 407 put, 404 find,
// 405 get, 409 lock, 410 unlock; word 8: the mode) and returns word 0.
// Failures found here: -11 unknown database, -21 unknown or invisible set or
// item, -31 a mode the call does not take (and every record call on a
// database opened in mode 13), -24 a put to an automatic master, -14 and -23
// no write access, -122 to -128 a bad lock descriptor list, S_REMOTE -8 a
// request or reply that could not be encoded or decoded. Server statuses
// (11 end of file, 15 end of chain, 17 no entry, 43 duplicate key, ...) come
// back as they are.
#pragma once

#include <cstdint>

#include "database/client/root.h"

// `list`: the item list ("@" for all items); `record`: the items' elements
// one after the other.
int idb_put(int dbid, const void* set, int32_t mode, int32_t* status, const char* list, const void* record);
// `item`: an item or index item (number or name); `argument`: a 32-bit byte
// length, then that many bytes.
int idb_find(int dbid, const void* set, int32_t mode, int32_t* status, const void* item, const void* argument);
// Modes 2 (serial), 5 (chained), 4 (record number: `argument` a 32-bit
// number) and 7 (by key: `argument` the value of the set's first item).
int idb_get(int dbid, const void* set, int32_t mode, int32_t* status, const char* list, void* record,
            const void* argument);
// `qualifier`: nothing (database modes), a set number or name (set modes),
// or a lock descriptor list (entry modes), which is never modified.
int idb_lock(int dbid, const void* qualifier, int32_t mode, int32_t* status);
int idb_unlock(int dbid, const void* qualifier, int32_t mode, int32_t* status);

// The record of a set on the wire: its u32 length, then its elements.
int32_t idb__put_set_reclen(Buffer* bufp, const RootCache* root, int set);
int32_t idb__pack_record(Buffer* bufp, const void* record, const RootCache* root, int set);
// Unpacks elements while one more fits into `length`; the decode-failed flag.
int idb__unpack_record(Buffer* bufp, void* record, const RootCache* root, int set, int32_t length);
