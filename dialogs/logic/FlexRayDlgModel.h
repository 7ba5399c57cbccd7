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

  void SelectSignalRow(int row) override;

  int Ok(IDlgPrompt& prompt) override;

 private:
  void ShowMessageRow(const _FlexRayMsg& m) override;
  void RebuildGrid() override;

  bool valuesLoaded_ = true;
};
