// For the screenshot tools: a press of OK held by its field's commit, with
// the message that says why over the dialog. Types over the field of a shown
// dialog, clicks OK, grabs the dialog and the message box together once the
// box is up, and answers it. Needs the program's message sink installed.
#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace vrtest {

inline bool GrabHeldPress(QWidget& dlg, QLineEdit* field, const QString& keys, QWidget* ok, const QString& out) {
  dlg.activateWindow();
  if (!QTest::qWaitForWindowActive(&dlg)) return false;
  bool saved = false;
  QTimer poll;
  poll.setInterval(50);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll.stop();
    QTimer::singleShot(200, box, [&, box] {
      const QRect area = dlg.frameGeometry().united(box->frameGeometry());
      saved =
          QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(out);
      box->accept();
    });
  });
  poll.start();
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, keys);
  QTest::mouseClick(ok, Qt::LeftButton);
  return saved;
}

}  // namespace vrtest
