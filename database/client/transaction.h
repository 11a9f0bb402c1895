// Transactions that span every attached server with the transaction
// capability: begin, commit (two phases, or one request on a single server)
// and roll back nesting levels, and replay the open levels on a server
// attached in the middle of a transaction.
//
// Each call fills the caller's status array (word 5: 421 begin, 422 rollback,
// 423 commit, also when no server takes part) and returns 0 when word 0 is
// 0, the server's status when a server refused, else -1. A refused begin leaves
// no level open anywhere; a refused pre-commit or rollback rolls the level it
// concerned back on every participating server and closes it on the client,
// so that no server stays out of step.
#pragma once

#include <cstdint>

#include "database/client/client.h"

// Commit modes.
enum { IDB_COMMIT_INNER = 1, IDB_COMMIT_ALL = 2, IDB_COMMIT_SINGLE = 12 };
// Rollback modes.
enum { IDB_ROLLBACK_INNER = 1, IDB_ROLLBACK_TO = 2, IDB_ROLLBACK_ALL = 3 };

int idb_begin(const char* comment, int32_t mode, int32_t* status);
int idb_commit(int32_t mode, int32_t* status);
int idb_rollback(uint32_t tx_id, int32_t mode, int32_t* status);

// Rolls the level back (mode 1) on the servers asked before `failing` (those
// nearer the head of the list); 0, or -1 at the first failure.
int emergency_rollback(ClientContext* client, ServerEntry* failing, uint32_t tx_id, int level);
