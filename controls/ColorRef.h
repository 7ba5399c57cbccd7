// Colours written as 0x00BBGGRR values (blue in the high byte), the way the
// colour tables of the lists and bit cells give them. QColor(QRgb) reads
// 0xAARRGGBB, so a value must be converted, never passed on as it is.
#pragma once

#include <QColor>

#include <cstdint>

inline QColor ColorFromRef(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

inline std::uint32_t RefFromColor(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
         (static_cast<std::uint32_t>(c.blue()) << 16);
}
