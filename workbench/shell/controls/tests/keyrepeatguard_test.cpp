// A held Enter or Space acts once until it is released, another key comes
// or the focus goes.
#include "workbench/shell/controls/keyrepeatguard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum { ENTER = 1, SPACE = 2, OTHER = 3 };

TEST(KeyRepeatGuard, HeldKeyActsOnceUntilForgotten) {
  struct Step {
    char event;  // 'd' guarded key down, 'u' key up, 'o' other key down, 'f' focus lost
    int key;
    bool acts;  // for 'd'
  };
  const Step steps[] = {
      {'d', ENTER, true},  {'d', ENTER, false}, {'d', ENTER, false},  // held: repeats ignored
      {'u', SPACE, false}, {'d', ENTER, false},                       // another key's release forgets nothing
      {'u', ENTER, false}, {'d', ENTER, true},                        // released, pressed again
      {'d', SPACE, true},  {'d', SPACE, false}, {'d', ENTER, true},   // a different guarded key
      {'o', OTHER, false}, {'d', ENTER, true},                        // another key in between
      {'f', 0, false},     {'d', ENTER, true},                        // focus went and came back
  };
  KeyRepeatGuard guard;
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(n++);
    switch (s.event) {
      case 'd': EXPECT_EQ(guard.Accept(s.key), s.acts); break;
      case 'u': guard.KeyUp(s.key); break;
      case 'o': guard.OtherKey(); break;
      case 'f': guard.FocusLost(); break;
    }
  }
}

}  // namespace
