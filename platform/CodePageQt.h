// CP932 text at the Qt boundary: what a window shows is Unicode, what the
// records hold stays CP932. Header-only, so that the toolkit-free platform
// library itself never needs Qt.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "CodePage.h"

namespace cp932 {

// Stored bytes as the window shows them (lenient, as ToUtf8).
inline QString ToQString(std::string_view cp932Text) { return QString::fromStdString(ToUtf8(cp932Text)); }

// A window's text as CP932; empty when a character has no CP932 form. Text
// the user types is read through the models' text fields, which keep such a
// text; this is for the program's own texts.
inline std::string FromQString(const QString& text) {
  std::string out;
  if (!FromUtf8(text.toStdString(), out)) out.clear();
  return out;
}

}  // namespace cp932
