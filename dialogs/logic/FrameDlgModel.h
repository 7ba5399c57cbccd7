// What the FlexRay and LIN dialogs share: working copies of one frame and one
// of its signals, the bit map of the frame with the other signals' colours,
// the 64-cell window onto it with its row labels and tooltips, snapping of
// the signal's range onto free bits, drag selection, and the checks and the
// write-back that both OK handlers run. No toolkit: the Qt dialogs show what
// this holds and report every committed value to it.
#pragma once

#include <algorithm>
#include <array>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "BusTypes.h"
#include "DlgPrompt.h"
#include "FrameDlgIds.h"
#include "Records.h"
#include "SignalFieldRules.h"
#include "TextFields.h"
#include "TextFile.h"

// Colour kinds of a bit: 0..3 grey shades for the other signals in turn.
enum BitKind { BITKIND_FREE = 4, BITKIND_EDITED = 5 };

// The values of the dialog's controls. Names are CP932 as typed.
struct FrameSignalValues {
  std::string msgName;
  int formatIndex = 0;  // FlexRay frame format, LIN checksum model
  long long id = 0;     // FlexRay slot identifier, LIN identifier
  int byteCount = 0;
  int baseCycle = 0;        // FlexRay only
  int cycleRepetition = 1;  // FlexRay only
  std::string signalName;
  int bitOrder = BITORDER_MSB_FIRST;  // FlexRay only
  int startBit = 0;
  int bitCount = 1;
  int valueType = VTITEM_UNSIGNED;  // ValueTypeItem
  int byteOrder = BYTEORDER_LITTLE;
  double factor = 1.0;
  double offset = 0.0;
  double minimum = -VALUE_UNLIMITED;
  double maximum = VALUE_UNLIMITED;
  std::string unit;
};

struct GridCellState {
  int bit = -1;  // the frame bit the cell shows
  int colour = BITKIND_FREE;
  bool visible = false;
  std::string tip;  // empty: no tooltip
};

struct RowLabelState {
  bool visible = false;
  std::string text;
};

// The bits of one other signal as the grid marks them.
struct SignalSpan {
  std::string name;
  int start = 0;
  int count = 0;
  int colour = 0;
};

class CFrameDlgModelBase {
 public:
  static constexpr int kCells = 64;
  static constexpr int kLabels = 5;

  struct Shape {
    int bitCapacity;  // bits of the largest frame
    int maxBytes;
    long long minId, maxId;
    bool movingWindow;  // FlexRay: the window follows the start bit in steps of 16
    bool keepEnd;       // snapping keeps the end (FlexRay) or the length (LIN)
  };

  virtual ~CFrameDlgModelBase() = default;

  // Fills the working copies from the target records and the table, builds
  // the bit map and the grid. Mode, target, table, edited name and the
  // identifier display are set before.
  virtual void Open() = 0;
  // Choosing a row of the name list, of the identifier list (both rebuild
  // the grid) or of the signal-name list; rows out of range do nothing.
  virtual void SelectMessageRow(int row) = 0;
  virtual void SelectIdRow(int row) = 0;
  virtual void SelectSignalRow(int row) = 0;
  // The rows of the name, identifier and signal-name lists.
  virtual std::vector<std::string> MessageNames() const = 0;
  virtual std::vector<std::string> IdTexts() const = 0;
  virtual std::vector<std::string> SignalNames() const = 0;
  // Frame format (FlexRay) or checksum model (LIN) chosen.
  virtual void CommitFormat(int index) = 0;
  // The checks in their order; the first failure shows its message and
  // answers the control to focus (DLG_OK_STAY: stay where it is). Answers
  // DLG_OK_CLOSE after writing back.
  virtual int Ok(IDlgPrompt& prompt) = 0;
  // Whether the signal's own values were taken into the working copies.
  virtual bool SignalValuesLoaded() const { return true; }
  void CommitBaseCycle(int baseCycle);
  void CommitRepetition(int repetition);

  void SetMode(int mode) { mode_ = mode; }
  int Mode() const { return mode_; }
  bool IsView() const { return mode_ == DLGMODE_VIEW; }
  void SetHexDisplay(bool hex) { hex_ = hex; }
  bool HexDisplay() const { return hex_; }
  // The text a frame of 0 bytes shows as its signal name (string IDS_NONAME).
  void SetNoNameText(const std::string& text) { noName_ = text; }

  // A text field (frame name, signal name, unit) as it stands: read only
  // when the user edited it (see CTextFields).
  void ReadText(int ctrlId, bool edited, std::string_view utf8);
  // The fields the model wrote since the last call (control identifiers):
  // the view rewrites exactly these after a commit, and every field after
  // opening and after a pick.
  std::set<int> TakeWrittenFields() { return std::exchange(written_, {}); }

  FrameSignalValues& Values() { return v_; }
  const FrameSignalValues& Values() const { return v_; }
  bool Modified() const { return modified_; }

  int FrameBits() const { return v_.byteCount * 8; }
  bool SignalControlsEnabled() const { return signalEnabled_; }
  int StartBitMax() const { return startMax_; }
  int BitCountMax() const { return countMax_; }
  long long MinId() const { return shape_.minId; }
  long long MaxId() const { return shape_.maxId; }
  int MaxBytes() const { return shape_.maxBytes; }
  std::string IdText(long long id) const;

  // The bit map; a bit outside it reads as taken and hidden.
  int BitCapacity() const { return shape_.bitCapacity; }
  int KindOf(int bit) const;
  bool VisibleBit(int bit) const;
  // The grid window and its labels (label r is control 1700 + r).
  int WindowStart() const { return windowStart_; }
  const GridCellState& Cell(int i) const;
  const RowLabelState& Label(int r) const;

  // Live edits, each the reaction to one committed control.
  // The identifier field left or Enter in it; `typed`: the user typed what
  // it holds, which the range then judges (see IdToKeep).
  void CommitId(long long id, bool typed);
  // Every keystroke in the byte count: the signal keeps its range, however
  // little of it the count typed so far holds.
  void TypeByteCount(int byteCount);
  // The byte count left in the field (Enter, leaving it, also for OK's
  // press) cuts what no longer fits; a count left as it was settled cuts
  // nothing.
  void SettleByteCount();
  // A byte count typed and left in the field at once.
  void CommitByteCount(int byteCount) {
    TypeByteCount(byteCount);
    SettleByteCount();
  }
  void CommitStartBit(int startBit);
  void CommitBitCount(int bitCount);
  // A factor or offset committed empty keeps the value it held.
  void CommitFactor(double factor) { KeepScaling(factor, v_.factor, dlgids::IDC_FACTOR); }
  void CommitOffset(double offset) { KeepScaling(offset, v_.offset, dlgids::IDC_OFFSET); }
  // Minimum (empty = -1e31) and maximum (empty = +1e31); swapped when the
  // minimum is the greater.
  void CommitLimits(double minimum, double maximum);
  // The value-type list opens: the selection to go back to.
  void RememberValueType() { rememberedValueType_ = v_.valueType; }
  // Float needs 32 free bits from the start bit, Double 64; refused, the
  // remembered selection comes back. Answers whether the choice stayed.
  bool ChooseValueType(int selection);

  // Drag selection over the cells (nothing in view mode).
  bool PressCell(int cell);
  bool DragToCell(int cell);
  // The window follows the start bit again once the button is up.
  void Release();
  bool Dragging() const { return dragging_; }

 protected:
  explicit CFrameDlgModelBase(const Shape& shape);

  // The signals the grid shows as taken, with their colour index.
  virtual std::vector<SignalSpan> OtherSignals() const = 0;
  // True when every bit of [start, start + n) is free of the signals other
  // than the one named in the signal field.
  virtual bool CanPlaceBits(int n) const = 0;
  // Bit map from OtherSignals(); frame bits visible unless `hideAll`.
  void BuildBitMap(bool hideAll);
  void SetStartToFirstFreeBit();
  // A new signal is no stored range: on a frame with bits it starts on the
  // first free bit and holds at least one bit, as far as free bits reach.
  void PlaceNewSignal();
  void SnapSignalRange();
  void UpdateBitGrid();
  // The first bit of the 64-cell window for a start bit.
  int WindowFor(int startBit) const;
  void UpdateRowLabels();
  void UpdateTooltips();
  // Labels, grid and the tooltips of the window as it now stands.
  void Redraw();
  // Signal controls and the start-bit and bit-count caps for the byte count.
  void ApplyByteCount();
  // The stored or chosen frame's identifier, kept as it is.
  void KeepStoredId(long long id) {
    v_.id = id;
    idTyped_ = false;
  }

  // A text field holding text the code page cannot hold.
  OkCheck RefusedText() const;

  // A written text field shows what the model holds again, which fits.
  void Wrote(std::initializer_list<int> ids) {
    written_.insert(ids);
    for (int id : ids) texts_.Written(id);
  }
  void KeepScaling(double shown, double& held, int ctrlId) {
    const double kept = KeptScaling(shown, held);
    if (kept != shown) Wrote({ctrlId});
    held = kept;
  }
  bool InMap(int bit) const { return bit >= 0 && bit < shape_.bitCapacity; }

  Shape shape_;
  int mode_ = DLGMODE_VIEW;
  bool hex_ = false;
  bool modified_ = false;
  std::string noName_ = "NoName";
  FrameSignalValues v_;
  bool signalEnabled_ = false;
  int startMax_ = 0;
  int countMax_ = 1;

  // The other signals' bits, each owned by its colour; the bits shown; the
  // edited range as the grid last marked it.
  CBitOccupancy taken_;
  std::vector<char> visible_;
  int markedStart_ = 0;
  int markedEnd_ = 0;
  std::array<GridCellState, kCells> cells_{};
  std::array<RowLabelState, kLabels> labels_{};
  int windowStart_ = 0;
  int anchor_ = -1;
  bool dragging_ = false;
  CByteCountSettle settle_;
  std::set<int> written_;
  int rememberedValueType_ = VTITEM_UNSIGNED;
  CTextFields texts_;
  // The user typed the identifier the field holds.
  bool idTyped_ = false;
};

// The record-typed half: the target frame and signal, the list's frame table
// and the helpers of the OK checks. Msg is _FlexRayMsg or _LINMsg.
template <class Msg, class Sig>
class CFrameDlgModel : public CFrameDlgModelBase {
 public:
  // Records OK writes into, and the table every duplicate test reads.
  void SetTarget(Msg* msg, Sig* sig) {
    target_ = msg;
    targetSig_ = sig;
  }
  void SetMessageMap(NameMap<Msg>* map) { map_ = map; }
  // The name under which the edited signal is stored; its bits are its own.
  void SetEditedSignalName(const std::string& name) { editedKey_ = MakeUpperString(name); }

  std::vector<std::string> MessageNames() const override {
    std::vector<std::string> out;
    if (mode_ != DLGMODE_NEW) {
      if (target_) out.push_back(target_->name);
      return out;
    }
    for (const Msg* m : msgEntries_) out.push_back(m->name);
    return out;
  }
  std::vector<std::string> IdTexts() const override {
    std::vector<std::string> out;
    for (const Msg* m : msgEntries_) out.push_back(IdText(IdOf(*m)));
    return out;
  }
  std::vector<std::string> SignalNames() const override {
    std::vector<std::string> out;
    if (mode_ != DLGMODE_NEW) {
      if (targetSig_) out.push_back(targetSig_->name);
      return out;
    }
    for (const Sig* s : sigEntries_) out.push_back(s->name);
    return out;
  }

  void SelectMessageRow(int row) override {
    const Msg* m = EntryAt(row);
    if (!m) return;
    selectedRow_ = row;
    ShowMessageRow(*m);
    settle_.Reset(v_.byteCount);
    RebuildGrid();
  }
  // Both lists hold the same frames: the grid shows the frame chosen from
  // either, and a new signal is placed on its free bits.
  void SelectIdRow(int row) override { SelectMessageRow(row); }
  // The row of the name and identifier lists last chosen, -1 for none.
  int SelectedMessageRow() const { return selectedRow_; }

  void CommitFormat(int index) override {
    v_.formatIndex = std::clamp(index, 0, 1);
    v_.id = IdToKeep(v_.id, idTyped_, shape_.minId, shape_.maxId);
    Wrote({dlgids::IDC_MSG_ID});
  }

 protected:
  using CFrameDlgModelBase::CFrameDlgModelBase;

  // Puts the message fields of a chosen frame into the working copies.
  virtual void ShowMessageRow(const Msg& m) = 0;
  // The bit map and the grid built again for the frame now shown.
  virtual void RebuildGrid() = 0;
  // The end of Open: the value type to return to, then the grid. The stored
  // range is shown as it is, even where it leaves the frame: OK says so
  // rather than moving it unasked.
  void FinishOpen() {
    rememberedValueType_ = v_.valueType;
    settle_.Reset(v_.byteCount);
    RebuildGrid();
  }

  static long long IdOf(const _FlexRayMsg& m) { return m.slotId; }
  static long long IdOf(const _LINMsg& m) { return m.id; }
  static int FormatOf(const _FlexRayMsg& m) { return m.frameFormat; }
  static int FormatOf(const _LINMsg& m) { return m.checksum; }

  // The frame whose signals the grid and the checks look at: in new mode the
  // one stored under the typed name; otherwise the target itself, so that a
  // renamed frame still sees its own signals.
  Msg* NamedMessage() const {
    if (mode_ != DLGMODE_NEW) return target_;
    return map_ ? map_->Find(MakeUpperString(v_.msgName)) : nullptr;
  }
  bool IsEditedSignal(const std::string& key, const Sig* sig) const {
    if (mode_ == DLGMODE_NEW) return false;
    return sig == targetSig_ || (!editedKey_.empty() && key == editedKey_);
  }

  std::vector<SignalSpan> OtherSignals() const override {
    std::vector<SignalSpan> spans;
    const Msg* msg = NamedMessage();
    if (!msg) return spans;
    for (const auto& e : msg->signals)
      if (!IsEditedSignal(e.key, e.value)) spans.push_back({e.value->name, e.value->startBit, e.value->bitCount, 0});
    for (auto& s : spans) {
      int below = 0;
      for (const auto& o : spans)
        if (o.start < s.start) ++below;
      s.colour = below % 4;
    }
    return spans;
  }

  bool CanPlaceBits(int n) const override {
    return RangePlaceable(Occupancy(NamedMessage(), MakeUpperString(v_.signalName)), v_.startBit, n, FrameBits());
  }

  // The bits of msg's signals but the edited one and the one stored under
  // `alsoSkip` (when not empty).
  CBitOccupancy Occupancy(const Msg* msg, const std::string& alsoSkip = {}) const {
    return OccupancyOf(msg, shape_.bitCapacity, [&](const std::string& key, const Sig& s) {
      return IsEditedSignal(key, &s) || (!alsoSkip.empty() && key == alsoSkip);
    });
  }
  // The signals of msg but the edited one.
  std::vector<Sig*> OtherSignalRecords(const Msg* msg) const {
    std::vector<Sig*> out;
    if (!msg) return out;
    for (const auto& e : msg->signals)
      if (!IsEditedSignal(e.key, e.value)) out.push_back(e.value);
    return out;
  }

  bool SignalNameTaken(const Msg* msg, const std::string& key) const {
    if (!msg) return false;
    for (const auto& e : msg->signals)
      if (e.key == key && e.value != targetSig_) return true;
    return false;
  }

  // What OK's checks look at: the typed names as keys, the frame of the
  // typed name in the table, and the frame the signal goes into: the target
  // itself in edit mode, the frame of the typed name in new mode.
  struct OkContext {
    std::string msgKey;
    std::string sigKey;
    Msg* existing = nullptr;
    Msg* frame = nullptr;
  };
  OkContext MakeOkContext() const {
    OkContext ok;
    ok.msgKey = MakeUpperString(v_.msgName);
    ok.sigKey = MakeUpperString(v_.signalName);
    ok.existing = map_ ? map_->Find(ok.msgKey) : nullptr;
    ok.frame = mode_ == DLGMODE_EDIT ? target_ : ok.existing;
    return ok;
  }
  // New mode: the stored frame of the typed name, which the new signal
  // joins and whose frame fields it must match.
  const Msg* Joined(const OkContext& ok) const { return mode_ == DLGMODE_NEW ? ok.existing : nullptr; }

  // The checks both kinds make, each in its place of the kind's order.
  OkCheck CheckTexts(const OkContext&) const { return RefusedText(); }
  OkCheck CheckMessageName(const OkContext&) const {
    if (v_.msgName.empty()) return OkRefusal{IDS_MSG_NAME_EMPTY, dlgids::IDC_MSG_NAME, {}};
    return std::nullopt;
  }
  OkCheck CheckRename(const OkContext& ok) const {
    if (mode_ == DLGMODE_EDIT && ok.msgKey != MakeUpperString(target_->name) && ok.existing)
      return OkRefusal{IDS_MSG_MESSAGE_DEFINED, dlgids::IDC_MSG_NAME, {}};
    return std::nullopt;
  }
  // The frame format (FlexRay) or checksum model (LIN), one field number.
  OkCheck CheckFormat(const OkContext& ok) const {
    const Msg* joined = Joined(ok);
    if (joined && FormatOf(*joined) != v_.formatIndex)
      return OkRefusal{IDS_MSG_MESSAGE_OTHER_FORMAT, dlgids::IDC_FRAME_FORMAT, {}};
    return std::nullopt;
  }
  // An empty signal name where `required`, then a name another signal of the
  // frame has.
  OkCheck SignalNameRefusal(const OkContext& ok, bool required) const {
    if (required && ok.sigKey.empty()) return OkRefusal{IDS_MSG_NAME_EMPTY, dlgids::IDC_SIGNAL_NAME, {}};
    if (SignalNameTaken(ok.frame, ok.sigKey)) return OkRefusal{IDS_MSG_SIGNAL_DEFINED, dlgids::IDC_SIGNAL_NAME, {}};
    return std::nullopt;
  }
  OkCheck CheckExistingByteCount(const OkContext& ok) const {
    const Msg* joined = Joined(ok);
    if (joined && joined->byteCount != v_.byteCount)
      return OkRefusal{IDS_MSG_MESSAGE_OTHER_LENGTH, dlgids::IDC_BYTE_COUNT, {}};
    return std::nullopt;
  }
  // The place rule every frame dialog shares; a range past the frame's end
  // focuses the bit count.
  OkCheck CheckSignalPlace(const OkContext& ok) const {
    using namespace dlgids;
    return ::CheckSignalPlace(OtherSignalRecords(ok.frame), Occupancy(ok.frame),
                              {v_.byteCount, v_.startBit, v_.bitCount, v_.signalName},
                              {IDC_BYTE_COUNT, IDC_START_BIT, IDC_BIT_COUNT, IDC_BIT_COUNT});
  }
  // After the checks: the byte-order question about the frame's other
  // signals, then the write-back. Answers DLG_OK_STAY when the user
  // cancelled, else DLG_OK_CLOSE.
  int AskAndWrite(IDlgPrompt& prompt, const OkContext& ok) {
    if (ok.frame && !AskByteOrder(prompt, ok.frame)) return dlgids::DLG_OK_STAY;
    if (WriteBack()) modified_ = true;
    return dlgids::DLG_OK_CLOSE;
  }
  // Every field that differs into the target records; true when any did.
  virtual bool WriteBack() = 0;

  // Asks the byte-order question about the frame's other signals; false
  // when the user cancelled.
  bool AskByteOrder(IDlgPrompt& prompt, Msg* msg) {
    int changed = 0;
    if (!SettleByteOrder(prompt, OtherSignalRecords(msg), v_.byteOrder, changed)) return false;
    if (changed > 0) modified_ = true;
    return true;
  }

  // Field by field: true when anything was written.
  template <class T, class V>
  static bool Put(T& field, V value) {
    T typed = static_cast<T>(value);
    if (field == typed) return false;
    field = typed;
    return true;
  }
  template <std::size_t N>
  static bool PutName(char (&field)[N], const std::string& text) {
    char buffer[N];
    CopyToCharBuffer(buffer, text, N - 1);
    if (std::string(buffer) == std::string(field)) return false;
    CopyToCharBuffer(field, text, N - 1);
    return true;
  }
  // The signal fields both dialogs write; the bit order only where it is shown.
  bool WriteSignal(Sig& s, bool withBitOrder) const {
    const std::uint8_t valueType = ValueTypeToStore(v_.valueType, v_.bitCount, s.valueType, s.bitCount);
    bool changed = PutName(s.name, v_.signalName);
    if (withBitOrder) changed |= Put(s.bitOrder, v_.bitOrder);
    changed |= Put(s.startBit, v_.startBit);
    changed |= Put(s.bitCount, v_.bitCount);
    changed |= Put(s.byteOrder, v_.byteOrder);
    changed |= Put(s.valueType, valueType);
    changed |= Put(s.factor, v_.factor);
    changed |= Put(s.offset, v_.offset);
    changed |= Put(s.minimum, v_.minimum);
    changed |= Put(s.maximum, v_.maximum);
    changed |= PutName(s.unit, v_.unit);
    return changed;
  }
  void LoadSignalValues(const Sig& s, bool withByteOrder) {
    v_.startBit = s.startBit;
    v_.bitCount = s.bitCount;
    v_.valueType = ValueTypeItemOf(s.valueType, s.bitCount);
    if (withByteOrder) v_.byteOrder = s.byteOrder;
    v_.factor = s.factor;
    v_.offset = s.offset;
    v_.minimum = s.minimum;
    v_.maximum = s.maximum;
    v_.unit = s.unit;
  }
  // New mode fills the lists with every frame and every signal of the table.
  void FillEntries() {
    msgEntries_.clear();
    sigEntries_.clear();
    if (!map_ || mode_ != DLGMODE_NEW) return;
    for (const auto& e : *map_) msgEntries_.push_back(e.value);
    for (const Msg* m : msgEntries_)
      for (const auto& s : m->signals) sigEntries_.push_back(s.value);
  }
  const Msg* EntryAt(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < msgEntries_.size() ? msgEntries_[static_cast<std::size_t>(row)]
                                                                          : nullptr;
  }
  const Sig* SignalEntryAt(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < sigEntries_.size() ? sigEntries_[static_cast<std::size_t>(row)]
                                                                          : nullptr;
  }

  Msg* target_ = nullptr;
  Sig* targetSig_ = nullptr;
  NameMap<Msg>* map_ = nullptr;
  std::string editedKey_;
  std::vector<Msg*> msgEntries_;
  std::vector<Sig*> sigEntries_;
  int selectedRow_ = -1;
};
