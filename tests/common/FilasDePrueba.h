#pragma once

// Fixture rows written as their stored columns in order, made into what the statements take.

#include "core/clients/Cliente.h"
#include "core/store/Sentencias.h"

#include <QStringList>

#include <iterator>

namespace prueba {

// NumeroCliente .. Notas; the id is left to the database.
inline Cliente clienteDe(const QStringList& v) {
    return Cliente::desdeFila(QStringList{QString()} + v);
}

// NumeroCliente .. contadorinf.
inline FilaInfraccion infraccionDe(const QStringList& v) {
    FilaInfraccion f;
    QString* const campos[] = {&f.numeroCliente, &f.fecha,    &f.hora,         &f.nivelDb,
                               &f.microfono,     &f.estado,   &f.tensionLinea, &f.porcentajeCompresion,
                               &f.inspector,     &f.maxDb,    &f.dbAten,       &f.excesos,
                               &f.calDb,         &f.segPenal, &f.nivelConsola, &f.nivelRuido,
                               &f.contadorInf};
    for (qsizetype i = 0; i < static_cast<qsizetype>(std::size(campos)); ++i)
        *campos[i] = v.value(i);
    return f;
}

} // namespace prueba
