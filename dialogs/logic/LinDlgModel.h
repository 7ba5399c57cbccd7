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

  // Leaves the byte order as it is.
  void SelectSignalRow(int row) override;

  int Ok(IDlgPrompt& prompt) override;

 private:
  void ShowMessageRow(const _LINMsg& m) override;
  void RebuildGrid() override;

  // The checks of OK that only LIN makes, each in its place of the order.
  using Check = OkCheck (CLinDlgModel::*)(const OkContext&) const;
  OkCheck CheckExistingId(const OkContext& ok) const;
  OkCheck CheckIdFree(const OkContext& ok) const;
  // A frame of 0 bytes still needs a signal name.
  OkCheck CheckSignalName(const OkContext& ok) const { return SignalNameRefusal(ok, true); }
  bool WriteBack() override;
};
