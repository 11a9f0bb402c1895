// Open databases of a client.
#include "database/client/client.h"

void idb__cleanup_context(ClientContext* client) { (void)client; }
