// The active resource set: the built-in Japanese texts, or the texts of a
// language library ("VrEngRc.rcc", "VrChsRc.rcc") that replaced them. Every
// text shown to the user is looked up here by identifier.
#pragma once

#include "ResIds.h"
#include "ResourceSet.h"

#include <QString>

namespace vrres {

// The built-in set (always complete; the reference for every library).
const CResourceSet& Builtin();
// The set in use: the built-in one until a library was loaded.
const CResourceSet& Active();
// True while a language library is the active set.
bool LibraryActive();

// Loads a language library from exactly this file (a full path; nothing is
// searched). The library becomes the active set only when it reads and holds
// every key of the built-in set; otherwise nothing changes. Returns whether it
// became active.
bool LoadLanguageLibrary(const QString& fullPath);
// Drops a loaded library; the built-in texts become active again.
void UseBuiltin();

// Keys of the built-in set missing from `set` ("string <id>", "menu <id> item
// <id>", "dialog <id> label.id"). Empty for a complete set.
QStringList MissingKeys(const CResourceSet& set);

// Convenience lookups in the active set.
QString LoadString(int id);
QString DialogText(int dialogId, const QString& key);
inline QString DialogText(int dialogId, int controlId) { return DialogText(dialogId, QString::number(controlId)); }
// The window title: the first field of string 128.
QString AppTitle();

}  // namespace vrres
