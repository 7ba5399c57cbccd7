// How the input controls see a key press: Enter, characters to filter, or a
// key that is no character (navigation, shortcuts, Delete), which goes to the
// widget unfiltered.
#pragma once

#include <QKeyEvent>
#include <QList>

enum class KeyClass { Enter, Characters, Other };

inline KeyClass ClassifyKey(const QKeyEvent* event, QList<int>* chars) {
  chars->clear();
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return KeyClass::Enter;
  if (key == Qt::Key_Backspace) {
    chars->append(8);
    return KeyClass::Characters;
  }
  // Shortcuts (Ctrl+C, Ctrl+V, ...) are judged by what they insert, through
  // the edit's filter.
  if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return KeyClass::Other;
  const QString text = event->text();
  if (text.isEmpty()) return KeyClass::Other;
  for (const QChar ch : text) {
    const int c = ch.unicode();
    if (c < 0x20 || c == 0x7F) return KeyClass::Other;
    chars->append(c);
  }
  return KeyClass::Characters;
}

// Undo and redo put back text the field held before: no new input, so the
// character filter has no say in it.
inline bool IsUndoRedo(const QKeyEvent* event) {
  return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}
