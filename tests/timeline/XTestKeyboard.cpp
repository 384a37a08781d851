#include "XTestKeyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <iterator>

std::unique_ptr<XTestKeyboard> XTestKeyboard::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::unique_ptr<XTestKeyboard>(new XTestKeyboard(display));
}

XTestKeyboard::~XTestKeyboard()
{
    XCloseDisplay(static_cast<Display*>(m_display));
}

void XTestKeyboard::type(std::initializer_list<unsigned> keycodes)
{
    auto* display = static_cast<Display*>(m_display);
    for (unsigned code : keycodes)
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto it = std::rbegin(keycodes); it != std::rend(keycodes); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    XFlush(display);
}
