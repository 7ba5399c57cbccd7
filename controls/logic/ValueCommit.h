// How an input control tells its dialog that the user has finished with a
// value: synchronously, with the control's identifier and a flag (1 when a
// dialog's own key filter saw Enter in the edit field of one of its combo
// boxes, kCommitLeftInField from a byte count, else 0). Toolkit-free so that
// dialog models can receive it too.
#pragma once

// The notify message a dialog sets in the controls of its tables; a control
// whose notify message is 0 reports nothing.
inline constexpr unsigned WM_VALUE_COMMIT = 0x0400u + 100u;

// A byte count commits every keystroke with 0, and once more with this flag
// on Enter and on leaving the field: only the count left there may cut a
// signal, never a count typed on the way ("16" passes through "1").
inline constexpr int kCommitLeftInField = 2;

class IValueCommitTarget {
 public:
  // Runs before the control's own handler returns; the target may write
  // into the same control.
  virtual void OnValueCommit(int ctrlId, int flag) = 0;

 protected:
  ~IValueCommitTarget() = default;
};
