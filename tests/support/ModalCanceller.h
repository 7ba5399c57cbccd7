// While it lives, every modal dialog that opens is cancelled at once, so a
// test can run commands that open a definition dialog and see what Cancel
// leaves behind.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

class ModalCanceller {
 public:
  ModalCanceller() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++cancelled;
        dlg->reject();
      }
    });
    timer_.start(10);
  }

  int cancelled = 0;

 private:
  QTimer timer_;
};
