// Keeps a held key from repeating its action: a view that acts on Enter or
// Space asks Accept before acting. The key acted on is remembered and
// ignored while it repeats; its release, another key or the loss of the
// focus forgets it.
#pragma once

class KeyRepeatGuard {
 public:
  // True when `key` is to act (it was not the key acted on last); it is
  // remembered either way.
  bool Accept(int key) {
    if (key == last_) return false;
    last_ = key;
    return true;
  }
  // Any key press that is not guarded, and the release of the remembered key.
  void OtherKey() { last_ = 0; }
  void KeyUp(int key) {
    if (key == last_) last_ = 0;
  }
  void FocusLost() { last_ = 0; }

 private:
  int last_ = 0;
};
