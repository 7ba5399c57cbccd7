// A field shows what OK stores, typed as a user types: a value the field
// holds is in sight once the field is left, a new signal is never one of 0
// bits, Tab follows the layout and the grid opens where the signal lies.
// Rows of a rule the three frame dialogs share run against CAN, FlexRay and
// LIN alike.
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <memory>
#include <vector>

#include "BitAssignView.h"
#include "CanDlg.h"
#include "DlgKeys.h"
#include "EditedFrame.h"
#include "FlexRayDlg.h"
#include "FrameDefs.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "RecordPicture.h"
#include "RecordingMessageSink.h"

using namespace dlgids;
using namespace vrtest;

namespace {

// The records a list hands a dialog for a new definition, and the dialog.
struct NewDefinition {
  CVestrelDoc doc;
  _CANMsg canMsg;
  _CANSignal canSig;
  _FlexRayMsg frMsg;
  _FlexRaySignal frSig;
  _LINMsg linMsg;
  _LINSignal linSig;
  std::unique_ptr<CMsgDlg> dlg;
  _SignalHead* sig = nullptr;
};

// A new definition beside the stored frame "FR" of 4 bytes whose signal A
// holds bits 0 to 7.
std::unique_ptr<NewDefinition> OpenNewBesideFrame(Bus bus) {
  auto n = std::make_unique<NewDefinition>();
  const std::vector<FrameSig> sigs{{"A", 0, 8}};
  if (bus == CAN) {
    _CANMsg* m = n->doc.AllocCanMsg();
    CopyToCharBuffer(m->name, "FR", MAX_NAME_LEN);
    m->byteCount = 4;
    m->id = 0x100;
    m->frameType = CANFRAME_CAN;
    AddFrameSignals(m, sigs, &CVestrelDoc::AllocCanSignal, n->doc, &CVestrelDoc::AddCanSignal);
    n->doc.AddCanMsg(m, LIST_DEFINITION);
    auto* dlg = new CCanDlg;
    dlg->SetMessageTable(&n->doc.GetCanMsgTable(LIST_DEFINITION));
    dlg->SetTarget(&n->canMsg, &n->canSig);
    n->dlg.reset(dlg);
    n->sig = &n->canSig;
  } else if (bus == FLEXRAY) {
    AddFlexRayDef(n->doc, "FR", 3, 4, 0, 1, sigs);
    auto* dlg = new CFlexRayDlg;
    dlg->SetMessageTable(&n->doc.GetFlexRayMsgTable(LIST_DEFINITION));
    dlg->SetTarget(&n->frMsg, &n->frSig);
    n->dlg.reset(dlg);
    n->sig = &n->frSig;
  } else {
    AddLinDef(n->doc, "FR", 3, 4, sigs);
    auto* dlg = new CLinDlg;
    dlg->SetMessageTable(&n->doc.GetLinMsgTable(LIST_DEFINITION));
    dlg->SetTarget(&n->linMsg, &n->linSig);
    n->dlg.reset(dlg);
    n->sig = &n->linSig;
  }
  n->dlg->SetMode(DLGMODE_NEW);
  return n;
}

_CANSignal& CanSig(const EditedFrame& e) { return static_cast<_CANSignal&>(e.Sig()); }

// The identifier of the frame "FR": CAN identifier, FlexRay slot, LIN identifier.
void SetFrameId(EditedFrame& e, Bus bus, long long id) {
  if (bus == CAN) e.doc.GetCanMsgTable(LIST_DEFINITION).Find("FR")->id = static_cast<int32_t>(id);
  else if (bus == FLEXRAY) e.doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("FR")->slotId = static_cast<uint32_t>(id);
  else e.doc.GetLinMsgTable(LIST_DEFINITION).Find("FR")->id = static_cast<uint32_t>(id);
}
long long FrameId(EditedFrame& e, Bus bus) {
  if (bus == CAN) return e.doc.GetCanMsgTable(LIST_DEFINITION).Find("FR")->id;
  if (bus == FLEXRAY) return e.doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("FR")->slotId;
  return e.doc.GetLinMsgTable(LIST_DEFINITION).Find("FR")->id;
}

}  // namespace

class FieldShowsStoredTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // An identifier emptied and left comes back with its value, as every
  // number field does; OK then stores nothing new.
  void emptiedIdentifierComesBack() {
    struct Row {
      const char* rule;
      bool tab;  // left with Tab, else OK clicked at once
    };
    const Row rows[] = {{"Tab", true}, {"OK at once", false}};
    // The frame's identifier as each dialog shows it: CAN 0x100, slot 3, 3.
    const char* const shown[] = {"256", "3", "3"};
    for (Bus bus : kEveryBus) {
      for (const Row& r : rows) {
        const QByteArray what = QByteArray(kBusNames[bus]) + ": " + r.rule;
        const auto edited = OpenEditedFrame(bus, 4, {{"S", 8, 8}});
        EditedFrame& e = *edited;
        const Picture stored = e.Stored();
        QVERIFY2(ShowActive(e.Dlg()), what);
        TypeOver(e.Field(IDC_MSG_ID), QString());
        if (r.tab) Press(Qt::Key_Tab);
        RecordingMessageSink sink;
        PressOk(e.Dlg());
        QVERIFY2(e.Text(IDC_MSG_ID) == QLatin1String(shown[bus]), qPrintable(what + " " + e.Text(IDC_MSG_ID)));
        // A press held because the field changed may say so; nothing is refused.
        if (r.tab) QVERIFY2(sink.Ids().empty(), what);
        const Picture now = e.Stored();
        QVERIFY2(now == stored, (what + " " + stored.Differences(now).c_str()).constData());
        QVERIFY2(!e.Dlg().IsModified(), what);
      }
    }
  }

  // FlexRay's repetition typed 0 holds 1: left, the field shows the 1 that
  // OK stores or refuses.
  void repetitionTypedZeroShowsOne() {
    struct Row {
      const char* rule;
      int base;
      bool tab;
      int message;  // what OK says, 0 nothing
      int stored;   // the repetition stored afterwards
    };
    const Row rows[] = {
        {"Tab, then OK", 0, true, 0, 1},
        {"OK at once: held to be seen, then OK", 0, false, 0, 1},
        {"base cycle 3: refused", 3, true, IDS_MSG_BASE_CYCLE, 8},
    };
    for (const Row& r : rows) {
      CVestrelDoc doc;
      _FlexRayMsg* m = AddFlexRayDef(doc, "FR", 3, 4, r.base, 8, {{"S", 0, 8}});
      CFlexRayDlg dlg;
      dlg.SetTarget(m, m->signals.Find("S"));
      dlg.SetMessageTable(&doc.GetFlexRayMsgTable(LIST_DEFINITION));
      dlg.SetEditedSignalName("S");
      dlg.SetMode(DLGMODE_EDIT);
      QVERIFY2(ShowActive(dlg), r.rule);
      QWidget* repetition = dlg.GetDlgItem(IDC_CYCLE_REPEAT);
      TypeOver(repetition, u"0");
      if (r.tab) Press(Qt::Key_Tab);
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(TextOf(repetition) == QStringLiteral("1"), qPrintable(QByteArray(r.rule) + " " + TextOf(repetition)));
      if (dlg.isVisible() && !r.message) PressOk(dlg);
      if (r.tab) QVERIFY2(sink.Ids() == (r.message ? std::vector<int>{r.message} : std::vector<int>{}), r.rule);
      QVERIFY2(m->cycleRepetition == r.stored, r.rule);
      QVERIFY2(dlg.isVisible() == (r.message != 0), r.rule);
    }
  }

  // The multiplex value emptied comes back showing the stored value OK
  // keeps; a stored identifier beyond its format's range is kept only while
  // the user leaves the field alone.
  void canFieldsShowWhatOkStores() {
    struct Row {
      const char* rule;
      int field;
      const char* keys;  // typed over the field
      bool tab;
      const char* shown;
      int presses;  // OK presses until the dialog closes
      int storedId;
    };
    const Row rows[] = {
        {"multiplex value emptied, Tab", dlgids::IDC_MUX_VALUE, "", true, "0x3", 1, 0x100},
        {"multiplex value emptied, OK at once", dlgids::IDC_MUX_VALUE, "", false, "0x3", 2, 0x100},
        {"identifier beyond STD left alone", 0, nullptr, false, "2048", 1, 0x800},
        {"identifier beyond STD, its end typed", dlgids::IDC_MSG_ID, "2047", true, "2047", 1, 0x7FF},
    };
    for (const Row& r : rows) {
      const auto edited = OpenEditedFrame(CAN, 4, {{"M", 0, 8}, {"S", 8, 8}}, "S");
      EditedFrame& e = *edited;
      _CANSignal& s = CanSig(e);
      CopyToCharBuffer(s.multiplexor, "M", MAX_NAME_LEN);
      s.multiplexValue = "3";
      _CANMsg* m = e.doc.GetCanMsgTable(LIST_DEFINITION).Find("FR");
      if (r.storedId != 0x100) m->id = 0x800;
      const Picture stored = e.Stored();
      QVERIFY2(ShowActive(e.Dlg()), r.rule);
      if (r.keys) TypeOver(e.Field(r.field), QString::fromLatin1(r.keys));
      if (r.tab) Press(Qt::Key_Tab);
      RecordingMessageSink sink;
      for (int i = 0; i < r.presses; ++i) {
        QVERIFY2(e.Dlg().isVisible(), r.rule);
        PressOk(e.Dlg());
        const int field = r.field ? r.field : dlgids::IDC_MSG_ID;
        QVERIFY2(e.Text(field) == QLatin1String(r.shown), qPrintable(QByteArray(r.rule) + " " + e.Text(field)));
      }
      QVERIFY2(!e.Dlg().isVisible(), r.rule);
      if (r.presses == 1) QVERIFY2(sink.Ids().empty(), r.rule);
      QVERIFY2(s.multiplexValue == "3", r.rule);
      QVERIFY2(m->id == r.storedId, r.rule);
      if (r.storedId != 0x7FF) {
        const Picture now = e.Stored();
        QVERIFY2(now == stored, (QByteArray(r.rule) + " " + stored.Differences(now).c_str()).constData());
      }
    }
  }

  // A new signal for a frame chosen from a list starts on the frame's first
  // free bit with one bit, never with none.
  void newSignalOnChosenFrameHasBits() {
    struct Row {
      const char* rule;
      int list;  // the combo stepped with Down
    };
    const Row rows[] = {{"Down in the name", IDC_MSG_NAME}, {"Down in the identifier", IDC_MSG_ID}};
    for (Bus bus : kEveryBus) {
      for (const Row& r : rows) {
        const QByteArray what = QByteArray(kBusNames[bus]) + ": " + r.rule;
        const auto fresh = OpenNewBesideFrame(bus);
        NewDefinition& n = *fresh;
        QVERIFY2(ShowActive(*n.dlg), what);
        Click(EditOf(n.dlg->GetDlgItem(r.list)));
        Press(Qt::Key_Down);
        QVERIFY2(TextOf(n.dlg->GetDlgItem(IDC_MSG_NAME)) == QStringLiteral("FR"), what);
        TypeOver(n.dlg->GetDlgItem(IDC_SIGNAL_NAME), u"N");
        QVERIFY2(TextOf(n.dlg->GetDlgItem(IDC_BIT_COUNT)) == QStringLiteral("1"),
                 qPrintable(what + " " + TextOf(n.dlg->GetDlgItem(IDC_BIT_COUNT))));
        RecordingMessageSink sink;
        PressOk(*n.dlg);
        QVERIFY2(sink.Ids().empty(), what);
        QVERIFY2(!n.dlg->isVisible(), what);
        QVERIFY2(n.sig->startBit == 8, what);
        QVERIFY2(n.sig->bitCount == 1, what);
      }
    }
  }

  // A stored signal of no bits is refused by OK on its bit count, in every
  // dialog, and nothing is written; in a frame of 0 bytes it is the frame's
  // placeholder, and OK closes without a change.
  void storedSignalOfNoBitsIsRefused() {
    struct Row {
      const char* rule;
      int bytes;
      bool refused;
    };
    const Row rows[] = {{"4 bytes: refused", 4, true}, {"0 bytes: closes", 0, false}};
    for (Bus bus : kEveryBus) {
      for (const Row& r : rows) {
        const QByteArray what = QByteArray(kBusNames[bus]) + ": " + r.rule;
        const auto edited = OpenEditedFrame(bus, r.bytes, {{"S", r.bytes ? 8 : 0, 0}});
        EditedFrame& e = *edited;
        const Picture stored = e.Stored();
        QVERIFY2(ShowActive(e.Dlg()), what);
        RecordingMessageSink sink;
        PressOk(e.Dlg());
        QVERIFY2(sink.Ids() == (r.refused ? std::vector<int>{IDS_MSG_BITS_OUTSIDE} : std::vector<int>{}), what);
        QVERIFY2(e.Dlg().isVisible() == r.refused && e.Stored() == stored && !e.Dlg().IsModified(), what);
        if (!r.refused) continue;
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus && (focus == e.Field(IDC_BIT_COUNT) || focus == EditOf(e.Field(IDC_BIT_COUNT))), what);
      }
    }
  }

  // A stored identifier beyond its format's range (a CANdb file's 29-bit one
  // in a standard message, a FIBEX slot 0 or 3000, a LIN identifier 70) is
  // shown as it is and kept through its field and a change of the format;
  // the range judges only what the user types.
  void storedIdentifierBeyondItsRangeIsKept() {
    struct Row {
      const char* rule;
      Bus bus;
      long long stored;
      const char* keys;  // typed over the identifier; null: passed through with Tab
      bool otherFormat;  // then the other frame format or checksum is chosen
      const char* shown;
      long long kept;
    };
    const Row rows[] = {
        {"CAN 29 bits in STD", CAN, 0x12345, nullptr, false, "74565", 0x12345},
        {"CAN 29 bits in STD, then XTD", CAN, 0x12345, nullptr, true, "74565", 0x12345},
        {"FlexRay slot 0", FLEXRAY, 0, nullptr, false, "0", 0},
        {"FlexRay slot 3000", FLEXRAY, 3000, nullptr, false, "3000", 3000},
        {"LIN 70, then Enhanced", LIN, 70, nullptr, true, "70", 70},
        {"LIN 70 typed", LIN, 70, "70", false, "63", 63},
    };
    for (const Row& r : rows) {
      const auto edited = OpenEditedFrame(r.bus, 4, {{"S", 8, 8}});
      EditedFrame& e = *edited;
      SetFrameId(e, r.bus, r.stored);
      const Picture stored = e.Stored();
      QVERIFY2(ShowActive(e.Dlg()), r.rule);
      QWidget* id = e.Field(IDC_MSG_ID);
      QVERIFY2(e.Text(IDC_MSG_ID) == QString::number(r.stored),
               qPrintable(QByteArray(r.rule) + " opens with " + e.Text(IDC_MSG_ID)));
      if (r.keys) TypeOver(id, QString::fromLatin1(r.keys));
      else Click(EditOf(id));
      Press(Qt::Key_Tab);
      if (r.otherFormat) {
        auto* format = static_cast<QComboBox*>(e.Field(IDC_FRAME_FORMAT));
        QVERIFY2(ChooseFromList(format, format->itemText(1)), r.rule);
      }
      RecordingMessageSink sink;
      PressOk(e.Dlg());
      QVERIFY2(sink.Ids().empty() && !e.Dlg().isVisible(), r.rule);
      QVERIFY2(e.Text(IDC_MSG_ID) == QLatin1String(r.shown), qPrintable(QByteArray(r.rule) + " " + e.Text(IDC_MSG_ID)));
      QVERIFY2(FrameId(e, r.bus) == r.kept, r.rule);
      if (!r.keys && !r.otherFormat) QVERIFY2(e.Stored() == stored && !e.Dlg().IsModified(), r.rule);
    }
  }

  // Tab goes through the scaling fields as they are laid out: the two of a
  // row, then the next row, the unit last.
  void tabFollowsTheLayout() {
    // CAN lays out the maximum before the minimum.
    const std::vector<int> orders[] = {
        {IDC_FACTOR, IDC_OFFSET, IDC_MAXIMUM, IDC_MINIMUM, IDC_UNIT},
        {IDC_SIGNAL_NAME, IDC_BIT_ORDER, IDC_START_BIT},
        {IDC_FACTOR, IDC_OFFSET, IDC_MINIMUM, IDC_MAXIMUM, IDC_UNIT},
    };
    struct Row {
      Bus bus;
      const std::vector<int>& order;
    };
    const Row rows[] = {{CAN, orders[0]}, {FLEXRAY, orders[2]}, {LIN, orders[2]}, {FLEXRAY, orders[1]}};
    for (const Row& r : rows) {
      const QByteArray what = QByteArray(kBusNames[r.bus]) + " from " + QByteArray::number(r.order.front());
      const auto edited = OpenEditedFrame(r.bus, 4, {{"S", 8, 8}});
      EditedFrame& e = *edited;
      QVERIFY2(ShowActive(e.Dlg()), what);
      Click(EditOf(e.Field(r.order.front())));
      for (std::size_t i = 1; i < r.order.size(); ++i) {
        Press(Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QWidget* want = e.Field(r.order[i]);
        QVERIFY2(focus == want || focus == EditOf(want) || (focus && focus->focusProxy() == want),
                 qPrintable(what + " step " + QString::number(i)));
      }
    }
  }

  // Limits the commit swaps keep a stored value beyond what may be typed (an
  // imported float's 3.4e38): the field it moves to holds it, and OK stores it.
  void swappedLimitsKeepAStoredValueBeyondTyping() {
    for (Bus bus : kEveryBus) {
      const auto edited = OpenEditedFrame(bus, 4, {{"S", 8, 8}});
      EditedFrame& e = *edited;
      e.Sig().minimum = 3.4e38;
      e.Sig().maximum = 1;
      QVERIFY2(ShowActive(e.Dlg()), kBusNames[bus]);
      TypeOver(e.Field(IDC_MAXIMUM), u"2");
      Press(Qt::Key_Tab);
      RecordingMessageSink sink;
      for (int press = 0; press < 2 && e.Dlg().isVisible(); ++press) PressOk(e.Dlg());
      QVERIFY2(!e.Dlg().isVisible(), kBusNames[bus]);
      QVERIFY2(e.Sig().minimum == 2, kBusNames[bus]);
      QVERIFY2(e.Sig().maximum == 3.4e38, qPrintable(QByteArray(kBusNames[bus]) + " " + e.Text(IDC_MAXIMUM)));
    }
  }

  // A J1939 signal beyond the first 512 bits opens on its page, marked.
  void signalOnLaterPageOpensThere() {
    const auto edited = OpenEditedFrame(CAN, 200, {{"A", 0, 8}, {"Far", 1000, 8}}, "Far", 1);
    EditedFrame& e = *edited;
    QVERIFY(ShowActive(e.Dlg()));
    auto& can = static_cast<CCanDlg&>(e.Dlg());
    const BitGridModel& grid = can.GridView()->Model();
    QCOMPARE(grid.PageStart(), 512);
    int low = -1, high = -1;
    grid.GetSelectedBits(low, high);
    QCOMPARE(low, 1000 - 512);
    QCOMPARE(high, 1007 - 512);
    QCOMPARE(grid.CellAt(grid.CellOfBit(low)).color, int(CELL_CURRENT));
    QVERIFY(can.GetDlgItem(dlgids::IDC_PAGE_PREVIOUS)->isVisible());
  }
};

QTEST_MAIN(FieldShowsStoredTest)
#include "FieldShowsStoredTest.moc"
