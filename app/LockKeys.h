// The states of Caps Lock, Num Lock and Scroll Lock for the status bar. On
// X11 they come from the X keyboard extension (libX11); where the platform
// cannot tell (Wayland, the headless platform, a build without libX11), the
// states are unknown and the indicators stay empty. Tests install their own
// source.
#pragma once

struct LockKeyStates {
  bool known = false;  // false: the platform cannot tell
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

class ILockKeys {
 public:
  virtual ~ILockKeys() = default;
  virtual LockKeyStates Read() = 0;
};

// The source in use: the platform's until a test installs another; null
// puts the platform's back.
ILockKeys& LockKeys();
void SetLockKeys(ILockKeys* source);
