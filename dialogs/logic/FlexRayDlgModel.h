// The FlexRay dialog without its windows: one frame and one of its signals,
// a moving 64-bit window onto frames of up to 254 bytes, cycle rules, and the
// ordered OK checks with the write-back.
#pragma once

#include "FrameDlgModel.h"

class CFlexRayDlgModel : public CFrameDlgModel<_FlexRayMsg, _FlexRaySignal> {
 public:
  CFlexRayDlgModel();

  // Fills the working copies from the target records and the table, builds
  // the bit map and the grid. Mode, target, table, edited name and the
  // identifier display are set before.
  void Open();
  // Whether the signal's own values were shown; an import that took them
  // over unscaled (IDENTICAL) leaves them out.
  bool SignalValuesLoaded() const { return valuesLoaded_; }

  // Choosing a row of the name list (rebuilds the grid), of the identifier
  // list (does not) or of the signal-name list.
  void SelectMessageRow(int row);
  void SelectIdRow(int row);
  void SelectSignalRow(int row);
  // The row of the name and identifier lists last chosen, -1 for none.
  int SelectedMessageRow() const { return selectedRow_; }

  void CommitFrameFormat(int index);
  void CommitBaseCycle(int baseCycle);
  void CommitRepetition(int repetition);

  // The checks in their order; the first failure shows its message and
  // answers the control to focus. Answers DLG_OK_CLOSE after writing back.
  int Ok(IDlgPrompt& prompt);

 private:
  void ShowMessageRow(const _FlexRayMsg& m);
  void RebuildGrid();

  bool valuesLoaded_ = true;
  int selectedRow_ = -1;
};
