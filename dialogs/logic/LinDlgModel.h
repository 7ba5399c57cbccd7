// The LIN dialog without its windows: one frame of up to 8 bytes and one of
// its signals on a fixed 64-bit grid, the identifier unique in the list, and
// the ordered OK checks with the write-back.
#pragma once

#include "FrameDlgModel.h"

class CLinDlgModel : public CFrameDlgModel<_LINMsg, _LINSignal> {
 public:
  CLinDlgModel();

  // Fills the working copies from the target records and the table, builds
  // the bit map with its tooltips and the grid.
  void Open();

  void SelectMessageRow(int row);
  void SelectIdRow(int row);
  // Leaves the byte order as it is.
  void SelectSignalRow(int row);
  int SelectedMessageRow() const { return selectedRow_; }

  void CommitChecksum(int index);

  int Ok(IDlgPrompt& prompt);

 protected:
  bool TooltipsFollowStart() const override { return false; }

 private:
  void ShowMessageRow(const _LINMsg& m);
  void RebuildGrid();

  int selectedRow_ = -1;
};
