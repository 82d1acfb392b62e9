#pragma once

#include <QPointer>

// The one open window of kind T: opening it again brings that one to the front instead of
// making a second. Each window registers itself when made and is forgotten when it closes, from
// then on the next opening makes a fresh one.
template <typename T> class UnaVentana {
public:
    static T* actual() { return ventana_.data(); }
    static void registrar(T* ventana) { ventana_ = ventana; }
    static void olvidar(const T* ventana) {
        if (ventana_ == ventana)
            ventana_ = nullptr;
    }
    // Shows the open one (restored when minimised, if `restaurar`) in front and active.
    static T* alFrente(bool restaurar = false) {
        T* v = actual();
        if (!v)
            return nullptr;
        if (restaurar)
            v->showNormal();
        else
            v->show();
        v->raise();
        v->activateWindow();
        return v;
    }

private:
    static inline QPointer<T> ventana_;
};
