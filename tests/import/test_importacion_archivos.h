#pragma once

// Inspection data files written byte by byte from the device's layout, for the import tests.

#include "store/BaseDatos.h"
#include "store/modVarios.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace prueba {

// Header: client 0123, inspected 28/09/11 14:05:30, max 085, attenuator 010, excesses 003,
// calibration -05, 030 s, console 070, noise 060, bands on; band 1 on Lunes 080:030 -> Jueves
// 023:045, band 2 off Sabado 010:004 -> Domingo 002:015, band 3 on with day code 7.
inline QByteArray cabecera(const QByteArray& cliente = "0123", const QByteArray& fecha = "280911",
                           const QByteArray& hora = "140530") {
    QByteArray d = cliente + fecha + hora;
    d += "085"
         "010"
         "003"
         "105"
         "030"
         "070"
         "060"
         "1"
         "1"
         "0080030"
         "3023045"
         "0"
         "5010004"
         "6002015"
         "1"
         "7023010"
         "2005059"
         ";\r";
    return d;
}

// One 25-byte record dated 28/09/2011 14:05:30 with the given status and mark.
inline QByteArray registro(char estatus, char marca = ' ', const QByteArray& nivel = "085", char red = '1') {
    QByteArray r = "110928"
                   "140530"
                   "125";
    r += red;
    r += estatus;
    r += nivel;
    r += "042";
    r += marca;
    r += '\n';
    return r;
}

inline QByteArray archivo(const QByteArray& estatus, const QByteArray& cliente = "0123") {
    QByteArray d = cabecera(cliente);
    for (char e : estatus)
        d += registro(e);
    return d;
}

inline QString escribir(const QString& dir, const QString& nombre, const QByteArray& datos) {
    const QString ruta = QDir(dir).filePath(nombre);
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(datos);
    return ruta;
}

// Every row of a query as texts.
inline QList<QStringList> filas(const QString& sql, const QVariantList& parametros = {}) {
    Statement st(BaseDatosCompartida(), sql);
    st.enlazarTodos(parametros);
    QList<QStringList> r;
    while (st.paso()) {
        QStringList fila;
        for (int i = 0; i < st.columnas(); ++i)
            fila << st.texto(i);
        r << fila;
    }
    return r;
}

inline qint64 cantidadInfracciones() {
    return filas(QStringLiteral("SELECT count(*) FROM Infracciones")).at(0).at(0).toLongLong();
}

// A client as the editor stores it, with a known last and previous inspection.
inline void agregarCliente(const QString& numero, const QString& nombre = QStringLiteral("Pe'ña Hnos.")) {
    BaseDatosCompartida().ejecutar(
        QStringLiteral(
            "INSERT INTO Clientes (NumeroCliente,Nombre,Localidad,Telefono,NombreLocal,FechadeAlta,"
            "UltimaInspeccionFecha,UltimaInspeccionHora,AnteriorInspeccionFecha,"
            "AnteriorInspeccionHora,Notas,ActivacionBandaHoraria,ActivacionBanda1) "
            "VALUES (?,?,'Quilmes','4253-1111','Bar ''El Ñandú''','20100301','20110105','101010',"
            "'20100105','090909','sin notas','No','No')"),
        {numero, nombre});
}

// Client columns the import must never touch, then the inspection and band columns.
inline const char* kColumnasCliente =
    "NumeroCliente,Nombre,Localidad,Telefono,NombreLocal,FechadeAlta,Notas,"
    "UltimaInspeccionFecha,UltimaInspeccionHora,AnteriorInspeccionFecha,AnteriorInspeccionHora,"
    "ActivacionBandaHoraria,ActivacionBanda1,fechainicio,fechafin,horainicio,MinutosInicio,HoraFin,"
    "MinutosFin,"
    "ActivacionBanda2,fechainicio2,fechafin2,horainicio2,MinutosInicio2,HoraFin2,MinutosFin2,"
    "ActivacionBanda3,fechainicio3,fechafin3,horainicio3,MinutosInicio3,HoraFin3,MinutosFin3";

inline QList<QStringList> clientes(const QString& numero) {
    return filas(QStringLiteral("SELECT %1 FROM Clientes WHERE NumeroCliente = ? ORDER BY Id")
                     .arg(QLatin1String(kColumnasCliente)),
                 {numero});
}

// What the client row holds after importing cabecera() with inspection 28/09/2011 14:05:30.
inline QStringList clienteImportado(const QString& numero) {
    return {numero, QStringLiteral("Pe'ña Hnos."), QStringLiteral("Quilmes"), QStringLiteral("4253-1111"),
            QStringLiteral("Bar 'El Ñandú'"), QStringLiteral("20100301"), QStringLiteral("sin notas"),
            QStringLiteral("20110928"), QStringLiteral("140530"), QStringLiteral("20110105"),
            QStringLiteral("101010"), QStringLiteral("Si"),
            // band 1
            QStringLiteral("Si"), QStringLiteral("Lunes"), QStringLiteral("Jueves"), QStringLiteral("080"),
            QStringLiteral("030"), QStringLiteral("023"), QStringLiteral("045"),
            // band 2
            QStringLiteral("No"), QStringLiteral("Sabado"), QStringLiteral("Domingo"), QStringLiteral("010"),
            QStringLiteral("004"), QStringLiteral("002"), QStringLiteral("015"),
            // band 3: day code 7 stays as the character
            QStringLiteral("Si"), QStringLiteral("7"), QStringLiteral("Miercoles"), QStringLiteral("023"),
            QStringLiteral("010"), QStringLiteral("005"), QStringLiteral("059")};
}

inline QList<QStringList> infracciones(const QString& numero) {
    return filas(
        QStringLiteral("SELECT NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,Estado,"
                       "TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,"
                       "segpenal,nivelconsola,nivelruido,contadorinf FROM Infracciones "
                       "WHERE NumeroCliente = ? ORDER BY id"),
        {numero});
}

} // namespace prueba
