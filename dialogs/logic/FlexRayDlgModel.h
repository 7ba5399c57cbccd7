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

  // The checks of OK that only FlexRay makes, each in its place of the order.
  using Check = OkCheck (CFlexRayDlgModel::*)(const OkContext&) const;
  OkCheck CheckCycles(const OkContext& ok) const;
  OkCheck CheckSlot(const OkContext& ok) const;
  // A frame of 0 bytes needs no signal name.
  OkCheck CheckSignalName(const OkContext& ok) const { return SignalNameRefusal(ok, v_.byteCount != 0); }
  OkCheck CheckExistingCycles(const OkContext& ok) const;
  // Another frame on the slot whose cycles meet the typed ones; `skip` is
  // the edited frame, told by its record so that a rename never meets itself.
  bool CycleClash(const _FlexRayMsg* skip) const;
  bool WriteBack() override;

  bool valuesLoaded_ = true;
};
