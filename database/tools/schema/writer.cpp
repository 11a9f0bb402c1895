// Catalog writer (placeholder until the catalog calls are in the client).
#include "database/tools/schema/schema.h"

void sch_write_catalog() { sch_fatal("(FATAL) Unable to initiate database session"); }
