#include "frame/LockKeyState.h"

#include <QGuiApplication>

// Xlib defines macros (KeyRelease, None, ...) that clash with Qt names: it comes last.
#if defined(QUILLMAR_HAVE_X11) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>

namespace {

bool IndicatorOn(Display* display, const char* name) {
    Bool on = False;
    const Atom atom = XInternAtom(display, name, True);
    if (atom != None)
        XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr);
    return on;
}

} // namespace
#endif

std::optional<std::array<bool, 3>> QueryLockKeyStates() {
#if defined(QUILLMAR_HAVE_X11) && QT_CONFIG(xcb)
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (Display* display = x11 ? x11->display() : nullptr) {
        return std::array<bool, 3>{IndicatorOn(display, "Caps Lock"),
                                   IndicatorOn(display, "Num Lock"),
                                   IndicatorOn(display, "Scroll Lock")};
    }
#endif
    return std::nullopt;
}
