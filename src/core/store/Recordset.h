#pragma once

#include "core/store/Sentencias.h"

#include <QStringList>

#include <utility>
#include <vector>

class Conexion;

// A static snapshot of a query. It remembers its statement and values, so requery() runs
// them again and picks up what was written since.
class Recordset {
public:
    void abrir(Conexion& db, const Consulta& consulta);
    void requery();
    void cerrar();
    bool abierto() const { return db_ != nullptr; }

    const Consulta& consulta() const { return consulta_; }
    const QStringList& campos() const { return campos_; }
    const std::vector<QStringList>& filas() const { return filas_; }
    int cantidad() const { return static_cast<int>(filas_.size()); }
    // Hands the rows over without copying them; the recordset is left empty.
    std::vector<QStringList> tomarFilas() { return std::exchange(filas_, {}); }

private:
    Conexion* db_ = nullptr;
    Consulta consulta_;
    QStringList campos_;
    std::vector<QStringList> filas_;
};
