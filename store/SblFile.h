// The words of the definition file (".sbl"). They are file vocabulary, not
// user-interface text: the file reads and writes the same words whatever
// language the windows show (the string table may translate its own copies).
//
// The writer and the reader themselves are CVestrelDoc::BuildSblText and
// CVestrelDoc::ParseSblText (SblFile.cpp).
#pragma once

namespace sbl {

constexpr double kVersion = 1.2;  // written "%.1f"
constexpr const char* kModel = "QK4200";

// Indexed by the record's enumeration value; a value outside a table is
// written as the table's first word.
constexpr const char* kFrameFormat[] = {"STD", "XTD"};                 // FrameFormatKind
constexpr const char* kValueType[] = {"Unsigned", "Signed", "Float"};  // SignalValueType
constexpr const char* kByteOrder[] = {"LITTLE", "BIG"};                // ByteOrderKind
constexpr const char* kBitOrder[] = {"MSB First", "LSB First"};        // BitOrderKind
constexpr const char* kChecksum[] = {"Classic", "Enhanced"};           // LinChecksum
constexpr const char* kJ1939On = "ON";
constexpr const char* kJ1939Off = "OFF";

}  // namespace sbl
