// The typing mode of the dialogs target: a user who types. The input is a
// script of actions and a definition file:
//
//   byte 0      kTypingMark
//   byte 1      L, the length of the script
//   L bytes     the script
//   the rest    the definition file, read into the definition list
//
// The script, byte by byte (past its end every byte reads 0), for CAN,
// FlexRay, LIN and LOGIC in turn: the number of dialogs to open (0 to 4),
// and for each the row to edit (one past the last row: a new definition,
// which first takes a message and a signal name), then actions, each with
// its own bytes: the byte count typed digit by digit (every keystroke a
// commit) and left or not, start bit, bit count, value type, factor,
// offset, unit, limits, byte order, frame format, the J1939 box and the
// page buttons (LOGIC: bit count, pattern, group and name); action 0
// presses OK. The press leaves the field being typed in, as the mouse,
// Enter and OK's key do; when that changed what a field shows the dialog
// stays open, as the dialogs do, and more actions follow. Last, the answer
// to OK's question (the byte order of the other signals, or the bit count
// of the other symbols; odd: OK or Yes).
//
// What the fields showed right before OK is the model's control values at
// that moment, through the fields' own conversions (the identifier combo and
// the byte count hold their range, an empty minimum is -1e31). An accepted
// OK must have stored exactly that, field by field (an emptied factor or
// offset stands for the value it held, and the value-type selection for the
// stored type); the message's other signals may only take the byte order
// the user agreed to. A refused OK must change nothing: no record, no byte
// of the saved definition file, and it reports no change. On the way, a
// byte count typed back to the value it had and left must not move the
// signal, and a CAN field the model changes must be one it says it wrote
// (the dialog rewrites only those).
//
// The models here are worked as their windows work them, which a window that
// fails to hand a click or a text to its model does not: ViewTyping.cpp runs
// the scripts on the windows themselves.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "CanDlgModel.h"
#include "DefDialogs.h"
#include "DialogsFuzz.h"
#include "DocPoolTally.h"
#include "FlexRayDlgModel.h"
#include "FuzzDoc.h"
#include "LinDlgModel.h"
#include "ListLogic.h"
#include "LogicDlgModel.h"
#include "RecordPicture.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace dlgfuzz {
namespace {

constexpr int kMostActions = 24;  // commits of one dialog
constexpr int kDialogsPerBus = 4;

// Checks that the dialogs are known to fail, by "<bus> <field>" as the
// reports name them: their differences are listed under
// FUZZ_DIALOGS_REPORT=1 (and stop the run under FUZZ_DIALOGS_STRICT=1) but
// do not end a plain run. A fault that cannot be mended at once goes here,
// so that the others stay checked.
const std::vector<std::string> kKnownFaults = {};

bool Strict() {
  static const bool strict = [] {
    const char* v = std::getenv("FUZZ_DIALOGS_STRICT");
    return v && *v && *v != '0';
  }();
  return strict;
}

bool Known(const std::string& check) {
  for (const std::string& k : kKnownFaults)
    if (check == k) return true;
  return false;
}

// Where the differences of the current run go.
const TypingReport* g_report = nullptr;

void Differs(const std::string& check, const std::string& what) {
  if (g_report && *g_report) (*g_report)(check, what);
}

std::string Show(const std::string& v) { return "\"" + v + "\""; }
std::string Show(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}
std::string Show(long long v) { return std::to_string(v); }

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// One dialog's comparison of what the fields showed with what OK stored.
class Comparison {
 public:
  Comparison(const char* bus, std::string step) : bus_(bus), step_(std::move(step)) {}
  void Number(const char* field, long long shown, long long stored) {
    if (shown != stored) Report(field, Show(shown), Show(stored));
  }
  void Real(const char* field, double shown, double stored) {
    if (!Same(shown, stored)) Report(field, Show(shown), Show(stored));
  }
  // A name as the record holds it: the text cut to the record's length.
  void Name(const char* field, const std::string& shown, const char* stored) {
    char held[MAX_NAME_LEN + 1];
    CopyToCharBuffer(held, shown, MAX_NAME_LEN);
    if (std::strcmp(held, stored) != 0) Report(field, Show(shown), Show(std::string(stored)));
  }
  void Report(const char* field, const std::string& shown, const std::string& stored) {
    Differs(std::string(bus_) + " " + field,
            std::string(bus_) + " " + step_ + ": OK stored " + field + " " + stored + ", the field showed " + shown);
  }

 private:
  const char* bus_;
  std::string step_;
};

// What the scaling fields are given; the first stands for an emptied field.
constexpr double kTypedReals[] = {VALUE_UNLIMITED, 0.5, 2.0, -1.0, 0.0, 1000.0, 1e-3, 12.5};
// Units as typed, and what the record holds of them: empty, plain, a
// double-byte character, and text the code page cannot hold (Hangul, an
// emoji), which OK must refuse.
struct TypedText {
  const char* utf8;
  const char* cp932;  // null: cannot be held
};
const TypedText kTypedUnits[] = {{"", ""},
                                 {"km/h", "km/h"},
                                 {"rpm", "rpm"},
                                 {"\xE5\xBA\xA6", "\x93\x78"},
                                 {"\xED\x95\x9C", nullptr},
                                 {"\xF0\x9F\x98\x80", nullptr}};
const TypedText& TypedUnit(Script& s) { return kTypedUnits[s.Below(static_cast<int>(std::size(kTypedUnits)))]; }
// Signal names as typed.
const TypedText kTypedNames[] = {
    {"Typed0", "Typed0"}, {"typed1", "typed1"}, {"\xE5\xBA\xA6", "\x93\x78"}, {"\xED\x95\x9C", nullptr}};
const TypedText& TypedName(Script& s) { return kTypedNames[s.Below(static_cast<int>(std::size(kTypedNames)))]; }

// A text typed that the record cannot hold: OK must refuse it.
void CheckTextRefused(Comparison& cmp, const char* field, const TypedText* text) {
  if (text && !text->cp932) cmp.Report(field, Show(std::string(text->utf8)), "what it held (no refusal)");
}

double TypedReal(Script& s) { return kTypedReals[s.Below(static_cast<int>(std::size(kTypedReals)))]; }

// The names a new definition is given: one of the table's messages, or one
// it does not hold.
template <class Map>
std::string NewMessageName(const Map* table, Script& s) {
  if (table && !table->empty() && s.Bit()) {
    int pick = s.Below(static_cast<int>(table->size()));
    for (const auto& e : *table)
      if (pick-- == 0) return e.value->name;
  }
  return "TypedMsg" + std::to_string(s.Below(4));
}
std::string NewSignalName(Script& s) { return "TypedSig" + std::to_string(s.Below(4)); }

// The message's other signals as they were before OK; after an accepted OK
// each must be the same but for the byte order the user agreed to.
template <class Msg, class Sig>
class OtherSignals {
 public:
  OtherSignals(const Msg* msg, const Sig* edited) {
    if (!msg) return;
    for (const auto& e : msg->signals)
      if (e.value != edited) kept_.emplace_back(e.value, *e.value);
  }
  void Check(Comparison& cmp, bool orderAgreed, int order) const {
    for (const auto& [now, was] : kept_) {
      Sig expected = was;
      if (orderAgreed) expected.byteOrder = static_cast<uint8_t>(order);
      if (!SameSignal(expected, *now)) cmp.Report("another signal", Show(std::string(expected.name)), "a change to it");
    }
  }

 private:
  static bool SameHead(const _SignalHead& a, const _SignalHead& b) {
    return std::strcmp(a.name, b.name) == 0 && a.bitOrder == b.bitOrder && a.byteOrder == b.byteOrder &&
           a.valueType == b.valueType && a.startBit == b.startBit && a.bitCount == b.bitCount &&
           std::strcmp(a.unit, b.unit) == 0 && a.identicalCoding == b.identicalCoding &&
           a.importError == b.importError && Same(a.factor, b.factor) && Same(a.offset, b.offset) &&
           Same(a.minimum, b.minimum) && Same(a.maximum, b.maximum);
  }
  static bool SameSignal(const _SignalHead& a, const _SignalHead& b) { return SameHead(a, b); }
  static bool SameSignal(const _CANSignal& a, const _CANSignal& b) {
    return SameHead(a, b) && std::strcmp(a.multiplexor, b.multiplexor) == 0 && a.multiplexValue == b.multiplexValue;
  }
  std::vector<std::pair<const Sig*, Sig>> kept_;
};

// The byte count as the field was entered, to hold its leaving to the rule
// that a count typed back to its own value changes nothing.
struct ByteCountEntry {
  int bytes = 0;
  int start = 0;
  int count = 0;
  void Check(const std::string& bus, const std::string& step, int bytesNow, int startNow, int countNow) const {
    if (bytesNow != bytes || (startNow == start && countNow == count)) return;
    Differs(bus + " byte count retyped", bus + " " + step + ": the byte count typed back to " + std::to_string(bytes) +
                                             " and left moved the signal from " + std::to_string(start) + "/" +
                                             std::to_string(count) + " to " + std::to_string(startNow) + "/" +
                                             std::to_string(countNow));
  }
};

// ------------------------------------------------------------------ CAN

// What the value-type list means, written out here rather than taken from
// the dialogs' own mapping: a fault in that mapping must show as a difference.
uint8_t StoredTypeOfItem(int item) {
  switch (item) {
    case VTITEM_SIGNED:
      return VALTYPE_SIGNED;
    case VTITEM_FLOAT:
    case VTITEM_DOUBLE:
      return VALTYPE_FLOAT;
    default:
      return VALTYPE_UNSIGNED;
  }
}

class CanTyping {
 public:
  CanTyping(CCanDlgModel& model, CanFields& fields, Prompt& prompt, Script& script, std::string step)
      : m_(model), c_(model.Controls()), fields_(fields), prompt_(prompt), s_(script), step_(std::move(step)) {
    heldFactor_ = c_.factor;
    heldOffset_ = c_.offset;
    m_.TakeWrittenFields();  // the opening shows every field
  }

  void Name(const NameMap<_CANMsg>* table) {
    c_.msgName = NewMessageName(table, s_);
    React([&] { m_.OnCommit(dlgids::IDC_MSG_NAME); });
    c_.sigName = NewSignalName(s_);
    React([&] { m_.OnCommit(dlgids::IDC_SIGNAL_NAME); });
  }

  void Type() {
    for (int n = 0; n < kMostActions && !s_.Done(); ++n)
      if (!Act(s_.Below(13))) break;
  }

  // What the fields show: the controls through the fields' ranges, and the
  // value an emptied factor or offset stands for.
  CanDlgControls Shown() const {
    CanDlgControls shown = c_;
    shown.byteCount = ctl::ClampInt(shown.byteCount, 0, shown.byteCountMax);
    return shown;
  }
  double HeldFactor() const { return heldFactor_; }
  double HeldOffset() const { return heldOffset_; }
  // The unit and the signal name typed last, while the fields show them.
  const TypedText* Unit() const { return unit_; }
  const TypedText* SignalName() const { return sigName_; }

  // OK's press leaves the field being typed in (the mouse, Enter and OK's
  // key all take the focus from it).
  void LeaveForOk() { Leave(); }
  CCanDlgModel::OkResult Ok() {
    fields_.Read(m_);
    return m_.OnOK(prompt_);
  }

 private:
  // Answers false for OK.
  bool Act(int op) {
    switch (op) {
      case 0:
        return false;
      case 1:
        TypeByteCount();
        break;
      case 2:
        TypeInto(dlgids::IDC_START_BIT, c_.startBit, s_.Number(c_.startBitMax));
        break;
      case 3:
        TypeInto(dlgids::IDC_BIT_COUNT, c_.bitCount, 1 + s_.Number(63));
        break;
      case 4:
        Leave();
        React([&] {
          m_.OnValueTypeOpened();
          m_.OnValueTypePicked(s_.Below(4));
        });
        break;
      case 5:
        TypeInto(dlgids::IDC_FACTOR, c_.factor, TypedReal(s_));
        break;
      case 6:
        TypeInto(dlgids::IDC_OFFSET, c_.offset, TypedReal(s_));
        break;
      case 7:
        Leave();
        unit_ = &TypedUnit(s_);
        focused_ = dlgids::IDC_UNIT;
        if (s_.Bit()) Leave();
        break;
      case 8:
        Leave();
        React([&] { m_.OnJ1939Clicked(!c_.j1939); });
        break;
      case 9:
        Leave();
        React([&] {
          if (s_.Bit()) {
            m_.OnPageNext();
          } else {
            m_.OnPagePrevious();
          }
        });
        break;
      case 10:
        // A click on the other radio, through the same entry as the window's.
        Leave();
        React([&] { m_.OnByteOrderClicked(c_.byteOrder == BYTEORDER_BIG ? BYTEORDER_LITTLE : BYTEORDER_BIG); });
        break;
      case 12:
        Leave();
        sigName_ = &TypedName(s_);
        React(
            [&] {
              m_.ReadText(dlgids::IDC_SIGNAL_NAME, true, sigName_->utf8);
              m_.OnCommit(dlgids::IDC_SIGNAL_NAME);
            },
            dlgids::IDC_SIGNAL_NAME);
        break;
      default: {
        const double v = TypedReal(s_);
        if (s_.Bit()) {
          TypeInto(dlgids::IDC_MAXIMUM, c_.maximum, v);
        } else {
          TypeInto(dlgids::IDC_MINIMUM, c_.minimum, v == VALUE_UNLIMITED ? -VALUE_UNLIMITED : v);
        }
        break;
      }
    }
    return true;
  }

  // Text typed into an edit: read at its commit, on Enter or on leaving it.
  template <class T, class V>
  void TypeInto(int id, T& control, V value) {
    if (focused_ != id) Leave();
    control = static_cast<T>(value);
    focused_ = id;
    if (s_.Bit()) Leave();  // Enter
  }

  // The byte count commits every keystroke; it was selected whole (or
  // emptied with Backspace) and the digits are typed one by one, as far as
  // the field's length allows. Tab may follow, or not.
  void TypeByteCount() {
    if (focused_ != dlgids::IDC_BYTE_COUNT) {
      Leave();
      entry_ = {c_.byteCount, c_.startBit, c_.bitCount};
    }
    focused_ = dlgids::IDC_BYTE_COUNT;
    const bool emptied = s_.Bit();
    const int wanted = s_.Number(c_.byteCountMax + 40);
    const bool noDigits = emptied && s_.Below(4) == 0;
    std::string text;
    if (emptied) {
      c_.byteCount = 0;  // an empty text reads as 0
      React([&] { m_.OnCommit(dlgids::IDC_BYTE_COUNT); });
    }
    if (!noDigits) {
      for (char digit : std::to_string(wanted)) {
        if (static_cast<int>(text.size()) >= c_.byteCountLimit) break;
        text += digit;
        c_.byteCount = std::atoi(text.c_str());
        if (React([&] { m_.OnCommit(dlgids::IDC_BYTE_COUNT); }).count(dlgids::IDC_BYTE_COUNT))
          text = std::to_string(c_.byteCount);
      }
    }
    if (s_.Bit()) Leave();  // Tab
  }

  void Leave() {
    const int id = std::exchange(focused_, 0);
    if (id == 0) return;
    if (id == dlgids::IDC_BYTE_COUNT) {
      React([&] { m_.OnByteCountLeft(); });
      entry_.Check("CAN", step_, c_.byteCount, c_.startBit, c_.bitCount);
    } else if (id == dlgids::IDC_UNIT) {
      React(
          [&] {
            m_.ReadText(dlgids::IDC_UNIT, true, unit_->utf8);
            m_.OnCommit(id);
          },
          dlgids::IDC_UNIT);
    } else {
      React([&] { m_.OnCommit(id); });
    }
    if (id == dlgids::IDC_FACTOR && c_.factor != VALUE_UNLIMITED) heldFactor_ = c_.factor;
    if (id == dlgids::IDC_OFFSET && c_.offset != VALUE_UNLIMITED) heldOffset_ = c_.offset;
  }

  // One reaction of the model, and what the view then shows: the text
  // fields show a new value only when the model says it wrote them, so a
  // value changed without that is one the user never sees. Answers the
  // fields written. The text field the user typed into, `typedId`, shows
  // what was typed, which the model reads in the reaction.
  template <class Reaction>
  std::set<int> React(Reaction reaction, int typedId = 0) {
    const CanDlgControls before = c_;
    reaction();
    const std::set<int> written = m_.TakeWrittenFields();
    const auto stale = [&](int id, const char* field, auto was, auto now) {
      if (was != now && id != typedId && !written.count(id))
        Differs("CAN field not rewritten", "CAN " + step_ + ": the model changed the " + field + " from " + Show(was) +
                                               " to " + Show(now) + " but the field still shows the first");
    };
    stale(dlgids::IDC_MSG_NAME, "message name", before.msgName, c_.msgName);
    stale(dlgids::IDC_MSG_ID, "identifier", static_cast<long long>(before.id), static_cast<long long>(c_.id));
    stale(dlgids::IDC_BYTE_COUNT, "byte count", static_cast<long long>(before.byteCount),
          static_cast<long long>(c_.byteCount));
    stale(dlgids::IDC_SIGNAL_NAME, "signal name", before.sigName, c_.sigName);
    stale(dlgids::IDC_START_BIT, "start bit", static_cast<long long>(before.startBit),
          static_cast<long long>(c_.startBit));
    stale(dlgids::IDC_BIT_COUNT, "bit count", static_cast<long long>(before.bitCount),
          static_cast<long long>(c_.bitCount));
    stale(dlgids::IDC_FACTOR, "factor", before.factor, c_.factor);
    stale(dlgids::IDC_OFFSET, "offset", before.offset, c_.offset);
    stale(dlgids::IDC_MAXIMUM, "maximum", before.maximum, c_.maximum);
    stale(dlgids::IDC_MINIMUM, "minimum", before.minimum, c_.minimum);
    stale(dlgids::IDC_UNIT, "unit", before.unit, c_.unit);
    // A written text field shows the model's text again.
    if (written.count(dlgids::IDC_UNIT)) unit_ = nullptr;
    if (written.count(dlgids::IDC_SIGNAL_NAME)) sigName_ = nullptr;
    fields_.Show(m_, prompt_);
    return written;
  }

  CCanDlgModel& m_;
  CanDlgControls& c_;
  CanFields& fields_;
  Prompt& prompt_;
  Script& s_;
  std::string step_;
  int focused_ = 0;  // the edit typed in and not yet left
  ByteCountEntry entry_;
  double heldFactor_ = 1.0;
  double heldOffset_ = 0.0;
  const TypedText* unit_ = nullptr;
  const TypedText* sigName_ = nullptr;
};

// The message's fields before OK, to tell what OK may keep of them.
struct CanMessageBefore {
  explicit CanMessageBefore(const _CANMsg& m) : byteCount(m.byteCount), frameType(m.frameType) {}
  int byteCount;
  int frameType;
};

void CompareCan(Comparison& cmp, const CanDlgControls& shown, double heldFactor, double heldOffset,
                const CanMessageBefore& before, const _CANMsg& m, const _CANSignal& s) {
  cmp.Name("message name", shown.msgName, m.name);
  // A stored identifier beyond its format's range shows as it is.
  cmp.Number("identifier", shown.id, m.id);
  cmp.Number("frame format", shown.frameFormat, m.frameFormat);
  cmp.Number("byte count", shown.byteCount, m.byteCount);
  const int frameType =
      m.byteCount == before.byteCount ? before.frameType : (m.byteCount > 8 ? CANFRAME_FD : CANFRAME_CAN);
  cmp.Number("frame type", frameType, m.frameType);
  cmp.Number("J1939", shown.j1939 ? 1 : 0, m.j1939);
  cmp.Name("signal name", shown.sigName, s.name);
  cmp.Number("start bit", shown.startBit, s.startBit);
  cmp.Number("bit count", shown.bitCount, s.bitCount);
  cmp.Number("byte order", shown.byteOrder == BYTEORDER_BIG ? BYTEORDER_BIG : BYTEORDER_LITTLE, s.byteOrder);
  cmp.Number("value type", StoredTypeOfItem(shown.valueType), s.valueType);
  cmp.Real("factor", shown.factor == VALUE_UNLIMITED ? heldFactor : shown.factor, s.factor);
  cmp.Real("offset", shown.offset == VALUE_UNLIMITED ? heldOffset : shown.offset, s.offset);
  cmp.Real("maximum", shown.maximum, s.maximum);
  cmp.Real("minimum", shown.minimum, s.minimum);
  cmp.Name("unit", shown.unit, s.unit);
  if (MakeUpperString(shown.MuxText()) != MakeUpperString(s.multiplexor))
    cmp.Report("multiplexor", Show(shown.MuxText()), Show(std::string(s.multiplexor)));
}

// ------------------------------------------------------------------ FlexRay and LIN

long long IdOf(const _FlexRayMsg& m) { return m.slotId; }
long long IdOf(const _LINMsg& m) { return m.id; }
int FormatOf(const _FlexRayMsg& m) { return m.frameFormat; }
int FormatOf(const _LINMsg& m) { return m.checksum; }

template <class Model>
class FrameTyping {
 public:
  FrameTyping(Model& model, Prompt& prompt, Script& script, const char* bus, std::string step)
      : m_(model),
        v_(model.Values()),
        prompt_(prompt),
        s_(script),
        bus_(bus),
        flexRay_(std::string(bus) == "FlexRay"),
        step_(std::move(step)) {
    heldFactor_ = v_.factor;
    heldOffset_ = v_.offset;
    m_.TakeWrittenFields();  // the opening shows every field
  }

  template <class Map>
  void Name(const Map* table) {
    v_.msgName = NewMessageName(table, s_);
    v_.signalName = NewSignalName(s_);
  }

  void Type() {
    for (int n = 0; n < kMostActions && !s_.Done(); ++n)
      if (!Act(s_.Below(12))) break;
  }

  // The values, and the text typed into the field being typed in.
  FrameSignalValues Shown() const {
    FrameSignalValues shown = v_;
    switch (focused_) {
      case dlgids::IDC_START_BIT:
        shown.startBit = static_cast<int>(typed_);
        break;
      case dlgids::IDC_BIT_COUNT:
        shown.bitCount = static_cast<int>(typed_);
        break;
      case dlgids::IDC_FACTOR:
        shown.factor = typed_;
        break;
      case dlgids::IDC_OFFSET:
        shown.offset = typed_;
        break;
      case dlgids::IDC_MINIMUM:
        shown.minimum = typed_;
        break;
      case dlgids::IDC_MAXIMUM:
        shown.maximum = typed_;
        break;
      default:
        break;
    }
    shown.minimum = FieldMinimum(shown.minimum);
    return shown;
  }
  double HeldFactor() const { return heldFactor_; }
  double HeldOffset() const { return heldOffset_; }
  const TypedText* Unit() const { return unit_; }
  const TypedText* SignalName() const { return sigName_; }

  void LeaveForOk() { Leave(); }
  // What the view reads on OK besides the fields it reads as they commit:
  // the scaling fields, an empty minimum as -1e31.
  int Ok() {
    v_.minimum = FieldMinimum(v_.minimum);
    return m_.Ok(prompt_);
  }

 private:
  bool Act(int op) {
    switch (op) {
      case 0:
        return false;
      case 1:
        TypeByteCount();
        break;
      case 2:
        TypeInto(dlgids::IDC_START_BIT, s_.Number(std::max(m_.StartBitMax(), v_.startBit)));
        break;
      case 3:
        TypeInto(dlgids::IDC_BIT_COUNT, 1 + s_.Number(std::max(m_.BitCountMax(), v_.bitCount) - 1));
        break;
      case 4:
        Leave();
        React([&] {
          m_.RememberValueType();
          m_.ChooseValueType(s_.Below(4));
        });
        break;
      case 5:
        TypeInto(dlgids::IDC_FACTOR, TypedReal(s_));
        break;
      case 6:
        TypeInto(dlgids::IDC_OFFSET, TypedReal(s_));
        break;
      case 7:
        Leave();
        unit_ = &TypedUnit(s_);
        React([&] { m_.ReadText(dlgids::IDC_UNIT, true, unit_->utf8); });
        break;
      case 8:
        Leave();
        if (s_.Bit()) {
          v_.byteOrder = v_.byteOrder == BYTEORDER_BIG ? BYTEORDER_LITTLE : BYTEORDER_BIG;
        } else if (flexRay_) {
          v_.bitOrder = v_.bitOrder == BITORDER_MSB_FIRST ? BITORDER_LSB_FIRST : BITORDER_MSB_FIRST;
        }
        break;
      case 9: {
        const double v = TypedReal(s_);
        if (s_.Bit()) {
          TypeInto(dlgids::IDC_MAXIMUM, v);
        } else {
          TypeInto(dlgids::IDC_MINIMUM, v == VALUE_UNLIMITED ? -VALUE_UNLIMITED : v);
        }
        break;
      }
      case 10:
        Leave();
        React([&] { m_.CommitFormat(s_.Below(2)); });
        break;
      default:
        Leave();
        sigName_ = &TypedName(s_);
        React([&] { m_.ReadText(dlgids::IDC_SIGNAL_NAME, true, sigName_->utf8); });
        break;
    }
    return true;
  }

  // Text typed into an edit: read at its commit, on Enter or on leaving it.
  void TypeInto(int id, double typed) {
    if (focused_ != id) Leave();
    typed_ = typed;
    focused_ = id;
    if (s_.Bit()) Leave();  // Enter
  }

  void TypeByteCount() {
    if (focused_ != dlgids::IDC_BYTE_COUNT) {
      Leave();
      entry_ = {v_.byteCount, v_.startBit, v_.bitCount};
    }
    focused_ = dlgids::IDC_BYTE_COUNT;
    const bool emptied = s_.Bit();
    const int wanted = s_.Number(m_.MaxBytes() + 40);
    const bool noDigits = emptied && s_.Below(4) == 0;
    if (emptied) React([&] { m_.TypeByteCount(0); }, dlgids::IDC_BYTE_COUNT, 0);
    if (!noDigits) {
      std::string text;
      for (char digit : std::to_string(wanted)) {
        text += digit;
        const int typed = std::atoi(text.c_str());
        // The field shows the count cut to the frame's largest.
        if (React([&] { m_.TypeByteCount(typed); }, dlgids::IDC_BYTE_COUNT, typed).count(dlgids::IDC_BYTE_COUNT))
          text = std::to_string(v_.byteCount);
      }
    }
    if (s_.Bit()) Leave();
  }

  void Leave() {
    const int id = std::exchange(focused_, 0);
    switch (id) {
      case dlgids::IDC_BYTE_COUNT:
        React([&] { m_.SettleByteCount(); });
        entry_.Check(bus_, step_, v_.byteCount, v_.startBit, v_.bitCount);
        break;
      case dlgids::IDC_START_BIT:
        React([&] { m_.CommitStartBit(static_cast<int>(typed_)); }, dlgids::IDC_START_BIT, typed_);
        break;
      case dlgids::IDC_BIT_COUNT:
        React([&] { m_.CommitBitCount(static_cast<int>(typed_)); }, dlgids::IDC_BIT_COUNT, typed_);
        break;
      case dlgids::IDC_MINIMUM:
        React([&] { m_.CommitLimits(typed_, v_.maximum); }, dlgids::IDC_MINIMUM, typed_);
        break;
      case dlgids::IDC_MAXIMUM:
        React([&] { m_.CommitLimits(v_.minimum, typed_); }, dlgids::IDC_MAXIMUM, typed_);
        break;
      case dlgids::IDC_FACTOR:
        React([&] { m_.CommitFactor(typed_); }, dlgids::IDC_FACTOR, typed_);
        if (typed_ != VALUE_UNLIMITED) heldFactor_ = typed_;
        break;
      case dlgids::IDC_OFFSET:
        React([&] { m_.CommitOffset(typed_); }, dlgids::IDC_OFFSET, typed_);
        if (typed_ != VALUE_UNLIMITED) heldOffset_ = typed_;
        break;
      default:
        break;
    }
  }

  // One reaction of the model: a field it changed shows the change only when
  // the model says it wrote it (the one the user typed into, `typedId`,
  // shows `typed`, which the model took). Answers the fields written.
  template <class Reaction>
  std::set<int> React(Reaction reaction, int typedId = 0, double typed = 0) {
    const FrameSignalValues before = v_;
    reaction();
    const std::set<int> written = m_.TakeWrittenFields();
    const auto stale = [&](int id, const char* field, double was, double now) {
      const double shown = id == typedId ? typed : was;
      if (!Same(shown, now) && !written.count(id))
        Differs(std::string(bus_) + " field not rewritten",
                std::string(bus_) + " " + step_ + ": the model changed the " + field + " to " + Show(now) +
                    " but the field still shows " + Show(shown));
    };
    stale(dlgids::IDC_BYTE_COUNT, "byte count", before.byteCount, v_.byteCount);
    stale(dlgids::IDC_START_BIT, "start bit", before.startBit, v_.startBit);
    stale(dlgids::IDC_BIT_COUNT, "bit count", before.bitCount, v_.bitCount);
    stale(dlgids::IDC_FACTOR, "factor", before.factor, v_.factor);
    stale(dlgids::IDC_OFFSET, "offset", before.offset, v_.offset);
    stale(dlgids::IDC_MINIMUM, "minimum", before.minimum, v_.minimum);
    stale(dlgids::IDC_MAXIMUM, "maximum", before.maximum, v_.maximum);
    if (written.count(dlgids::IDC_UNIT)) unit_ = nullptr;
    if (written.count(dlgids::IDC_SIGNAL_NAME)) sigName_ = nullptr;
    return written;
  }

  Model& m_;
  FrameSignalValues& v_;
  Prompt& prompt_;
  Script& s_;
  const char* bus_;
  bool flexRay_;
  std::string step_;
  int focused_ = 0;   // the edit typed in and not yet left
  double typed_ = 0;  // what it holds
  ByteCountEntry entry_;
  double heldFactor_ = 1.0;
  double heldOffset_ = 0.0;
  const TypedText* unit_ = nullptr;
  const TypedText* sigName_ = nullptr;
};

template <class Msg, class Sig>
void CompareFrame(Comparison& cmp, const FrameSignalValues& shown, double heldFactor, double heldOffset, const Msg& m,
                  const Sig& s, bool flexRay) {
  cmp.Name("message name", shown.msgName, m.name);
  cmp.Number(flexRay ? "frame format" : "checksum", shown.formatIndex, FormatOf(m));
  // A stored identifier outside the field's range shows as it is.
  cmp.Number("identifier", shown.id, IdOf(m));
  cmp.Number("byte count", shown.byteCount, m.byteCount);
  cmp.Name("signal name", shown.signalName, s.name);
  if (flexRay) cmp.Number("bit order", shown.bitOrder, s.bitOrder);
  cmp.Number("start bit", shown.startBit, s.startBit);
  cmp.Number("bit count", shown.bitCount, s.bitCount);
  cmp.Number("byte order", shown.byteOrder, s.byteOrder);
  cmp.Number("value type", StoredTypeOfItem(shown.valueType), s.valueType);
  cmp.Real("factor", std::fabs(shown.factor) == VALUE_UNLIMITED ? heldFactor : shown.factor, s.factor);
  cmp.Real("offset", std::fabs(shown.offset) == VALUE_UNLIMITED ? heldOffset : shown.offset, s.offset);
  cmp.Real("minimum", shown.minimum, s.minimum);
  cmp.Real("maximum", shown.maximum, s.maximum);
  cmp.Name("unit", shown.unit, s.unit);
}

void CompareCycles(Comparison& cmp, const FrameSignalValues& shown, const _FlexRayMsg& m) {
  cmp.Number("base cycle", shown.baseCycle, m.baseCycle);
  cmp.Number("cycle repetition", shown.cycleRepetition, m.cycleRepetition);
}
void CompareCycles(Comparison&, const FrameSignalValues&, const _LINMsg&) {}

// ------------------------------------------------------------------ LOGIC

// The LOGIC dialog's fields: name, group, bit count and the pattern.
struct LogicFields {
  std::string name;
  int group = -1;
  int bitCount = 1;
  std::string pattern;
};

class LogicTyping {
 public:
  LogicTyping(CLogicDlgModel& model, Script& script) : m_(model), s_(script) {}

  void Name() { m_.name = "TypedSym" + std::to_string(s_.Below(4)); }
  void Type() {
    for (int n = 0; n < kMostActions && !s_.Done(); ++n)
      if (!Act(s_.Below(5))) break;
  }
  LogicFields Shown() const {
    const std::string& pattern = pendingPattern_ ? typedPattern_ : m_.Pattern();
    return {m_.name, m_.group, focused_ == dlgids::IDC_LOGIC_BITS ? typedBits_ : m_.bitCount, pattern};
  }
  void LeaveForOk() { Leave(); }

 private:
  bool Act(int op) {
    switch (op) {
      case 0:
        return false;
      case 1:
        Leave();
        typedBits_ = 1 + s_.Number(MAX_LOGIC_BITS - 1);
        focused_ = dlgids::IDC_LOGIC_BITS;
        if (s_.Bit()) Leave();
        break;
      case 2: {
        Leave();
        // The pattern field holds as many characters as the group has bits.
        static const char kBits[] = {'0', '1', 'X', 'x'};
        typedPattern_.clear();
        for (int i = 0; i < m_.bitCount; ++i) typedPattern_ += kBits[s_.Below(4)];
        pendingPattern_ = true;
        focused_ = dlgids::IDC_PATTERN_BIN;
        if (s_.Bit()) Leave();
        break;
      }
      case 3:
        Leave();
        m_.SelectGroup(s_.Below(LOGIC_GROUP_COUNT));
        break;
      default:
        Leave();
        Name();
        break;
    }
    return true;
  }

  void Leave() {
    const int id = std::exchange(focused_, 0);
    if (id == dlgids::IDC_LOGIC_BITS) m_.CommitBitCount(typedBits_);
    if (id == dlgids::IDC_PATTERN_BIN) {
      pendingPattern_ = false;
      m_.CommitPattern(typedPattern_);
    }
  }

  CLogicDlgModel& m_;
  Script& s_;
  int focused_ = 0;
  int typedBits_ = 1;
  bool pendingPattern_ = false;
  std::string typedPattern_;
};

// ------------------------------------------------------------------ pressing OK

constexpr int kMostPresses = 4;

// Whether the fields show the same.
bool SameFields(const LogicFields& a, const LogicFields& b) {
  return a.name == b.name && a.group == b.group && a.bitCount == b.bitCount && a.pattern == b.pattern;
}
bool SameFields(const CanDlgControls& a, const CanDlgControls& b) {
  return a.msgName == b.msgName && a.id == b.id && a.frameFormat == b.frameFormat && a.j1939 == b.j1939 &&
         a.byteCount == b.byteCount && a.sigName == b.sigName && a.startBit == b.startBit && a.bitCount == b.bitCount &&
         a.valueType == b.valueType && a.byteOrder == b.byteOrder && Same(a.factor, b.factor) &&
         Same(a.offset, b.offset) && Same(a.maximum, b.maximum) && Same(a.minimum, b.minimum) && a.unit == b.unit &&
         a.MuxText() == b.MuxText();
}
bool SameFields(const FrameSignalValues& a, const FrameSignalValues& b) {
  return a.msgName == b.msgName && a.formatIndex == b.formatIndex && a.id == b.id && a.byteCount == b.byteCount &&
         a.baseCycle == b.baseCycle && a.cycleRepetition == b.cycleRepetition && a.signalName == b.signalName &&
         a.bitOrder == b.bitOrder && a.startBit == b.startBit && a.bitCount == b.bitCount &&
         a.valueType == b.valueType && a.byteOrder == b.byteOrder && Same(a.factor, b.factor) &&
         Same(a.offset, b.offset) && Same(a.minimum, b.minimum) && Same(a.maximum, b.maximum) && a.unit == b.unit;
}

// The user types, then presses OK. The press leaves the field being typed
// in, and when that commit changed what a field shows the dialog stays open
// with the change in sight (the dialog compares its fields around the
// press); the user types on and presses again. Answers what the fields show
// at the press that goes through to OK.
template <class Fields, class Typing>
Fields TypeUntilOk(Typing& typing, const std::string& step) {
  for (int press = 1;; ++press) {
    typing.Type();
    const Fields before = typing.Shown();
    typing.LeaveForOk();
    const Fields after = typing.Shown();
    // Past the last press the fields are left; a press now changes nothing.
    if (SameFields(before, after) || press == kMostPresses) return after;
    if (ReportOnly()) std::fprintf(stderr, "STAYED OPEN %s: the field left for OK changed what shows\n", step.c_str());
  }
}

// ------------------------------------------------------------------ the dialogs

class TypingDialogs : public TypedDialogs {
 public:
  explicit TypingDialogs(Script& script) : s_(script) {}

  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    CCanDlgModel model(r.messages, r.mode);
    OpenModel(model, r);
    CanFields fields;
    fields.Show(model, prompt);
    DefDialogResult result;
    result.hexFlag = model.HexFlag();
    if (r.mode == DLGMODE_VIEW || !r.msg || !r.signal) return result;
    CanTyping typing(model, fields, prompt, s_, step);
    if (r.mode == DLGMODE_NEW) typing.Name(r.messages);
    const CanDlgControls shown = TypeUntilOk<CanDlgControls>(typing, "CAN " + step);
    const CanMessageBefore before(*r.msg);
    const _CANMsg* checked =
        r.mode == DLGMODE_EDIT ? r.msg : (r.messages ? r.messages->Find(MakeUpperString(shown.msgName)) : nullptr);
    const OtherSignals<_CANMsg, _CANSignal> others(checked, r.signal);
    prompt.okCancelAnswer = s_.Bit();
    prompt.okCancelAsked = false;
    const int before_shown = prompt.shown;
    const CCanDlgModel::OkResult ok = typing.Ok();
    if (ok.accept) {
      Comparison cmp("CAN", step);
      CompareCan(cmp, shown, typing.HeldFactor(), typing.HeldOffset(), before, *r.msg, *r.signal);
      CheckTextRefused(cmp, "unit", typing.Unit());
      CheckTextRefused(cmp, "signal name", typing.SignalName());
      others.Check(cmp, prompt.okCancelAsked && prompt.okCancelAnswer, shown.byteOrder);
    }
    return Ended(ok.accept, model.Modified(), before_shown, result);
  }

  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& r) override {
    CFlexRayDlgModel model;
    return RunFrame(model, r, "FlexRay", true);
  }
  DefDialogResult RunLinDialog(const LinDialogRequest& r) override {
    CLinDlgModel model;
    return RunFrame(model, r, "LIN", false);
  }
  DefDialogResult RunLogicDialog(const LogicDialogRequest& r) override {
    CLogicDlgModel model;
    OpenModel(model, r);
    DefDialogResult result;
    result.groupIndex = r.groupIndex;
    if (r.mode == DLGMODE_VIEW || !r.symbol || !r.groups) return result;
    const std::string openedPattern = model.Pattern();
    LogicTyping typing(model, s_);
    if (r.mode == DLGMODE_NEW) typing.Name();
    const LogicFields shown = TypeUntilOk<LogicFields>(typing, "LOGIC " + step);
    const std::string patternBefore = r.symbol->pattern;
    const bool patternLeft = r.mode == DLGMODE_EDIT && shown.group == r.groupIndex &&
                             shown.bitCount == r.groups[r.groupIndex].bitCount && shown.pattern == openedPattern;
    prompt.yesNoAnswer = s_.Bit();
    const int before = prompt.shown;
    const bool accept = model.Ok(prompt) == dlgids::DLG_OK_CLOSE;
    if (accept) {
      result.groupIndex = model.GroupIndex();
      Comparison cmp("LOGIC", step);
      char name[MAX_LOGIC_NAME_LEN + 1];
      CopyToCharBuffer(name, shown.name, MAX_LOGIC_NAME_LEN);
      if (std::strcmp(name, r.symbol->name) != 0)
        cmp.Report("name", Show(shown.name), Show(std::string(r.symbol->name)));
      cmp.Number("group", shown.group, model.GroupIndex());
      if (const _LOGICGroup* g = model.GroupAt(model.GroupIndex()))
        cmp.Number("bit count", shown.bitCount, g->bitCount);
      // A pattern left as it opened keeps its stored text (the field shows
      // a don't-care as 'X', an empty pattern as all don't-care).
      const bool kept = patternLeft && r.symbol->pattern == patternBefore;
      if (!kept && !SamePattern(shown.pattern, r.symbol->pattern))
        cmp.Report("pattern", Show(shown.pattern), Show(std::string(r.symbol->pattern)));
      UpdateRefittedRows(model, r, result.groupIndex);
    }
    return Ended(accept, model.Modified(), before, result);
  }

  Prompt prompt;

 private:
  template <class Model, class Request>
  DefDialogResult RunFrame(Model& model, const Request& r, const char* bus, bool flexRay) {
    OpenFrameModel(model, r);
    DefDialogResult result;
    result.hexFlag = model.HexDisplay() ? 1 : 0;
    if (r.mode == DLGMODE_VIEW || !r.msg || !r.signal) return result;
    FrameTyping<Model> typing(model, prompt, s_, bus, step);
    if (r.mode == DLGMODE_NEW) typing.Name(r.messages);
    const FrameSignalValues shown = TypeUntilOk<FrameSignalValues>(typing, bus + (" " + step));
    using Msg = std::remove_pointer_t<decltype(r.msg)>;
    using Sig = std::remove_pointer_t<decltype(r.signal)>;
    const Msg* checked =
        r.mode == DLGMODE_EDIT ? r.msg : (r.messages ? r.messages->Find(MakeUpperString(shown.msgName)) : nullptr);
    const OtherSignals<Msg, Sig> others(checked, r.signal);
    prompt.okCancelAnswer = s_.Bit();
    prompt.okCancelAsked = false;
    const int before = prompt.shown;
    const bool accept = typing.Ok() == dlgids::DLG_OK_CLOSE;
    if (accept) {
      Comparison cmp(bus, step);
      CompareFrame(cmp, shown, typing.HeldFactor(), typing.HeldOffset(), *r.msg, *r.signal, flexRay);
      CompareCycles(cmp, shown, *r.msg);
      CheckTextRefused(cmp, "unit", typing.Unit());
      CheckTextRefused(cmp, "signal name", typing.SignalName());
      others.Check(cmp, prompt.okCancelAsked && prompt.okCancelAnswer, shown.byteOrder);
    }
    return Ended(accept, model.Modified(), before, result);
  }

  DefDialogResult Ended(bool accept, bool modified, int shownBefore, DefDialogResult result) {
    refused = !accept;
    silentRefusal = !accept && prompt.shown == shownBefore;
    lastMessage = prompt.last;
    result.ok = accept;
    result.modified = accept && modified;
    return result;
  }

  Script& s_;
};

void TypeIntoRow(CDefListLogic& def, TypedDialogs& dialogs, int row, const char* bus) {
  CVestrelDoc& doc = def.Doc();
  const int mode = row < 0 ? DLGMODE_NEW : DLGMODE_EDIT;
  const std::string rowName = row < 0 ? std::string("new definition")
                                      : "row " + std::to_string(row) + " (" +
                                            def.Rows()[static_cast<std::size_t>(row)].Cell(COL_MESSAGE) + "/" +
                                            def.Rows()[static_cast<std::size_t>(row)].Cell(COL_SIGNAL) + ")";
  dialogs.step = rowName + " typed into";
  const vrtest::Picture before(doc, LIST_DEFINITION);
  const std::string savedBefore = doc.BuildSblText(LIST_DEFINITION);
  dialogs.refused = dialogs.silentRefusal = false;
  const std::vector<int> selection = row >= 0 ? std::vector<int>{row} : std::vector<int>{};
  const int changed = OpenDefinitionDialog(def, dialogs, LIST_DEFINITION, mode, selection, DefDialogAnchor());
  const std::string step = std::string(bus) + " " + dialogs.step;
  const vrtest::Picture after(doc, LIST_DEFINITION);
  if (ReportOnly())
    std::fprintf(
        stderr, "TYPED %s: %s\n", step.c_str(),
        dialogs.refused ? ("refused with message " + std::to_string(dialogs.lastMessage)).c_str() : "accepted");
  if (dialogs.silentRefusal) Differs(std::string(bus) + " refusal", step + ": OK refused without a message");
  if (dialogs.refused) {
    if (after != before)
      Differs(std::string(bus) + " refusal", step + ": a refused OK changed a record\n" + before.Differences(after));
    if (doc.BuildSblText(LIST_DEFINITION) != savedBefore)
      Differs(std::string(bus) + " refusal", step + ": a refused OK changed the saved file");
    if (changed != 0) Differs(std::string(bus) + " refusal", step + ": a refused OK reported a change");
  } else if ((changed != 0) != (after != before)) {
    Differs(std::string(bus) + " modified",
            step + (changed ? ": OK reported a change it did not make"
                            : ": OK changed a record and reported none\n" + before.Differences(after)));
  }
  const std::string shortfall = poolcheck::Shortfall(doc);
  if (!shortfall.empty()) fuzzdoc::Fail(step + ": " + shortfall);
}

}  // namespace

void ReportDifference(const std::string& check, const std::string& what) {
  if (Known(check) && !Strict()) {
    if (ReportOnly()) std::fprintf(stderr, "DIFFERENCE (known: %s) %s\n", check.c_str(), what.c_str());
    return;
  }
  Difference("[" + check + "] " + what);
}

void RunTypingMode(const uint8_t* data, std::size_t size) { RunTypingMode(data, size, ReportDifference); }

void RunTypingMode(const uint8_t* data, std::size_t size, const TypingReport& report) {
  RunTypingScript(data, size, report, [](Script& script) { return std::make_unique<TypingDialogs>(script); });
}

void RunTypingScript(const uint8_t* data, std::size_t size, const TypingReport& report, const DialogsMaker& make) {
  const TypingReport* outer = std::exchange(g_report, &report);
  static fuzzdoc::AnsweringSink sink(false);
  SetMessageSink(&sink);
  const std::size_t length = size > 0 ? std::min<std::size_t>(data[0], size - 1) : 0;
  Script script(data + 1, length);
  const std::string text(reinterpret_cast<const char*>(data) + 1 + length, size - std::min(size, 1 + length));

  CVestrelDoc doc;
  doc.ParseSblText(text, LIST_DEFINITION);
  doc.SetMsgIdFormat(static_cast<int>(size & 1));
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  const std::unique_ptr<TypedDialogs> dialogs = make(script);
  const struct {
    int kind;
    const char* name;
  } buses[] = {{BUS_CAN, "CAN"}, {BUS_FLEXRAY, "FlexRay"}, {BUS_LIN, "LIN"}, {BUS_LOGIC, "LOGIC"}};
  for (const auto& bus : buses) {
    ref.SetBusKind(bus.kind);
    def.SetBusKind(bus.kind);
    const int dialogCount = script.Below(kDialogsPerBus + 1);
    for (int k = 0; k < dialogCount && !script.Done(); ++k) {
      // One pick past the last row is a new definition.
      const int rows = def.RowCount();
      const int pick = script.Below(rows + 1);
      TypeIntoRow(def, *dialogs, pick == rows ? -1 : pick, bus.name);
    }
  }
  g_report = outer;
}

void ReportTyped(const std::string& check, const std::string& what) { Differs(check, what); }

#ifndef VR_FUZZ_VIEWS
// Without the windows the script types into the models.
void RunViewTypingMode(const uint8_t* data, std::size_t size) { RunTypingMode(data, size); }
#endif

}  // namespace dlgfuzz
