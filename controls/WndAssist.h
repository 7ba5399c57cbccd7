// The one-flag lock with which a window marks that it is filling its own
// controls, so that the notifications its own updates cause are ignored.
// Not a thread lock: taking it twice fails instead of waiting.
#pragma once

class cWndAssist {
 public:
  bool Lock() {
    if (locked_ == 1) return false;
    locked_ = 1;
    return true;
  }
  void Unlock() { locked_ = 0; }
  int IsLocked() const { return locked_; }

 private:
  int locked_ = 0;
};
