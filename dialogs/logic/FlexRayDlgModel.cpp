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
  KeepStoredId(m.slotId);
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
  KeepStoredId(m.slotId);
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

OkCheck CFlexRayDlgModel::CheckCycles(const OkContext&) const {
  if (!FlexRayBaseCycleFits(v_.baseCycle, v_.cycleRepetition)) return OkRefusal{IDS_MSG_BASE_CYCLE, IDC_BASE_CYCLE, {}};
  return std::nullopt;
}

bool CFlexRayDlgModel::CycleClash(const _FlexRayMsg* skip) const {
  if (!map_) return false;
  for (const auto& e : *map_) {
    const _FlexRayMsg* m = e.value;
    if (m == skip || m->slotId != v_.id) continue;
    if (FlexRayCyclesMeet(v_.baseCycle, v_.cycleRepetition, m->baseCycle, m->cycleRepetition)) return true;
  }
  return false;
}

OkCheck CFlexRayDlgModel::CheckSlot(const OkContext& ok) const {
  // A new signal of a stored frame takes that frame's slot and cycles; any
  // other frame of another name on the same slot must not share a cycle.
  if (const _FlexRayMsg* joined = Joined(ok)) {
    if (joined->slotId != v_.id)
      return OkRefusal{IDS_MSG_MESSAGE_OTHER_ID, IDC_MSG_ID, {joined->name, IdText(joined->slotId)}};
    return std::nullopt;
  }
  if (CycleClash(mode_ == DLGMODE_EDIT ? target_ : nullptr))
    return OkRefusal{IDS_MSG_CYCLE_OVERLAP, IDC_MSG_ID, {IdText(v_.id), ok.msgKey}};
  return std::nullopt;
}

OkCheck CFlexRayDlgModel::CheckExistingCycles(const OkContext& ok) const {
  const _FlexRayMsg* joined = Joined(ok);
  if (joined && (joined->baseCycle != v_.baseCycle || joined->cycleRepetition != v_.cycleRepetition))
    return OkRefusal{IDS_MSG_CYCLE_OVERLAP, IDC_BASE_CYCLE, {IdText(v_.id), ok.msgKey}};
  return std::nullopt;
}

int CFlexRayDlgModel::Ok(IDlgPrompt& prompt) {
  if (IsView()) return DLG_OK_CLOSE;
  if (!target_ || !targetSig_) return DLG_OK_STAY;
  static constexpr Check kChecks[] = {
      &CFlexRayDlgModel::CheckTexts,       &CFlexRayDlgModel::CheckMessageName,
      &CFlexRayDlgModel::CheckRename,      &CFlexRayDlgModel::CheckFormat,
      &CFlexRayDlgModel::CheckCycles,      &CFlexRayDlgModel::CheckSlot,
      &CFlexRayDlgModel::CheckSignalName,  &CFlexRayDlgModel::CheckExistingByteCount,
      &CFlexRayDlgModel::CheckSignalPlace, &CFlexRayDlgModel::CheckExistingCycles,
  };
  const OkContext ok = MakeOkContext();
  if (const OkCheck refusal = FirstRefusal(*this, kChecks, ok, prompt)) return refusal->focus;
  return AskAndWrite(prompt, ok);
}

bool CFlexRayDlgModel::WriteBack() {
  bool changed = PutName(target_->name, v_.msgName);
  changed |= Put(target_->slotId, v_.id);
  changed |= Put(target_->frameFormat, v_.formatIndex);
  changed |= Put(target_->byteCount, v_.byteCount);
  changed |= Put(target_->baseCycle, v_.baseCycle);
  changed |= Put(target_->cycleRepetition, v_.cycleRepetition);
  changed |= WriteSignal(*targetSig_, true);
  return changed;
}
