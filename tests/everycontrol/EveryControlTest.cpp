// Every input control of every definition dialog, one row each: the control
// is set as a user sets it (keys typed into the active window, a click on a
// radio or check box, an item chosen from a list with the mouse or the arrow
// keys, a drag over the bit grid), another field is typed into and left with
// Tab, the control must still show what it was set to, and OK clicked with
// the mouse must store it. A control that tells its dialog nothing, or that a
// later redraw sets back, fails its row.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "CanDlg.h"
#include "DlgKeys.h"
#include "EditedFrame.h"
#include "FrameDlgIds.h"
#include "GridDrag.h"
#include "J1939Dlg.h"
#include "LogicDlg.h"
#include "ModalSteps.h"
#include "MsgIds.h"
#include "RecordPicture.h"
#include "RecordingMessageSink.h"

using namespace dlgids;
using namespace vrtest;

namespace {

// The *_NEW dialogs open on a new definition, with the list's messages to
// choose from.
enum Dialog { CAN_DLG, FLEXRAY_DLG, LIN_DLG, LOGIC_DLG, J1939_DLG, CAN_NEW, FLEXRAY_NEW, LIN_NEW };
const char* const kDlgNames[] = {"CAN", "FlexRay", "LIN", "LOGIC", "J1939", "CAN new", "FlexRay new", "LIN new"};
const std::vector<Dialog> kFrameDlgs = {CAN_DLG, FLEXRAY_DLG, LIN_DLG};
const std::vector<Dialog> kNewDlgs = {CAN_NEW, FLEXRAY_NEW, LIN_NEW};

enum How { NONE, TYPE, CLICK, PICK, ARROW_DOWN, DRAG };
struct Input {
  Input(How h = NONE, int control = 0, const char* typed = "", int listItem = 0)
      : how(h), id(control), keys(typed), item(listItem) {}
  How how;
  int id;
  const char* keys;  // TYPE: typed, then Tab
  int item;          // PICK: the item clicked in the open list
};

// The dialogs open in edit mode on signal S (bits 8-15) of the 8-byte frame
// FR (CAN identifier 256, FlexRay slot 3, LIN identifier 3), beside A (bits
// 0-7); LOGIC on the symbol SYM (0101) of group 0, every group 4 bits wide;
// J1939 from the CAN dialog's "..." on the identifier 0x18EA00FE, shown in
// hexadecimal. A new definition's records are pictured as "new", its
// signal as "[]"; its other field is the signal name, typed as New.
struct Row {
  Row(const char* name, std::vector<Dialog> in, Input input, Input committed = {}, std::vector<std::string> lines = {},
      int question = 0, int handed = -1, Input before = {})
      : control(name),
        dlgs(std::move(in)),
        set(input),
        other(committed),
        stored(std::move(lines)),
        asks(question),
        result(handed),
        first(before) {}
  const char* control;
  std::vector<Dialog> dlgs;
  Input set;
  // NONE: the start bit typed as 16; LOGIC: the binary pattern typed as
  // 0110. In the J1939 rows the
  // field committed in the J1939 dialog; the CAN dialog commits its start bit.
  Input other;
  // The record lines that OK changes beside the default other field's, each
  // as the end of its line in a record picture.
  std::vector<std::string> stored;
  int asks;     // the question OK asks, answered OK
  int result;   // what the dialog hands its opener after OK (hex flag, group), or -1
  Input first;  // done before the control is set
};

std::string Line(const char* at, const char* field, long long value) {
  return std::string(at) + " " + field + "=\"" + std::to_string(value) + "\"";
}

const Row kRows[] = {
    // The frame and signal fields the three frame dialogs share.
    {"message name", kFrameDlgs, {TYPE, IDC_MSG_NAME, "Motor"}, {}, {"[FR] name=\"Motor\""}},
    {"identifier in hexadecimal", kFrameDlgs, {CLICK, IDC_ID_HEX}, {}, {}, 0, 1},
    {"identifier in decimal again", kFrameDlgs, {CLICK, IDC_ID_DECIMAL}, {}, {}, 0, 0, {CLICK, IDC_ID_HEX}},
    {"byte count", kFrameDlgs, {TYPE, IDC_BYTE_COUNT, "6"}, {}, {"[FR] byteCount=\"6\""}},
    {"signal name", kFrameDlgs, {TYPE, IDC_SIGNAL_NAME, "Speed"}, {}, {"[S] name=\"Speed\""}},
    {"start bit",
     kFrameDlgs,
     {TYPE, IDC_START_BIT, "20"},
     {TYPE, IDC_BIT_COUNT, "4"},
     {"[S] startBit=\"20\"", "[S] bitCount=\"4\""}},
    {"bit count", kFrameDlgs, {TYPE, IDC_BIT_COUNT, "4"}, {}, {"[S] bitCount=\"4\""}},
    {"value type Signed", kFrameDlgs, {PICK, IDC_VALUE_TYPE, "", 1}, {}, {"[S] valueType=\"1\""}},
    {"value type Float",
     kFrameDlgs,
     {PICK, IDC_VALUE_TYPE, "", 2},
     {TYPE, IDC_FACTOR, "2"},
     {"[S] valueType=\"2\"", "[S] bitCount=\"32\"", "[S] factor=\"2\""}},
    {"byte order Big",
     kFrameDlgs,
     {CLICK, IDC_BYTE_BIG},
     {},
     {"[S] byteOrder=\"1\"", "[A] byteOrder=\"1\""},
     IDS_MSG_BYTEORDER_CHANGE},
    {"byte order Little again", kFrameDlgs, {CLICK, IDC_BYTE_LITTLE}, {}, {}, 0, -1, {CLICK, IDC_BYTE_BIG}},
    {"factor", kFrameDlgs, {TYPE, IDC_FACTOR, "2"}, {}, {"[S] factor=\"2\""}},
    {"offset", kFrameDlgs, {TYPE, IDC_OFFSET, "-3"}, {}, {"[S] offset=\"-3\""}},
    {"maximum", kFrameDlgs, {TYPE, IDC_MAXIMUM, "100"}, {}, {"[S] maximum=\"100\""}},
    {"minimum", kFrameDlgs, {TYPE, IDC_MINIMUM, "-5"}, {}, {"[S] minimum=\"-5\""}},
    {"unit", kFrameDlgs, {TYPE, IDC_UNIT, "km"}, {}, {"[S] unit=\"km\""}},
    {"bit grid dragged over bits 9 to 13",
     kFrameDlgs,
     {DRAG},
     {TYPE, IDC_FACTOR, "2"},
     {"[S] startBit=\"9\"", "[S] bitCount=\"5\"", "[S] factor=\"2\""}},
    // A new signal of a message chosen from the lists.
    {"message chosen by name", kNewDlgs, {PICK, IDC_MSG_NAME, "", 0}, {}, {"new name=\"FR\"", "new byteCount=\"8\""}},
    {"message chosen by identifier",
     kNewDlgs,
     {PICK, IDC_MSG_ID, "", 0},
     {},
     {"new name=\"FR\"", "new byteCount=\"8\""}},
    // CAN's own.
    {"identifier", {CAN_DLG, LIN_DLG}, {TYPE, IDC_MSG_ID, "7"}, {}, {"[FR] id=\"7\""}},
    {"frame format XTD", {CAN_DLG}, {PICK, dlgids::IDC_FRAME_FORMAT, "", 1}, {}, {"[FR] frameFormat=\"1\""}},
    {"J1939", {CAN_DLG}, {CLICK, dlgids::IDC_J1939}, {}, {"[FR] j1939=\"1\"", "[FR] frameFormat=\"1\""}},
    {"multiplexor", {CAN_DLG}, {PICK, dlgids::IDC_MULTIPLEXOR, "", 1}, {}, {"[S] multiplexor=\"A\""}},
    {"multiplex value",
     {CAN_DLG},
     {TYPE, dlgids::IDC_MUX_VALUE, "1,3-5"},
     {},
     {"[S] multiplexor=\"A\"", "[S] multiplexValue=\"1,3-5\""},
     0,
     -1,
     {PICK, dlgids::IDC_MULTIPLEXOR, "", 1}},
    // FlexRay's own (its frame format is read-only).
    {"slot identifier", {FLEXRAY_DLG}, {TYPE, IDC_MSG_ID, "7"}, {}, {"[FR] slotId=\"7\""}},
    {"base cycle",
     {FLEXRAY_DLG},
     {TYPE, IDC_BASE_CYCLE, "2"},
     {TYPE, IDC_CYCLE_REPEAT, "8"},
     {"[FR] baseCycle=\"2\"", "[FR] cycleRepetition=\"8\""}},
    {"cycle repetition", {FLEXRAY_DLG}, {TYPE, IDC_CYCLE_REPEAT, "4"}, {}, {"[FR] cycleRepetition=\"4\""}},
    {"bit order LSB First", {FLEXRAY_DLG}, {ARROW_DOWN, IDC_BIT_ORDER}, {}, {"[S] bitOrder=\"1\""}},
    // LIN's own.
    {"checksum Enhanced", {LIN_DLG}, {ARROW_DOWN, IDC_CHECKSUM}, {}, {"[FR] checksum=\"1\""}},
    // LOGIC.
    {"symbol name", {LOGIC_DLG}, {TYPE, IDC_SYMBOL_NAME, "Idle"}, {}, {"[SYM] name=\"Idle\""}},
    {"group 2", {LOGIC_DLG}, {PICK, IDC_GROUP, "", 1}, {}, {}, 0, 1},
    {"bit count",
     {LOGIC_DLG},
     {TYPE, IDC_LOGIC_BITS, "6"},
     {TYPE, IDC_PATTERN_BIN, "110011"},
     {"group 0 bitCount=\"6\"", "[SYM] pattern=\"110011\""}},
    {"binary pattern",
     {LOGIC_DLG},
     {TYPE, IDC_PATTERN_BIN, "0011"},
     {TYPE, IDC_LOGIC_BITS, "4"},
     {"[SYM] pattern=\"0011\""}},
    {"hexadecimal pattern",
     {LOGIC_DLG},
     {TYPE, IDC_PATTERN_HEX, "a"},
     {TYPE, IDC_LOGIC_BITS, "4"},
     {"[SYM] pattern=\"1010\""}},
    // J1939, through the CAN dialog's identifier.
    {"priority",
     {J1939_DLG},
     {TYPE, IDC_J1939_PRIORITY, "3"},
     {TYPE, IDC_J1939_SOURCE, "1"},
     {Line("[FR]", "id", 0x0CEA0001)}},
    {"source",
     {J1939_DLG},
     {TYPE, IDC_J1939_SOURCE, "AB"},
     {TYPE, IDC_J1939_PRIORITY, "3"},
     {Line("[FR]", "id", 0x0CEA00AB)}},
    {"destination",
     {J1939_DLG},
     {TYPE, IDC_J1939_DESTINATION, "12"},
     {TYPE, IDC_J1939_SOURCE, "1"},
     {Line("[FR]", "id", 0x18EA1201)}},
    {"PGN",
     {J1939_DLG},
     {TYPE, IDC_J1939_PGN, "EB00"},
     {TYPE, IDC_J1939_SOURCE, "1"},
     {Line("[FR]", "id", 0x18EB0001)}},
};

// One dialog in edit mode on its records.
struct Rig {
  std::unique_ptr<EditedFrame> frame;
  CVestrelDoc logicDoc;
  std::unique_ptr<CLogicDlg> logic;

  std::function<void(Picture&)> pictureNew;  // a new definition's records

  explicit Rig(Dialog dlg) {
    if (dlg != LOGIC_DLG) {
      const Bus bus = dlg == FLEXRAY_DLG || dlg == FLEXRAY_NEW ? FLEXRAY : dlg == LIN_DLG || dlg == LIN_NEW ? LIN : CAN;
      const int j1939 = dlg == J1939_DLG ? 1 : 0;
      frame = OpenEditedFrame(bus, 8, {{"S", 8, 8}, {"A", 0, 8}}, "S", j1939);
      CVestrelDoc& doc = frame->doc;
      if (j1939) {
        doc.GetCanMsgTable(LIST_DEFINITION).Find("FR")->id = 0x18EA00FE;
        static_cast<CCanDlg&>(frame->Dlg()).SetHexFlag(1);
      }
      if (dlg == CAN_NEW) AimAtNew<CCanDlg>(doc.AllocCanMsg(), doc.AllocCanSignal(), &CVestrelDoc::AddCanSignal);
      if (dlg == FLEXRAY_NEW)
        AimAtNew<CFlexRayDlg>(doc.AllocFlexRayMsg(), doc.AllocFlexRaySignal(), &CVestrelDoc::AddFlexRaySignal);
      if (dlg == LIN_NEW) AimAtNew<CLinDlg>(doc.AllocLinMsg(), doc.AllocLinSignal(), &CVestrelDoc::AddLinSignal);
      return;
    }
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) logicDoc.GetLogicGroup(LIST_DEFINITION, g)->bitCount = 4;
    _LOGICSignal* symbol = logicDoc.AllocLogicSignal();
    CopyToCharBuffer(symbol->name, "Sym", MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(symbol->pattern, "0101", MAX_LOGIC_BITS);
    logicDoc.AddLogicSignal(LIST_DEFINITION, 0, symbol);
    logic = std::make_unique<CLogicDlg>();
    logic->SetGroups(logicDoc.GetLogicGroup(LIST_DEFINITION, 0));
    logic->SetSymbol(symbol);
    logic->SetGroupIndex(0);
    logic->SetMode(DLGMODE_EDIT);
  }
  // Hidden before it goes, so that the focus leaves its fields while it is
  // still whole.
  ~Rig() { Dlg().hide(); }

  CMsgDlg& Dlg() const { return frame ? frame->Dlg() : *logic; }
  Picture Stored() const {
    Picture p(frame ? frame->doc : logicDoc, LIST_DEFINITION);
    if (pictureNew) pictureNew(p);
    return p;
  }
  // Fresh records, as the list hands them to a new definition; the signal
  // rides in its message only to be pictured with it.
  template <class Dlg, class Msg, class Sig>
  void AimAtNew(Msg* msg, Sig* sig, void (CVestrelDoc::*add)(Msg*, Sig*)) {
    (frame->doc.*add)(msg, sig);
    auto& dlg = static_cast<Dlg&>(frame->Dlg());
    dlg.SetMode(DLGMODE_NEW);
    dlg.SetTarget(msg, sig);
    if constexpr (!std::is_same_v<Dlg, CCanDlg>) dlg.SetEditedSignalName("");
    pictureNew = [msg](Picture& p) { p.Add("new", *msg); };
  }
  // What the opener takes from the dialog besides the records.
  int Result() const {
    if (logic) return logic->GroupIndex();
    if (auto* can = qobject_cast<CCanDlg*>(&Dlg())) return can->HexFlag();
    return static_cast<CFrameSignalDlg&>(Dlg()).HexFlag();
  }
};

// What a control shows: a button's check, a list's choice, a field's text;
// the grid shows the range in the start-bit and bit-count fields.
QString Look(const CMsgDlg& dlg, const Input& in) {
  if (in.how == DRAG) return TextOf(dlg.GetDlgItem(IDC_START_BIT)) + "/" + TextOf(dlg.GetDlgItem(IDC_BIT_COUNT));
  QWidget* w = dlg.GetDlgItem(in.id);
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->isChecked() ? "checked" : "unchecked";
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
  return TextOf(w);
}

void Set(CMsgDlg& dlg, const Input& in) {
  QWidget* w = dlg.GetDlgItem(in.id);
  auto* combo = qobject_cast<QComboBox*>(w);
  switch (in.how) {
    case NONE:
      break;
    case TYPE:
      TypeOver(w, QString::fromLatin1(in.keys));
      if (!QTest::currentTestFailed()) Press(Qt::Key_Tab);
      break;
    case CLICK:
      Click(w);
      break;
    case PICK:
      QVERIFY(combo && ChooseFromList(combo, combo->itemText(in.item)));
      break;
    case ARROW_DOWN:
      // Reached as Tab reaches it, then the arrow key.
      w->setFocus(Qt::TabFocusReason);
      Press(Qt::Key_Down);
      break;
    case DRAG:
      DragGridBits(dlg, 9, 13);
      break;
  }
}

// Sets the control (by `set`, when the control is set from elsewhere),
// commits the other field, and checks that the control shows what it was set
// to through the other field's commit.
void SetAndCommitOther(CMsgDlg& dlg, const Input& control, const std::function<void()>& set, const Input& other,
                       const QByteArray& what) {
  const QString opened = Look(dlg, control);
  if (set) set();
  else Set(dlg, control);
  const QString look = Look(dlg, control);
  QVERIFY2(look != opened, what + ": the input changed nothing in sight");
  Set(dlg, other);
  QVERIFY2(Look(dlg, control) == look,
           qPrintable(what + ": shows " + Look(dlg, control) + " after another field's commit, set to " + look));
}

// The ends of the lines that differ between two record pictures, as they
// are now.
std::vector<std::string> ChangedLines(const Picture& was, const Picture& now) {
  std::vector<std::string> lines;
  std::istringstream in(was.Differences(now, 1000));
  for (std::string line; std::getline(in, line);)
    if (line.rfind("now: ", 0) == 0) lines.push_back(line.substr(5));
  return lines;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

class EveryControlTest : public QObject {
  Q_OBJECT

 private:
  void Run(const Row& r, Dialog d) {
    const QByteArray what = QByteArray(kDlgNames[d]) + " " + r.control;
    Rig rig(d);
    CMsgDlg& dlg = rig.Dlg();
    const Picture stored = rig.Stored();
    RecordingMessageSink sink;
    sink.defaultAnswer = MSG_OK;
    QVERIFY2(ShowActive(dlg), what);
    Set(dlg, r.first);

    Input other = r.other;
    std::vector<std::string> want = r.stored;
    if (d == LOGIC_DLG && other.how == NONE) {
      other = {TYPE, IDC_PATTERN_BIN, "0110"};
      want.push_back("[SYM] pattern=\"0110\"");
    }
    std::function<void()> set;
    Input control = r.set;
    if (d == J1939_DLG) {
      // The J1939 dialog's own row runs inside its modal run from the "..."
      // button; the identifier it gives back is the CAN dialog's control.
      set = [&] {
        ModalSteps steps{On<CJ1939Dlg>([&](CJ1939Dlg& j1939) {
          SetAndCommitOther(j1939, r.set, nullptr, r.other, what);
          PressOk(j1939);
        })};
        Click(dlg.GetDlgItem(dlgids::IDC_J1939_ID));
        QVERIFY2(steps.runs == 1 && steps.leftOpen == 0, what);
        // The window manager hands the activation back; the offscreen
        // platform leaves that to the window.
        dlg.activateWindow();
        QVERIFY(WaitActive(&dlg));
      };
      control = {TYPE, IDC_MSG_ID};
      other = {};
    }
    const bool fresh = d == CAN_NEW || d == FLEXRAY_NEW || d == LIN_NEW;
    if (fresh) {
      // The signal fields open once the message has bytes.
      other = {TYPE, IDC_SIGNAL_NAME, "New"};
      want.push_back("[] name=\"New\"");
    } else if (d != LOGIC_DLG && other.how == NONE) {
      other = {TYPE, IDC_START_BIT, "16"};
      want.push_back("[S] startBit=\"16\"");
    }
    SetAndCommitOther(dlg, control, set, other, what);
    if (QTest::currentTestFailed()) return;

    PressOk(dlg);
    QVERIFY2(sink.Ids() == (r.asks ? std::vector<int>{r.asks} : std::vector<int>{}),
             qPrintable(what + ": messages " + QString::number(sink.shown.empty() ? 0 : sink.shown.front().id)));
    QVERIFY2(!dlg.isVisible() && dlg.IsModified(), what);
    if (r.result >= 0) QVERIFY2(rig.Result() == r.result, what);
    const Picture now = rig.Stored();
    const std::vector<std::string> changed = ChangedLines(stored, now);
    // A new definition's records change beyond the lines listed (what the
    // opener gives them, defaults); nothing else may.
    bool each = fresh ? std::all_of(changed.begin(), changed.end(),
                                    [](const std::string& line) { return line.rfind("new ", 0) == 0; })
                      : changed.size() == want.size();
    for (const std::string& w : want) {
      bool found = false;
      for (const std::string& line : changed) found = found || EndsWith(line, w);
      each = each && found;
    }
    std::string expected;
    for (const std::string& w : want) expected += "\n  " + w;
    QVERIFY2(each, qPrintable(what + ": OK stored\n" + QString::fromStdString(stored.Differences(now, 1000)) +
                              "expected the changes" + QString::fromStdString(expected)));
  }

 private Q_SLOTS:
  void everyControlReachesTheRecord_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("dialog");
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
      for (Dialog d : kRows[i].dlgs) {
        QTest::addRow("%s %s", kDlgNames[d], kRows[i].control) << static_cast<int>(i) << static_cast<int>(d);
      }
    }
  }
  void everyControlReachesTheRecord() {
    QFETCH(int, row);
    QFETCH(int, dialog);
    Run(kRows[row], static_cast<Dialog>(dialog));
  }
};

QTEST_MAIN(EveryControlTest)
#include "EveryControlTest.moc"
