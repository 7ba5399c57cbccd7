#include "J1939Model.h"

#include <cstdio>

namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

J1939Fields SplitJ1939Id(std::uint32_t id) {
  J1939Fields f;
  const int pgn = static_cast<int>((id >> 8) & 0x3FFFFu);
  f.source = static_cast<int>(id & 0xFFu);
  f.priority = static_cast<int>((id >> 26) & 0x7u);
  f.destinationEnabled = J1939HasDestination(pgn);
  if (f.destinationEnabled) {
    f.pgn = pgn & ~0xFF;
    f.destination = pgn & 0xFF;
  } else {
    f.pgn = pgn;
    f.destination = kJ1939MaxAddress;
  }
  return f;
}

std::uint32_t ComposeJ1939Id(const J1939Fields& fields) {
  const int pgn = Clamp(fields.pgn, 0, kJ1939MaxPgn);
  std::uint32_t id = (static_cast<std::uint32_t>(pgn) << 8) & 0x03FFFF00u;
  id |= (static_cast<std::uint32_t>(Clamp(fields.priority, 0, kJ1939MaxPriority)) << 26) & 0x1C000000u;
  if (J1939HasDestination(pgn))
    id = (id & ~0xFF00u) | (static_cast<std::uint32_t>(Clamp(fields.destination, 0, kJ1939MaxAddress)) << 8);
  id |= static_cast<std::uint32_t>(Clamp(fields.source, 0, kJ1939MaxAddress));
  return id;
}

CJ1939Model::CJ1939Model(std::uint32_t id, int hexFlag, const std::string& messageName)
    : id_(id), hexFlag_(hexFlag), messageName_(messageName), fields_(SplitJ1939Id(id)) {}

std::string CJ1939Model::Title() const {
  char number[16];
  if (hexFlag_ == 1) std::snprintf(number, sizeof number, "%X", id_);
  else std::snprintf(number, sizeof number, "%d", static_cast<int>(id_));
  return "Message '" + messageName_ + " (" + number + ")'";
}

void CJ1939Model::SetPgn(int pgn) { fields_.pgn = Clamp(pgn, 0, kJ1939MaxPgn); }
void CJ1939Model::SetSource(int source) { fields_.source = Clamp(source, 0, kJ1939MaxAddress); }
void CJ1939Model::SetPriority(int priority) { fields_.priority = Clamp(priority, 0, kJ1939MaxPriority); }
void CJ1939Model::SetDestination(int destination) { fields_.destination = Clamp(destination, 0, kJ1939MaxAddress); }

void CJ1939Model::OnPgnCommitted() {
  id_ = ComposeJ1939Id(fields_);
  fields_ = SplitJ1939Id(id_);
}

std::uint32_t CJ1939Model::OnOk() {
  id_ = ComposeJ1939Id(fields_);
  return id_;
}
