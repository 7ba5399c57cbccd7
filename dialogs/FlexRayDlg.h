// The FlexRay definition dialog: one frame (slot, cycles, byte count) and one
// of its signals, with a 64-bit window onto the frame's bits that follows the
// start bit. Its logic is CFlexRayDlgModel.
#pragma once

#include "FlexRayDlgModel.h"
#include "FrameSignalDlg.h"

class CFlexRayDlg : public CFrameSignalDlg {
  Q_OBJECT

 public:
  explicit CFlexRayDlg(QWidget* parent = nullptr);

  // The records OK writes into, the list's frame table and the name under
  // which the edited signal is stored; set before the run.
  void SetTarget(_FlexRayMsg* msg, _FlexRaySignal* signal) { model_.SetTarget(msg, signal); }
  void SetMessageTable(NameMap<_FlexRayMsg>* table) { model_.SetMessageMap(table); }
  void SetEditedSignalName(const std::string& name) { model_.SetEditedSignalName(name); }

  CFlexRayDlgModel& Model() const { return static_cast<CFlexRayDlgModel&>(ModelBase()); }

 private:
  CFlexRayDlgModel& model_ = Model();
};
