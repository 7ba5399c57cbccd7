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

// Holds a window's lock for one scope and gives back only what it took: when
// the lock was already held, leaving the scope leaves it held.
class cWndAssistLock {
 public:
  explicit cWndAssistLock(cWndAssist& assist) : assist_(assist), taken_(assist.Lock()) {}
  ~cWndAssistLock() {
    if (taken_) assist_.Unlock();
  }
  cWndAssistLock(const cWndAssistLock&) = delete;
  cWndAssistLock& operator=(const cWndAssistLock&) = delete;
  // Whether this guard took the lock (false: someone else holds it).
  bool Taken() const { return taken_; }

 private:
  cWndAssist& assist_;
  bool taken_;
};
