#include "ResourceSet.h"

namespace {

QString Unescape(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    QChar c = s[i];
    if (c == u'\\' && i + 1 < s.size()) {
      QChar n = s[i + 1];
      if (n == u'n') {
        out += u'\n';
        ++i;
        continue;
      }
      if (n == u't') {
        out += u'\t';
        ++i;
        continue;
      }
      if (n == u'\\') {
        out += u'\\';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

bool ToId(const QString& s, int* id) {
  bool ok = false;
  int v = s.toInt(&ok, 10);
  if (!ok || v < 0 || v > 65535) return false;
  *id = v;
  return true;
}

}  // namespace

bool CResourceSet::Parse(const QByteArray& utf8, QString* error) {
  strings_.clear();
  menus_.clear();
  dialogs_.clear();
  auto fail = [&](int line, const QString& why) {
    if (error) *error = QStringLiteral("line %1: %2").arg(line).arg(why);
    strings_.clear();
    menus_.clear();
    dialogs_.clear();
    return false;
  };

  enum Section { None, InStrings, InMenu, InDialog } section = None;
  int sectionId = 0;
  std::vector<std::vector<MenuNode>*> menuStack;  // innermost last

  const QList<QByteArray> lines = utf8.split('\n');
  for (int n = 0; n < lines.size(); ++n) {
    const int lineNo = n + 1;
    QString line = QString::fromUtf8(lines[n]);
    if (line.endsWith(u'\r')) line.chop(1);
    // Indentation is for the reader only; a text never starts with blanks.
    qsizetype start = 0;
    while (start < line.size() && (line[start] == u' ' || line[start] == u'\t')) ++start;
    line = line.mid(start);
    if (line.isEmpty() || line.startsWith(u'#')) continue;

    if (line.startsWith(u'[')) {
      if (section == InMenu && menuStack.size() != 1) return fail(lineNo, QStringLiteral("menu popup without end"));
      menuStack.clear();
      if (!line.endsWith(u']')) return fail(lineNo, QStringLiteral("bad section header"));
      const QStringList parts = line.mid(1, line.size() - 2).split(u' ', Qt::SkipEmptyParts);
      if (parts.size() == 1 && parts[0] == u"strings") {
        section = InStrings;
      } else if (parts.size() == 2 && (parts[0] == u"menu" || parts[0] == u"dialog") && ToId(parts[1], &sectionId)) {
        if (parts[0] == u"menu") {
          if (menus_.count(sectionId)) return fail(lineNo, QStringLiteral("duplicate menu"));
          section = InMenu;
          menuStack.push_back(&menus_[sectionId]);
        } else {
          if (dialogs_.count(sectionId)) return fail(lineNo, QStringLiteral("duplicate dialog"));
          section = InDialog;
          dialogs_[sectionId];
        }
      } else {
        return fail(lineNo, QStringLiteral("unknown section"));
      }
      continue;
    }

    const qsizetype tab = line.indexOf(u'\t');
    const QString key = tab < 0 ? line : line.left(tab);
    const QString value = tab < 0 ? QString() : Unescape(line.mid(tab + 1));
    switch (section) {
      case None:
        return fail(lineNo, QStringLiteral("entry outside a section"));
      case InStrings: {
        int id = 0;
        if (tab < 0 || !ToId(key, &id)) return fail(lineNo, QStringLiteral("bad string entry"));
        if (strings_.count(id)) return fail(lineNo, QStringLiteral("duplicate string %1").arg(id));
        strings_[id] = value;
        break;
      }
      case InDialog: {
        if (tab < 0 || key.isEmpty()) return fail(lineNo, QStringLiteral("bad dialog entry"));
        auto& texts = dialogs_[sectionId];
        if (texts.count(key)) return fail(lineNo, QStringLiteral("duplicate dialog key %1").arg(key));
        texts[key] = value;
        break;
      }
      case InMenu: {
        if (key == u"end") {
          if (menuStack.size() < 2) return fail(lineNo, QStringLiteral("end without popup"));
          menuStack.pop_back();
        } else if (key == u"separator") {
          menuStack.back()->push_back(MenuNode{MenuNode::Separator, 0, QString(), {}});
        } else if (key == u"popup") {
          if (tab < 0) return fail(lineNo, QStringLiteral("popup without text"));
          menuStack.back()->push_back(MenuNode{MenuNode::Popup, 0, value, {}});
          menuStack.push_back(&menuStack.back()->back().children);
        } else if (key == u"item") {
          const QString rest = tab < 0 ? QString() : line.mid(tab + 1);
          const qsizetype tab2 = rest.indexOf(u'\t');
          int id = 0;
          if (tab2 < 0 || !ToId(rest.left(tab2), &id) || id == 0) return fail(lineNo, QStringLiteral("bad menu item"));
          menuStack.back()->push_back(MenuNode{MenuNode::Item, id, Unescape(rest.mid(tab2 + 1)), {}});
        } else {
          return fail(lineNo, QStringLiteral("unknown menu entry"));
        }
        break;
      }
    }
  }
  if (section == InMenu && menuStack.size() != 1)
    return fail(static_cast<int>(lines.size()), QStringLiteral("menu popup without end"));
  return true;
}

QString CResourceSet::String(int id) const {
  auto it = strings_.find(id);
  return it == strings_.end() ? QString() : it->second;
}

std::vector<int> CResourceSet::StringIds() const {
  std::vector<int> ids;
  for (const auto& [id, text] : strings_) ids.push_back(id);
  return ids;
}

const std::vector<MenuNode>* CResourceSet::Menu(int id) const {
  auto it = menus_.find(id);
  return it == menus_.end() ? nullptr : &it->second;
}

std::vector<int> CResourceSet::MenuIds() const {
  std::vector<int> ids;
  for (const auto& [id, menu] : menus_) ids.push_back(id);
  return ids;
}

QString CResourceSet::DialogText(int dialogId, const QString& key) const {
  auto d = dialogs_.find(dialogId);
  if (d == dialogs_.end()) return QString();
  auto t = d->second.find(key);
  return t == d->second.end() ? QString() : t->second;
}

bool CResourceSet::HasDialogText(int dialogId, const QString& key) const {
  auto d = dialogs_.find(dialogId);
  return d != dialogs_.end() && d->second.count(key) != 0;
}

std::vector<int> CResourceSet::DialogIds() const {
  std::vector<int> ids;
  for (const auto& [id, texts] : dialogs_) ids.push_back(id);
  return ids;
}

QStringList CResourceSet::DialogKeys(int dialogId) const {
  QStringList keys;
  auto d = dialogs_.find(dialogId);
  if (d != dialogs_.end())
    for (const auto& [key, text] : d->second) keys << key;
  return keys;
}

QString PromptPart(const QString& commandString) {
  const qsizetype nl = commandString.indexOf(u'\n');
  return nl < 0 ? commandString : commandString.left(nl);
}

QString TipPart(const QString& commandString) {
  const qsizetype nl = commandString.indexOf(u'\n');
  return nl < 0 ? QString() : commandString.mid(nl + 1);
}
