// The character rules of the input controls, judged one character (Unicode
// code point) at a time. Anything outside ASCII is refused whole: the stored
// text is single-byte and double-byte characters never reached these fields.
#pragma once

namespace ctl {

inline constexpr int kCharBackspace = 8;
inline constexpr int kCharEnter = 13;

// Names and units: letters, digits, % _ ( ) - / and Backspace.
bool IsNameChar(int c);
// The decimal edits (CEditINT and the change-reporting edits): Backspace,
// digits, and '-' only when the field is signed. Enter is not a character here.
bool IsDecimalEditChar(int c, bool isUnsigned);
// CEditExINT / CComboBoxINT: Enter and Backspace always, '-' when signed,
// digits, and in hex mode a-f/A-F.
bool IsIntCharAccepted(int c, bool isUnsigned, bool hex);
// CEditBIT: mode 0 binary takes 0 1, mode 1 hexadecimal 0-9 a-f A-F; both x X
// and Backspace. Any other mode takes nothing.
bool IsBitChar(int c, int mode);

}  // namespace ctl
