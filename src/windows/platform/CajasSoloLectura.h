#pragma once

#include <QObject>
#include <QVariant>

#include <unordered_map>

class QWidget;

// Read-only boxes show the model's state. An assistive tool can still write into them through the
// accessibility interface, so whatever the window did not write itself is put back at once: the
// screen never shows a value the program does not use.
class CajasSoloLectura : public QObject {
public:
    // Watches the read-only line edits and date/time pickers that the window holds now.
    explicit CajasSoloLectura(QWidget* ventana);

    // The window writes its boxes inside one of these; at its end their texts are the ones kept.
    class Escritura {
    public:
        explicit Escritura(CajasSoloLectura& cajas) : cajas_(cajas) { ++cajas_.escribiendo_; }
        ~Escritura();
        Escritura(const Escritura&) = delete;
        Escritura& operator=(const Escritura&) = delete;

    private:
        CajasSoloLectura& cajas_;
    };
    Escritura escribir() { return Escritura(*this); }

private:
    void recordar();
    void restaurar(QObject* caja);

    std::unordered_map<QObject*, QVariant> valores_;
    int escribiendo_ = 0;
};
