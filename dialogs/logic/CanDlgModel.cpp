#include "CanDlgModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "MultiValue.h"
#include "TextFile.h"

namespace {

constexpr int kMaxBitCount = 64;

// Stored starts and counts are any int; their sums are taken in 64 bits.
long long EndOf(int start, int count) { return static_cast<long long>(start) + count; }

}  // namespace

const std::string& CanDlgControls::MuxText() const {
  static const std::string kEmpty;
  if (muxTyped) return muxTypedText;
  if (muxSel < 0 || muxSel >= static_cast<int>(muxItems.size())) return kEmpty;
  return muxItems[static_cast<std::size_t>(muxSel)];
}

PageSpan CalcPageSpan(int start, int count, int pageStart) {
  const long long end = EndOf(start, count);
  const long long pageEnd = EndOf(pageStart, CAN_PAGE_BITS);
  // Every length below lies within count, so it fits an int again.
  PageSpan span;
  if (start <= pageStart && end > pageStart) {
    span = {0, static_cast<int>(end - pageStart), 1};
  } else if (start > pageStart && end <= pageEnd) {
    span = {start - pageStart, count, 1};
  } else if (start < pageEnd && end > pageEnd) {
    span = {start - pageStart, static_cast<int>(pageEnd - start), 1};
  }
  return span;
}

CCanDlgModel::CCanDlgModel(NameMap<_CANMsg>* table, int mode) : table_(table), mode_(mode) {}

void CCanDlgModel::SetTarget(_CANMsg* msg, _CANSignal* sig) {
  targetMsg_ = msg;
  targetSig_ = sig;
  openingName_ = sig ? sig->name : "";
}

void CCanDlgModel::AddNames(const std::string& msgName, const std::string& sigName) {
  rowNames_.emplace_back(msgName, sigName);
}

bool CCanDlgModel::NamesPickable() const { return mode_ == DLGMODE_NEW && table_ && !table_->empty(); }

std::string CCanDlgModel::FormatId(int id) const {
  char buf[16];
  std::snprintf(buf, sizeof buf, hexFlag_ ? "%X" : "%d", id);
  return buf;
}

int CCanDlgModel::ClampedBytes() const { return std::clamp(c_.byteCount, 0, MaxBytes()); }

int CCanDlgModel::PageBitCount() const {
  return std::clamp(ClampedBytes() * 8 - page_ * CAN_PAGE_BITS, 0, CAN_PAGE_BITS);
}

std::string CCanDlgModel::SkipKey() const {
  return mode_ == DLGMODE_NEW ? std::string() : MakeUpperString(openingName_);
}

const _CANMsg* CCanDlgModel::LiveMessage(bool whenDifferent) const {
  if (mode_ != DLGMODE_NEW) {
    if (table_) {
      if (const _CANMsg* m = table_->Find(MakeUpperString(wmsg_.name))) return m;
    }
    return targetMsg_;
  }
  const _CANMsg* m = table_ ? table_->Find(MakeUpperString(wmsg_.name)) : nullptr;
  if (m && !whenDifferent && (m->byteCount != wmsg_.byteCount || m->id != wmsg_.id)) return nullptr;
  return m;
}

const _CANMsg* CCanDlgModel::CheckedMessage() const {
  if (mode_ == DLGMODE_EDIT) return targetMsg_;
  return table_ ? table_->Find(MakeUpperString(c_.msgName)) : nullptr;
}

bool CCanDlgModel::EditedIsMultiplexed(const _CANMsg* msg) const {
  if (!msg) return false;
  if (locked_) {
    const _CANSignal* stored = msg->signals.Find(MakeUpperString(openingName_));
    return stored && stored->multiplexor[0] != '\0';
  }
  return NamesMultiplexor(msg, MakeUpperString(c_.MuxText()));
}

bool CCanDlgModel::NamesMultiplexor(const _CANMsg* msg, const std::string& key) const {
  if (!msg || key.empty()) return false;
  // A stored multiplexor that is no signal of the message (the signal was
  // added without its switch) still multiplexes the signal as it did when
  // the dialog opened.
  return msg->signals.Contains(key) || (targetSig_ && key == MakeUpperString(targetSig_->multiplexor));
}

bool CCanDlgModel::LeftOut(const std::string& key, const _CANSignal& s, const std::string& skipKey, bool multiplexed) {
  return (!skipKey.empty() && key == skipKey) || (multiplexed && s.multiplexor[0] != '\0');
}

CBitOccupancy CCanDlgModel::BuildBitMap(const _CANMsg* msg, const std::string& skipKey, int size) const {
  const bool multiplexed = EditedIsMultiplexed(msg);
  return OccupancyOf(
      msg, size, [&](const std::string& key, const _CANSignal& s) { return LeftOut(key, s, skipKey, multiplexed); });
}

CBitOccupancy CCanDlgModel::OkOccupancy(const _CANMsg* msg) const {
  return BuildBitMap(msg, SkipKey(), c_.j1939 ? MAX_J1939_BITS : MAX_CAN_BITS);
}

bool CCanDlgModel::IsBitRangeUsed(const _CANMsg* msg, int start, int count) const {
  return OkOccupancy(msg).AnyTaken(start, count);
}

std::vector<_CANSignal*> CCanDlgModel::OtherSignals(const _CANMsg* msg) const {
  std::vector<_CANSignal*> out;
  if (!msg) return out;
  const std::string skip = mode_ == DLGMODE_EDIT ? MakeUpperString(openingName_) : std::string();
  for (const auto& entry : msg->signals) {
    if (entry.value && (skip.empty() || entry.key != skip)) out.push_back(entry.value);
  }
  return out;
}

bool CCanDlgModel::CanPlaceBits(int count) const {
  return RangePlaceable(BuildBitMap(LiveMessage(false), SkipKey(), MAX_J1939_BITS), c_.startBit, count,
                        ClampedBytes() * 8);
}

// ---------------------------------------------------------------- opening

int CCanDlgModel::OpeningPage() const {
  if (mode_ == DLGMODE_NEW || !targetMsg_ || !targetSig_) return 0;
  const int maxBytes = targetMsg_->j1939 ? MAX_J1939_BYTES : MAX_CAN_BYTES;
  const int bits = std::clamp(targetMsg_->byteCount, 0, maxBytes) * 8;
  const int start = targetSig_->startBit;
  return start >= 0 && start < bits ? start / CAN_PAGE_BITS : 0;
}

void CCanDlgModel::Open() {
  // The grid opens on the page that holds the signal's first bit.
  page_ = OpeningPage();
  keepPage_ = 0;
  locked_ = true;
  if (targetMsg_) c_.frameFormat = targetMsg_->frameFormat ? FRAME_XTD : FRAME_STD;
  InitBitGrid();
  c_.muxValueEnabled = false;
  InitControls();
  FillControls();
  locked_ = false;
  Wrote({dlgids::IDC_MSG_NAME, dlgids::IDC_MSG_ID, dlgids::IDC_BYTE_COUNT, dlgids::IDC_SIGNAL_NAME,
         dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT, dlgids::IDC_FACTOR, dlgids::IDC_OFFSET, dlgids::IDC_MAXIMUM,
         dlgids::IDC_MINIMUM, dlgids::IDC_UNIT});
}

std::set<int> CCanDlgModel::TakeWrittenFields() { return std::exchange(written_, {}); }

void CCanDlgModel::InitControls() {
  if (targetMsg_) {
    CopyToCharBuffer(wmsg_.name, targetMsg_->name, MAX_NAME_LEN);
    wmsg_.frameFormat = targetMsg_->frameFormat;
    wmsg_.byteCount = targetMsg_->byteCount;
    wmsg_.id = targetMsg_->id;
    wmsg_.j1939 = targetMsg_->j1939;
    wmsg_.frameType = targetMsg_->frameType;
  }
  if (targetSig_) targetSig_->CopyTo(&wsig_);
  if (mode_ == DLGMODE_NEW) {
    wsig_.startBit = 0;
    wsig_.bitCount = 1;
  }
  c_.hex = hexFlag_ != 0;
  c_.j1939 = wmsg_.j1939 != 0;
  c_.muxTyped = mode_ == DLGMODE_NEW && (!table_ || table_->empty());
  c_.muxTypedText = c_.muxTyped ? std::string(wsig_.multiplexor) : std::string();
  c_.byteOrder = wsig_.byteOrder;
  c_.idMax = c_.frameFormat == FRAME_XTD ? MAX_XTD_ID : MAX_STD_ID;
  if (mode_ == DLGMODE_VIEW) {
    // The J1939 limits are not applied in view mode: the fields keep the
    // widest ranges, so a long J1939 message shows its real byte count.
    c_.byteCountMax = MAX_J1939_BYTES;
    c_.byteCountLimit = 4;
    c_.startBitMax = MAX_J1939_BITS - 1;
    c_.startBitLimit = 5;
  }
}

void CCanDlgModel::FillMessageIdList() {
  c_.idItems.clear();
  for (const _CANMsg* m : msgArray_) c_.idItems.push_back(m->id);
}

void CCanDlgModel::FillControls() {
  if (!targetMsg_) return;
  msgArray_.clear();
  c_.msgNames.clear();
  if (mode_ == DLGMODE_NEW) {
    if (table_) {
      for (const auto& entry : *table_) {
        msgArray_.push_back(entry.value);
        c_.msgNames.push_back(entry.value->name);
      }
    }
    c_.msgName = wmsg_.name;
  } else {
    msgArray_.push_back(targetMsg_);
    c_.msgNames.push_back(wmsg_.name);
    c_.msgName = wmsg_.name;
  }
  FillMessageIdList();
  c_.id = wmsg_.id;
  idTyped_ = false;

  c_.byteCount = wmsg_.byteCount;
  UpdateLastPage();
  c_.headingVisible = c_.byteCount != 0;
  if (c_.byteCount == 0) c_.sigName = noName_;

  c_.frameFormat = c_.frameFormat ? FRAME_XTD : FRAME_STD;

  sigArray_.clear();
  c_.sigNames.clear();
  if (mode_ == DLGMODE_NEW) {
    for (const _CANMsg* m : msgArray_) {
      for (const auto& entry : m->signals) {
        sigArray_.push_back(entry.value);
        c_.sigNames.push_back(entry.value->name);
      }
    }
    if (c_.byteCount != 0) c_.sigName = wsig_.name;
  } else {
    sigArray_.push_back(targetSig_);
    c_.sigNames.push_back(wsig_.name);
    c_.sigName = wsig_.name;
  }

  c_.startBit = wsig_.startBit;
  c_.bitCount = wsig_.bitCount;
  c_.valueType = ValueTypeItemOf(wsig_.valueType, wsig_.bitCount);
  rememberedType_ = c_.valueType;
  c_.j1939 = wmsg_.j1939 != 0;
  c_.j1939ButtonVisible = c_.j1939;
  typedBytes_ = c_.byteCount;
  UpdateJ1939Limits(false);
  settle_.Reset(c_.byteCount);
  UpdatePageButtons();
  UpdateSignalControls();
  // A new signal's first bit is no stored range; it starts on a free one.
  if (mode_ == DLGMODE_NEW) FitRange();
  ShowScaling();
  FillMultiplexorList(false);
  UpdateMultiplexControls();
}

// ---------------------------------------------------------------- live edits

void CCanDlgModel::ClampRange() {
  CutRangeToFrame(c_.startBit, c_.bitCount, c_.byteCount * 8);
  wsig_.startBit = c_.startBit;
  wsig_.bitCount = c_.bitCount;
  Wrote({dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT});
}

void CCanDlgModel::UpdateLastPage() {
  const int bytes = ClampedBytes();
  lastPage_ = bytes > 0 ? (bytes * 8 - 1) / CAN_PAGE_BITS : 0;
  page_ = std::clamp(page_, 0, lastPage_);
}

void CCanDlgModel::UpdatePageButtons() {
  if (c_.byteCount < 1) {
    c_.previousVisible = c_.nextVisible = false;
    return;
  }
  c_.previousVisible = c_.nextVisible = true;
  if (page_ >= lastPage_) c_.nextVisible = false;
  if (page_ == 0) {
    c_.previousVisible = false;
    if (c_.byteCount < 65) c_.nextVisible = false;
  }
}

void CCanDlgModel::OnCommit(int id) {
  if (locked_ || id < dlgids::IDC_MSG_NAME || id > dlgids::IDC_MINIMUM) return;
  switch (id) {
    case dlgids::IDC_MSG_NAME:
      if (mode_ != DLGMODE_NEW) return;
      CopyToCharBuffer(wmsg_.name, c_.msgName, MAX_NAME_LEN);
      UpdateSignalControls();
      FitRange();
      UpdateBitGrid();
      break;
    case dlgids::IDC_MSG_ID:
      c_.id = static_cast<int>(IdToKeep(c_.id, idTyped_, 0, c_.idMax));
      Wrote({dlgids::IDC_MSG_ID});
      if (mode_ != DLGMODE_NEW) return;
      wmsg_.id = c_.id;
      UpdateSignalControls();
      FitRange();
      UpdateBitGrid();
      break;
    case dlgids::IDC_BYTE_COUNT: {
      const int typed = c_.byteCount;
      c_.byteCount = std::clamp(typed, 0, MaxBytes());
      if (c_.byteCount != typed) Wrote({dlgids::IDC_BYTE_COUNT});
      typedBytes_ = c_.byteCount;
      ByteCountChanged();
      break;
    }
    case dlgids::IDC_FRAME_FORMAT:
      c_.idMax = c_.frameFormat == FRAME_XTD ? MAX_XTD_ID : MAX_STD_ID;
      c_.id = static_cast<int>(IdToKeep(c_.id, idTyped_, 0, c_.idMax));
      Wrote({dlgids::IDC_MSG_ID});
      break;
    case dlgids::IDC_START_BIT:
    case dlgids::IDC_BIT_COUNT:
      c_.startBit = std::clamp(c_.startBit, 0, c_.startBitMax);
      c_.bitCount = std::clamp(c_.bitCount, 1, kMaxBitCount);
      ClampRange();
      UpdateSignalControls();
      FitRange();
      UpdateBitGrid();
      break;
    case dlgids::IDC_FACTOR:
      KeepScaling(c_.factor, wsig_.factor, id);
      break;
    case dlgids::IDC_OFFSET:
      KeepScaling(c_.offset, wsig_.offset, id);
      break;
    case dlgids::IDC_MAXIMUM:
    case dlgids::IDC_MINIMUM:
      if (c_.minimum > c_.maximum) {
        std::swap(c_.minimum, c_.maximum);
        Wrote({dlgids::IDC_MAXIMUM, dlgids::IDC_MINIMUM});
      }
      break;
    default:
      break;
  }
}

void CCanDlgModel::KeepScaling(double& shown, double& held, int ctrlId) {
  const double kept = KeptScaling(shown, held);
  if (kept != shown) {
    shown = kept;
    Wrote({ctrlId});
  }
  held = shown;
}

void CCanDlgModel::ByteCountChanged() {
  if (locked_) return;
  wmsg_.byteCount = c_.byteCount;
  c_.headingVisible = c_.byteCount != 0;
  if (keepPage_) {
    keepPage_ = 0;
  } else {
    page_ = 0;
  }
  UpdateSignalControls();
  UpdateLastPage();
  UpdateBitGrid();
  UpdatePageButtons();
  FillMultiplexorList(true);
}

void CCanDlgModel::OnByteCountLeft() { SettleByteCount(true); }

void CCanDlgModel::SettleByteCount(bool fit) {
  if (mode_ == DLGMODE_VIEW || locked_) return;
  typedBytes_ = c_.byteCount;
  // A field left empty shows the 0 it stands for.
  Wrote({dlgids::IDC_BYTE_COUNT});
  const CByteCountSettle::Step step = settle_.Leave(c_.byteCount, c_.startBit, c_.bitCount, mode_ == DLGMODE_NEW);
  if (step == CByteCountSettle::KEEP) return;
  if (step == CByteCountSettle::CUT) ClampRange();
  UpdateSignalControls();
  if (fit) FitRange();
  UpdateBitGrid();
}

void CCanDlgModel::PickMessage(int index) {
  if (index < 0 || index >= static_cast<int>(msgArray_.size())) return;
  const _CANMsg* m = msgArray_[static_cast<std::size_t>(index)];
  locked_ = true;
  c_.msgName = m->name;
  c_.j1939 = m->j1939 != 0;
  UpdateJ1939Limits(false);
  ApplyFrameFormat(m->frameFormat ? FRAME_XTD : FRAME_STD);
  c_.byteCount = std::clamp(m->byteCount, 0, c_.byteCountMax);
  typedBytes_ = c_.byteCount;
  settle_.Reset(c_.byteCount);
  c_.id = m->id;
  idTyped_ = false;
  Wrote({dlgids::IDC_MSG_NAME, dlgids::IDC_MSG_ID, dlgids::IDC_BYTE_COUNT, dlgids::IDC_SIGNAL_NAME});
  if (mode_ == DLGMODE_NEW) {
    CopyToCharBuffer(wmsg_.name, m->name, MAX_NAME_LEN);
    wmsg_.frameFormat = m->frameFormat;
    wmsg_.byteCount = m->byteCount;
    wmsg_.id = m->id;
    wmsg_.frameType = m->frameType;
    wmsg_.j1939 = m->j1939;
  }
  c_.sigName = wmsg_.byteCount < 1 ? noName_ : std::string();
  c_.headingVisible = c_.byteCount != 0;
  page_ = 0;
  UpdateSignalControls();
  FitRange();
  locked_ = false;
  UpdateLastPage();
  UpdateBitGrid();
  FillMultiplexorList(true);
  UpdatePageButtons();
}

void CCanDlgModel::OnMessagePicked(int index) { PickMessage(index); }

void CCanDlgModel::OnFrameFormatPicked(int selection) { ApplyFrameFormat(c_.j1939 ? FRAME_XTD : selection); }

void CCanDlgModel::ApplyFrameFormat(int selection) {
  c_.frameFormat = selection == FRAME_XTD ? FRAME_XTD : FRAME_STD;
  if (mode_ == DLGMODE_NEW) wmsg_.frameFormat = static_cast<uint8_t>(c_.frameFormat);
  c_.idMax = c_.frameFormat == FRAME_XTD ? MAX_XTD_ID : MAX_STD_ID;
  c_.id = static_cast<int>(IdToKeep(c_.id, idTyped_, 0, c_.idMax));
  Wrote({dlgids::IDC_MSG_ID});
}

void CCanDlgModel::OnSignalPicked(int index) {
  if (index < 0 || index >= static_cast<int>(sigArray_.size()) || !sigArray_[static_cast<std::size_t>(index)]) return;
  sigArray_[static_cast<std::size_t>(index)]->CopyTo(&wsig_);
  c_.sigName = wsig_.name;
  Wrote({dlgids::IDC_SIGNAL_NAME});
  c_.valueType = ValueTypeItemOf(wsig_.valueType, wsig_.bitCount);
  // The picked signal brings its own range, which then moves onto free bits.
  c_.startBit = wsig_.startBit;
  c_.bitCount = wsig_.bitCount;
  UpdateSignalControls();
  FitRange();
  c_.byteOrder = wsig_.byteOrder;
  ShowScaling();
  UpdateBitGrid();
  FillMultiplexorList(false);
  UpdateMultiplexControls();
}

void CCanDlgModel::OnValueTypePicked(int selection) {
  c_.valueType = std::clamp(selection, 0, static_cast<int>(VTITEM_DOUBLE));
  if (c_.valueType == VTITEM_FLOAT || c_.valueType == VTITEM_DOUBLE) {
    const int want = c_.valueType == VTITEM_FLOAT ? 32 : 64;
    if (CanPlaceBits(want)) {
      c_.bitCount = want;
      wsig_.bitCount = want;
      wsig_.valueType = VALTYPE_FLOAT;
      UpdateSignalControls();
      FitRange();
      UpdateBitGrid();
    } else {
      c_.valueType = rememberedType_;
    }
  }
  rememberedType_ = c_.valueType;
  wsig_.valueType = StoredValueTypeOf(c_.valueType);
}

void CCanDlgModel::ShowScaling() {
  c_.factor = wsig_.factor;
  c_.offset = wsig_.offset;
  c_.minimum = wsig_.minimum;
  c_.maximum = wsig_.maximum;
  c_.unit = wsig_.unit;
  Wrote({dlgids::IDC_FACTOR, dlgids::IDC_OFFSET, dlgids::IDC_MINIMUM, dlgids::IDC_MAXIMUM, dlgids::IDC_UNIT});
}

void CCanDlgModel::UpdateSignalControls() {
  const CBitOccupancy map = BuildBitMap(LiveMessage(false), SkipKey(), MAX_J1939_BITS);
  const int available = std::min(ClampedBytes() * 8, c_.j1939 ? MAX_J1939_BITS : MAX_CAN_BITS);
  wsig_.valueType = StoredValueTypeOf(c_.valueType);
  wsig_.startBit = c_.startBit;
  wsig_.bitCount = c_.bitCount;

  bool anyFree = false;
  for (int b = 0; b < available && !anyFree; ++b) anyFree = !map.Taken(b);
  c_.signalControlsEnabled = mode_ != DLGMODE_VIEW && anyFree;
}

void CCanDlgModel::FitRange() {
  if (mode_ == DLGMODE_VIEW) return;
  const CBitOccupancy map = BuildBitMap(LiveMessage(false), SkipKey(), MAX_J1939_BITS);
  const int available = std::min(ClampedBytes() * 8, c_.j1939 ? MAX_J1939_BITS : MAX_CAN_BITS);
  if (available > 0) {
    int start = std::clamp(wsig_.startBit, 0, available - 1);
    if (map.Taken(start)) {
      int found = -1;
      for (int b = start + 1; b < available && found < 0; ++b) {
        if (!map.Taken(b)) found = b;
      }
      for (int b = start - 1; b >= 0 && found < 0; --b) {
        if (!map.Taken(b)) found = b;
      }
      if (found >= 0) start = found;
    }
    int count = std::clamp(wsig_.bitCount, 1, kMaxBitCount);
    for (int b = start + 1; b < start + count; ++b) {
      if (b >= available || map.Taken(b)) {
        count = b - start;
        break;
      }
    }
    c_.startBit = start;
    c_.bitCount = count;
  } else {
    c_.startBit = std::max(c_.startBit, 0);
  }
  c_.valueType = ValueTypeItemForCount(c_.valueType, c_.bitCount);
  wsig_.valueType = StoredValueTypeOf(c_.valueType);
  wsig_.startBit = c_.startBit;
  wsig_.bitCount = c_.bitCount;
  Wrote({dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT});
}

void CCanDlgModel::UpdateJ1939Limits(bool forceXtd) {
  if (mode_ == DLGMODE_VIEW) return;
  c_.j1939ButtonVisible = c_.j1939;
  if (c_.j1939) {
    if (forceXtd) ApplyFrameFormat(FRAME_XTD);
    c_.byteCountLimit = 4;
    c_.byteCountMax = MAX_J1939_BYTES;
    c_.startBitMax = MAX_J1939_BITS - 1;
    c_.startBitLimit = 5;
    wmsg_.j1939 = 1;
  } else {
    c_.byteCountLimit = 2;
    c_.byteCountMax = MAX_CAN_BYTES;
    c_.startBitMax = MAX_CAN_BITS - 1;
    c_.startBitLimit = 3;
    wmsg_.j1939 = 0;
  }
  // The count typed before the box was ticked off comes back when it is
  // ticked on again.
  const int shown = c_.byteCount;
  c_.byteCount = std::clamp(typedBytes_, 0, c_.byteCountMax);
  if (c_.byteCount != shown) Wrote({dlgids::IDC_BYTE_COUNT});
  ByteCountChanged();
}

void CCanDlgModel::OnByteOrderClicked(int order) {
  c_.byteOrder = order == BYTEORDER_BIG ? BYTEORDER_BIG : BYTEORDER_LITTLE;
}

void CCanDlgModel::OnJ1939Clicked(bool checked) {
  if (mode_ == DLGMODE_VIEW) return;
  c_.j1939 = checked;
  // The count typed before the switch comes back when it is switched again.
  const int typed = typedBytes_;
  UpdateJ1939Limits(true);
  // Nothing is being typed: the count the switch left settles at once, so
  // that the fields show the range cut to it before anything else is pressed.
  SettleByteCount(true);
  typedBytes_ = typed;
}

void CCanDlgModel::OnHexClicked(bool hex) {
  if ((hexFlag_ != 0) == hex) return;
  hexFlag_ = hex ? 1 : 0;
  c_.hex = hex;
  FillMessageIdList();
  Wrote({dlgids::IDC_MSG_ID});
}

void CCanDlgModel::SetIdentifierFromJ1939(int id) {
  // A composed identifier has 29 bits: a J1939 message stored as "STD" takes
  // "XTD" now rather than lose the upper bits.
  if (c_.j1939) ApplyFrameFormat(FRAME_XTD);
  c_.id = std::clamp(id, 0, c_.idMax);
  idTyped_ = true;
  Wrote({dlgids::IDC_MSG_ID});
}

void CCanDlgModel::OnPagePrevious() {
  UpdatePageButtons();
  if (page_ > 0) --page_;
  keepPage_ = 1;
  ByteCountChanged();
}

void CCanDlgModel::OnPageNext() {
  UpdatePageButtons();
  if (page_ < lastPage_) ++page_;
  keepPage_ = 1;
  ByteCountChanged();
}

// ---------------------------------------------------------------- multiplexing

void CCanDlgModel::FillMultiplexorList(bool keepChoice) {
  const std::string storedName = targetSig_ ? std::string(targetSig_->multiplexor) : std::string();
  const std::string stored = MakeUpperString(storedName);
  const std::string wanted = keepChoice ? MakeUpperString(c_.MuxText()) : stored;
  c_.muxItems.assign(1, std::string());
  c_.muxSel = 0;
  if (const _CANMsg* msg = LiveMessage(true)) {
    const std::string skip = SkipKey();
    for (const auto& entry : msg->signals) {
      if (!entry.value || entry.value == targetSig_ || (!skip.empty() && entry.key == skip)) continue;
      c_.muxItems.push_back(entry.value->name);
    }
  }
  // A stored multiplexor that is no other signal of the message (its switch
  // was never added) stays on offer, so that the field shows it and OK keeps
  // it; the save asks about it.
  const auto offered = [&](const std::string& key) {
    for (std::size_t i = 1; i < c_.muxItems.size(); ++i) {
      if (MakeUpperString(c_.muxItems[i]) == key) return static_cast<int>(i);
    }
    return 0;
  };
  if (!stored.empty() && !offered(stored)) c_.muxItems.push_back(storedName);
  if (c_.muxTyped) return;  // a typed name is no list item
  c_.muxSel = wanted.empty() ? 0 : offered(wanted);
  // A choice the message no longer offers goes, and its value with it.
  if (keepChoice && !wanted.empty() && c_.muxSel == 0) UpdateMultiplexControls();
}

void CCanDlgModel::UpdateMultiplexControls() {
  c_.muxValue.clear();
  ++c_.muxUpdates;
  const _CANMsg* msg = LiveMessage(true);
  const std::string key = MakeUpperString(c_.MuxText());
  c_.muxValueEnabled = NamesMultiplexor(msg, key);
  if (c_.muxValueEnabled && key == MakeUpperString(wsig_.multiplexor) && !wsig_.multiplexValue.empty()) {
    c_.muxValue = wsig_.multiplexValue;
    ++c_.muxRefills;
  }
}

int CCanDlgModel::CheckMultiplexorChain(IDlgPrompt& prompt) const {
  const _CANMsg* msg = LiveMessage(true);
  if (!msg) return 0;
  const std::string opening = SkipKey();
  const std::string typed = MakeUpperString(c_.sigName);
  std::string name = c_.MuxText();
  const long long start1 = c_.startBit;
  const long long end1 = EndOf(c_.startBit, c_.bitCount);
  for (std::size_t i = 0; i < msg->signals.size(); ++i) {
    const std::string key = MakeUpperString(name);
    const _CANSignal* s = key.empty() ? nullptr : msg->signals.Find(key);
    if (!s) return 0;
    if ((!opening.empty() && key == opening) || key == typed) {
      prompt.Error(IDS_MSG_MUX_LOOP, {std::string(s->name)});
      return IDS_MSG_MUX_LOOP;
    }
    const long long end2 = EndOf(s->startBit, s->bitCount);
    if (std::max(end1, end2) - std::min<long long>(start1, s->startBit) < EndOf(c_.bitCount, s->bitCount)) {
      prompt.Error(IDS_MSG_BITS_OVERLAP);
      return IDS_MSG_BITS_OVERLAP;
    }
    name = s->multiplexor;
  }
  return 0;
}

int CCanDlgModel::OnMultiplexorPicked(int selection, IDlgPrompt& prompt) {
  c_.muxSel = std::clamp(selection, 0, static_cast<int>(c_.muxItems.size()) - 1);
  if (c_.muxTyped) c_.muxTypedText = c_.muxItems[static_cast<std::size_t>(c_.muxSel)];
  int focus = 0;
  bool problem = CheckMultiplexorChain(prompt) != 0;
  if (!problem && IsBitRangeUsed(LiveMessage(true), c_.startBit, c_.bitCount)) {
    prompt.Error(IDS_MSG_BITS_OVERLAP);
    problem = true;
  }
  if (problem) {
    const std::string stored = targetSig_ ? MakeUpperString(targetSig_->multiplexor) : std::string();
    c_.muxSel = 0;
    for (std::size_t i = 1; i < c_.muxItems.size() && !stored.empty(); ++i) {
      if (MakeUpperString(c_.muxItems[i]) == stored) c_.muxSel = static_cast<int>(i);
    }
    focus = dlgids::IDC_MULTIPLEXOR;
  }
  UpdateMultiplexControls();
  UpdateSignalControls();
  UpdateBitGrid();
  return focus;
}

std::string CCanDlgModel::MultiplexValueToStore(const std::string& stored) const {
  if (c_.muxValueText.empty()) return stored;  // an emptied field keeps the stored text
  // The field shows the stored text in its hexadecimal normal form ("1-1, 3-3"
  // as "0x1,0x3"); read back as shown, it is the stored text, kept as written.
  ctl::MultiValueParser parser;
  std::string shown;
  parser.Normalise(stored.c_str(), false, &shown);
  if (parser.error != MULTIVALUE_OK) shown = stored;  // shown whole
  std::string readBack;
  parser.Normalise(shown.c_str(), true, &readBack);
  if (parser.error == MULTIVALUE_OK && readBack == c_.muxValueText) return stored;
  return c_.muxValueText;
}

int CCanDlgModel::ShowMultiplexValueError(IDlgPrompt& prompt) {
  static constexpr int kMessages[] = {0, IDS_MSG_MUX_FORMAT, IDS_MSG_MUX_ORDER, IDS_MSG_MUX_RANGE};
  const int err = c_.muxValueError;
  if (err <= MVERR_NONE || err > MVERR_RANGE) return 0;
  prompt.Error(kMessages[err], {c_.muxValuePart});
  return dlgids::IDC_MUX_VALUE;
}

// ---------------------------------------------------------------- bit grid

tagBitAssignInfo CCanDlgModel::BuildPageInfo(const _CANMsg* msg) const {
  tagBitAssignInfo info;
  info.caption = "SignalName: ";
  info.pageBitCount = PageBitCount();
  info.pageStart = page_ * CAN_PAGE_BITS;
  if (!msg) return info;
  const std::string skip = SkipKey();
  const bool multiplexed = EditedIsMultiplexed(msg);
  for (const auto& entry : msg->signals) {
    const _CANSignal* s = entry.value;
    if (!s || LeftOut(entry.key, *s, skip, multiplexed)) continue;
    const PageSpan span = CalcPageSpan(s->startBit, s->bitCount, info.pageStart);
    info.elements.push_back({span.start, span.length, span.inPage, s->name});
  }
  return info;
}

void CCanDlgModel::SendGrid(const tagBitAssignInfo& info) {
  lastInfo_ = info;
  if (gridSink_) gridSink_(info);
}

void CCanDlgModel::InitBitGrid() {
  const _CANMsg* msg = targetMsg_;
  if (table_ && targetMsg_) {
    if (const _CANMsg* m = table_->Find(MakeUpperString(targetMsg_->name))) msg = m;
  }
  // The opening page uses the stored byte count.
  const int savedBytes = c_.byteCount;
  const bool savedJ1939 = c_.j1939;
  if (targetMsg_) {
    c_.byteCount = targetMsg_->byteCount;
    c_.j1939 = targetMsg_->j1939 != 0;
  }
  tagBitAssignInfo info = BuildPageInfo(msg);
  if (mode_ != DLGMODE_NEW && msg) {
    if (const _CANSignal* s = msg->signals.Find(MakeUpperString(openingName_))) {
      const PageSpan span = CalcPageSpan(s->startBit, s->bitCount, info.pageStart);
      info.elements.push_back({span.start, span.length, span.inPage, s->name});
      info.currentIndex = static_cast<int>(info.elements.size()) - 1;
    }
  }
  c_.byteCount = savedBytes;
  c_.j1939 = savedJ1939;
  SendGrid(info);
}

void CCanDlgModel::UpdateBitGrid() {
  const _CANMsg* msg = LiveMessage(false);
  tagBitAssignInfo info = BuildPageInfo(msg);
  const CBitOccupancy map = BuildBitMap(msg, SkipKey(), MAX_J1939_BITS);
  bool anyFree = false;
  for (int b = info.pageStart; b < info.pageStart + info.pageBitCount && !anyFree; ++b) anyFree = !map.Taken(b);
  if (anyFree) {
    const PageSpan span = CalcPageSpan(c_.startBit, c_.bitCount, info.pageStart);
    info.elements.push_back({span.start, span.length, span.inPage, c_.sigName});
    info.currentIndex = static_cast<int>(info.elements.size()) - 1;
  }
  SendGrid(info);
}

void CCanDlgModel::OnBitSelectChanging(int low, int high) {
  if (mode_ == DLGMODE_VIEW) return;
  if (low > high) std::swap(low, high);
  gridSelecting_ = true;
  c_.startBit = page_ * CAN_PAGE_BITS + low;
  c_.bitCount = high - low + 1;
  Wrote({dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT});
}

void CCanDlgModel::OnBitSelectDone(int low, int high) {
  // A release after a press that selected nothing reports the old range of
  // another page (or none at all); only a range chosen since the press counts.
  if (mode_ == DLGMODE_VIEW || !gridSelecting_) return;
  gridSelecting_ = false;
  if (low > high) std::swap(low, high);
  c_.startBit = page_ * CAN_PAGE_BITS + low;
  c_.bitCount = high - low + 1;
  wsig_.startBit = c_.startBit;
  wsig_.bitCount = c_.bitCount;
  UpdateSignalControls();
  FitRange();
}

// ---------------------------------------------------------------- OK

void CCanDlgModel::ReadText(int ctrlId, bool edited, std::string_view utf8) {
  std::string* held = ctrlId == dlgids::IDC_MSG_NAME      ? &c_.msgName
                      : ctrlId == dlgids::IDC_SIGNAL_NAME ? &c_.sigName
                      : ctrlId == dlgids::IDC_UNIT        ? &c_.unit
                                                          : nullptr;
  if (held) texts_.Read(ctrlId, edited, utf8, *held);
}

void CCanDlgModel::ReadId(int id, bool typed) {
  // Left untyped, the field gives back the identifier it was shown.
  if (!typed) return;
  c_.id = id;
  idTyped_ = true;
}

bool CCanDlgModel::OnMultiplexValueLeft() {
  if (!c_.muxValueText.empty() || c_.muxValueError != MVERR_NONE || !targetSig_) return false;
  const std::string kept = MultiplexValueToStore(targetSig_->multiplexValue);
  if (kept.empty()) return false;
  c_.muxValue = kept;
  ++c_.muxUpdates;
  return true;
}

void CCanDlgModel::Wrote(std::initializer_list<int> ids) {
  written_.insert(ids);
  for (int id : ids) texts_.Written(id);
}

CCanDlgModel::OkContext CCanDlgModel::MakeOkContext() const {
  OkContext ok;
  ok.msgKey = MakeUpperString(c_.msgName);
  ok.sigKey = MakeUpperString(c_.sigName);
  if (mode_ == DLGMODE_NEW) {
    ok.existing = table_ ? table_->Find(ok.msgKey) : nullptr;
    if (ok.existing == targetMsg_) ok.existing = nullptr;
  }
  ok.checked = mode_ == DLGMODE_EDIT ? targetMsg_ : ok.existing;
  return ok;
}

const _CANMsg* CCanDlgModel::OtherMessageWithId(const _CANMsg* except) const {
  if (!table_) return nullptr;
  for (const auto& entry : *table_) {
    if (entry.value && entry.value != except && entry.value != targetMsg_ && entry.value->id == c_.id)
      return entry.value;
  }
  return nullptr;
}

OkCheck CCanDlgModel::CheckTexts(const OkContext&) const {
  if (const int field = texts_.FirstRefused({dlgids::IDC_MSG_NAME, dlgids::IDC_SIGNAL_NAME, dlgids::IDC_UNIT}))
    return OkRefusal{IDS_MSG_TEXT_NOT_CP932, field, {}};
  return std::nullopt;
}

OkCheck CCanDlgModel::CheckMessageName(const OkContext& ok) const {
  if (ok.msgKey.empty()) return OkRefusal{IDS_MSG_NAME_EMPTY, dlgids::IDC_MSG_NAME, {}};
  return std::nullopt;
}

OkCheck CCanDlgModel::CheckMessageIdentity(const OkContext& ok) const {
  if (mode_ == DLGMODE_EDIT) {
    const _CANMsg* holder = table_ ? table_->Find(ok.msgKey) : nullptr;
    if (ok.msgKey != MakeUpperString(targetMsg_->name) && holder && holder != targetMsg_)
      return OkRefusal{IDS_MSG_MESSAGE_DEFINED, dlgids::IDC_MSG_NAME, {}};
    if (c_.id != targetMsg_->id) {
      if (const _CANMsg* other = OtherMessageWithId(targetMsg_))
        return OkRefusal{IDS_MSG_ID_USED, dlgids::IDC_MSG_ID, {FormatId(c_.id), std::string(other->name)}};
    }
    return std::nullopt;
  }
  const _CANMsg* existing = ok.existing;
  if (existing && existing->frameFormat != c_.frameFormat)
    return OkRefusal{IDS_MSG_MESSAGE_OTHER_FORMAT, dlgids::IDC_FRAME_FORMAT, {}};
  if (!existing) {
    if (const _CANMsg* other = OtherMessageWithId(nullptr))
      return OkRefusal{IDS_MSG_ID_USED, dlgids::IDC_MSG_ID, {FormatId(c_.id), std::string(other->name)}};
  }
  if (existing && existing->id != c_.id)
    return OkRefusal{
        IDS_MSG_MESSAGE_OTHER_ID, dlgids::IDC_MSG_ID, {std::string(existing->name), FormatId(existing->id)}};
  return std::nullopt;
}

OkCheck CCanDlgModel::CheckSignalName(const OkContext& ok) const {
  if (ok.sigKey.empty()) return OkRefusal{IDS_MSG_NAME_EMPTY, dlgids::IDC_SIGNAL_NAME, {}};
  if (mode_ == DLGMODE_EDIT) {
    const _CANSignal* holder = targetMsg_->signals.Find(ok.sigKey);
    if (holder && holder != targetSig_ && ok.sigKey != MakeUpperString(openingName_))
      return OkRefusal{IDS_MSG_SIGNAL_DEFINED, dlgids::IDC_SIGNAL_NAME, {}};
  } else if (ok.existing && ok.existing->signals.Contains(ok.sigKey)) {
    return OkRefusal{IDS_MSG_SIGNAL_DEFINED, dlgids::IDC_SIGNAL_NAME, {}};
  }
  return std::nullopt;
}

OkCheck CCanDlgModel::CheckExistingByteCount(const OkContext& ok) const {
  if (ok.existing && ok.existing->byteCount != c_.byteCount)
    return OkRefusal{IDS_MSG_MESSAGE_OTHER_LENGTH, dlgids::IDC_BYTE_COUNT, {}};
  return std::nullopt;
}

OkCheck CCanDlgModel::CheckSignalPlace(const OkContext& ok) const {
  return ::CheckSignalPlace(
      OtherSignals(ok.checked), OkOccupancy(ok.checked), {c_.byteCount, c_.startBit, c_.bitCount, c_.sigName},
      {dlgids::IDC_BYTE_COUNT, dlgids::IDC_START_BIT, dlgids::IDC_START_BIT, dlgids::IDC_BIT_COUNT});
}

bool CCanDlgModel::AskByteOrder(IDlgPrompt& prompt, const OkContext& ok, int& changed) {
  const int order = c_.byteOrder == BYTEORDER_BIG ? BYTEORDER_BIG : BYTEORDER_LITTLE;
  return SettleByteOrder(prompt, OtherSignals(ok.checked), order, changed);
}

int CCanDlgModel::WriteBack() {
  int changed = 0;
  auto setText = [&](char* field, const std::string& value) {
    char buf[MAX_NAME_LEN + 1];
    CopyToCharBuffer(buf, value, MAX_NAME_LEN);
    if (std::string(field) != buf) {
      CopyToCharBuffer(field, value, MAX_NAME_LEN);
      ++changed;
    }
  };
  auto set = [&](auto& field, auto value) {
    if (field != value) {
      field = value;
      ++changed;
    }
  };

  _CANMsg& m = *targetMsg_;
  setText(m.name, c_.msgName);
  set(m.id, static_cast<int32_t>(c_.id));
  set(m.frameFormat, static_cast<uint8_t>(c_.frameFormat));
  if (m.byteCount != c_.byteCount) {
    m.byteCount = c_.byteCount;
    m.frameType = c_.byteCount > 8 ? CANFRAME_FD : CANFRAME_CAN;
    ++changed;
  }
  set(m.j1939, static_cast<int32_t>(c_.j1939 ? 1 : 0));

  _CANSignal& s = *targetSig_;
  const uint8_t valueType = ValueTypeToStore(c_.valueType, c_.bitCount, s.valueType, s.bitCount);
  setText(s.name, c_.sigName);
  set(s.startBit, static_cast<int32_t>(c_.startBit));
  set(s.bitCount, static_cast<int32_t>(c_.bitCount));
  set(s.byteOrder, static_cast<uint8_t>(c_.byteOrder == BYTEORDER_BIG ? BYTEORDER_BIG : BYTEORDER_LITTLE));
  set(s.valueType, valueType);
  // An emptied factor or offset keeps the value it held.
  set(s.factor, KeptScaling(c_.factor, wsig_.factor));
  set(s.offset, KeptScaling(c_.offset, wsig_.offset));
  set(s.maximum, c_.maximum);
  set(s.minimum, c_.minimum);
  setText(s.unit, c_.unit);
  // The list offers the signal's own spelling; a stored name that differs
  // only in case is the same choice.
  if (MakeUpperString(c_.MuxText()) != MakeUpperString(s.multiplexor)) setText(s.multiplexor, c_.MuxText());
  const std::string muxValue = MultiplexValueToStore(s.multiplexValue);
  if (muxValue != s.multiplexValue) {
    s.multiplexValue = muxValue;
    ++changed;
  }
  return changed;
}

CCanDlgModel::OkResult CCanDlgModel::OnOK(IDlgPrompt& prompt) {
  if (mode_ == DLGMODE_VIEW) return {true, 0};
  if (!targetMsg_ || !targetSig_) return {false, 0};
  // OK takes the fields as they stand: what they show is stored or refused,
  // never cut, clamped or moved first.
  const OkContext ok = MakeOkContext();
  using Check = OkCheck (CCanDlgModel::*)(const OkContext&) const;
  static constexpr Check kChecks[] = {
      &CCanDlgModel::CheckTexts,      &CCanDlgModel::CheckMessageName,       &CCanDlgModel::CheckMessageIdentity,
      &CCanDlgModel::CheckSignalName, &CCanDlgModel::CheckExistingByteCount, &CCanDlgModel::CheckSignalPlace,
  };
  if (const OkCheck refusal = FirstRefusal(*this, kChecks, ok, prompt)) return {false, refusal->focus};
  // The multiplexor is held to the rules of choosing it, stored or chosen.
  if (!c_.MuxText().empty() && CheckMultiplexorChain(prompt) != 0) return {false, dlgids::IDC_MULTIPLEXOR};
  // A malformed multiplex value must not reach the record in part.
  if (int focus = ShowMultiplexValueError(prompt)) return {false, focus};

  int changed = 0;
  if (!AskByteOrder(prompt, ok, changed)) return {false, 0};
  changed += WriteBack();
  if (changed > 0) modified_ = true;
  return {true, 0};
}
