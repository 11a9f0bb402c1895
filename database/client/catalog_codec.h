// Decoders of catalog replies over the message buffer's received message,
// used by the catalog calls and the fuzzing target. Each checks every size
// against what the message still holds and returns one heap block, or null
// with the last status set (S_REMOTE -8 for a reply that does not add up).
#pragma once

#include "database/client/buffer.h"
#include "database/client/catalog.h"

SysCatUser* SysCat__unpack_user(Buffer* b);
SysCatGroup* SysCat__unpack_group(Buffer* b);
SysCatCollate* SysCat__unpack_collate(Buffer* b);
SysCatResultSet* SysCat__unpack_resultset(Buffer* b, int server_id);
// One row of the result set `rs`.
SysCatRow* SysCat__unpack_result(Buffer* b, const SysCatResultSet* rs);
