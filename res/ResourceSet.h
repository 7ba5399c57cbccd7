// One language's user-interface texts: the string table, the menu trees and
// the texts of the dialog templates, read from a ".vrs" source (UTF-8 lines
// "key<TAB>text" in [strings], [menu N] and [dialog N] sections).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

struct MenuNode {
  enum Kind { Popup, Item, Separator };
  Kind kind = Item;
  int id = 0;    // command identifier of an item
  QString text;  // "&" marks the mnemonic, "\t" starts the key label
  std::vector<MenuNode> children;
};

class CResourceSet {
 public:
  // Replaces the contents. False (and the set left empty) on a malformed line
  // or a duplicate key, with the line number in the error text.
  bool Parse(const QByteArray& utf8, QString* error = nullptr);
  bool IsEmpty() const { return strings_.empty() && menus_.empty() && dialogs_.empty(); }

  bool HasString(int id) const { return strings_.count(id) != 0; }
  QString String(int id) const;  // empty when absent
  std::vector<int> StringIds() const;

  // Top-level popups of menu `id`; null when the set has no such menu.
  const std::vector<MenuNode>* Menu(int id) const;
  std::vector<int> MenuIds() const;

  bool HasDialog(int id) const { return dialogs_.count(id) != 0; }
  // "caption", a control identifier as text ("1013") or a label name.
  QString DialogText(int dialogId, const QString& key) const;
  bool HasDialogText(int dialogId, const QString& key) const;
  std::vector<int> DialogIds() const;
  QStringList DialogKeys(int dialogId) const;

 private:
  std::map<int, QString> strings_;
  std::map<int, std::vector<MenuNode>> menus_;
  std::map<int, std::map<QString, QString>> dialogs_;
};

// Text before the first newline of a command string (the status-bar prompt).
QString PromptPart(const QString& commandString);
// Text after the first newline (the tooltip); empty when there is none.
QString TipPart(const QString& commandString);
