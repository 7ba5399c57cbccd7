// The typing mode on the real dialog windows. The input is laid out as for
// the typing mode (TypingMode.cpp: the script's length, the script, the
// definition file), and the script picks the dialogs and rows the same way;
// but here each dialog is the real window, shown and active on the offscreen
// platform, and the user works it with keys and the mouse: a field clicked,
// its text selected and typed over and left with Tab or not, a list moved
// with the arrow keys, a radio button or check box clicked, a range dragged
// over the bit grid, OK clicked. Nothing is written into a model directly,
// so a control that tells its dialog nothing is found here.
//
// The script, per dialog: for a new definition first its names (and a byte
// count for its signal) typed and left; then actions until OK, each one byte
// for the control (0 presses OK, one past the last control drags over the
// grid) and its own bytes; past the script's end OK is pressed. A press that
// leaves the dialog open must say why; after the last press the dialog is
// cancelled.
//
// Checked at an accepted OK against what the fields showed at the press:
// every number field, list and button, the scaling fields (in the text they
// show, or the value they were typed as), and every text typed. A byte order
// or identifier display clicked must still show as clicked when OK is
// pressed, unless a signal or message was picked since.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#if __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define VR_HAVE_LSAN 1
#endif

#include "BitAssignView.h"
#include "BitWindowGrid.h"
#include "CanDlg.h"
#include "CodePage.h"
#include "DialogsFuzz.h"
#include "DoubleValue.h"
#include "FlexRayDlg.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "MessageBox.h"
#include "StaticEx.h"

namespace dlgfuzz {
namespace {

constexpr int kMostActions = 24;
constexpr int kMostPresses = 4;

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void StartQt() {
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes on what it cannot do are no findings.
    qInstallMessageHandler(Quiet);
    static int argc = 1;
    static char name[] = "fuzz_dialogs";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  (void)app;
}

// The user's answers to the dialogs' questions, from the script; every
// message counted.
class ViewSink : public IMessageSink {
 public:
  explicit ViewSink(Script& s) : s_(s), previous_(GetMessageSink()) { SetMessageSink(this); }
  ~ViewSink() override { SetMessageSink(previous_); }
  int Show(int id, const std::vector<MsgArg>&, MsgButtons buttons, MsgIcon) override {
    ++shown;
    last = id;
    if (buttons == MsgButtons::OkCancel) return s_.Bit() ? MSG_OK : MSG_CANCEL;
    if (buttons == MsgButtons::YesNo) return s_.Bit() ? MSG_YES : MSG_NO;
    return MSG_OK;
  }
  int shown = 0;
  int last = 0;

 private:
  Script& s_;
  IMessageSink* previous_;
};

const int kCanInputs[] = {
    dlgids::IDC_MSG_NAME,    dlgids::IDC_FRAME_FORMAT, dlgids::IDC_J1939,         dlgids::IDC_MSG_ID,
    dlgids::IDC_ID_DECIMAL,  dlgids::IDC_ID_HEX,       dlgids::IDC_BYTE_COUNT,    dlgids::IDC_SIGNAL_NAME,
    dlgids::IDC_START_BIT,   dlgids::IDC_BIT_COUNT,    dlgids::IDC_PAGE_PREVIOUS, dlgids::IDC_PAGE_NEXT,
    dlgids::IDC_VALUE_TYPE,  dlgids::IDC_BYTE_LITTLE,  dlgids::IDC_BYTE_BIG,      dlgids::IDC_FACTOR,
    dlgids::IDC_OFFSET,      dlgids::IDC_MAXIMUM,      dlgids::IDC_MINIMUM,       dlgids::IDC_UNIT,
    dlgids::IDC_MULTIPLEXOR, dlgids::IDC_MUX_VALUE};
using namespace dlgids;
const int kFrameInputs[] = {IDC_FRAME_FORMAT, IDC_MSG_NAME,   IDC_MSG_ID,       IDC_ID_DECIMAL,  IDC_ID_HEX,
                            IDC_BYTE_COUNT,   IDC_BASE_CYCLE, IDC_CYCLE_REPEAT, IDC_SIGNAL_NAME, IDC_BIT_ORDER,
                            IDC_START_BIT,    IDC_BIT_COUNT,  IDC_VALUE_TYPE,   IDC_BYTE_LITTLE, IDC_BYTE_BIG,
                            IDC_FACTOR,       IDC_OFFSET,     IDC_UNIT,         IDC_MINIMUM,     IDC_MAXIMUM};
const int kLogicInputs[] = {IDC_SYMBOL_NAME, IDC_GROUP, IDC_LOGIC_BITS, IDC_PATTERN_BIN, IDC_PATTERN_HEX};

// What the fields showed at a press: each control's text, list choice or
// check, by identifier.
using Fields = std::map<int, QString>;

QString LookOf(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  if (auto* c = qobject_cast<QComboBox*>(w))
    return c->isEditable() ? c->currentText() : QString::number(c->currentIndex());
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

// One dialog worked by the script's user.
class ViewUser {
 public:
  template <std::size_t N>
  ViewUser(CMsgDlg& dlg, Script& s, ViewSink& sink, const int (&inputs)[N], const char* bus, const std::string& step)
      : dlg_(dlg), s_(s), sink_(sink), inputs_(inputs, inputs + N), bus_(bus), what_(bus_ + " " + step) {}

  // Works the dialog until OK is accepted; false when it never is.
  bool Run(const std::vector<std::pair<int, std::string>>& opening = {}) {
    if (!Activate()) return false;
    for (const auto& [id, text] : opening) TypeAndLeave(id, text);
    for (int press = 0; press < kMostPresses; ++press) {
      for (int n = 0; n < kMostActions && !s_.Done() && dlg_.isVisible(); ++n)
        if (!Act(s_.Below(static_cast<int>(inputs_.size()) + 2))) break;
      if (!dlg_.isVisible() || !Activate()) return false;
      shown = Picture();
      CheckIntent();
      const int before = sink_.shown;
      QTest::mouseClick(dlg_.GetDlgItem(1), Qt::LeftButton);
      if (!dlg_.isVisible()) return dlg_.result() == QDialog::Accepted;
      if (sink_.shown == before)
        ReportTyped(bus_ + " window press", what_ + ": OK left the dialog open and said nothing");
    }
    return false;
  }

  Fields shown;               // at the press that was accepted
  std::map<int, bool> typed;  // the text fields typed into
  const std::string& Bus() const { return bus_; }
  const std::string& What() const { return what_; }

 private:
  bool Activate() {
    if (QApplication::activeWindow() == &dlg_) return true;
    dlg_.show();
    dlg_.activateWindow();
    return QTest::qWaitForWindowActive(&dlg_, 2000);
  }

  Fields Picture() const {
    Fields f;
    for (int id : inputs_) {
      QWidget* w = dlg_.GetDlgItem(id);
      if (!w) continue;
      f[id] = LookOf(w);
      // A list's text as well, under the negative identifier.
      if (auto* combo = qobject_cast<QComboBox*>(w)) f[-id] = combo->currentText();
    }
    return f;
  }

  // A new definition's names (and bytes for its signal) typed first, as the
  // typing mode gives them.
  void TypeAndLeave(int id, const std::string& text) {
    QWidget* w = dlg_.GetDlgItem(id);
    auto* combo = qobject_cast<QComboBox*>(w);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(w);
    if (!edit || !edit->isVisible() || !edit->isEnabled() || edit->isReadOnly()) return;
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QString::fromStdString(text));
    typed[id] = true;
    if (QApplication::focusWidget()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }

  // Answers false for OK.
  bool Act(int op) {
    if (op == 0) return false;
    if (op > static_cast<int>(inputs_.size())) {
      Drag();
      return true;
    }
    const int id = inputs_[static_cast<std::size_t>(op - 1)];
    QWidget* w = dlg_.GetDlgItem(id);
    if (!w || !w->isVisible() || !w->isEnabled()) return true;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      QTest::mouseClick(button, Qt::LeftButton);
      if (id == IDC_BYTE_LITTLE || id == IDC_BYTE_BIG) order_ = id == IDC_BYTE_BIG ? 1 : 0;
      if (id == IDC_ID_DECIMAL || id == IDC_ID_HEX) hex_ = id == IDC_ID_HEX ? 1 : 0;
      return true;
    }
    auto* combo = qobject_cast<QComboBox*>(w);
    if (combo && (!combo->isEditable() || s_.Bit())) {
      // A pick with the arrow keys: a pick of a message or signal brings its
      // own byte order.
      w->setFocus(Qt::TabFocusReason);
      const bool down = s_.Bit();
      for (int k = 1 + s_.Below(2); k > 0; --k) QTest::keyClick(w, down ? Qt::Key_Down : Qt::Key_Up);
      if (id == IDC_MSG_NAME || id == IDC_MSG_ID || id == IDC_SIGNAL_NAME) order_ = -1;
      if (s_.Bit()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      return true;
    }
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(w);
    if (!edit || edit->isReadOnly()) return true;
    static const char kKeys[] = "0123456789012345ABCDEFabx-.,km\b";
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    for (int k = s_.Below(7); k > 0; --k) {
      const char c = kKeys[s_.Below(static_cast<int>(sizeof kKeys) - 1)];
      if (c == '\b') QTest::keyClick(edit, Qt::Key_Backspace);
      else QTest::keyClick(edit, c);
    }
    typed[id] = true;
    if (s_.Bit() && QApplication::focusWidget()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return true;
  }

  void Drag() {
    const int from = s_.Below(64), to = s_.Below(64);
    if (auto* can = qobject_cast<CCanDlg*>(&dlg_)) {
      BitAssignView* grid = can->GridView();
      QWidget* canvas = grid->Canvas();
      const BitGridGeometry& g = grid->Geometry();
      if (grid->Model().CellOfBit(from) < 0 || grid->Model().CellOfBit(to) < 0) return;
      auto at = [&](int bit) {
        const int cell = grid->Model().CellOfBit(bit);
        return QPoint(g.CellX(cell) + g.cellSize / 2, g.CellY(cell) + g.cellSize / 2);
      };
      QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, at(from));
      QMouseEvent move(QEvent::MouseMove, at(to), canvas->mapToGlobal(at(to)), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
      QCoreApplication::sendEvent(canvas, &move);
      QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, at(to));
      return;
    }
    if (auto* frame = qobject_cast<CFrameSignalDlg*>(&dlg_)) {
      CBitWindowGrid* grid = frame->Grid();
      const QPoint a = grid->Cell(from)->geometry().center(), b = grid->Cell(to)->geometry().center();
      QTest::mousePress(grid, Qt::LeftButton, {}, a);
      QTest::mouseMove(grid, b);
      QTest::mouseRelease(grid, Qt::LeftButton, {}, b);
    }
  }

  // A byte order or display clicked shows as clicked.
  void CheckIntent() {
    auto differs = [&](int id, const char* name, int want) {
      if (want >= 0 && shown.count(id) && shown[id] != QStringLiteral("1"))
        ReportTyped(bus_ + " window " + name, what_ + ": " + name + " clicked, and another shows at OK");
    };
    differs(order_ == 1 ? IDC_BYTE_BIG : IDC_BYTE_LITTLE, "byte order", order_);
    differs(hex_ == 1 ? IDC_ID_HEX : IDC_ID_DECIMAL, "identifier display", hex_);
  }

  CMsgDlg& dlg_;
  Script& s_;
  ViewSink& sink_;
  std::vector<int> inputs_;
  std::string bus_;
  std::string what_;
  int order_ = -1;
  int hex_ = -1;
};

// What OK stored against what the fields showed at its press.
class ShownCheck {
 public:
  explicit ShownCheck(const ViewUser& user)
      : f_(user.shown), typed_(user.typed), bus_(user.Bus()), what_(user.What()) {}

  void Int(int id, const char* name, long long stored, int base = 10) {
    bool ok = false;
    const long long v = Text(id).toLongLong(&ok, base);
    if (ok && v != stored) Report(name, Text(id), std::to_string(stored));
  }
  void Index(int id, const char* name, long long stored) { Int(id, name, stored); }
  // A scaling field: the text of the stored value, or the value it was
  // typed as; empty, no limit (the factor and offset keep what they held).
  void Real(int id, const char* name, double stored, double empty) {
    const std::string text = Text(id).toStdString();
    if (text.empty()) {
      if (empty != 0 && stored != empty) Report(name, "(empty)", std::to_string(stored));
      return;
    }
    if (ctl::FormatDoubleText(stored, "%e") != text && ctl::ReadDoubleText(text, "%e") != stored)
      Report(name, Text(id), ctl::FormatDoubleText(stored, "%e"));
  }
  // A text typed, as the record holds it (cut to its length).
  void Name(int id, const char* name, const char* stored, std::size_t most) {
    if (!typed_.count(id)) return;
    std::string cp932;
    if (!cp932::FromUtf8(Text(id).toStdString(), cp932)) return;
    if (cp932.substr(0, most) != stored) Report(name, Text(id), stored);
  }
  bool Checked(int id) const { return Text(id) == QStringLiteral("1"); }
  void Report(const char* name, const QString& shown, const std::string& stored);
  QString Text(int id) const {
    const auto it = f_.find(id);
    return it == f_.end() ? QString() : it->second;
  }

 private:
  const Fields& f_;
  const std::map<int, bool>& typed_;
  std::string bus_;
  std::string what_;
};

void ShownCheck::Report(const char* name, const QString& shown, const std::string& stored) {
  ReportTyped(bus_ + " window " + name,
              what_ + ": OK stored " + name + " " + stored + ", the field showed \"" + shown.toStdString() + "\"");
}

int ValueTypeOfItem(int item) {
  return item == VTITEM_SIGNED ? VALTYPE_SIGNED : item >= VTITEM_FLOAT ? VALTYPE_FLOAT : VALTYPE_UNSIGNED;
}

template <class Sig>
void CheckSignal(ShownCheck& c, const Sig& s) {
  c.Name(IDC_SIGNAL_NAME, "signal name", s.name, MAX_NAME_LEN);
  c.Int(IDC_START_BIT, "start bit", s.startBit);
  c.Int(IDC_BIT_COUNT, "bit count", s.bitCount);
  bool ok = false;
  const int item = c.Text(IDC_VALUE_TYPE).toInt(&ok);
  if (ok && item >= 0 && ValueTypeOfItem(item) != s.valueType) c.Index(IDC_VALUE_TYPE, "value type", s.valueType);
  if ((c.Checked(IDC_BYTE_BIG) ? 1 : 0) != s.byteOrder) c.Int(IDC_BYTE_BIG, "byte order (Big checked)", s.byteOrder);
  c.Real(IDC_FACTOR, "factor", s.factor, 0);
  c.Real(IDC_OFFSET, "offset", s.offset, 0);
  c.Real(IDC_MINIMUM, "minimum", s.minimum, -ctl::kNoLimit);
  c.Real(IDC_MAXIMUM, "maximum", s.maximum, ctl::kNoLimit);
  c.Name(IDC_UNIT, "unit", s.unit, MAX_NAME_LEN);
}

class ViewDialogs : public TypedDialogs {
 public:
  explicit ViewDialogs(Script& s) : s_(s) {}

  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    DefDialogResult result;
    if (r.mode == DLGMODE_VIEW || !r.msg || !r.signal) return result;
    CCanDlg dlg;
    dlg.SetMode(r.mode);
    dlg.SetMessageTable(r.messages);
    dlg.SetTarget(r.msg, r.signal);
    for (const auto& names : r.rowNames) dlg.AddNames(names.first, names.second);
    dlg.SetHexFlag(r.hexFlag);
    ViewSink sink(s_);
    ViewUser user(dlg, s_, sink, kCanInputs, "CAN", step);
    const bool ok = user.Run(NewNames(r.mode, dlgids::IDC_MSG_NAME, dlgids::IDC_BYTE_COUNT, dlgids::IDC_SIGNAL_NAME));
    if (ok) {
      ShownCheck c(user);
      const _CANMsg& m = *r.msg;
      c.Name(dlgids::IDC_MSG_NAME, "message name", m.name, MAX_NAME_LEN);
      if (user.typed.count(dlgids::IDC_MSG_ID))
        c.Int(dlgids::IDC_MSG_ID, "identifier", m.id, c.Checked(dlgids::IDC_ID_HEX) ? 16 : 10);
      c.Index(dlgids::IDC_FRAME_FORMAT, "frame format", m.frameFormat);
      c.Int(dlgids::IDC_J1939, "J1939", m.j1939);
      c.Int(dlgids::IDC_BYTE_COUNT, "byte count", m.byteCount);
      CheckSignal(c, *r.signal);
      const QString mux = c.Text(-dlgids::IDC_MULTIPLEXOR);
      std::string muxName;
      if (cp932::FromUtf8(mux.toStdString(), muxName) &&
          MakeUpperString(muxName) != MakeUpperString(r.signal->multiplexor))
        c.Report("multiplexor", mux, r.signal->multiplexor);
    }
    return Ended(dlg, ok, sink, result, dlg.HexFlag());
  }

  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& r) override {
    return RunFrame<CFlexRayDlg>(r, "FlexRay", [](ShownCheck& c, const _FlexRayMsg& m) {
      c.Int(IDC_MSG_ID, "slot", m.slotId, c.Checked(IDC_ID_HEX) ? 16 : 10);
      c.Index(IDC_FRAME_FORMAT, "frame format", m.frameFormat);
      c.Int(IDC_BASE_CYCLE, "base cycle", m.baseCycle);
      c.Int(IDC_CYCLE_REPEAT, "cycle repetition", m.cycleRepetition);
    });
  }
  DefDialogResult RunLinDialog(const LinDialogRequest& r) override {
    return RunFrame<CLinDlg>(r, "LIN", [](ShownCheck& c, const _LINMsg& m) {
      c.Int(IDC_MSG_ID, "identifier", m.id, c.Checked(IDC_ID_HEX) ? 16 : 10);
      c.Index(IDC_CHECKSUM, "checksum", m.checksum);
    });
  }
  DefDialogResult RunLogicDialog(const LogicDialogRequest& r) override {
    DefDialogResult result;
    result.groupIndex = r.groupIndex;
    if (r.mode == DLGMODE_VIEW || !r.symbol || !r.groups) return result;
    CLogicDlg dlg;
    dlg.SetMode(r.mode);
    dlg.SetGroups(r.groups);
    dlg.SetSymbol(r.symbol);
    dlg.SetGroupIndex(r.groupIndex);
    dlg.SetRowUpdater(r.updateRow);
    ViewSink sink(s_);
    ViewUser user(dlg, s_, sink, kLogicInputs, "LOGIC", step);
    const bool ok =
        user.Run(r.mode == DLGMODE_NEW ? Typed{{IDC_SYMBOL_NAME, "TypedSym" + std::to_string(s_.Below(4))}} : Typed{});
    if (ok) {
      result.groupIndex = dlg.GroupIndex();
      ShownCheck c(user);
      c.Name(IDC_SYMBOL_NAME, "name", r.symbol->name, MAX_LOGIC_NAME_LEN);
      c.Index(IDC_GROUP, "group", dlg.GroupIndex());
      c.Int(IDC_LOGIC_BITS, "bit count", r.groups[dlg.GroupIndex()].bitCount);
      const std::string pattern = c.Text(IDC_PATTERN_BIN).toUpper().toStdString();
      if (pattern != MakeUpperString(r.symbol->pattern))
        c.Report("pattern", QString::fromStdString(pattern), r.symbol->pattern);
    }
    return Ended(dlg, ok, sink, result, 0);
  }

 private:
  using Typed = std::vector<std::pair<int, std::string>>;
  // A new definition: a message name (one of the list's, or a new one),
  // bytes, and a signal name.
  Typed NewNames(int mode, int msgName, int byteCount, int sigName) {
    if (mode != DLGMODE_NEW) return {};
    return {{msgName, "TypedMsg" + std::to_string(s_.Below(4))},
            {byteCount, std::to_string(1 + s_.Below(8))},
            {sigName, "TypedSig" + std::to_string(s_.Below(4))}};
  }

  template <class Dlg, class Request, class CheckMessage>
  DefDialogResult RunFrame(const Request& r, const char* bus, CheckMessage checkMessage) {
    DefDialogResult result;
    if (r.mode == DLGMODE_VIEW || !r.msg || !r.signal) return result;
    Dlg dlg;
    dlg.SetMode(r.mode);
    dlg.SetMessageTable(r.messages);
    dlg.SetTarget(r.msg, r.signal);
    dlg.SetEditedSignalName(r.editedSignalName);
    dlg.SetHexFlag(r.hexFlag);
    ViewSink sink(s_);
    ViewUser user(dlg, s_, sink, kFrameInputs, bus, step);
    const bool ok = user.Run(NewNames(r.mode, IDC_MSG_NAME, IDC_BYTE_COUNT, IDC_SIGNAL_NAME));
    if (ok) {
      ShownCheck c(user);
      c.Name(IDC_MSG_NAME, "message name", r.msg->name, MAX_NAME_LEN);
      c.Int(IDC_BYTE_COUNT, "byte count", r.msg->byteCount);
      checkMessage(c, *r.msg);
      CheckSignal(c, *r.signal);
      if (std::string(bus) == "FlexRay") c.Index(IDC_BIT_ORDER, "bit order", r.signal->bitOrder);
    }
    return Ended(dlg, ok, sink, result, dlg.HexFlag());
  }

  DefDialogResult Ended(CMsgDlg& dlg, bool ok, const ViewSink& sink, DefDialogResult result, int hexFlag) {
    // Hidden before it goes, so that the focus leaves its fields while it is
    // still whole.
    if (dlg.isVisible()) dlg.reject();
    dlg.hide();
    refused = !ok;
    silentRefusal = false;  // each press is checked for its word
    lastMessage = sink.last;
    result.ok = ok;
    result.modified = ok && dlg.IsModified();
    result.hexFlag = hexFlag;
    return result;
  }

  Script& s_;
};

}  // namespace

void RunViewTypingMode(const uint8_t* data, std::size_t size) {
#ifdef VR_HAVE_LSAN
  // The toolkit keeps caches for the life of the program; the windows'
  // tests run without leak checks for the same reason.
  __lsan::ScopedDisabler noLeakChecks;
#endif
  StartQt();
  RunTypingScript(data, size, ReportDifference, [](Script& s) { return std::make_unique<ViewDialogs>(s); });
}

}  // namespace dlgfuzz
