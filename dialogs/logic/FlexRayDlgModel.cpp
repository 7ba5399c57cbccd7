#include "FlexRayDlgModel.h"

#include "FlexRayCycles.h"

#include <algorithm>

using namespace dlgids;

namespace {
constexpr CFrameDlgModelBase::Shape kFlexRayShape{MAX_FLEXRAY_BITS, MAX_FLEXRAY_BYTES, 1, MAX_FLEXRAY_SLOT, true, true};
}

CFlexRayDlgModel::CFlexRayDlgModel() : CFrameDlgModel(kFlexRayShape) {}

void CFlexRayDlgModel::Open() {
  v_ = FrameSignalValues{};
  modified_ = false;
  selectedRow_ = -1;
  FillEntries();
  if (!target_) return;
  const _FlexRayMsg& m = *target_;
  v_.msgName = m.name;
  v_.formatIndex = m.frameFormat;
  v_.id = ClampId(m.slotId);
  v_.byteCount = std::min<int>(m.byteCount, MAX_FLEXRAY_BYTES);
  v_.signalName = v_.byteCount == 0 ? noName_ : "";
  ApplyByteCount();
  // A new frame is sent in every cycle until the user says otherwise. Stored
  // cycles outside the fields' ranges are shown and kept as they are: OK
  // refuses a base cycle that is not below the repetition.
  v_.baseCycle = m.baseCycle;
  v_.cycleRepetition = mode_ == DLGMODE_NEW ? 1 : m.cycleRepetition;
  const _FlexRaySignal* s = targetSig_;
  valuesLoaded_ = s && !s->identicalCoding;
  if (s) {
    if (mode_ != DLGMODE_NEW) v_.signalName = s->name;
    v_.bitOrder = s->bitOrder;
    v_.byteOrder = s->byteOrder;
    v_.valueType = ValueTypeItemOf(s->valueType, s->bitCount);
    if (valuesLoaded_) LoadSignalValues(*s, false);
  }
  FinishOpen();
}

void CFlexRayDlgModel::RebuildGrid() {
  BuildBitMap(targetSig_ && targetSig_->identicalCoding);
  if (mode_ == DLGMODE_NEW) PlaceNewSignal();
  Redraw();
}

void CFlexRayDlgModel::ShowMessageRow(const _FlexRayMsg& m) {
  v_.msgName = m.name;
  v_.formatIndex = m.frameFormat;
  v_.byteCount = std::min<int>(m.byteCount, MAX_FLEXRAY_BYTES);
  v_.id = ClampId(m.slotId);
  v_.signalName = v_.byteCount == 0 ? noName_ : "";
  v_.baseCycle = m.baseCycle;
  v_.cycleRepetition = m.cycleRepetition;
  ApplyByteCount();
}

void CFlexRayDlgModel::SelectSignalRow(int row) {
  const _FlexRaySignal* s = SignalEntryAt(row);
  if (!s) return;
  v_.signalName = s->name;
  v_.bitOrder = s->bitOrder;
  LoadSignalValues(*s, true);
  rememberedValueType_ = v_.valueType;
  Redraw();
}

int CFlexRayDlgModel::Ok(IDlgPrompt& prompt) {
  if (IsView()) return DLG_OK_CLOSE;
  if (!target_ || !targetSig_) return DLG_OK_STAY;
  const bool isNew = mode_ == DLGMODE_NEW;
  const bool isEdit = mode_ == DLGMODE_EDIT;
  const std::string key = MakeUpperString(v_.msgName);
  const long long id = v_.id;
  const int base = v_.baseCycle;
  const int rep = v_.cycleRepetition;
  auto fail = [&](int focus, int message, const std::vector<MsgArg>& args = {}) {
    prompt.Error(message, args);
    return focus;
  };

  if (const int field = CheckTexts(prompt)) return field;
  if (v_.msgName.empty()) return fail(IDC_MSG_NAME, IDS_MSG_NAME_EMPTY);
  _FlexRayMsg* existing = map_ ? map_->Find(key) : nullptr;
  if (isEdit && key != MakeUpperString(target_->name) && existing) return fail(IDC_MSG_NAME, IDS_MSG_MESSAGE_DEFINED);
  if (isNew && existing && existing->frameFormat != v_.formatIndex)
    return fail(IDC_FRAME_FORMAT, IDS_MSG_MESSAGE_OTHER_FORMAT);
  if (base >= rep) return fail(IDC_BASE_CYCLE, IDS_MSG_BASE_CYCLE);

  // Frames of another name on the same slot must not share a cycle; the
  // edited frame is told by its record, so a rename never meets itself.
  auto cycleClash = [&](const _FlexRayMsg* skip) {
    if (!map_) return false;
    for (const auto& e : *map_) {
      const _FlexRayMsg* m = e.value;
      if (m == skip || m->slotId != id) continue;
      if (FlexRayCyclesMeet(base, rep, m->baseCycle, m->cycleRepetition)) return true;
    }
    return false;
  };
  if (isNew && existing) {
    if (existing->slotId != id)
      return fail(IDC_MSG_ID, IDS_MSG_MESSAGE_OTHER_ID, {existing->name, IdText(existing->slotId)});
  } else if (cycleClash(isEdit ? target_ : nullptr)) {
    return fail(IDC_MSG_ID, IDS_MSG_CYCLE_OVERLAP, {IdText(id), key});
  }

  const std::string sigKey = MakeUpperString(v_.signalName);
  if (v_.byteCount != 0 && sigKey.empty()) return fail(IDC_SIGNAL_NAME, IDS_MSG_NAME_EMPTY);
  _FlexRayMsg* frame = isEdit ? target_ : existing;
  if (const int focus = CheckSignalPlace(prompt, frame, isNew ? existing : nullptr, sigKey)) return focus;
  if (isNew && existing && (existing->baseCycle != base || existing->cycleRepetition != rep))
    return fail(IDC_BASE_CYCLE, IDS_MSG_CYCLE_OVERLAP, {IdText(id), key});
  if (frame && !AskByteOrder(prompt, frame)) return DLG_OK_STAY;

  bool changed = PutName(target_->name, v_.msgName);
  changed |= Put(target_->slotId, id);
  changed |= Put(target_->frameFormat, v_.formatIndex);
  changed |= Put(target_->byteCount, v_.byteCount);
  changed |= Put(target_->baseCycle, base);
  changed |= Put(target_->cycleRepetition, rep);
  changed |= WriteSignal(*targetSig_, true);
  if (changed) modified_ = true;
  return DLG_OK_CLOSE;
}
