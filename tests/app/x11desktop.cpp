#include "x11desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

struct X11Desktop::Impl
{
    Display *display = nullptr;
    Window root = 0;

    Atom atom(const char *name) const { return XInternAtom(display, name, False); }

    std::string titleOf(Window window) const
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        std::string title;
        if (XGetWindowProperty(display, window, atom("_NET_WM_NAME"), 0, 1024, False, atom("UTF8_STRING"),
                               &type, &format, &count, &remaining, &data) == Success &&
            data) {
            title.assign(reinterpret_cast<const char *>(data), count);
            XFree(data);
        }
        return title;
    }

    std::vector<Window> shownTopLevels() const
    {
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        std::vector<Window> shown;
        if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
            return shown;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                shown.push_back(children[i]);
        }
        if (children)
            XFree(children);
        return shown;
    }
};

namespace {
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}
} // namespace

X11Desktop::X11Desktop(const std::string &displayName) : d(new Impl)
{
    d->display = XOpenDisplay(displayName.c_str());
    if (d->display) {
        d->root = DefaultRootWindow(d->display);
        XSetErrorHandler(ignoreErrors);
    }
}

X11Desktop::~X11Desktop()
{
    if (d->display)
        XCloseDisplay(d->display);
}

bool X11Desktop::isOpen() const
{
    return d->display != nullptr;
}

unsigned long X11Desktop::windowWithTitle(const std::string &title) const
{
    for (const Window window : d->shownTopLevels()) {
        if (d->titleOf(window) == title)
            return window;
    }
    return 0;
}

void X11Desktop::watchActivationRequests()
{
    XSelectInput(d->display, d->root, SubstructureNotifyMask);
    XSync(d->display, False);
}

std::vector<unsigned long> X11Desktop::activationRequests()
{
    XSync(d->display, False);
    std::vector<unsigned long> windows;
    const Atom activate = d->atom("_NET_ACTIVE_WINDOW");
    while (XPending(d->display)) {
        XEvent event{};
        XNextEvent(d->display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == activate)
            windows.push_back(event.xclient.window);
    }
    return windows;
}

void X11Desktop::pressReturn(unsigned long window)
{
    XKeyEvent key{};
    key.display = d->display;
    key.window = window;
    key.root = d->root;
    key.subwindow = 0;
    key.time = CurrentTime;
    key.x = key.y = key.x_root = key.y_root = 1;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(d->display, XK_Return);
    key.type = KeyPress;
    XSendEvent(d->display, window, True, KeyPressMask, reinterpret_cast<XEvent *>(&key));
    key.type = KeyRelease;
    XSendEvent(d->display, window, True, KeyReleaseMask, reinterpret_cast<XEvent *>(&key));
    XFlush(d->display);
}
