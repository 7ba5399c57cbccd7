// The multiplex value text of a reader record ("3", "1-2, 5-7"). A short
// text (most are one or two digits, and a file may hold thousands) is kept
// inside the holder; a longer one on the heap. Whoever takes a text over
// (Release) gets it made with new[] and frees it with delete[]. The holder
// frees what it still owns; it moves, never copies.
#pragma once

#include <cstring>
#include <string_view>
#include <utility>

class MultiplexText {
 public:
  MultiplexText() = default;
  MultiplexText(const MultiplexText&) = delete;
  MultiplexText& operator=(const MultiplexText&) = delete;
  MultiplexText(MultiplexText&& other) noexcept { Take(other); }
  MultiplexText& operator=(MultiplexText&& other) noexcept {
    if (this != &other) {
      Reset();
      Take(other);
    }
    return *this;
  }
  ~MultiplexText() { Reset(); }

  // Null when there is none. Valid until the holder changes or moves.
  char* Get() const { return text_; }
  explicit operator bool() const { return text_ != nullptr; }

  // Replaces the text with a copy of `text` (which may be the holder's own).
  void Set(std::string_view text) {
    if (text.size() < sizeof small_) {
      char copy[sizeof small_];
      std::memcpy(copy, text.data(), text.size());
      Reset();
      std::memcpy(small_, copy, text.size());
      small_[text.size()] = '\0';
      text_ = small_;
      return;
    }
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    Reset();
    text_ = copy;
  }
  void Reset() {
    if (text_ != small_) delete[] text_;
    text_ = nullptr;
  }
  // Hands the text over; the caller frees it with delete[].
  char* Release() {
    if (text_ == small_) {
      std::size_t n = std::strlen(small_) + 1;
      char* copy = new char[n];
      std::memcpy(copy, small_, n);
      text_ = nullptr;
      return copy;
    }
    return std::exchange(text_, nullptr);
  }

 private:
  void Take(MultiplexText& other) {
    if (other.text_ == other.small_) {
      std::memcpy(small_, other.small_, sizeof small_);
      text_ = small_;
    } else {
      text_ = other.text_;
    }
    other.text_ = nullptr;
  }

  char* text_ = nullptr;
  char small_[16];
};
