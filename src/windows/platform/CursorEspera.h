#pragma once

#include <QGuiApplication>

// The wait cursor while a long step runs on the window's thread (opening the register, loading a
// big client): the user sees the program is working, not frozen.
class CursorEspera {
public:
    CursorEspera() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorEspera() { QGuiApplication::restoreOverrideCursor(); }
    CursorEspera(const CursorEspera&) = delete;
    CursorEspera& operator=(const CursorEspera&) = delete;
};
