// The LIN definition dialog: one frame (checksum model, identifier unique in
// the list, up to 8 bytes) and one of its signals on a grid of all 64 bits.
// Its logic is CLinDlgModel.
#pragma once

#include "FrameSignalDlg.h"
#include "LinDlgModel.h"

class CLinDlg : public CFrameSignalDlg {
  Q_OBJECT

 public:
  explicit CLinDlg(QWidget* parent = nullptr);

  void SetTarget(_LINMsg* msg, _LINSignal* signal) { model_.SetTarget(msg, signal); }
  void SetMessageTable(NameMap<_LINMsg>* table) { model_.SetMessageMap(table); }
  void SetEditedSignalName(const std::string& name) { model_.SetEditedSignalName(name); }

  CLinDlgModel& Model() const { return static_cast<CLinDlgModel&>(ModelBase()); }

 private:
  CLinDlgModel& model_ = Model();
};
