#pragma once

#include <initializer_list>
#include <memory>

// Typing on the X server through the XTest extension, kept apart from Qt code (Xlib's macros
// clash with Qt's names).
class XTestKeyboard final
{
public:
    // Null when there is no X display or it lacks XTest.
    static std::unique_ptr<XTestKeyboard> open();
    ~XTestKeyboard();

    // Presses the X key codes in order (modifiers first) and releases them in reverse.
    void type(std::initializer_list<unsigned> keycodes);

private:
    explicit XTestKeyboard(void* display) : m_display(display) {}
    void* m_display;
};
