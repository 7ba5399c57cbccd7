// OK through the CAN, FlexRay and LIN dialogs, each shown and active, typed
// into key by key and OK clicked with the mouse right after: the records get
// what the fields showed at the press, or nothing; a stored text OK leaves
// alone keeps its bytes. Rules the three dialogs share run the same row
// against each of them.
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CanDlg.h"
#include "DlgKeys.h"
#include "FlexRayDlg.h"
#include "FrameDefs.h"
#include "FrameDlgIds.h"
#include "GridDrag.h"
#include "EditINT.h"
#include "J1939Dlg.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "RecordPicture.h"
#include "EditedFrame.h"
#include "RecordingMessageSink.h"
#include "MsgIds.h"

using namespace vrtest;

namespace {

// The symbol `name` with the pattern 0101 in group 0 (4 bits) of a
// document's definition list, and the LOGIC dialog in edit mode on it.
struct EditedSymbol {
  explicit EditedSymbol(const char* name) {
    symbol = doc.AllocLogicSignal();
    CopyToCharBuffer(symbol->name, name, MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(symbol->pattern, "0101", MAX_LOGIC_BITS);
    doc.AddLogicSignal(LIST_DEFINITION, 0, symbol);
    group = doc.GetLogicGroup(LIST_DEFINITION, 0);
    group->bitCount = 4;
    dlg.SetGroups(group);
    dlg.SetSymbol(symbol);
    dlg.SetGroupIndex(0);
    dlg.SetMode(DLGMODE_EDIT);
  }
  CVestrelDoc doc;
  _LOGICSignal* symbol = nullptr;
  _LOGICGroup* group = nullptr;
  CLogicDlg dlg;
};

constexpr int kByteCount = dlgids::IDC_BYTE_COUNT;
constexpr int kStartBit = dlgids::IDC_START_BIT;
constexpr int kBitCount = dlgids::IDC_BIT_COUNT;
constexpr int kFactor = dlgids::IDC_FACTOR;
constexpr int kUnit = dlgids::IDC_UNIT;
constexpr int kSigName = dlgids::IDC_SIGNAL_NAME;
// What a press held by its own commit says.
const std::vector<int> kHeld{IDS_MSG_SHOWN_CHANGED};

}  // namespace

class OkShownTest : public QObject {
  Q_OBJECT

 private:
  RecordingMessageSink sink_;

  struct Typed {
    const char* rule;
    std::vector<Bus> buses;
    int bytes;
    std::vector<FrameSig> sigs;  // the first is edited
    int field;
    const char* keys;
    bool cut;  // the press's commit changed the fields: the dialog stays open
    int wantStart, wantCount, wantBytes;
  };

  void Run(const Typed& r, Bus bus) {
    const std::string what = std::string(kBusNames[bus]) + ": " + r.rule;
    sink_.shown.clear();
    auto s = OpenEditedFrame(bus, r.bytes, r.sigs);
    QVERIFY2(ShowActive(*s->dlg), what.c_str());
    const Picture stored = s->Stored();
    TypeOver(s->Field(r.field), QString::fromLatin1(r.keys));
    PressOk(*s->dlg);
    QVERIFY2(sink_.Ids() == (r.cut ? kHeld : std::vector<int>{}), what.c_str());
    QVERIFY2(s->Int(kStartBit) == r.wantStart, what.c_str());
    QVERIFY2(s->Int(kBitCount) == r.wantCount, what.c_str());
    if (r.cut) {
      // Open, showing the cut with the focus on the first field it changed;
      // nothing stored.
      QVERIFY2(s->dlg->isVisible(), what.c_str());
      QVERIFY2(s->Stored() == stored, what.c_str());
      QWidget* changed = s->Field(r.wantStart != r.sigs.front().start ? kStartBit : kBitCount);
      QVERIFY2(QApplication::focusWidget() == changed, what.c_str());
      PressOk(*s->dlg);
      QVERIFY2(sink_.Ids() == kHeld, what.c_str());
    }
    QVERIFY2(!s->dlg->isVisible(), what.c_str());
    QVERIFY2(s->sig->startBit == r.wantStart && s->sig->bitCount == r.wantCount, what.c_str());
    QVERIFY2(s->bytes() == r.wantBytes, what.c_str());
  }

 private Q_SLOTS:
  void init() { sink_.shown.clear(); }

  // OK clicked right after typing: a value the field's commit cuts, clamps or
  // moves is shown first, with the dialog open and nothing stored; the next OK
  // stores what is shown. A value that stands as typed is stored at once.
  void okStoresWhatTheFieldsShowed() {
    const std::vector<Bus> all(std::begin(kEveryBus), std::end(kEveryBus));
    const Typed rows[] = {
        {"byte count cut under the signal", all, 2, {{"S", 8, 8}}, kByteCount, "1", true, 7, 1, 1},
        {"start bit past the frame", all, 8, {{"S", 0, 8}}, kStartBit, "400", true, 63, 1, 8},
        {"a start bit that fits is stored at once", all, 8, {{"S", 0, 8}}, kStartBit, "16", false, 16, 8, 8},
        {"a factor shown in its own notation is no change", all, 8, {{"S", 0, 8}}, kFactor, "2", false, 0, 8, 8},
        {"4 bytes under B at 56/8 beside A at 24/8",
         {CAN},
         8,
         {{"B", 56, 8}, {"A", 24, 8}},
         kByteCount,
         "4",
         true,
         23,
         1,
         4},
        {"8 bytes under a signal at 511/1", {CAN}, 64, {{"S", 511, 1}}, kByteCount, "8", true, 63, 1, 8},
        {"1 byte under a signal at 5/12", {FLEXRAY}, 16, {{"S", 5, 12}}, kByteCount, "1", true, 5, 3, 1},
    };
    for (const Typed& r : rows) {
      for (Bus bus : r.buses) {
        Run(r, bus);
        if (QTest::currentTestFailed()) return;
      }
    }
  }

  // A press is held by its field's commit whatever reacts to the field being
  // left and wherever that puts the focus: a commit that changes what shows
  // holds it with a word why, one that refuses the value with its own
  // message holds it with that message alone. Nothing is stored; the next
  // press stores what shows. A commit that changes nothing lets it through.
  void pressHeldByItsCommit() {
    enum Dlg { J1939_PGN, CAN_MUX_VALUE };
    struct Row {
      const char* rule;
      Dlg dlg;
      const char* keys;
      std::vector<int> messages;  // shown by the press
      const char* shown;          // the typed field after the press
      std::uint32_t wantId;       // J1939: the identifier OK gives back
    };
    const Row rows[] = {
        {"a PDU1 PGN is recomposed with the destination as it is left", J1939_PGN, "EA12", kHeld, "EA00", 0x18EAFF00},
        {"a PDU2 PGN stands as typed", J1939_PGN, "FEF2", {}, "FEF2", 0x18FEF200},
        {"a multiplex value whose start lies above its end", CAN_MUX_VALUE, "5-3", {IDS_MSG_MUX_ORDER}, "5-3", 0},
    };
    for (const Row& r : rows) {
      sink_.shown.clear();
      std::unique_ptr<EditedFrame> frame;
      CJ1939Dlg j1939;
      CMsgDlg* dlg = &j1939;
      QWidget* field = j1939.PgnEdit();
      if (r.dlg == J1939_PGN) {
        j1939.SetId(0x18FEF100);
        j1939.SetHexFlag(1);
        j1939.SetMessageName("EEC1");
      } else {
        frame = OpenEditedFrame(CAN, 8, {{"S", 8, 8}, {"MUX", 0, 8}});
        auto* sig = static_cast<_CANSignal*>(frame->sig);
        CopyToCharBuffer(sig->multiplexor, "MUX", MAX_NAME_LEN);
        sig->multiplexValue = "3";
        dlg = frame->dlg.get();
        field = frame->Field(dlgids::IDC_MUX_VALUE);
      }
      QVERIFY2(ShowActive(*dlg), r.rule);
      const Picture stored = frame ? frame->Stored() : Picture();
      TypeOver(field, QString::fromLatin1(r.keys));
      PressOk(*dlg);
      QVERIFY2(sink_.Ids() == r.messages, r.rule);
      QVERIFY2(TextOf(field) == QLatin1String(r.shown), qPrintable(TextOf(field)));
      if (r.messages.empty()) {
        QVERIFY2(dlg->result() == QDialog::Accepted && j1939.Id() == r.wantId, r.rule);
        continue;
      }
      QVERIFY2(dlg->isVisible() && QApplication::focusWidget() == field, r.rule);
      if (frame) {
        QVERIFY2(frame->Stored() == stored, r.rule);
        continue;
      }
      QVERIFY2(j1939.Id() == 0x18FEF100 && j1939.DestinationEdit()->isEnabled(), r.rule);
      PressOk(j1939);
      QVERIFY2(sink_.Ids() == r.messages && j1939.result() == QDialog::Accepted, r.rule);
      QVERIFY2(j1939.Id() == r.wantId, r.rule);
    }
  }

  // A press of OK with another button than the left moves the focus there
  // and presses nothing: the next press, which commits nothing, stores what
  // shows at once, without a word.
  void pressOfAnotherButtonForgotten() {
    enum Then { BIG_THEN_SPACE, DRAG_THEN_CLICK };
    struct Row {
      const char* rule;
      Qt::MouseButton button;
      Then then;
      int wantOrder, wantStart, wantCount;
    };
    const Row rows[] = {
        {"right-click, Big clicked, Space on OK", Qt::RightButton, BIG_THEN_SPACE, BYTEORDER_BIG, 0, 8},
        {"middle-click, bits 9 to 13 dragged, OK clicked", Qt::MiddleButton, DRAG_THEN_CLICK, BYTEORDER_LITTLE, 9, 5},
    };
    for (const Row& r : rows) {
      for (Bus bus : kEveryBus) {
        const std::string what = std::string(kBusNames[bus]) + ": " + r.rule;
        sink_.shown.clear();
        auto s = OpenEditedFrame(bus, 8, {{"S", 0, 8}});
        QVERIFY2(ShowActive(*s->dlg), what.c_str());
        QWidget* ok = s->Field(dlgids::IDC_OK);
        Click(EditOf(s->Field(kFactor)));
        QTest::mouseClick(ok, r.button);
        QVERIFY2(QApplication::focusWidget() == ok, what.c_str());
        if (r.then == BIG_THEN_SPACE) {
          Click(s->Field(dlgids::IDC_BYTE_BIG));
          for (int tabs = 0; tabs < 40 && QApplication::focusWidget() != ok; ++tabs) Press(Qt::Key_Tab);
          QVERIFY2(QApplication::focusWidget() == ok, what.c_str());
          QTest::keyClick(ok, Qt::Key_Space);
        } else {
          DragGridBits(*s->dlg, 9, 13);
          Click(ok);
        }
        QVERIFY2(sink_.Ids().empty() && !s->dlg->isVisible(), what.c_str());
        QVERIFY2(s->sig->byteOrder == r.wantOrder, what.c_str());
        QVERIFY2(s->sig->startBit == r.wantStart && s->sig->bitCount == r.wantCount, what.c_str());
      }
    }
  }

  // Tab onto OK settles the field left in the user's sight: Enter on OK then
  // stores what the fields show, the settled values included.
  void tabOntoOkSettlesInSight() {
    for (Bus bus : {FLEXRAY, LIN}) {
      sink_.shown.clear();
      auto s = OpenEditedFrame(bus, 8, {{"S", 0, 8}});
      QVERIFY(ShowActive(*s->dlg));
      TypeAndTab(s->Field(dlgids::IDC_MINIMUM), u"10");
      // A maximum below the minimum: the two change places when it is left,
      // here straight onto OK, as Tab from the last field before OK does.
      TypeOver(s->Field(dlgids::IDC_MAXIMUM), u"5");
      s->Field(dlgids::IDC_OK)->setFocus(Qt::TabFocusReason);
      QCOMPARE(TextOf(s->Field(dlgids::IDC_MAXIMUM)).toDouble(), 10.0);
      Press(Qt::Key_Return);
      QCOMPARE(sink_.Ids(), std::vector<int>{});
      QVERIFY(!s->dlg->isVisible());
      QCOMPARE(s->sig->minimum, 5.0);
      QCOMPARE(s->sig->maximum, 10.0);
    }
  }

  // Unticking J1939 cuts the byte count to 64 and the signal with it at
  // once, before anything else is pressed; OK stores what then shows.
  void j1939SwitchSettlesAtOnce() {
    auto s = OpenEditedFrame(CAN, 100, {{"S", 600, 16}}, nullptr, 1);
    QVERIFY(ShowActive(*s->dlg));
    Click(s->Field(dlgids::IDC_J1939));
    QCOMPARE(s->Int(kByteCount), 64);
    QCOMPARE(s->Int(kStartBit), 511);
    QCOMPARE(s->Int(kBitCount), 1);
    PressOk(*s->dlg);
    QCOMPARE(sink_.Ids(), std::vector<int>{});
    QVERIFY(!s->dlg->isVisible());
    QCOMPARE(s->bytes(), 64);
    QCOMPARE(s->sig->startBit, 511);
    QCOMPARE(s->sig->bitCount, 1);
  }

  // LOGIC: a bit count typed and OK clicked cuts both pattern fields first;
  // the dialog stays open with the cut patterns shown, and nothing is stored
  // until OK is pressed on them. A bit count that cuts nothing is stored at
  // once.
  void logicBitCountShownBeforeItIsStored() {
    struct Row {
      const char* rule;
      const char* keys;
      bool cut;
      const char* wantPattern;
      int wantBits;
    };
    const Row rows[] = {
        {"4 bits cut to 2", "2", true, "01", 2},
        {"4 bits widened to 6: the pattern is padded", "6", true, "XX0101", 6},
        {"4 bits typed again", "4", false, "0101", 4},
    };
    for (const Row& r : rows) {
      EditedSymbol e("Sym");
      CVestrelDoc& doc = e.doc;
      _LOGICSignal* s = e.symbol;
      _LOGICGroup* group = e.group;
      CLogicDlg& dlg = e.dlg;
      const Picture stored(doc, LIST_DEFINITION);
      QVERIFY2(ShowActive(dlg), r.rule);
      sink_.shown.clear();
      TypeOver(dlg.GetDlgItem(dlgids::IDC_LOGIC_BITS), QString::fromLatin1(r.keys));
      PressOk(dlg);
      QVERIFY2(TextOf(dlg.GetDlgItem(dlgids::IDC_PATTERN_BIN)) == QLatin1String(r.wantPattern), r.rule);
      QVERIFY2(sink_.Ids() == (r.cut ? kHeld : std::vector<int>{}), r.rule);
      if (r.cut) {
        QVERIFY2(dlg.isVisible() && Picture(doc, LIST_DEFINITION) == stored, r.rule);
        PressOk(dlg);
      }
      QVERIFY2(sink_.Ids() == (r.cut ? kHeld : std::vector<int>{}) && !dlg.isVisible(), r.rule);
      QVERIFY2(std::string(s->pattern) == r.wantPattern && group->bitCount == r.wantBits, r.rule);
    }
  }

  // LOGIC: the binary and hexadecimal fields show one pattern. A pattern
  // typed into either and OK clicked at once is stored by that press, though
  // its commit rewrites the other field; a hexadecimal digit too large for the
  // bits it covers is cut in sight first.
  void logicPatternNeedsOnePress() {
    constexpr int kBin = dlgids::IDC_PATTERN_BIN;
    constexpr int kHex = dlgids::IDC_PATTERN_HEX;
    struct Row {
      const char* rule;
      const char* bits;  // typed and left with Tab first, or null
      int field;
      const char* keys;
      bool cut;
      const char* wantPattern;
    };
    const Row rows[] = {
        {"binary", nullptr, kBin, "1100", false, "1100"},
        {"hexadecimal", nullptr, kHex, "a", false, "1010"},
        {"binary shorter than the count: padded", nullptr, kBin, "11", false, "XX11"},
        {"hexadecimal with a don't-care digit", "8", kHex, "x3", false, "XXXX0011"},
        {"hexadecimal into 6 bits", "6", kHex, "35", false, "110101"},
        {"hexadecimal F5 into 6 bits: the top digit is cut", "6", kHex, "f5", true, "110101"},
    };
    for (const Row& r : rows) {
      sink_.shown.clear();
      EditedSymbol e("Sym");
      CLogicDlg& dlg = e.dlg;
      QVERIFY2(ShowActive(dlg), r.rule);
      if (r.bits) TypeAndTab(dlg.GetDlgItem(dlgids::IDC_LOGIC_BITS), QString::fromLatin1(r.bits));
      const Picture stored(e.doc, LIST_DEFINITION);
      TypeOver(dlg.GetDlgItem(r.field), QString::fromLatin1(r.keys));
      PressOk(dlg);
      if (r.cut) {
        QVERIFY2(dlg.isVisible() && Picture(e.doc, LIST_DEFINITION) == stored, r.rule);
        PressOk(dlg);
      }
      // The held press says why.
      QVERIFY2(sink_.Ids() == (r.cut ? std::vector<int>{IDS_MSG_SHOWN_CHANGED} : std::vector<int>{}), r.rule);
      QVERIFY2(!dlg.isVisible(), r.rule);
      QVERIFY2(std::string(e.symbol->pattern) == r.wantPattern, r.rule);
    }
  }

  // The LOGIC symbol name follows the same text rule.
  void logicNameKeepsItsBytes() {
    enum Act { NONE, TYPE, INSERT };
    struct Row {
      const char* rule;
      Act act;
      const char* utf8;
      int message;
      const char* wantName;
    };
    const Row rows[] = {
        {"a stored name with a cp1252 per-mille sign", NONE, "", 0, "Sym\x89"},
        {"a typed name", TYPE, "Idle", 0, "Idle"},
        {"Hangul in the name", INSERT, "\xED\x95\x9C", IDS_MSG_TEXT_NOT_CP932, "Sym\x89"},
    };
    for (const Row& r : rows) {
      sink_.shown.clear();
      EditedSymbol e("Sym\x89");
      CVestrelDoc& doc = e.doc;
      _LOGICSignal* s = e.symbol;
      CLogicDlg& dlg = e.dlg;
      const Picture stored(doc, LIST_DEFINITION);
      QVERIFY2(ShowActive(dlg), r.rule);
      QWidget* name = dlg.GetDlgItem(dlgids::IDC_SYMBOL_NAME);
      if (r.act == TYPE) TypeOver(name, QString::fromLatin1(r.utf8));
      if (r.act == INSERT) {
        Click(EditOf(name));
        EditOf(name)->insert(QString::fromUtf8(r.utf8));
      }
      PressOk(dlg);
      QVERIFY2(sink_.Ids() == (r.message ? std::vector<int>{r.message} : std::vector<int>{}), r.rule);
      QVERIFY2(dlg.isVisible() == (r.message != 0), r.rule);
      if (r.act != TYPE) QVERIFY2(Picture(doc, LIST_DEFINITION) == stored && !dlg.IsModified(), r.rule);
      QVERIFY2(std::string(s->name) == r.wantName, r.rule);
    }
  }

  // Name, signal name and unit are read only when the user edited them: a
  // stored text is kept byte for byte by an OK that leaves it alone, and
  // text the code page cannot hold is refused with its own message.
  void textsKeepTheirBytes() {
    enum Act { NONE, TYPE, INSERT };
    struct Row {
      const char* rule;
      const char* storedName;
      const char* storedUnit;
      int field;
      Act act;
      const char* utf8;  // typed, or inserted where the keys cannot reach
      int message;       // 0: accepted
      const char* wantName;
      const char* wantUnit;
    };
    const Row rows[] = {
        {"a stored unit with a cp1252 per-mille sign", "S", "\x89", kUnit, NONE, "", 0, "S", "\x89"},
        {"a stored signal name with a cp1252 per-mille sign", "S\x89", "", kUnit, NONE, "", 0, "S\x89", ""},
        {"a typed unit", "S", "\x89", kUnit, TYPE, "km", 0, "S", "km"},
        {"Hangul in the unit", "S", "m", kUnit, INSERT, "\xED\x95\x9C", IDS_MSG_TEXT_NOT_CP932, "S", "m"},
        {"an emoji in the signal name", "S", "m", kSigName, INSERT, "\xF0\x9F\x98\x80", IDS_MSG_TEXT_NOT_CP932, "S",
         "m"},
    };
    for (const Row& r : rows) {
      for (Bus bus : kEveryBus) {
        const std::string what = std::string(kBusNames[bus]) + ": " + r.rule;
        sink_.shown.clear();
        auto s = OpenEditedFrame(bus, 8, {{r.storedName, 0, 8}});
        CopyToCharBuffer(s->sig->unit, r.storedUnit, MAX_NAME_LEN);
        QVERIFY2(ShowActive(*s->dlg), what.c_str());
        const Picture stored = s->Stored();
        const QString text = QString::fromUtf8(r.utf8);
        if (r.act == TYPE) TypeOver(s->Field(r.field), text);
        if (r.act == INSERT) {
          Click(EditOf(s->Field(r.field)));
          EditOf(s->Field(r.field))->insert(text);
        }
        PressOk(*s->dlg);
        QVERIFY2(sink_.Ids() == (r.message ? std::vector<int>{r.message} : std::vector<int>{}), what.c_str());
        QVERIFY2(s->dlg->isVisible() == (r.message != 0), what.c_str());
        if (r.message) {
          QVERIFY2(s->Stored() == stored, what.c_str());
          QVERIFY2(QApplication::focusWidget() == EditOf(s->Field(r.field)) ||
                       QApplication::focusWidget() == s->Field(r.field),
                   what.c_str());
        }
        if (r.act == NONE) QVERIFY2(s->Stored() == stored && !s->dlg->IsModified(), what.c_str());
        QVERIFY2(std::string(s->sig->name) == r.wantName, what.c_str());
        QVERIFY2(std::string(s->sig->unit) == r.wantUnit, what.c_str());
      }
    }
  }
};

QTEST_MAIN(OkShownTest)
#include "OkShownTest.moc"
