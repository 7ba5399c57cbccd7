// The unit field of the signal dialogs: it only filters characters (letters,
// digits, % _ ( ) - /) and never commits; the dialogs read its text on OK.
#pragma once

#include "EditEx.h"

class CEditUnit : public CEditEx {
  Q_OBJECT

 public:
  explicit CEditUnit(QWidget* parent = nullptr) : CEditEx(parent) {}

 protected:
  bool AcceptChar(int c) const override;
  // Enter is taken (the dialog stays open) but commits nothing.
  void OnEnter() override {}
  void OnKillFocus() override {}
};
