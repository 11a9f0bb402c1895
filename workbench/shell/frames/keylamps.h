// The keyboard's Caps Lock and Num Lock lamps as the display server keeps
// them. On X11 they are read through XKB's named indicators; elsewhere (the
// offscreen platform of the tests, Wayland) there is nothing to read and
// both stay off.
#pragma once

struct KeyLamps {
  bool readable = false;  // the display server told us
  bool caps = false;
  bool num = false;
};

KeyLamps KeyLamps_Read();
