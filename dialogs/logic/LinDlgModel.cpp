#include "LinDlgModel.h"

#include <algorithm>

using namespace dlgids;

namespace {
constexpr CFrameDlgModelBase::Shape kLinShape{64, MAX_LIN_BYTES, 0, MAX_LIN_ID, false, false};
}

CLinDlgModel::CLinDlgModel() : CFrameDlgModel(kLinShape) {}

void CLinDlgModel::RebuildGrid() {
  BuildBitMap(false);
  if (mode_ == DLGMODE_NEW) PlaceNewSignal();
  Redraw();
}

void CLinDlgModel::Open() {
  v_ = FrameSignalValues{};
  v_.bitOrder = BITORDER_LSB_FIRST;
  modified_ = false;
  selectedRow_ = -1;
  FillEntries();
  if (!target_) return;
  v_.msgName = target_->name;
  v_.formatIndex = target_->checksum;
  KeepStoredId(target_->id);
  v_.byteCount = std::min<int>(target_->byteCount, MAX_LIN_BYTES);
  v_.signalName = v_.byteCount == 0 ? noName_ : "";
  ApplyByteCount();
  if (targetSig_) {
    if (mode_ != DLGMODE_NEW) v_.signalName = targetSig_->name;
    v_.byteOrder = targetSig_->byteOrder;
    LoadSignalValues(*targetSig_, false);
  }
  FinishOpen();
}

void CLinDlgModel::ShowMessageRow(const _LINMsg& m) {
  v_.msgName = m.name;
  v_.formatIndex = m.checksum;
  v_.byteCount = std::min<int>(m.byteCount, MAX_LIN_BYTES);
  KeepStoredId(m.id);
  v_.signalName = v_.byteCount == 0 ? noName_ : "";
  ApplyByteCount();
}

void CLinDlgModel::SelectSignalRow(int row) {
  const _LINSignal* s = SignalEntryAt(row);
  if (!s) return;
  v_.signalName = s->name;
  LoadSignalValues(*s, false);
  rememberedValueType_ = v_.valueType;
  Redraw();
}

OkCheck CLinDlgModel::CheckExistingId(const OkContext& ok) const {
  const _LINMsg* joined = Joined(ok);
  if (joined && joined->id != v_.id)
    return OkRefusal{IDS_MSG_MESSAGE_OTHER_ID, IDC_MSG_ID, {joined->name, IdText(joined->id)}};
  return std::nullopt;
}

OkCheck CLinDlgModel::CheckIdFree(const OkContext& ok) const {
  // A new signal of a stored frame has that frame's identifier.
  if (!map_ || Joined(ok)) return std::nullopt;
  const bool isEdit = mode_ == DLGMODE_EDIT;
  for (const auto& e : *map_) {
    const _LINMsg* m = e.value;
    // In edit mode the frame's own identifier is never a clash.
    if (m->id != v_.id || (isEdit && m->id == target_->id)) continue;
    return OkRefusal{IDS_MSG_ID_USED, IDC_MSG_ID, {IdText(v_.id), m->name}};
  }
  return std::nullopt;
}

int CLinDlgModel::Ok(IDlgPrompt& prompt) {
  if (IsView()) return DLG_OK_CLOSE;
  if (!target_ || !targetSig_) return DLG_OK_STAY;
  static constexpr Check kChecks[] = {
      &CLinDlgModel::CheckTexts,      &CLinDlgModel::CheckMessageName,       &CLinDlgModel::CheckRename,
      &CLinDlgModel::CheckFormat,     &CLinDlgModel::CheckExistingId,        &CLinDlgModel::CheckIdFree,
      &CLinDlgModel::CheckSignalName, &CLinDlgModel::CheckExistingByteCount, &CLinDlgModel::CheckSignalPlace,
  };
  const OkContext ok = MakeOkContext();
  if (const OkCheck refusal = FirstRefusal(*this, kChecks, ok, prompt)) return refusal->focus;
  return AskAndWrite(prompt, ok);
}

bool CLinDlgModel::WriteBack() {
  bool changed = PutName(target_->name, v_.msgName);
  changed |= Put(target_->id, v_.id);
  changed |= Put(target_->checksum, v_.formatIndex);
  changed |= Put(target_->byteCount, v_.byteCount);
  changed |= WriteSignal(*targetSig_, false);
  return changed;
}
