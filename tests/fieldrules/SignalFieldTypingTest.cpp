// The field rules the CAN, FlexRay and LIN dialogs share, typed as a user
// types them: the dialog shown and active, fields typed over and left with
// Tab (or not left at all), OK clicked with the mouse at once. Every row runs
// against all three dialogs, so that the rule cannot drift apart again.
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
#include "LinDlg.h"
#include "LogicDlg.h"
#include "RecordPicture.h"
#include "EditedFrame.h"
#include "RecordingMessageSink.h"
#include "SignalFieldRules.h"

using namespace dlgids;
using namespace vrtest;

namespace {

QComboBox* ValueTypeOf(const EditedFrame& e) { return qobject_cast<QComboBox*>(e.Field(IDC_VALUE_TYPE)); }

}  // namespace

class SignalFieldTypingTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Backspace and the count again, or a count that still holds the stored
  // range: the range stays where it is stored, also where it overlaps
  // another signal, and OK refuses it rather than move it unasked.
  void byteCountTypedBackMovesNothing() {
    struct Row {
      const char* rule;
      int bytes;
      const char* keys;
      int wantBytes;
    };
    // A holds 0-7; the stored B at 4-11 overlaps it.
    const Row rows[] = {
        {"the same digit again", 2, "\b2", 2},
        {"a digit passed on the way", 2, "3\b2", 2},
        {"a count that still holds the range", 2, "3", 3},
    };
    for (Bus bus : {CAN, FLEXRAY, LIN}) {
      for (const Row& r : rows) {
        const QByteArray what = QByteArray(kBusNames[bus]) + ": " + r.rule;
        const auto edited = OpenEditedFrame(bus, r.bytes, {{"A", 0, 8}, {"B", 4, 8}}, "B");
        EditedFrame& e = *edited;
        const Picture stored = e.Stored();
        QVERIFY2(ShowActive(e.Dlg()), what);
        TypeAndTab(e.Field(IDC_BYTE_COUNT), QString::fromLatin1(r.keys));
        QVERIFY2(e.Text(IDC_BYTE_COUNT) == QString::number(r.wantBytes), what);
        QVERIFY2(e.Text(IDC_START_BIT) == QStringLiteral("4"), what);
        QVERIFY2(e.Text(IDC_BIT_COUNT) == QStringLiteral("8"), what);
        RecordingMessageSink sink;
        PressOk(e.Dlg());
        QVERIFY2(sink.Ids() == std::vector<int>{IDS_MSG_BITS_OVERLAP}, what);
        QVERIFY2(e.Dlg().isVisible(), what);
        const Picture now = e.Stored();
        QVERIFY2(now == stored, (what + " " + stored.Differences(now).c_str()).constData());
      }
    }
  }

  // A numeric field emptied and left (with Tab, or by clicking OK) shows and
  // keeps the value it held; only a typed value is one.
  void emptiedFieldKeepsItsValue() {
    struct Row {
      const char* rule;
      int field;
      const char* retype;  // typed after the emptied field was left; null: none
      bool tab;            // left with Tab before OK, else OK clicked at once
      const char* shown;
    };
    // S0 holds 0-7, S8 8-23 with a factor of 0.5 and an offset of -3.
    const Row rows[] = {
        {"byte count, Tab", IDC_BYTE_COUNT, nullptr, true, "4"},
        {"byte count, then typed back", IDC_BYTE_COUNT, "4", true, "4"},
        {"byte count, OK at once", IDC_BYTE_COUNT, nullptr, false, nullptr},
        {"start bit, Tab", IDC_START_BIT, nullptr, true, "8"},
        {"start bit, OK at once", IDC_START_BIT, nullptr, false, nullptr},
        {"bit count, Tab", IDC_BIT_COUNT, nullptr, true, "16"},
        {"factor, Tab", IDC_FACTOR, nullptr, true, "500.00m"},
        {"factor, OK at once", IDC_FACTOR, nullptr, false, nullptr},
        {"offset, Tab", IDC_OFFSET, nullptr, true, "-3.0000"},
    };
    for (Bus bus : {CAN, FLEXRAY, LIN}) {
      for (const Row& r : rows) {
        const QByteArray what = QByteArray(kBusNames[bus]) + ": " + r.rule;
        const auto edited = OpenEditedFrame(bus, 4, {{"S0", 0, 8}, {"S8", 8, 16}}, "S8");
        EditedFrame& e = *edited;
        e.Sig().factor = 0.5;
        e.Sig().offset = -3;
        const Picture stored = e.Stored();
        QVERIFY2(ShowActive(e.Dlg()), what);
        TypeOver(e.Field(r.field), QString());
        if (r.tab) Press(Qt::Key_Tab);
        if (r.retype) TypeAndTab(e.Field(r.field), QString::fromLatin1(r.retype));
        if (r.shown)
          QVERIFY2(e.Text(r.field) == QString::fromLatin1(r.shown), qPrintable(what + " " + e.Text(r.field)));
        if (r.tab) QVERIFY2(e.Text(IDC_START_BIT) == QStringLiteral("8"), what);
        RecordingMessageSink sink;
        PressOk(e.Dlg());
        // OK clicked at once brings the value back in the press: the press is
        // held and says so.
        QVERIFY2(sink.Ids() == (r.tab ? std::vector<int>{} : std::vector<int>{IDS_MSG_SHOWN_CHANGED}), what);
        QVERIFY2(e.Dlg().isVisible() != r.tab, what);
        const Picture now = e.Stored();
        QVERIFY2(now == stored, (what + " " + stored.Differences(now).c_str()).constData());
        QVERIFY2(!e.Dlg().IsModified(), what);
      }
    }
  }

  // The same for the fields the frame dialogs do not share: the LOGIC bit
  // count (emptied, it would cut a pattern to 1 bit) and FlexRay's cycles.
  void emptiedLogicAndCycleFieldsKeepTheirValue() {
    struct Row {
      const char* rule;
      int field;  // IDC_LOGIC_BITS: the LOGIC dialog, else FlexRay's
      bool tab;
      const char* shown;
    };
    const Row rows[] = {
        {"LOGIC bit count, Tab", IDC_LOGIC_BITS, true, "32"},
        {"LOGIC bit count, OK at once", IDC_LOGIC_BITS, false, nullptr},
        {"base cycle, Tab", IDC_BASE_CYCLE, true, "3"},
        {"base cycle, OK at once", IDC_BASE_CYCLE, false, nullptr},
        {"repetition, Tab", IDC_CYCLE_REPEAT, true, "8"},
    };
    for (const Row& r : rows) {
      CVestrelDoc doc;
      std::unique_ptr<CMsgDlg> dlg;
      if (r.field == IDC_LOGIC_BITS) {
        _LOGICSignal* sym = doc.AllocLogicSignal();
        CopyToCharBuffer(sym->name, "Sym", MAX_LOGIC_NAME_LEN);
        CopyToCharBuffer(sym->pattern, std::string(16, '1') + std::string(16, '0'), MAX_LOGIC_BITS);
        doc.GetLogicGroup(LIST_DEFINITION, 0)->bitCount = 32;
        doc.AddLogicSignal(LIST_DEFINITION, 0, sym);
        auto* logic = new CLogicDlg;
        logic->SetGroups(doc.GetLogicGroup(LIST_DEFINITION, 0));
        logic->SetSymbol(sym);
        logic->SetGroupIndex(0);
        logic->SetMode(DLGMODE_EDIT);
        dlg.reset(logic);
      } else {
        _FlexRayMsg* m = AddFlexRayDef(doc, "FR", 3, 4, 3, 8, {{"S", 0, 8}});
        auto* fr = new CFlexRayDlg;
        fr->SetTarget(m, m->signals.Find("S"));
        fr->SetMessageTable(&doc.GetFlexRayMsgTable(LIST_DEFINITION));
        fr->SetEditedSignalName("S");
        fr->SetMode(DLGMODE_EDIT);
        dlg.reset(fr);
      }
      const Picture stored(doc, LIST_DEFINITION);
      QVERIFY2(ShowActive(*dlg), r.rule);
      TypeOver(dlg->GetDlgItem(r.field), QString());
      if (r.tab) Press(Qt::Key_Tab);
      if (r.shown) QVERIFY2(TextOf(dlg->GetDlgItem(r.field)) == QString::fromLatin1(r.shown), r.rule);
      RecordingMessageSink sink;
      PressOk(*dlg);
      QVERIFY2(sink.Ids() == (r.tab ? std::vector<int>{} : std::vector<int>{IDS_MSG_SHOWN_CHANGED}), r.rule);
      QVERIFY2(dlg->isVisible() != r.tab, r.rule);
      const Picture now(doc, LIST_DEFINITION);
      QVERIFY2(now == stored, (QByteArray(r.rule) + " " + stored.Differences(now).c_str()).constData());
      QVERIFY2(!dlg->IsModified(), r.rule);
    }
  }

  // A stored float of a width the list cannot name otherwise shows "Float";
  // an unchanged OK keeps it, and "Unsigned" chosen from the list stores
  // Unsigned.
  void oddFloatShowsFloat() {
    for (Bus bus : {CAN, FLEXRAY, LIN}) {
      for (bool choose : {false, true}) {
        const QByteArray what = QByteArray(kBusNames[bus]) + (choose ? ": Unsigned chosen" : ": unchanged");
        const auto edited = OpenEditedFrame(bus, 4, {{"S", 8, 16}}, "S");
        EditedFrame& e = *edited;
        e.Sig().valueType = VALTYPE_FLOAT;
        const Picture stored = e.Stored();
        QVERIFY2(ShowActive(e.Dlg()), what);
        QVERIFY2(ValueTypeOf(e)->currentIndex() == VTITEM_FLOAT, what);
        if (choose) QVERIFY2(ChooseFromList(ValueTypeOf(e), ValueTypeOf(e)->itemText(VTITEM_UNSIGNED)), what);
        RecordingMessageSink sink;
        PressOk(e.Dlg());
        QVERIFY2(sink.Ids().empty(), what);
        QVERIFY2(e.Sig().valueType == (choose ? VALTYPE_UNSIGNED : VALTYPE_FLOAT), what);
        QVERIFY2(e.Sig().bitCount == 16, what);
        if (!choose) {
          const Picture now = e.Stored();
          QVERIFY2(now == stored, (what + " " + stored.Differences(now).c_str()).constData());
        }
      }
    }
  }
};

QTEST_MAIN(SignalFieldTypingTest)
#include "SignalFieldTypingTest.moc"
