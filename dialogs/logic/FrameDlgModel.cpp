#include "FrameDlgModel.h"

#include <algorithm>
#include <cstdio>

CFrameDlgModelBase::CFrameDlgModelBase(const Shape& shape)
    : shape_(shape), taken_(shape.bitCapacity), visible_(static_cast<std::size_t>(std::max(shape.bitCapacity, 0))) {}

std::string CFrameDlgModelBase::IdText(long long id) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, hex_ ? "%llX" : "%lld", id);
  return buf;
}

int CFrameDlgModelBase::KindOf(int bit) const {
  if (!InMap(bit)) return 0;
  if (taken_.Taken(bit)) return taken_.Get(bit);
  return bit >= markedStart_ && bit < markedEnd_ ? BITKIND_EDITED : BITKIND_FREE;
}

bool CFrameDlgModelBase::VisibleBit(int bit) const { return InMap(bit) && visible_[static_cast<std::size_t>(bit)]; }

const GridCellState& CFrameDlgModelBase::Cell(int i) const {
  static const GridCellState none;
  return i >= 0 && i < kCells ? cells_[static_cast<std::size_t>(i)] : none;
}

const RowLabelState& CFrameDlgModelBase::Label(int r) const {
  static const RowLabelState none;
  return r >= 0 && r < kLabels ? labels_[static_cast<std::size_t>(r)] : none;
}

void CFrameDlgModelBase::ReadText(int ctrlId, bool edited, std::string_view utf8) {
  std::string* held = ctrlId == dlgids::IDC_MSG_NAME      ? &v_.msgName
                      : ctrlId == dlgids::IDC_SIGNAL_NAME ? &v_.signalName
                      : ctrlId == dlgids::IDC_UNIT        ? &v_.unit
                                                          : nullptr;
  if (held) texts_.Read(ctrlId, edited, utf8, *held);
}

OkCheck CFrameDlgModelBase::RefusedText() const {
  if (const int field = texts_.FirstRefused({dlgids::IDC_MSG_NAME, dlgids::IDC_SIGNAL_NAME, dlgids::IDC_UNIT}))
    return OkRefusal{IDS_MSG_TEXT_NOT_CP932, field, {}};
  return std::nullopt;
}

void CFrameDlgModelBase::CommitId(long long id, bool typed) {
  // Left untyped, the field gives back the identifier it was shown.
  if (typed) {
    idTyped_ = true;
    v_.id = IdToKeep(id, true, shape_.minId, shape_.maxId);
  }
  Wrote({dlgids::IDC_MSG_ID});
}

void CFrameDlgModelBase::CommitBaseCycle(int baseCycle) { v_.baseCycle = std::clamp(baseCycle, 0, 63); }

void CFrameDlgModelBase::CommitRepetition(int repetition) { v_.cycleRepetition = std::clamp(repetition, 1, 64); }

void CFrameDlgModelBase::ApplyByteCount() {
  int bits = FrameBits();
  signalEnabled_ = bits > 0;
  if (bits <= 0) return;
  startMax_ = bits - 1;
  countMax_ = bits;
}

void CFrameDlgModelBase::TypeByteCount(int byteCount) {
  v_.byteCount = std::clamp(byteCount, 0, shape_.maxBytes);
  // A count beyond the frame's largest is shown cut at once.
  if (v_.byteCount != byteCount) Wrote({dlgids::IDC_BYTE_COUNT});
  ApplyByteCount();
  Redraw();
}

void CFrameDlgModelBase::SettleByteCount() {
  const CByteCountSettle::Step step = settle_.Leave(v_.byteCount, v_.startBit, v_.bitCount, mode_ == DLGMODE_NEW);
  if (step == CByteCountSettle::KEEP) return;
  if (step == CByteCountSettle::CUT && signalEnabled_) CutRangeToFrame(v_.startBit, v_.bitCount, FrameBits());
  SnapSignalRange();
  Redraw();
}

void CFrameDlgModelBase::CommitStartBit(int startBit) {
  v_.startBit = std::clamp(startBit, 0, std::max(startMax_, 0));
  SnapSignalRange();
  Redraw();
}

void CFrameDlgModelBase::CommitBitCount(int bitCount) {
  v_.bitCount = std::clamp(bitCount, 1, std::max(countMax_, 1));
  SnapSignalRange();
  Redraw();
}

void CFrameDlgModelBase::CommitLimits(double minimum, double maximum) {
  if (minimum > maximum) {
    std::swap(minimum, maximum);
    Wrote({dlgids::IDC_MINIMUM, dlgids::IDC_MAXIMUM});
  }
  v_.minimum = minimum;
  v_.maximum = maximum;
}

bool CFrameDlgModelBase::ChooseValueType(int selection) {
  int need = selection == VTITEM_FLOAT ? 32 : selection == VTITEM_DOUBLE ? 64 : 0;
  bool kept = true;
  if (need == 0) {
    v_.valueType = selection;
  } else if (CanPlaceBits(need)) {
    v_.valueType = selection;
    v_.bitCount = need;
    Redraw();
  } else {
    v_.valueType = rememberedValueType_;
    kept = false;
  }
  rememberedValueType_ = v_.valueType;
  return kept;
}

void CFrameDlgModelBase::BuildBitMap(bool hideAll) {
  // The owner of a taken bit is the colour the grid shows it in.
  taken_ = CBitOccupancy(shape_.bitCapacity);
  for (const SignalSpan& s : OtherSignals()) taken_.Mark(s.start, s.count, s.colour % 4);
  markedStart_ = markedEnd_ = 0;
  const int frame = hideAll ? 0 : std::min(FrameBits(), shape_.bitCapacity);
  for (int b = 0; b < shape_.bitCapacity; ++b) visible_[static_cast<std::size_t>(b)] = b < frame;
}

void CFrameDlgModelBase::SetStartToFirstFreeBit() {
  int frame = std::min(FrameBits(), shape_.bitCapacity);
  for (int b = 0; b < frame; ++b) {
    if (VisibleBit(b) && KindOf(b) == BITKIND_FREE) {
      v_.startBit = b;
      return;
    }
  }
}

void CFrameDlgModelBase::PlaceNewSignal() {
  SetStartToFirstFreeBit();
  // A frame without bits keeps the signal as it is: nothing could hold it.
  if (FrameBits() <= 0) return;
  v_.bitCount = std::max(v_.bitCount, 1);
  SnapSignalRange();
}

void CFrameDlgModelBase::SnapSignalRange() {
  int frame = std::min(FrameBits(), shape_.bitCapacity);
  int oldStart = v_.startBit;
  int start = oldStart;
  // A start on another signal's bit moves forward to the next free bit of
  // the frame; bits beyond it are never offered.
  if (start >= 0 && start < frame && KindOf(start) < BITKIND_FREE) {
    for (int b = start + 1; b < frame; ++b) {
      if (VisibleBit(b) && KindOf(b) >= BITKIND_FREE) {
        start = b;
        break;
      }
    }
  }
  long long end = static_cast<long long>(shape_.keepEnd ? oldStart : start) + v_.bitCount;
  end = std::min<long long>(end, frame);
  for (int b = std::max(start, 0); b < end; ++b) {
    if (KindOf(b) < BITKIND_FREE) {
      end = b;
      break;
    }
  }
  v_.startBit = start;
  // A range squeezed to nothing keeps one bit; the OK checks then say why it
  // cannot stay there.
  v_.bitCount = static_cast<int>(std::max<long long>(end - start, 1));
  const int type = ValueTypeItemForCount(v_.valueType, v_.bitCount);
  if (type != v_.valueType) {
    // A refused Float or Double must come back to what the list shows now.
    v_.valueType = type;
    rememberedValueType_ = v_.valueType;
  }
}

void CFrameDlgModelBase::UpdateBitGrid() {
  // The edited range shows on the free bits only: a range that could not be
  // moved off another signal's bits leaves them that signal's.
  markedStart_ = std::max(0, v_.startBit);
  markedEnd_ = static_cast<int>(
      std::clamp<long long>(static_cast<long long>(v_.startBit) + v_.bitCount, 0, std::max(shape_.bitCapacity, 0)));

  int frame = std::min(FrameBits(), shape_.bitCapacity);
  int w = WindowFor(v_.startBit);
  int last = std::min(w + kCells, frame);
  if (shape_.movingWindow) {
    for (int b = w; b < last; ++b) visible_[static_cast<std::size_t>(b)] = true;
  } else {
    for (int b = 0; b < shape_.bitCapacity; ++b) visible_[static_cast<std::size_t>(b)] = b < frame;
  }
  for (int i = 0; i < kCells; ++i) {
    GridCellState& c = cells_[static_cast<std::size_t>(i)];
    c.bit = w + i;
    c.colour = KindOf(w + i);
    c.visible = w + i < last && VisibleBit(w + i);
  }
  windowStart_ = w;
}

int CFrameDlgModelBase::WindowFor(int startBit) const {
  if (!shape_.movingWindow) return 0;
  // From the press to the release the cells keep the bits they showed, so
  // that the pointer never lands on a bit it did not point at.
  if (dragging_) return windowStart_;
  return std::clamp(startBit, 0, std::max(shape_.bitCapacity - 1, 0)) / 16 * 16;
}

void CFrameDlgModelBase::UpdateRowLabels() {
  int w = WindowFor(v_.startBit);
  int shown = std::clamp(FrameBits() - w, 0, kCells);
  int rows = std::min(shown / 16 + (shown % 16 ? 1 : 0), 4);
  for (int r = 0; r < kLabels; ++r) {
    RowLabelState& l = labels_[static_cast<std::size_t>(r)];
    // Without a row there is nothing for "Bit" to head.
    l.visible = rows > 0 && r <= rows;
    l.text = r < rows ? std::to_string(w + 16 * r) : r == rows ? "Bit" : "";
  }
}

void CFrameDlgModelBase::UpdateTooltips() {
  for (auto& c : cells_) c.tip.clear();
  for (const SignalSpan& s : OtherSignals()) {
    std::string tip =
        "SignalName: " + s.name + "\nStartBit: " + std::to_string(s.start) + "\nBitCount: " + std::to_string(s.count);
    for (auto& c : cells_)
      if (c.visible && c.bit >= s.start && static_cast<long long>(c.bit) < static_cast<long long>(s.start) + s.count)
        c.tip = tip;
  }
}

void CFrameDlgModelBase::Redraw() {
  Wrote({dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT});
  UpdateRowLabels();
  UpdateBitGrid();
  UpdateTooltips();
}

void CFrameDlgModelBase::Release() {
  if (!dragging_) return;
  dragging_ = false;
  Redraw();
}

bool CFrameDlgModelBase::PressCell(int cell) {
  if (IsView() || cell < 0 || cell >= kCells) return false;
  const GridCellState& c = cells_[static_cast<std::size_t>(cell)];
  if (!c.visible || KindOf(c.bit) < BITKIND_FREE) return false;
  anchor_ = c.bit;
  dragging_ = true;
  v_.startBit = anchor_;
  v_.bitCount = 1;
  SnapSignalRange();
  Redraw();
  return true;
}

bool CFrameDlgModelBase::DragToCell(int cell) {
  if (!dragging_ || cell < 0 || cell >= kCells) return false;
  const GridCellState& c = cells_[static_cast<std::size_t>(cell)];
  if (!c.visible || !InMap(anchor_)) return false;
  int step = c.bit < anchor_ ? -1 : 1;
  int far = anchor_;
  // Walk from the anchor towards the cell over free bits only.
  for (int b = anchor_; b != c.bit;) {
    b += step;
    if (KindOf(b) < BITKIND_FREE) break;
    far = b;
  }
  v_.startBit = std::min(anchor_, far);
  v_.bitCount = std::abs(far - anchor_) + 1;
  SnapSignalRange();
  Redraw();
  return true;
}
