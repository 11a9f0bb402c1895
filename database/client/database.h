// Database calls of the client library: open, close and the information
// modes, and the set management of a database opened in mode 13.
//
// Every call fills the caller's ten-word status array (word 5: 401 open,
// 402 info, 403 close, 411 create, 412 erase, 413 purge; word 8: the mode)
// and returns status word 0, except idb_open, which returns the database id
// or -1. Failures the library finds itself are -11 (unknown database id or a
// malformed name), -21 (unknown or invisible set, item or index item), -31
// (a mode the call does not take), 50 (the caller's buffer is too short:
// status word 1 says how many bytes the answer needs) and the S_REMOTE
// class (-700, with the secondary code in word 9).
#pragma once

#include <cstdint>

// Open modes.
enum { IDB_OPEN_SHARED = 1, IDB_OPEN_MANAGE = 13 };
// Default host and service of a database name without them.
#define IDB_DEFAULT_HOST "localhost"
#define IDB_DEFAULT_SERVICE "vevivu"
// Longest host-and-service part of a database name, in characters.
enum { IDB_MAX_HOST_PART = 79 };

// `name`: [host[:service]/]database.
int idb_open(const char* name, const char* password, int32_t mode, int32_t* status);
// Mode 1 closes the database, 3 a set (`set` a number or name), 4 the sets.
int idb_close(int dbid, const void* set, int32_t mode, int32_t* status);
// `qualifier` points at a 32-bit number or a name (at least 4 readable
// bytes); `length` is the buffer's size in bytes, 0 for no limit.
int idb_info(int dbid, const void* qualifier, int32_t mode, int32_t* status, void* buffer, int32_t length);
int idb_info_unbounded(int dbid, const void* qualifier, int32_t mode, int32_t* status, void* buffer);
// Mode 202 from the server: name, type letter and 3 blanks, record length,
// capacity, entry count (32 bytes).
int idb__info202(int dbid, int set, int32_t* status, void* buffer, int32_t length);

// Set management of a database opened in mode 13: `count` set numbers in
// `list` (count 0: every set). Each call drops the local context of the
// database whatever the outcome.
int idb_create(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list);
int idb_erase(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list);
// Mode 2 also removes the root file.
int idb_purge(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list);
