// The status array that every database call fills, the process-wide last
// status, and the texts that render a status as one line.
#pragma once

#include <cstddef>
#include <cstdint>

// Ten signed words: 0 condition, 5 intrinsic number, 8 mode, 9 secondary.
typedef int32_t StatusArray[10];

// Client class codes (word 0) of failures the library finds itself.
enum {
  S_REMOTE = -700,
  S_SYSTEM = -806,
  S_BAD = -21,
  S_BADID = -11,
  S_SYSCAT = -805,
  S_MGMT = -808,
};

// Secondary codes of S_REMOTE.
enum {
  REMOTE_CONNECT = -2,
  REMOTE_INIT = -3,
  REMOTE_SEND_BUFFER = -4,
  REMOTE_SEND = -5,
  REMOTE_RECEIVE = -6,
  REMOTE_ROOT = -7,
  REMOTE_CODEC = -8,
  REMOTE_SERVER_ID = -9,
  REMOTE_CAPABILITY = -10,
};

// Intrinsic numbers (word 5).
enum {
  DBOPEN = 401,
  DBINFO = 402,
  DBCLOSE = 403,
  DBFIND = 404,
  DBGET = 405,
  DBUPDATE = 406,
  DBPUT = 407,
  DBDELETE = 408,
  DBLOCK = 409,
  DBUNLOCK = 410,
  DBCREATE = 411,
  DBERASE = 412,
  DBPURGE = 413,
  DBLOGON = 420,
  DBBEGIN = 421,
  DBROLLBACK = 422,
  DBCOMMIT = 423,
};

// Room every caller of idb_status_text (and of the other formatters with a
// limit of 0) must give: the longest line the tables produce, with its NUL.
enum { IDB_STATUS_TEXT_MAX = 256 };

struct LastStatus {
  int code;
  int secondary;
  const char* module;
  int line;
};

// Records a failure found by the library and traces it (category I, 2).
void idb__set_last(int code, int secondary, const char* module, int line);
#define IDB_FAIL(code, secondary) idb__set_last((code), (secondary), __FILE__, __LINE__)
// The last status code only, as a successful server call leaves it.
void idb__set_last_code(int code);
const LastStatus& idb__last_status();

// Ends a failure path: word 0 := code, words 4, 6 and 7 cleared; code -1
// copies the last status into words 0 and 9, any other code clears word 9 and
// becomes the last status code. Returns -1.
int idb__set_status(int code, int32_t* status);

// The text of a status array (no bound: the buffer must hold
// IDB_STATUS_TEXT_MAX bytes); the length through `length` when not null.
int idb_status_text(const int32_t* status, char* text, int* length);
// The same, with at most limit - 1 characters and a NUL; 0 means no limit.
int idb__status_text(const int32_t* status, char* text, size_t limit, int* length);
// The text of the last status, without an intrinsic part.
int idb__last_status_text(char* text, size_t limit, int* length);

const char* idb__intrinsic_name(int number);
// "BTE005" and the like; "** unknown **" for -1.
const char* idb__location_text(int code);
