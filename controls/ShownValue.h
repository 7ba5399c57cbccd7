// What an input control shows, said by the control itself: the value its
// text stands for, written as the control writes it once it has read the
// text, but without its range. A dialog compares these before and after a
// commit to see whether the commit changed what the user saw.
#pragma once

#include <QString>

#include <optional>

class IShownValue {
 public:
  // Nothing when another control answers for this one (a value shown in two
  // forms is one value).
  virtual std::optional<QString> ShownValue() const = 0;

 protected:
  ~IShownValue() = default;
};
