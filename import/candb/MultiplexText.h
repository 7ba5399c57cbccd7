// The multiplex value text of a reader record ("3", "1-2, 5-7"): heap text
// made with new[], so that whoever takes it over (TakeMultiplexValue) frees it
// with delete[]. The holder frees what it still owns; it moves, never copies.
#pragma once

#include <cstring>
#include <string_view>
#include <utility>

class MultiplexText {
 public:
  MultiplexText() = default;
  MultiplexText(const MultiplexText&) = delete;
  MultiplexText& operator=(const MultiplexText&) = delete;
  MultiplexText(MultiplexText&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  MultiplexText& operator=(MultiplexText&& other) noexcept {
    if (this != &other) {
      delete[] text_;
      text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
  }
  ~MultiplexText() { delete[] text_; }

  // Null when there is none.
  char* Get() const { return text_; }
  explicit operator bool() const { return text_ != nullptr; }

  // Replaces the text with a copy of `text` (the old one is freed after the
  // copy is made, so a text can be set from itself).
  void Set(std::string_view text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    delete[] text_;
    text_ = copy;
  }
  void Reset() {
    delete[] text_;
    text_ = nullptr;
  }
  // Hands the text over; the caller frees it with delete[].
  char* Release() { return std::exchange(text_, nullptr); }

 private:
  char* text_ = nullptr;
};
