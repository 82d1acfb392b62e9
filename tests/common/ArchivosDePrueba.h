#pragma once

// Inspection data files written byte by byte from the device's layout, and the rows an import leaves.

#include "core/store/Conexion.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace prueba {

inline QStringList partes(const char* texto) {
    return QString::fromUtf8(texto).split(QLatin1Char('|'));
}

// 85 bytes: client 0123, inspected 28/09/11 14:05:30, max 085, attenuator 010, excesses 003,
// calibration -05 (offset 25), 030 s, console 070, noise 060, bands on (37); band 1 on (38) Lunes
// 080:030 -> Jueves (46) 023:045; band 2 off (53) Sabado 010:004 -> Domingo; band 3 on (68) with day
// code 7 (69) -> Miercoles 005:059; ";" at 83.
inline QByteArray cabecera(const QByteArray& cliente = "0123", const QByteArray& fecha = "280911",
                           const QByteArray& hora = "140530") {
    return cliente + fecha + hora + "085010003105030070060" + "1" + "1" + "0080030" + "3023045" + "0" +
           "5010004" + "6002015" + "1" + "7023010" + "2005059" + ";\r";
}

// One 25-byte record dated 28/09/2011 14:05:30, 12,5 V, with the given status, mark, level and mains.
inline QByteArray registro(char estatus, char marca = ' ', const QByteArray& nivel = "085", char red = '1') {
    return QByteArray("110928140530125") + red + estatus + nivel + "042" + marca + '\n';
}

inline QByteArray archivo(const QByteArray& estatus, const QByteArray& cliente = "0123") {
    QByteArray d = cabecera(cliente);
    for (char e : estatus)
        d += registro(e);
    return d;
}

#ifdef VELMORA_SOURCE_DIR
// A writable copy, in `carpeta`, of the version-1 register kept with the tests.
inline QString registroVersion1(const QString& carpeta,
                                const QString& nombre = QStringLiteral("presentacion.wfg")) {
    const QString ruta = QDir(carpeta).filePath(nombre);
    EXPECT_TRUE(
        QFile::copy(QStringLiteral(VELMORA_SOURCE_DIR "/tests/core/store/fixtures/esquema-1.wfg"), ruta));
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return ruta;
}
#endif

inline QString escribir(const QString& dir, const QString& nombre, const QByteArray& datos) {
    const QString ruta = QDir(dir).filePath(nombre);
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(datos);
    return ruta;
}

// Every row of a query as texts.
inline QList<QStringList> filas(Conexion& db, const QString& sql, const QVariantList& parametros = {}) {
    const auto st = db.preparar(sql);
    st->enlazarTodos(parametros);
    QList<QStringList> r;
    while (st->paso()) {
        QStringList fila;
        for (int i = 0; i < st->columnas(); ++i)
            fila << st->texto(i);
        r << fila;
    }
    return r;
}

inline qint64 cantidadInfracciones(Conexion& db) {
    return filas(db, QStringLiteral("SELECT count(*) FROM Infracciones")).at(0).at(0).toLongLong();
}

// A client as the editor stores it, with a known last and previous inspection.
inline void agregarCliente(Conexion& db, const QString& numero) {
    db.ejecutar(QStringLiteral(
                    "INSERT INTO Clientes (NumeroCliente,Nombre,Localidad,Telefono,NombreLocal,FechadeAlta,"
                    "UltimaInspeccionFecha,UltimaInspeccionHora,AnteriorInspeccionFecha,"
                    "AnteriorInspeccionHora,Notas,ActivacionBandaHoraria,ActivacionBanda1) VALUES "
                    "(?,'Pe''ña Hnos.','Quilmes','4253-1111','Bar','20100301','20110105','101010',"
                    "'20100105','090909','sin notas','No','No')"),
                {numero});
}

// Client columns the import must never touch, then the inspection and band columns.
inline QList<QStringList> clientes(Conexion& db, const QString& numero) {
    return filas(
        db,
        QStringLiteral("SELECT NumeroCliente,Nombre,Localidad,Telefono,NombreLocal,FechadeAlta,Notas,"
                       "UltimaInspeccionFecha,UltimaInspeccionHora,AnteriorInspeccionFecha,"
                       "AnteriorInspeccionHora,ActivacionBandaHoraria,ActivacionBanda1,fechainicio,"
                       "fechafin,horainicio,MinutosInicio,HoraFin,MinutosFin,ActivacionBanda2,"
                       "fechainicio2,fechafin2,horainicio2,MinutosInicio2,HoraFin2,MinutosFin2,"
                       "ActivacionBanda3,fechainicio3,fechafin3,horainicio3,MinutosInicio3,HoraFin3,"
                       "MinutosFin3 FROM Clientes WHERE NumeroCliente = ? ORDER BY Id"),
        {numero});
}

inline QList<QStringList> infracciones(Conexion& db, const QString& numero) {
    return filas(
        db,
        QStringLiteral("SELECT NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,Estado,"
                       "TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,"
                       "segpenal,nivelconsola,nivelruido,contadorinf FROM Infracciones "
                       "WHERE NumeroCliente = ? ORDER BY id"),
        {numero});
}

} // namespace prueba
