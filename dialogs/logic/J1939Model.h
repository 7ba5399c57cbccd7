// The J1939 identifier dialog without its window: a 29-bit extended CAN
// identifier split into priority, parameter group number (PGN), destination
// and source address, and composed again from them.
//
// Bits 26-28 priority, 8-25 PGN, 16-23 the PDU format (PF), 8-15 the PDU
// specific byte (PS), 0-7 the source address. A PF below 240 (PDU1) makes the
// PS the destination address, edited on its own, and the PGN is shown with
// its low byte 0; a PF of 240 or more (PDU2) makes the PS part of the PGN and
// there is no destination (shown as 255, not editable).
#pragma once

#include <cstdint>
#include <string>

constexpr int kJ1939MaxPgn = 0x3FFFF;
constexpr int kJ1939MaxAddress = 255;
constexpr int kJ1939MaxPriority = 7;
// The first PDU format of a PDU2 parameter group.
constexpr int kJ1939Pdu2Format = 240;

// Control identifiers of the dialog's four edits.
enum J1939Control {
  IDC_J1939_PGN = 2580,
  IDC_J1939_SOURCE = 2581,
  IDC_J1939_PRIORITY = 1016,
  IDC_J1939_DESTINATION = 1017
};

// The PDU format byte of a PGN.
constexpr int J1939PduFormat(int pgn) { return (pgn >> 8) & 0xFF; }
// True when a PGN addresses a destination (PDU1).
constexpr bool J1939HasDestination(int pgn) { return J1939PduFormat(pgn) < kJ1939Pdu2Format; }

// The four fields as the dialog shows them.
struct J1939Fields {
  int pgn = 0;
  int source = 0;
  int priority = 0;
  int destination = kJ1939MaxAddress;
  bool destinationEnabled = false;
  bool operator==(const J1939Fields&) const = default;
};

// The fields of an identifier (bits 29-31 are ignored).
J1939Fields SplitJ1939Id(std::uint32_t id);
// The identifier of the fields. Whether the destination goes into bits 8-15
// follows the PF of the PGN as it stands, never the state the destination
// field had for an earlier PGN, so a typed PDU2 PGN keeps its low byte.
// Out-of-range fields are clamped as the edits clamp them.
std::uint32_t ComposeJ1939Id(const J1939Fields& fields);

class CJ1939Model {
 public:
  // What the caller hands over: the identifier, the display flag (1 shows
  // hexadecimal) and the message name (CP932) for the title.
  CJ1939Model(std::uint32_t id, int hexFlag, const std::string& messageName);

  std::uint32_t Id() const { return id_; }
  int HexFlag() const { return hexFlag_; }
  const J1939Fields& Fields() const { return fields_; }

  // The window title: "Message '<name> (<identifier>)'", the identifier in
  // hexadecimal with display flag 1, else in decimal (CP932).
  std::string Title() const;

  // What the edits hold now (clamped to their ranges).
  void SetPgn(int pgn);
  void SetSource(int source);
  void SetPriority(int priority);
  void SetDestination(int destination);

  // Leaving the PGN field: the identifier is composed, and every field shown
  // again from it (the destination follows the new PF).
  void OnPgnCommitted();
  // OK: the identifier composed from the fields.
  std::uint32_t OnOk();

 private:
  std::uint32_t id_;
  int hexFlag_;
  std::string messageName_;
  J1939Fields fields_;
};
