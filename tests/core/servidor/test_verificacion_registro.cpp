// "Verificar registro" on a real register of either store, tampered with by hand one way at a time:
// each change is found and named exactly (client, date, time, field, both values, entry).
#include "Almacenes.h"
#include "ArchivosDePrueba.h"
#include "FilasDePrueba.h"
#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"
#include "core/actividad/VerificacionRegistro.h"
#include "core/import/Importacion.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

// `n` records of 28/09/2011 from 14:00:30, one a minute, levels 070 up, statuses in turn.
QByteArray archivoVariado(int n, const QByteArray& cliente = "0123") {
    QByteArray d = prueba::cabecera(cliente);
    const char estatus[] = "1234560";
    for (int i = 0; i < n; ++i)
        d += "110928" + QByteArray::number(1400 + i).rightJustified(4, '0') + "30" + "125" + '1' +
             estatus[i % 7] + QByteArray::number(70 + i).rightJustified(3, '0') + "042" + ' ' + '\n';
    return d;
}

class VerificacionRegistro : public ::testing::TestWithParam<Almacen> {
protected:
    void SetUp() override {
        PREPARAR_ALMACEN(registro, GetParam());
        oficina.emplace(registro.conexion());
        oficina->establecerUsuario(QStringLiteral("Administrador"));
        Cliente c = prueba::clienteDe(prueba::partes("0123|Peña Hnos.||Quilmes"));
        oficina->guardarCliente(c);
        importar(archivoVariado(30));
    }

    qint64 importar(const QByteArray& datos) {
        ArchivoImportacion archivo;
        EXPECT_TRUE(prepararImportacion(datos, archivo).ok());
        DatosImportacion d;
        d.numeroCliente = archivo.cabecera.numeroCliente;
        d.fecha = QDate(2011, 9, 28);
        d.hora = QTime(14, 5, 30);
        const ResultadoImportacion r = oficina->importar(archivo, d);
        EXPECT_TRUE(r.ok()) << r.detalle.toStdString();
        return r.idImportacion;
    }

    Conexion& db() { return registro.conexion(); }
    void sql(const QString& texto, const QVariantList& parametros = {}) { db().ejecutar(texto, parametros); }
    qint64 idFila(const char* hora) {
        return prueba::filas(db(), QStringLiteral("SELECT id FROM Infracciones WHERE HoraInfraccion = ?"),
                             {QString::fromLatin1(hora)})
            .at(0)
            .at(0)
            .toLongLong();
    }

    // The check's report, which must hold exactly one difference.
    Diferencia unaDiferencia() {
        const InformeVerificacion r = VerificarRegistro(db());
        EXPECT_FALSE(r.correcto());
        EXPECT_EQ(r.diferencias.size(), 1u) << TextoInforme(r).toStdString();
        return r.diferencias.empty() ? Diferencia() : r.diferencias.front();
    }

    // The log's guards, dropped as whoever edits it by hand must.
    void sinGuardasDelRegistro() {
        if (GetParam() == Almacen::Archivo) {
            sql(QStringLiteral("DROP TRIGGER registroactividad_sin_cambios"));
            sql(QStringLiteral("DROP TRIGGER registroactividad_sin_borrado"));
        } else {
            sql(QStringLiteral("DROP TRIGGER registroactividad_sin_cambios ON RegistroActividad"));
        }
    }

    void anotarSesion() {
        Transaccion t(db());
        AgregarEntrada(db(), QStringLiteral("Administrador"), QStringLiteral("sesion.aceptada"),
                       QStringLiteral("Administrador"), {});
        t.confirmar();
    }

    void insertarFilaAnterior(const char* hora, const char* nivel = "080") {
        sql(QStringLiteral(
                "INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB) "
                "VALUES ('0123', '20100101', ?, ?)"),
            {QString::fromLatin1(hora), QString::fromLatin1(nivel)});
    }

    // Everything but the activity log, to tell that the check wrote nothing else.
    QString contenido() {
        QString t;
        for (const char* tabla : {"Clientes", "Importaciones", "Infracciones", "OriginalesImportacion"})
            for (const QStringList& fila :
                 prueba::filas(db(), QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(QLatin1String(tabla))))
                t += fila.join(u'|') + u'\n';
        return t;
    }

    QString contar(const QString& consulta) { return prueba::filas(db(), consulta).at(0).at(0); }

    RegistroDePrueba registro;
    std::optional<Oficina> oficina;
};

TEST_P(VerificacionRegistro, RegistroIntactoEsCorrecto) {
    importar(archivoVariado(5, "0123").replace("110928", "120101"));
    const InformeVerificacion r = VerificarRegistro(db());
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_EQ(r.importaciones, 2);
    EXPECT_EQ(r.originales, 2);
    EXPECT_EQ(r.filas, 35);
    EXPECT_TRUE(TextoInforme(r).startsWith(QStringLiteral("Registro correcto")));
}

TEST_P(VerificacionRegistro, NivelFechaYEstatusCambiados) {
    struct Caso {
        const char* columna;
        const char* valor;
        const char* original;
    };
    for (const Caso& c : {Caso{"NiveldB", "099", "075"}, Caso{"FechaInfraccion", "20110929", "20110928"},
                          Caso{"Microfono", "L. SHOW", "APERT. GAB."}}) {
        SCOPED_TRACE(c.columna);
        // Record 5 (14:05) has status 6, "APERT. GAB."; each case is undone before the next.
        const qint64 id = idFila("140530");
        const QString antes =
            prueba::filas(
                db(),
                QStringLiteral("SELECT %1 FROM Infracciones WHERE id = ?").arg(QLatin1String(c.columna)),
                {id})
                .at(0)
                .at(0);
        sql(QStringLiteral("UPDATE Infracciones SET %1 = ? WHERE id = ?").arg(QLatin1String(c.columna)),
            {QString::fromLatin1(c.valor), id});
        const Diferencia d = unaDiferencia();
        EXPECT_EQ(d.clase, ClaseDiferencia::FilaCambiada);
        EXPECT_EQ(d.cliente, QStringLiteral("0123"));
        EXPECT_EQ(d.fecha, QStringLiteral("20110928"));
        EXPECT_EQ(d.hora, QStringLiteral("140530"));
        EXPECT_EQ(d.campo, QLatin1String(c.columna));
        EXPECT_EQ(d.guardado, QLatin1String(c.valor));
        EXPECT_EQ(d.original, QLatin1String(c.original));
        EXPECT_EQ(d.fila, id);
        EXPECT_TRUE(d.texto().contains(QStringLiteral("cliente 0123, 28/09/2011 14:05:30")))
            << d.texto().toStdString();
        sql(QStringLiteral("UPDATE Infracciones SET %1 = ? WHERE id = ?").arg(QLatin1String(c.columna)),
            {antes, id});
    }
    EXPECT_TRUE(VerificarRegistro(db()).correcto());
}

TEST_P(VerificacionRegistro, FilaBorrada) {
    sql(QStringLiteral("DELETE FROM Infracciones WHERE id = ?"), {idFila("141230")});
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::FilaFalta);
    EXPECT_EQ(d.cliente, QStringLiteral("0123"));
    EXPECT_EQ(d.hora, QStringLiteral("141230"));
    EXPECT_EQ(d.fecha, QStringLiteral("20110928"));
}

TEST_P(VerificacionRegistro, FilaAgregadaAUnaImportacion) {
    const QString idImportacion =
        prueba::filas(db(), QStringLiteral("SELECT max(Id) FROM Importaciones")).at(0).at(0);
    sql(QStringLiteral(
            "INSERT INTO Infracciones (NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,"
            "Estado,TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,segpenal,"
            "nivelconsola,nivelruido,contadorinf,IdImportacion) VALUES ('0123','20110928','235959',"
            "'120','EXCESO INF.','12,5 V','SI','042','Administrador','085','010','003','- 05','030',"
            "'070','060','BLOQ.',?)"),
        {idImportacion.toLongLong()});
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::FilaSobrante);
    EXPECT_EQ(d.hora, QStringLiteral("235959"));
    EXPECT_EQ(d.importacion, idImportacion.toLongLong());
}

TEST_P(VerificacionRegistro, OriginalAlterado) {
    QByteArray otro = archivoVariado(30);
    otro[kLongitudCabecera + 17] = '9'; // one level of the file
    const auto st = db().preparar(QStringLiteral("UPDATE OriginalesImportacion SET Datos = ?"));
    st->enlazarBlob(1, ComprimirOriginal(otro));
    st->paso();
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::OriginalAlterado);
    EXPECT_EQ(d.guardado, HuellaSha256(otro));
    EXPECT_EQ(d.original, HuellaSha256(archivoVariado(30)));
    EXPECT_EQ(d.cliente, QStringLiteral("0123"));
}

TEST_P(VerificacionRegistro, RegistrosOmitidosAlImportarNoFaltan) {
    // The same records again in another file: all left out as already stored, none missing.
    QByteArray otra = archivoVariado(32);
    otra[5] = '9'; // another inspection date, so other bytes
    importar(otra);
    EXPECT_TRUE(VerificarRegistro(db()).correcto());
    // A left-out record is not what a deleted row looks like: the deletion is still found.
    sql(QStringLiteral("DELETE FROM Infracciones WHERE HoraInfraccion = '143130'"));
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::FilaFalta);
    EXPECT_EQ(d.hora, QStringLiteral("143130"));
}

// The office's own changes replay from the log to what is stored: an edit, a withdrawal, a
// restitution and a client's deletion leave a register that checks clean.
TEST_P(VerificacionRegistro, CambiosRegistradosVerificanLimpio) {
    oficina->abrirClientes();
    const qint64 idCliente = oficina->filasClientes().back().value(0).toLongLong();
    oficina->seleccionar(idCliente);
    Cliente c = *oficina->clienteSeleccionado();
    c.nombre = QStringLiteral("Peña e Hijos");
    c.telefono = QStringLiteral("4253-0000");
    oficina->guardarCliente(c);
    const qint64 segunda = importar(archivoVariado(5).replace("110928", "120101"));
    InformeVerificacion r = VerificarRegistro(db());
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_EQ(r.clientes, 1);
    oficina->eliminarImportacion(segunda, QStringLiteral("archivo equivocado"));
    r = VerificarRegistro(db());
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_EQ(r.retiradas, 1);
    if (GetParam() == Almacen::Archivo) {
        oficina->restituirImportacion(segunda);
        r = VerificarRegistro(db());
        EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    }
    oficina->seleccionar(idCliente);
    oficina->eliminarSeleccionado(QStringLiteral("cierre del local"));
    r = VerificarRegistro(db());
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_EQ(r.clientes, 0);
    EXPECT_EQ(r.retiradas, 2);
}

TEST_P(VerificacionRegistro, EntradaBorradaDelRegistro) {
    anotarSesion();
    anotarSesion();
    sinGuardasDelRegistro();
    sql(QStringLiteral("DELETE FROM RegistroActividad WHERE Secuencia = 3"));
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::CadenaRota);
    EXPECT_EQ(d.entrada, 3);
    EXPECT_TRUE(d.texto().startsWith(QStringLiteral("entrada 3 del registro de actividad: ")))
        << d.texto().toStdString();
    EXPECT_TRUE(d.detalle.contains(QStringLiteral("falta la entrada 3"))) << d.detalle.toStdString();
}

// A client changed by hand and its entry made to say so: only the chain tells, at that entry.
TEST_P(VerificacionRegistro, EntradaCambiadaEnElRegistro) {
    anotarSesion();
    sinGuardasDelRegistro();
    sql(QStringLiteral("UPDATE Clientes SET Nombre = 'Otro Dueño' WHERE NumeroCliente = '0123'"));
    sql(QStringLiteral(
        "UPDATE RegistroActividad SET Detalles = replace(Detalles, 'Peña Hnos.', 'Otro Dueño') "
        "WHERE Secuencia = 1"));
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::CadenaRota);
    EXPECT_EQ(d.entrada, 1);
    EXPECT_TRUE(d.detalle.contains(QStringLiteral("el contenido de la entrada 1 no corresponde a su hash")))
        << d.detalle.toStdString();
}

TEST_P(VerificacionRegistro, ClienteCambiadoAMano) {
    sql(QStringLiteral("UPDATE Clientes SET Nombre = 'Otro Dueño' WHERE NumeroCliente = '0123'"));
    const Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::ClienteCambiado);
    EXPECT_EQ(d.cliente, QStringLiteral("0123"));
    EXPECT_EQ(d.campo, QStringLiteral("Nombre"));
    EXPECT_EQ(d.guardado, QStringLiteral("Otro Dueño"));
    EXPECT_EQ(d.original, QStringLiteral("Peña Hnos."));
    EXPECT_GT(d.entrada, 0);
    sql(QStringLiteral("UPDATE Clientes SET Nombre = 'Peña Hnos.' WHERE NumeroCliente = '0123'"));
    sql(QStringLiteral("INSERT INTO Clientes (NumeroCliente, Nombre) VALUES ('0777', 'Nadie')"));
    const Diferencia sobrante = unaDiferencia();
    EXPECT_EQ(sobrante.clase, ClaseDiferencia::ClienteSobrante);
    EXPECT_EQ(sobrante.cliente, QStringLiteral("0777"));
}

// Rows from before the import log have no original: their count and digest are those of their
// client's baseline, so a row added, changed or deleted by hand is found all the same.
TEST_P(VerificacionRegistro, FilasAnterioresContraSuLineaBase) {
    insertarFilaAnterior("101010");
    insertarFilaAnterior("101110");
    {
        Transaccion t(db());
        EscribirLineaBase(db());
        t.confirmar();
    }
    InformeVerificacion r = VerificarRegistro(db());
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    ASSERT_EQ(r.sinOriginal.size(), 1u);
    EXPECT_EQ(r.sinOriginal[0].cliente, QStringLiteral("0123"));
    EXPECT_EQ(r.sinOriginal[0].filas, 2);
    EXPECT_EQ(r.filas, 30);
    EXPECT_TRUE(TextoInforme(r).contains(QStringLiteral("  cliente 0123: 2 filas")));
    const QString base = contar(QStringLiteral("SELECT max(Secuencia) FROM RegistroActividad WHERE Accion = "
                                               "'base.cliente'"));

    insertarFilaAnterior("101210");
    Diferencia d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::FilasAnteriores);
    EXPECT_EQ(d.cliente, QStringLiteral("0123"));
    EXPECT_EQ(d.campo, QStringLiteral("filas"));
    EXPECT_EQ(d.guardado, QStringLiteral("3"));
    EXPECT_EQ(d.original, QStringLiteral("2"));
    EXPECT_EQ(QString::number(d.entrada), base);
    sql(QStringLiteral("DELETE FROM Infracciones WHERE HoraInfraccion = '101210'"));

    sql(QStringLiteral("UPDATE Infracciones SET NiveldB = '099' WHERE HoraInfraccion = '101110'"));
    d = unaDiferencia();
    EXPECT_EQ(d.clase, ClaseDiferencia::FilasAnteriores);
    EXPECT_EQ(d.campo, QStringLiteral("digest"));
    sql(QStringLiteral("UPDATE Infracciones SET NiveldB = '080' WHERE HoraInfraccion = '101110'"));

    // A client with no baseline at all holds none.
    sql(QStringLiteral("INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion) VALUES "
                       "('0999', '20100101', '101010')"));
    d = unaDiferencia();
    EXPECT_EQ(d.cliente, QStringLiteral("0999"));
    EXPECT_EQ(d.guardado, QStringLiteral("1"));
    EXPECT_EQ(d.original, QStringLiteral("0"));
    sql(QStringLiteral("DELETE FROM Infracciones WHERE NumeroCliente = '0999'"));

    sql(QStringLiteral("DELETE FROM Infracciones WHERE HoraInfraccion = '101010'"));
    d = unaDiferencia();
    EXPECT_EQ(d.cliente, QStringLiteral("0123"));
    EXPECT_EQ(d.campo, QStringLiteral("filas"));
    EXPECT_EQ(d.guardado, QStringLiteral("1"));
}

// The kept original and its import log row altered together: the log's entry still holds the hash.
TEST_P(VerificacionRegistro, OriginalAlteradoConSuHuellaEnImportaciones) {
    QByteArray otro = archivoVariado(30);
    otro[kLongitudCabecera + 17] = '9';
    const auto st = db().preparar(QStringLiteral("UPDATE OriginalesImportacion SET Datos = ?"));
    st->enlazarBlob(1, ComprimirOriginal(otro));
    st->paso();
    sql(QStringLiteral("UPDATE Importaciones SET Sha256 = ?"), {HuellaSha256(otro)});
    const InformeVerificacion r = VerificarRegistro(db());
    ASSERT_EQ(r.diferencias.size(), 2u) << TextoInforme(r).toStdString();
    const Diferencia& tabla = r.diferencias[0];
    EXPECT_EQ(tabla.clase, ClaseDiferencia::ImportacionAlterada);
    EXPECT_EQ(tabla.campo, QStringLiteral("Sha256"));
    EXPECT_EQ(tabla.guardado, HuellaSha256(otro));
    EXPECT_EQ(tabla.original, HuellaSha256(archivoVariado(30)));
    EXPECT_EQ(tabla.entrada, 2);
    const Diferencia& original = r.diferencias[1];
    EXPECT_EQ(original.clase, ClaseDiferencia::OriginalAlterado);
    EXPECT_EQ(original.guardado, HuellaSha256(otro));
    EXPECT_EQ(original.original, HuellaSha256(archivoVariado(30)));
}

// The check writes its own entry, in its own transaction, and nothing else; a register that
// cannot be written is still checked, with a warning.
TEST_P(VerificacionRegistro, SuEntradaEsLoUnicoQueEscribe) {
    const QString antes = contenido();
    OpcionesVerificacion o;
    o.usuario = QStringLiteral("Administrador");
    o.origen = QStringLiteral("ventana");
    InformeVerificacion r = VerificarRegistro(db(), o);
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_TRUE(r.entradaEscrita);
    EXPECT_EQ(contenido(), antes);
    const QStringList ultima =
        prueba::filas(db(), QStringLiteral("SELECT Secuencia, Accion, Detalles FROM "
                                           "RegistroActividad ORDER BY Secuencia DESC"))
            .at(0);
    EXPECT_EQ(ultima.at(0), QStringLiteral("3"));
    EXPECT_EQ(ultima.at(1), QStringLiteral("verificacion.registro"));
    const QJsonObject detalles = QJsonDocument::fromJson(ultima.at(2).toUtf8()).object();
    EXPECT_EQ(detalles[QStringLiteral("resultado")].toString(), QStringLiteral("correcto"));
    EXPECT_EQ(detalles[QStringLiteral("cabeza_secuencia")].toInteger(), 2);
    EXPECT_EQ(detalles[QStringLiteral("origen")].toString(), QStringLiteral("ventana"));
    // Its entry chains like any other.
    EXPECT_TRUE(VerificarRegistro(db()).correcto());

    sql(GetParam() == Almacen::Archivo ? QStringLiteral("PRAGMA query_only = 1")
                                       : QStringLiteral("SET default_transaction_read_only = on"));
    r = VerificarRegistro(db(), o);
    EXPECT_TRUE(r.correcto()) << TextoInforme(r).toStdString();
    EXPECT_FALSE(r.entradaEscrita);
    EXPECT_FALSE(r.avisoEntrada.isEmpty());
    EXPECT_TRUE(TextoInforme(r).contains(
        QStringLiteral("Aviso: la verificación no quedó anotada en el registro de actividad")));
    EXPECT_EQ(contar(QStringLiteral("SELECT count(*) FROM RegistroActividad")), QStringLiteral("3"));
}

TEST_P(VerificacionRegistro, ProgresoYCancelacion) {
    OpcionesVerificacion o;
    qint64 avisos = 0;
    o.progreso = [&](qint64 hechos, qint64 total) {
        ++avisos;
        EXPECT_LE(hechos, total);
    };
    o.cancelar = [] { return true; };
    const InformeVerificacion r = VerificarRegistro(db(), o);
    EXPECT_TRUE(r.cancelada);
    EXPECT_FALSE(r.correcto());
    EXPECT_EQ(avisos, 1);
}

// The command line: no login, no question; 0 when correct, 1 with a difference, the report in
// Spanish or JSON.
TEST_P(VerificacionRegistro, OrdenDeLineaDeComandos) {
    const QStringList donde =
        GetParam() == Almacen::Archivo
            ? QStringList{QStringLiteral("--data-dir"), QFileInfo(db().archivo()).absolutePath()}
            : QStringList{QStringLiteral("--registro"), registro.conninfo()};
    registro.cerrar();
    const auto ejecutar = [&](const QStringList& extra) {
        QProcess p;
        p.start(QStringLiteral(VELMORA_BUILD_DIR "/velmora-kv270"),
                QStringList{QStringLiteral("--verificar-registro")} + donde + extra);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    auto [estado, salida] = ejecutar({});
    EXPECT_EQ(estado, 0) << salida.toStdString();
    EXPECT_TRUE(salida.startsWith(QStringLiteral("Registro correcto"))) << salida.toStdString();
    sql(QStringLiteral("UPDATE Infracciones SET NiveldB = '099' WHERE HoraInfraccion = '140530'"));
    registro.cerrar();
    std::tie(estado, salida) = ejecutar({QStringLiteral("--json")});
    EXPECT_EQ(estado, 1) << salida.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(salida.toUtf8()).object();
    EXPECT_FALSE(j[QStringLiteral("correcto")].toBool(true));
    const QJsonObject d = j[QStringLiteral("diferencias")].toArray().at(0).toObject();
    EXPECT_EQ(d[QStringLiteral("campo")].toString(), QStringLiteral("NiveldB"));
    EXPECT_EQ(d[QStringLiteral("guardado")].toString(), QStringLiteral("099"));
    EXPECT_EQ(d[QStringLiteral("original")].toString(), QStringLiteral("075"));
    std::tie(estado, salida) = ejecutar({});
    EXPECT_EQ(estado, 1);
    EXPECT_TRUE(salida.contains(QStringLiteral("campo NiveldB: guardado \"099\", en el original \"075\"")))
        << salida.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Almacenes, VerificacionRegistro,
                         ::testing::Values(Almacen::Archivo, Almacen::Servidor), NombreAlmacen);

} // namespace
