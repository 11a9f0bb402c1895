// Import of FORM files: not built yet.
#include "dialogs/plugins/plugtext/plugtext.h"

int form_load(pload* ctx, const char* /*filename*/) {
  ctx->Error(ctx, "This is not a FORM file.");
  return -1;
}
