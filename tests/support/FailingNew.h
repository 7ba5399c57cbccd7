// Allocations that fail on request: the global operator new replaced for a
// whole test program (include this header in exactly one of its sources).
// Arm fails the allocation n from now, whatever its size; ArmBig fails the
// one after `toPass` more allocations of at least `from` bytes: only the
// tables and texts of the program's own code come that large, never the
// toolkit's small ones.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace failing_new {

// -1: no failure armed; n >= 0: the allocation after n more fails.
inline std::atomic<long> countdown{-1};
// Non-zero: after bigToPass more allocations of at least this many bytes,
// the next one fails (then the size is cleared).
inline std::atomic<std::size_t> bigFrom{0};
inline std::atomic<long> bigToPass{0};

inline void* Allocate(std::size_t n) {
  const std::size_t big = bigFrom.load(std::memory_order_relaxed);
  if (big != 0 && n >= big) {
    if (bigToPass.fetch_sub(1, std::memory_order_relaxed) == 0) {
      bigFrom.store(0, std::memory_order_relaxed);
      return nullptr;
    }
  }
  long left = countdown.load(std::memory_order_relaxed);
  if (left >= 0) {
    countdown.store(left - 1, std::memory_order_relaxed);
    if (left == 0) return nullptr;
  }
  return std::malloc(n ? n : 1);
}

}  // namespace failing_new

void* operator new(std::size_t n) {
  if (void* p = failing_new::Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return failing_new::Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return failing_new::Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// Arms a failure of the allocation `n` from now; Disarm is true when it
// happened (the operation needed more than n allocations).
inline void Arm(long n) { failing_new::countdown.store(n); }
inline bool Disarm() {
  const long left = failing_new::countdown.exchange(-1);
  return left <= -1;  // -1 after reaching 0 and passing it: it fired
}

// Arms a failure of the large allocation after `toPass` more; DisarmBig is
// true when it happened.
inline void ArmBig(std::size_t from, long toPass) {
  failing_new::bigToPass.store(toPass);
  failing_new::bigFrom.store(from);
}
inline bool DisarmBig() { return failing_new::bigFrom.exchange(0) == 0; }
