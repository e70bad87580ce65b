#include "app/ui/lockkeys.h"

#include <QGuiApplication>

// Xlib defines Bool and Status: it comes after every Qt header.
// clang-format off
#include <X11/XKBlib.h>
// clang-format on

namespace vk7 {

LockKeys QueryLockKeys()
{
    LockKeys keys;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return keys;
    // The keyboard's indicator lights, found by name: their bit order is
    // the keymap's to choose.
    auto lit = [display](const char *name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, True);
        return atom != None &&
               XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
    };
    keys.known = true;
    keys.capsLock = lit("Caps Lock");
    keys.numLock = lit("Num Lock");
    keys.scrollLock = lit("Scroll Lock");
    return keys;
}

} // namespace vk7
