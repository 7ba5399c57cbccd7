// A dialog worked as a user works it: shown in the active window, fields
// clicked and typed over, left with Tab, items chosen from the open list
// with the mouse, OK pressed. For the Qt Test programs only.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

namespace vrtest {

// Waits until the window is shown and active. When it never becomes active
// the test fails, naming the window that holds the activation instead.
[[nodiscard]] inline bool WaitActive(QWidget* window, int timeoutMs = 10000) {
  if (!window) {
    QTest::qFail("no window to wait for", __FILE__, __LINE__);
    return false;
  }
  window = window->window();
  if (QTest::qWaitFor([window] { return window->isVisible() && QApplication::activeWindow() == window; }, timeoutMs))
    return true;
  QWidget* active = QApplication::activeWindow();
  const QByteArray what = QByteArray("window ") + window->metaObject()->className() + " never became active (" +
                          (active ? active->metaObject()->className() : "no window") + " is active instead)";
  QTest::qFail(what.constData(), __FILE__, __LINE__);
  return false;
}

// Shows the window and makes it the active one, so that keys, Tab and the
// loss of focus reach its fields; false (and the test failed) when it never
// became active.
[[nodiscard]] inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return WaitActive(&window);
}

// The line edit of an edit field or of an editable combo box.
inline QLineEdit* EditOf(QWidget* field) {
  if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(field);
}

inline QString TextOf(QWidget* field) { return EditOf(field)->text(); }

inline void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

// A key to the widget that has the focus: Tab, Enter.
inline void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

// Clicks into the field, selects its text with Ctrl+A and types over it key
// by key; a '\b' is Backspace, and no keys at all empty the field. The focus
// stays in the field.
inline void TypeOver(QWidget* field, QStringView keys) {
  QLineEdit* edit = EditOf(field);
  QVERIFY(edit);
  QVERIFY2(QApplication::activeWindow() == edit->window(), "typing into a window that is not the active one");
  Click(edit);
  QVERIFY(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  if (keys.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
  for (QChar c : keys) {
    if (c == u'\b') QTest::keyClick(edit, Qt::Key_Backspace);
    else QTest::keyClick(edit, c.toLatin1());
  }
}

// Types over the field and leaves it with Tab.
inline void TypeAndTab(QWidget* field, QStringView keys) {
  TypeOver(field, keys);
  Press(Qt::Key_Tab);
}

// Turns the mouse wheel over the middle of the field by `notches` (positive
// towards the user, as a wheel turned down), one event per notch; the field
// keeps the focus it had. Each notch goes to the widget under the pointer and
// on to its parents while they ignore it, as the system's wheel does (Qt
// passes a sent wheel event on to no parent).
inline void Wheel(QWidget* field, int notches) {
  QWidget* under = EditOf(field) ? static_cast<QWidget*>(EditOf(field)) : field;
  const QPoint global = under->mapToGlobal(under->rect().center());
  for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) {
    for (QWidget* w = under; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
      const QPointF at = w->mapFromGlobal(QPointF(global));
      QWheelEvent wheel(at, QPointF(global), QPoint(), QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(w, &wheel);
      if (wheel.isAccepted()) break;
    }
  }
}

// Opens the combo's list with a click on its arrow and clicks the item with
// that text; false when there is no such item or the list did not close.
[[nodiscard]] inline bool ChooseFromList(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  if (index < 0) return false;
  QTest::mouseClick(combo, Qt::LeftButton, Qt::NoModifier, QPoint(combo->width() - 8, combo->height() / 2));
  QAbstractItemView* list = combo->view();
  if (!QTest::qWaitFor([&] { return list->isVisible(); })) return false;
  // The list ignores a release that follows its opening too closely.
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  const QPoint at = list->visualRect(list->model()->index(index, 0)).center();
  QTest::mouseMove(list->viewport(), at);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  return QTest::qWaitFor([&] { return !list->isVisible(); });
}

// Presses the dialog's OK button (control 1).
template <class Dlg>
void PressOk(Dlg& dlg) {
  Click(dlg.GetDlgItem(1));
}

}  // namespace vrtest
