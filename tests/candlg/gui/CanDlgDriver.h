// Runs work on the CAN dialog once it runs modally (inside its loop) and is
// the active window, for the tests that open it from the list windows.
#pragma once

#include <functional>

#include "CanDlg.h"
#include "ModalSteps.h"

class CanDlgDriver {
 public:
  explicit CanDlgDriver(std::function<void(CCanDlg&)> work) : steps_({vrtest::On<CCanDlg>(std::move(work))}) {}
  int runs() const { return steps_.runs; }
  int leftOpen() const { return steps_.leftOpen; }

 private:
  vrtest::ModalSteps steps_;
};
