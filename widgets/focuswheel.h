#pragma once

class QWidget;

// A field that changes its value on the wheel takes the wheel only while it
// has the focus; otherwise the wheel scrolls what it sits in, and passing
// over the field with the pointer changes nothing.
namespace FocusWheel {
void install(QWidget *field);
}
