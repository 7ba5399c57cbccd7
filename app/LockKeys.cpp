#include "LockKeys.h"

#include <QGuiApplication>

#ifdef VR_HAVE_XKB
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#endif

namespace {

#ifdef VR_HAVE_XKB
// Reads one indicator by its name ("Caps Lock"); false when the keyboard has
// no such indicator.
bool ReadNamedIndicator(Display* display, const char* name, bool& on) {
  const Atom atom = XInternAtom(display, name, True);
  if (atom == None) return false;
  Bool state = False;
  if (!XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr)) return false;
  on = state != False;
  return true;
}
#endif

class CPlatformLockKeys : public ILockKeys {
 public:
  LockKeyStates Read() override {
    LockKeyStates states;
#ifdef VR_HAVE_XKB
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return states;
    bool any = ReadNamedIndicator(display, "Caps Lock", states.caps);
    any = ReadNamedIndicator(display, "Num Lock", states.num) || any;
    any = ReadNamedIndicator(display, "Scroll Lock", states.scroll) || any;
    states.known = any;
#endif
    return states;
  }
};

CPlatformLockKeys g_platform;
ILockKeys* g_source = nullptr;

}  // namespace

ILockKeys& LockKeys() { return g_source ? *g_source : g_platform; }
void SetLockKeys(ILockKeys* source) { g_source = source; }
