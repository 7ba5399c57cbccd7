// Splitting and composing J1939 identifiers, and the dialog's reactions.
#include "J1939Model.h"

#include <gtest/gtest.h>

namespace {

TEST(J1939Split, Examples) {
  struct Case {
    std::uint32_t id;
    J1939Fields fields;
  };
  const Case cases[] = {
      // PDU1: destination editable, PGN shown with low byte 0.
      {0x18EA00FE, {0xEA00, 0xFE, 6, 0x00, true}},
      {0x18EA12FE, {0xEA00, 0xFE, 6, 0x12, true}},
      // PDU2: the PS is part of the PGN, the destination shows 255.
      {0x18FEF100, {0xFEF1, 0x00, 6, 255, false}},
      // PF 239 is still PDU1, PF 240 is PDU2.
      {0x0CEF3421, {0xEF00, 0x21, 3, 0x34, true}},
      {0x0CF03421, {0xF034, 0x21, 3, 255, false}},
      // The data page bits belong to the PGN; bits 29-31 are ignored.
      {0xFFFFFFFF, {0x3FFFF, 0xFF, 7, 255, false}},
      {0x00000000, {0, 0, 0, 0, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(SplitJ1939Id(c.id), c.fields);
  }
}

TEST(J1939Compose, Examples) {
  struct Case {
    J1939Fields fields;
    std::uint32_t id;
  };
  const Case cases[] = {
      {{0xEA00, 0xFE, 6, 0x12, true}, 0x18EA12FE},
      // PDU2: the PGN's own low byte stays, the destination is not used.
      {{0xFEF1, 0x00, 6, 0x12, true}, 0x18FEF100},
      // PDU1: the destination replaces the low byte, whatever state its
      // field still has from an earlier PGN.
      {{0xEA34, 0xFE, 6, 0x12, false}, 0x18EA12FE},
      // Out-of-range fields are clamped as their edits clamp them.
      {{0x7FFFF, 0x1FF, 9, 0, false}, 0x1FFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(ComposeJ1939Id(c.fields), c.id);
  }
}

TEST(J1939Compose, SplitThenComposeGivesPdu2IdentifiersBack) {
  for (std::uint32_t id : {0x18FEF100u, 0x0CF00400u, 0x1FFFFFFFu, 0x00F00000u, 0x03FFFFFFu, 0x18FF0A55u})
    EXPECT_EQ(ComposeJ1939Id(SplitJ1939Id(id)), id) << std::hex << id;
  // PDU1 identifiers too, the destination coming back from its own field.
  for (std::uint32_t id : {0x18EA00FEu, 0x18EF12FEu, 0x0000FF00u})
    EXPECT_EQ(ComposeJ1939Id(SplitJ1939Id(id)), id) << std::hex << id;
}

TEST(J1939Model, LeavingThePgnFollowsItsFormat) {
  struct Case {
    std::uint32_t start;
    int pgn;
    J1939Fields after;
    std::uint32_t id;
  };
  const Case cases[] = {
      // PF 240 or more: the destination shows 255 and is disabled.
      {0x18EA00FE, 0xF004, {0xF004, 0xFE, 6, 255, false}, 0x18F004FE},
      // PF 239 against 240.
      {0x18FEF100, 0xEF00, {0xEF00, 0x00, 6, 0xFF, true}, 0x18EFFF00},
      {0x18EA00FE, 0xF000, {0xF000, 0xFE, 6, 255, false}, 0x18F000FE},
      // A PF below 240 clears the PGN's low byte in the display.
      {0x18EA12FE, 0xEB55, {0xEB00, 0xFE, 6, 0x12, true}, 0x18EB12FE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pgn);
    CJ1939Model m(c.start, 1, "X");
    m.SetPgn(c.pgn);
    m.OnPgnCommitted();
    EXPECT_EQ(m.Fields(), c.after);
    EXPECT_EQ(m.Id(), c.id);
  }
}

TEST(J1939Model, OkComposesWithTheCurrentPgnsFormat) {
  // The PGN was typed but its field never left: OK must not compose with the
  // destination state of the old PGN.
  CJ1939Model pdu2(0x18EA12FE, 1, "X");
  pdu2.SetPgn(0xFEF1);
  EXPECT_EQ(pdu2.OnOk(), 0x18FEF1FEu);
  CJ1939Model pdu1(0x18FEF100, 1, "X");
  pdu1.SetPgn(0xEA00);
  EXPECT_EQ(pdu1.OnOk(), 0x18EAFF00u);
  // Unchanged fields give the identifier back.
  CJ1939Model same(0x18FEF100, 0, "X");
  EXPECT_EQ(same.OnOk(), 0x18FEF100u);
}

TEST(J1939Model, EditsClampAndTitleFollowsTheDisplay) {
  CJ1939Model m(0x18FEF100, 0, "EEC1");
  EXPECT_EQ(m.Title(), "Message 'EEC1 (419361024)'");
  CJ1939Model h(0x18FEF100, 1, "EEC1");
  EXPECT_EQ(h.Title(), "Message 'EEC1 (18FEF100)'");
  h.SetPgn(0x40000);
  h.SetPriority(8);
  h.SetSource(-1);
  h.SetDestination(300);
  EXPECT_EQ(h.Fields().pgn, kJ1939MaxPgn);
  EXPECT_EQ(h.Fields().priority, 7);
  EXPECT_EQ(h.Fields().source, 0);
  EXPECT_EQ(h.Fields().destination, 255);
}

}  // namespace
