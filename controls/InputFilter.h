// The character filter of a line edit for everything the user inserts: typed,
// pasted, dropped and input-method text. Only the inserted characters are
// judged, and refused ones are dropped one by one, as if typed. It also
// carries the text limit, which - unlike QLineEdit::setMaxLength - never cuts
// text the program sets.
//
// QLineEdit runs its validator on setText, undo and redo too, so the filter
// judges only while a user event that brings new text is being handled (an
// ActiveScope around the widget's own handler); program text, which may hold
// anything, stays as it is, and so does text that undo, redo or a drag
// within the field puts back.
#pragma once

#include <QPointer>
#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

class CInputFilter : public QValidator {
  Q_OBJECT

 public:
  using AcceptFn = std::function<bool(int)>;

  // Installs itself as the edit's validator and follows its text.
  CInputFilter(QLineEdit* edit, AcceptFn accept);

  // 0: no limit.
  void SetLimit(int limit) { limit_ = limit; }
  int Limit() const { return limit_; }

  State validate(QString& input, int& pos) const override;

  // Judges insertions for its lifetime; nests, and an inactive scope switches
  // the filter off (the program writing into the field from within a user
  // event).
  // The filter may be gone when the scope ends: a commit inside it runs the
  // dialog's handler, which may delete the field and its filter with it.
  class ActiveScope {
   public:
    ActiveScope(CInputFilter* filter, bool active) : filter_(filter), was_(filter ? filter->active_ : false) {
      if (filter_) filter_->active_ = active;
    }
    ~ActiveScope() {
      if (filter_) filter_->active_ = was_;
    }
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;

   private:
    QPointer<CInputFilter> filter_;
    bool was_;
  };

 private:
  AcceptFn accept_;
  QPointer<QLineEdit> edit_;
  QString previous_;
  int limit_ = 0;
  bool active_ = false;
};
