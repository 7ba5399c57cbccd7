// What the document and the settings hand to each other: the identifier
// display format (MsgIdFormat) and the definition list's modified flag. Only
// the format is kept in the settings file; the flag starts clear every run.
#pragma once

#include <cstdint>

struct tagDocState {
  int32_t msgIdFormat = 0;  // 1 hexadecimal, else decimal
  uint8_t modified = 0;     // 1: the definition list changed since the last save or load
};
