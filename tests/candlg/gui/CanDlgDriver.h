// Runs work on the CAN dialog once it runs modally (inside its loop), for the
// tests that open it from the list windows.
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

#include "CanDlg.h"

class CanDlgDriver {
 public:
  explicit CanDlgDriver(std::function<void(CCanDlg&)> work) : work_(std::move(work)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dlg = qobject_cast<CCanDlg*>(QApplication::activeModalWidget())) {
        timer_.stop();
        ++runs;
        work_(*dlg);
        // A refusal keeps the dialog open: end it so the test goes on.
        if (dlg->isVisible()) {
          ++leftOpen;
          dlg->reject();
        }
      }
    });
    timer_.start(10);
  }
  int runs = 0;
  int leftOpen = 0;

 private:
  std::function<void(CCanDlg&)> work_;
  QTimer timer_;
};
