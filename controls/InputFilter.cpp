#include "InputFilter.h"

#include <QLineEdit>

CInputFilter::CInputFilter(QLineEdit* edit, AcceptFn accept)
    : QValidator(edit), accept_(std::move(accept)), edit_(edit) {
  previous_ = edit->text();
  edit->setMaxLength(32767);
  edit->setValidator(this);
  // Every change, the program's included, becomes the text that the next user
  // edit is compared with.
  connect(edit, &QLineEdit::textChanged, this, [this] {
    if (edit_) previous_ = edit_->text();
  });
}

QValidator::State CInputFilter::validate(QString& input, int& pos) const {
  if (!active_) return Acceptable;
  const QString& old = previous_;
  const int newLength = static_cast<int>(input.size());
  const int oldLength = static_cast<int>(old.size());
  int prefix = 0;
  while (prefix < newLength && prefix < oldLength && input[prefix] == old[prefix]) ++prefix;
  int suffix = 0;
  while (suffix < newLength - prefix && suffix < oldLength - prefix &&
         input[newLength - 1 - suffix] == old[oldLength - 1 - suffix]) {
    ++suffix;
  }
  const int insertedLength = newLength - prefix - suffix;
  if (insertedLength <= 0) return Acceptable;
  QString kept;
  for (int i = prefix; i < prefix + insertedLength; ++i) {
    const int c = input[i].unicode();
    if (!accept_ || accept_(c)) kept += input[i];
  }
  if (limit_ > 0) {
    const int room = limit_ - (newLength - insertedLength);
    if (kept.size() > room) kept.truncate(room > 0 ? room : 0);
  }
  if (kept.size() == insertedLength) return Acceptable;
  // Nothing of it may stay: the edit is refused whole (a selection it would
  // have replaced stays too).
  if (kept.isEmpty()) return Invalid;
  const int dropped = insertedLength - static_cast<int>(kept.size());
  input = input.left(prefix) + kept + input.right(suffix);
  if (pos >= prefix + insertedLength) {
    pos -= dropped;
  } else if (pos > prefix + kept.size()) {
    pos = prefix + static_cast<int>(kept.size());
  }
  return Acceptable;
}
