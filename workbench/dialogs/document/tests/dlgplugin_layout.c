/* The plug-in header compiled as C11: every field offset and record size is
 * pinned at compile time and handed to the C++ test as a table. */
#include <stddef.h>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/document/tests/dlgplugin_layout.h"

#define LAYOUT_ASSERT_ROW(rec, field, expected) \
  _Static_assert(offsetof(rec, field) == (expected), #rec "." #field " moved");
#define LAYOUT_ASSERT_SIZE(rec, expected) _Static_assert(sizeof(rec) == (expected), "size of " #rec " changed");
DLGPLUGIN_LAYOUT(LAYOUT_ASSERT_ROW, LAYOUT_ASSERT_SIZE)

struct layout_row {
  const char* record;
  const char* field;
  size_t actual;
};

#define LAYOUT_C_ROW(rec, field, expected) {#rec, #field, offsetof(rec, field)},
#define LAYOUT_C_SIZE(rec, expected) {#rec, "sizeof", sizeof(rec)},

static const struct layout_row layout_rows[] = {DLGPLUGIN_LAYOUT(LAYOUT_C_ROW, LAYOUT_C_SIZE)};

size_t dlgplugin_c_layout_count(void);
int dlgplugin_c_layout_row(size_t i, const char** record, const char** field, size_t* actual);

size_t dlgplugin_c_layout_count(void) { return sizeof(layout_rows) / sizeof(layout_rows[0]); }

int dlgplugin_c_layout_row(size_t i, const char** record, const char** field, size_t* actual) {
  if (i >= dlgplugin_c_layout_count()) return -1;
  *record = layout_rows[i].record;
  *field = layout_rows[i].field;
  *actual = layout_rows[i].actual;
  return 0;
}
