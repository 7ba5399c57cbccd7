// The FlexRay dialog without its windows: one frame and one of its signals,
// a moving 64-bit window onto frames of up to 254 bytes, cycle rules, and the
// ordered OK checks with the write-back.
#pragma once

#include "FrameDlgModel.h"

class CFlexRayDlgModel : public CFrameDlgModel<_FlexRayMsg, _FlexRaySignal> {
 public:
  CFlexRayDlgModel();

  void Open() override;
  // An import that took the signal's values over unscaled (IDENTICAL) leaves
  // them out.
  bool SignalValuesLoaded() const override { return valuesLoaded_; }

  void SelectMessageRow(int row) override;
  void SelectIdRow(int row) override;
  void SelectSignalRow(int row) override;
  // The row of the name and identifier lists last chosen, -1 for none.
  int SelectedMessageRow() const { return selectedRow_; }

  void CommitFormat(int index) override;
  int Ok(IDlgPrompt& prompt) override;

 private:
  void ShowMessageRow(const _FlexRayMsg& m);
  void RebuildGrid();

  bool valuesLoaded_ = true;
  int selectedRow_ = -1;
};
