// The LIN dialog without its windows: one frame of up to 8 bytes and one of
// its signals on a fixed 64-bit grid, the identifier unique in the list, and
// the ordered OK checks with the write-back.
#pragma once

#include "FrameDlgModel.h"

class CLinDlgModel : public CFrameDlgModel<_LINMsg, _LINSignal> {
 public:
  CLinDlgModel();

  // The bit map comes with its tooltips.
  void Open() override;

  void SelectMessageRow(int row) override;
  void SelectIdRow(int row) override;
  // Leaves the byte order as it is.
  void SelectSignalRow(int row) override;
  int SelectedMessageRow() const { return selectedRow_; }

  void CommitFormat(int index) override;
  int Ok(IDlgPrompt& prompt) override;

 protected:
  bool TooltipsFollowStart() const override { return false; }

 private:
  void ShowMessageRow(const _LINMsg& m);
  void RebuildGrid();

  int selectedRow_ = -1;
};
