#include "Resources.h"

#include <QFile>
#include <QResource>

#include <functional>
#include <memory>

// Outside any namespace: the registration function of the built-in texts is
// declared by the macro in the scope where it is used.
static void InitBuiltinResource() { Q_INIT_RESOURCE(vr_builtin); }

namespace vrres {
namespace {

const char* const kBuiltinPath = ":/vr/builtin/ja.vrs";
const char* const kLibraryRoot = "/vrlib";
const char* const kLibraryFile = ":/vrlib/strings.vrs";

struct State {
  CResourceSet builtin;
  std::unique_ptr<CResourceSet> library;
  QString registeredPath;
};

State& TheState() {
  static State* state = [] {
    // The built-in texts live in this static library; make sure their
    // resource is registered before the first lookup.
    InitBuiltinResource();
    auto* s = new State;
    QFile f(QString::fromLatin1(kBuiltinPath));
    if (f.open(QIODevice::ReadOnly)) s->builtin.Parse(f.readAll());
    return s;
  }();
  return *state;
}

void Unregister(State& s) {
  if (!s.registeredPath.isEmpty()) {
    QResource::unregisterResource(s.registeredPath, QString::fromLatin1(kLibraryRoot));
    s.registeredPath.clear();
  }
}

void CollectMenuKeys(const std::vector<MenuNode>& nodes, const QString& where, QStringList* keys) {
  int popup = 0;
  for (const MenuNode& n : nodes) {
    if (n.kind == MenuNode::Item) {
      *keys << where + QStringLiteral(" item %1").arg(n.id);
    } else if (n.kind == MenuNode::Popup) {
      const QString sub = where + QStringLiteral(" popup %1").arg(popup++);
      *keys << sub;
      CollectMenuKeys(n.children, sub, keys);
    }
  }
}

QStringList AllKeys(const CResourceSet& set) {
  QStringList keys;
  for (int id : set.StringIds()) keys << QStringLiteral("string %1").arg(id);
  for (int id : set.MenuIds()) CollectMenuKeys(*set.Menu(id), QStringLiteral("menu %1").arg(id), &keys);
  for (int id : set.DialogIds())
    for (const QString& k : set.DialogKeys(id)) keys << QStringLiteral("dialog %1 %2").arg(id).arg(k);
  return keys;
}

}  // namespace

const CResourceSet& Builtin() { return TheState().builtin; }

const CResourceSet& Active() {
  State& s = TheState();
  return s.library ? *s.library : s.builtin;
}

bool LibraryActive() { return TheState().library != nullptr; }

QStringList MissingKeys(const CResourceSet& set) {
  const QStringList have = AllKeys(set);
  QStringList missing;
  for (const QString& k : AllKeys(Builtin()))
    if (!have.contains(k)) missing << k;
  return missing;
}

bool LoadLanguageLibrary(const QString& fullPath) {
  State& s = TheState();
  // Only an absolute path names one file; a bare name would be searched for.
  if (fullPath.isEmpty() || !QFile::exists(fullPath) || !fullPath.startsWith(u'/')) return false;
  Unregister(s);
  if (!QResource::registerResource(fullPath, QString::fromLatin1(kLibraryRoot))) return false;
  s.registeredPath = fullPath;
  auto set = std::make_unique<CResourceSet>();
  QFile f(QString::fromLatin1(kLibraryFile));
  const bool ok = f.open(QIODevice::ReadOnly) && set->Parse(f.readAll()) && MissingKeys(*set).isEmpty();
  f.close();
  if (!ok) {
    Unregister(s);
    return false;
  }
  s.library = std::move(set);
  return true;
}

void UseBuiltin() {
  State& s = TheState();
  s.library.reset();
  Unregister(s);
}

QString LoadString(int id) { return Active().String(id); }

QString DialogText(int dialogId, const QString& key) { return Active().DialogText(dialogId, key); }

QString AppTitle() { return PromptPart(LoadString(IDR_MAINFRAME)); }

}  // namespace vrres
