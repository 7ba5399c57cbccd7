#include "DefinitionDialogsQt.h"

#include <QWidget>

namespace {

IDefinitionDialogs* g_installed = nullptr;

}  // namespace

void SetDefinitionDialogs(IDefinitionDialogs* dialogs) { g_installed = dialogs; }

IDefinitionDialogs* InstalledDefinitionDialogs() { return g_installed; }

QRect CDefinitionDialogsQt::AnchorRect(const DefDialogAnchor& anchor) {
  return QRect(QPoint(anchor.left, anchor.top), QPoint(anchor.right - 1, anchor.bottom - 1));
}

DefDialogAnchor CDefinitionDialogsQt::AnchorOf(const QWidget* window) {
  if (!window) return {};
  const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
  return DefDialogAnchor{topLeft.x(), topLeft.y(), topLeft.x() + window->width(), topLeft.y() + window->height()};
}
