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
  v_.id = ClampId(target_->id);
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
  v_.id = ClampId(m.id);
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

int CLinDlgModel::Ok(IDlgPrompt& prompt) {
  if (IsView()) return DLG_OK_CLOSE;
  if (!target_ || !targetSig_) return DLG_OK_STAY;
  const bool isNew = mode_ == DLGMODE_NEW;
  const bool isEdit = mode_ == DLGMODE_EDIT;
  const std::string key = MakeUpperString(v_.msgName);
  const long long id = v_.id;
  auto fail = [&](int focus, int message, const std::vector<MsgArg>& args = {}) {
    prompt.Error(message, args);
    return focus;
  };

  if (const int field = CheckTexts(prompt)) return field;
  if (v_.msgName.empty()) return fail(IDC_MSG_NAME, IDS_MSG_NAME_EMPTY);
  _LINMsg* existing = map_ ? map_->Find(key) : nullptr;
  if (isEdit && key != MakeUpperString(target_->name) && existing) return fail(IDC_MSG_NAME, IDS_MSG_MESSAGE_DEFINED);
  if (isNew && existing && existing->checksum != v_.formatIndex)
    return fail(IDC_CHECKSUM, IDS_MSG_MESSAGE_OTHER_FORMAT);
  if (isNew && existing && existing->id != id)
    return fail(IDC_MSG_ID, IDS_MSG_MESSAGE_OTHER_ID, {existing->name, IdText(existing->id)});
  if (map_ && (isEdit || !existing)) {
    for (const auto& e : *map_) {
      const _LINMsg* m = e.value;
      // In edit mode the frame's own identifier is never a clash.
      if (m->id != id || (isEdit && m->id == target_->id)) continue;
      return fail(IDC_MSG_ID, IDS_MSG_ID_USED, {IdText(id), m->name});
    }
  }

  const std::string sigKey = MakeUpperString(v_.signalName);
  if (sigKey.empty()) return fail(IDC_SIGNAL_NAME, IDS_MSG_NAME_EMPTY);
  _LINMsg* frame = isEdit ? target_ : existing;
  if (const int focus = CheckSignalPlace(prompt, frame, isNew ? existing : nullptr, sigKey)) return focus;
  if (frame && !AskByteOrder(prompt, frame)) return DLG_OK_STAY;

  bool changed = PutName(target_->name, v_.msgName);
  changed |= Put(target_->id, id);
  changed |= Put(target_->checksum, v_.formatIndex);
  changed |= Put(target_->byteCount, v_.byteCount);
  changed |= WriteSignal(*targetSig_, false);
  if (changed) modified_ = true;
  return DLG_OK_CLOSE;
}
