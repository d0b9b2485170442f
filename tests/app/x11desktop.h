#pragma once

#include <memory>
#include <string>
#include <vector>

// A test's view of an X display, seen from outside the program as a user's
// desktop sees it: which windows are up, which one was asked to come to the
// front, and a key pressed in a window. Plain C++ so the X headers stay out
// of the Qt test code.
class X11Desktop
{
public:
    explicit X11Desktop(const std::string &displayName);
    ~X11Desktop();
    X11Desktop(const X11Desktop &) = delete;
    X11Desktop &operator=(const X11Desktop &) = delete;

    bool isOpen() const;

    // A shown top-level window with this title (UTF-8); 0 when none.
    unsigned long windowWithTitle(const std::string &title) const;

    // From now on, collects the windows that _NET_ACTIVE_WINDOW requests to
    // the root window name; activationRequests() returns them once.
    void watchActivationRequests();
    std::vector<unsigned long> activationRequests();

    // Presses and releases Return in the window.
    void pressReturn(unsigned long window);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
