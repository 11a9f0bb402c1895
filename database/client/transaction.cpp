// Transactions that span servers: what a newly attached server needs.
#include "database/client/client.h"

int idb__sync_transactions(ServerEntry* entry, int32_t* status) {
  (void)status;
  ClientContext* c = entry->client;
  if (!(entry->capabilities & CAP_TRANSACTIONS) || c->tx_level == 0) return 0;
  // Levels are opened only by the transaction calls, which replay them.
  return 0;
}
