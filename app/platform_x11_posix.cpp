#include "app/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// X11 window lookup.

std::string utf8FromWide(const std::wstring &text)
{
    std::string out;
    for (const wchar_t wc : text) {
        const auto c = static_cast<uint32_t>(wc);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

// A property of 8-bit items as bytes; false when the window lacks it.
bool readTextProperty(Display *display, Window window, Atom property, Atom &type, std::string &bytes)
{
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) != Success ||
        !data)
        return false;
    const bool ok = format == 8;
    if (ok)
        bytes.assign(reinterpret_cast<const char *>(data), count);
    XFree(data);
    return ok;
}

// _NET_WM_NAME in UTF-8, else WM_NAME in whatever encoding it carries.
bool windowTitle(Display *display, Window window, std::string &title)
{
    Atom type = None;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    if (readTextProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), type, title) &&
        type == utf8)
        return true;
    XTextProperty name{};
    if (!XGetWMName(display, window, &name) || !name.value)
        return false;
    bool found = false;
    if (name.encoding == utf8 || name.encoding == XA_STRING) {
        const std::string raw(reinterpret_cast<const char *>(name.value), name.nitems);
        if (name.encoding == utf8) {
            title = raw;
        } else { // Latin-1
            title.clear();
            for (const unsigned char c : raw) {
                if (c < 0x80) {
                    title += char(c);
                } else {
                    title += char(0xC0 | (c >> 6));
                    title += char(0x80 | (c & 0x3F));
                }
            }
        }
        found = true;
    } else {
        char **list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display, &name, &list, &count) >= Success && list && count > 0) {
            title = list[0];
            found = true;
        }
        if (list)
            XFreeStringList(list);
    }
    XFree(name.value);
    return found;
}

// Shown, or minimised by a window manager (ICCCM WM_STATE IconicState).
bool isShownOrMinimised(Display *display, Window window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        return true;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    bool iconic = false;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &count, &remaining,
                           &data) == Success &&
        data) {
        iconic = format == 32 && count >= 1 && reinterpret_cast<const long *>(data)[0] == IconicState;
        XFree(data);
    }
    return iconic;
}

std::vector<Window> childrenOf(Display *display, Window parent)
{
    Window root = 0, parentOfParent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) && children)
        result.assign(children, children + count);
    if (children)
        XFree(children);
    return result;
}

// The windows a user sees as windows: the window manager's client list when
// it keeps one, else the root's children and, under a reparenting window
// manager, the client windows inside their frames.
std::vector<Window> topLevelWindows(Display *display)
{
    const Window root = DefaultRootWindow(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 65536, False,
                           XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
        data) {
        if (format == 32) {
            const auto *ids = reinterpret_cast<const unsigned long *>(data);
            windows.assign(ids, ids + count);
        }
        XFree(data);
    }
    if (!windows.empty())
        return windows;
    for (const Window window : childrenOf(display, root)) {
        windows.push_back(window);
        for (const Window inner : childrenOf(display, window))
            windows.push_back(inner);
    }
    return windows;
}

Window findTopLevelWindow(Display *display, const std::string &title)
{
    for (const Window window : topLevelWindows(display)) {
        std::string name;
        if (windowTitle(display, window, name) && name == title && isShownOrMinimised(display, window))
            return window;
    }
    return 0;
}

void activateWindow(Display *display, Window window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsViewable)
        XMapRaised(display, window); // minimised: ICCCM's way back
    const Window root = DefaultRootWindow(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    // Source 2: asked for by the user (a click on a link), which window
    // managers honour over their focus-stealing prevention.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    // Without a window manager nobody acts on that message.
    XRaiseWindow(display, window);
    char line[64];
    snprintf(line, sizeof line, "raised window 0x%lx", static_cast<unsigned long>(window));
    writePlatformLog(line);
}
} // namespace

bool raiseWindowWithTitle(const std::wstring &title)
{
    const char *displayName = getenv("DISPLAY");
    if (!displayName || !*displayName)
        return false; // no X server (Wayland without XWayland, a console)
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        writePlatformLog(std::string("raiseWindowWithTitle: cannot open display ") + displayName);
        return false;
    }
    // Windows may vanish while they are looked at; that is no error here.
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    const Window window = findTopLevelWindow(display, utf8FromWide(title));
    if (window)
        activateWindow(display, window);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return window != 0;
}
