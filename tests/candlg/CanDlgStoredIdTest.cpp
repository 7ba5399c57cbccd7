// A stored identifier beyond its frame format's range (CANdb files hold
// standard messages with identifiers above 0x7FF): its field shows it, and OK
// without a change keeps it; an identifier typed by the user is taken as
// typed (clamped), the range's end included.
#include <gtest/gtest.h>

#include "CanDlgModel.h"
#include "RecordingPrompt.h"
#include "TextFile.h"

namespace {

struct StoredId {
  _CANMsg msg;
  _CANSignal sig;
  NameMap<_CANMsg> table;
  StoredId(int id, int format) {
    CopyToCharBuffer(msg.name, "Chime", MAX_NAME_LEN);
    msg.id = id;
    msg.frameFormat = static_cast<uint8_t>(format);
    msg.byteCount = 8;
    msg.frameType = CANFRAME_CAN;
    CopyToCharBuffer(sig.name, "Tone", MAX_NAME_LEN);
    sig.bitCount = 8;
    msg.signals.SetAt("TONE", &sig);
    table.SetAt("CHIME", &msg);
  }
};

}  // namespace

TEST(CanDlgStoredId, KeptWhenLeftAsShownTakenWhenTyped) {
  struct Case {
    int stored, format, shown;  // shown: what the identifier field reads back; -1 leaves c_.id
    bool typed;                 // the user typed what the field reads back
    int expected;
    bool modified;
  };
  const Case cases[] = {
      {272629760, FRAME_STD, 272629760, false, 272629760, false},  // left as shown: kept
      {272629760, FRAME_STD, 100, true, 100, true},                // typed anew: taken
      {272629760, FRAME_STD, MAX_STD_ID, true, MAX_STD_ID, true},  // the range's end typed: taken
      {0x123, FRAME_STD, -1, false, 0x123, false},                 // in range: unchanged
      {0x123, FRAME_STD, MAX_STD_ID, true, MAX_STD_ID, true},      // in range, typed the end: taken
  };
  for (const Case& c : cases) {
    StoredId s(c.stored, c.format);
    CCanDlgModel dlg(&s.table, DLGMODE_EDIT);
    dlg.SetTarget(&s.msg, &s.sig);
    dlg.Open();
    if (c.shown >= 0) dlg.ReadId(c.shown, c.typed);
    RecordingPrompt prompt;
    EXPECT_TRUE(dlg.OnOK(prompt).accept) << c.stored << " shown " << c.shown;
    EXPECT_EQ(s.msg.id, c.expected) << c.stored << " shown " << c.shown;
    EXPECT_EQ(dlg.Modified(), c.modified) << c.stored << " shown " << c.shown;
  }
}
