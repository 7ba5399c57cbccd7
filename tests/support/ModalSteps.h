// Work done inside modal windows, as a user does it: each step waits until
// its window is the active one before it types or clicks, so that no key
// goes to a window behind it. For the Qt Test programs only.
#pragma once

#include "DlgKeys.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <utility>

namespace vrtest {

// Runs one step on each modal window as it opens, in turn: the first step
// on the first, the next on the next (a window opened from inside a step
// included). A step runs only once its window is active; a window that never
// becomes active fails the test and is closed. A window that a step leaves
// open (a refusal, or a failed check) is closed so the test goes on.
class ModalSteps {
 public:
  using Step = std::function<void(QDialog&)>;

  explicit ModalSteps(std::initializer_list<Step> steps) : steps_(steps) { Schedule(); }

  int runs = 0;
  int leftOpen = 0;
  int neverActive = 0;

 private:
  // A timer does not fire again while its own handler runs, so a window
  // opened from inside a step would never be seen by one repeating timer:
  // every poll schedules the next one first.
  void Schedule() {
    QTimer::singleShot(10, &context_, [this] { Poll(); });
  }

  void Poll() {
    Schedule();
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!modal || modal == current_ || waiting_ || steps_.empty()) return;
    waiting_ = true;
    QPointer<QDialog> window(modal);
    const bool active = WaitActive(modal);
    waiting_ = false;
    if (!window) return;
    QDialog* outer = current_;
    current_ = window;
    if (active) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      ++runs;
      step(*window);
    } else {
      ++neverActive;
    }
    if (window && window->isVisible()) {
      ++leftOpen;
      window->reject();
    }
    current_ = outer;
  }

  std::deque<Step> steps_;
  QPointer<QDialog> current_;
  bool waiting_ = false;
  QObject context_;
};

// A step for a modal window of type T; the test fails when another kind
// of window opens in its place.
template <class T>
ModalSteps::Step On(std::function<void(T&)> work) {
  return [work = std::move(work)](QDialog& w) {
    auto* typed = qobject_cast<T*>(&w);
    if (!typed) {
      QTest::qFail((QByteArray("the modal window is a ") + w.metaObject()->className()).constData(), __FILE__,
                   __LINE__);
      return;
    }
    work(*typed);
  };
}

}  // namespace vrtest
