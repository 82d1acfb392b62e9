#include "import/Importacion.h"

#include "store/BaseDatos.h"
#include "store/Sentencias.h"

namespace {

// Often enough for the windows to repaint, rare enough to cost nothing.
constexpr qsizetype kFilasEntreEventos = 4096;

ResultadoImportacion fallo(EstadoImportacion estado, const QString& detalle) {
    ResultadoImportacion r;
    r.estado = estado;
    r.detalle = detalle;
    return r;
}

} // namespace

QStringList valoresInfraccion(const CabeceraInspeccion& c, const RegistroInfraccion& r,
                              const QString& inspector) {
    // The rows carry the file's own client number, whatever the preview showed.
    return {c.numeroCliente, r.fecha,        r.hora,         r.nivelDb,    r.estatus,     r.bateria,
            r.red,           r.compresion,   inspector,      c.maxDb,      c.dbAtenuador, c.excesos,
            c.calibracion,   c.segPenalizar, c.nivelConsola, c.nivelRuido, r.contador};
}

QStringList valoresBandas(const CabeceraInspeccion& c) {
    QStringList v{c.activacionBandas};
    for (const BandaHoraria& b : c.bandas)
        v << b.activacion << b.diaInicio << b.diaFin << b.horaInicio << b.minutosInicio << b.horaFin
          << b.minutosFin;
    return v;
}

ResultadoImportacion leerArchivoImportacion(const QString& ruta, ArchivoImportacion& archivo) {
    if (ruta.isEmpty())
        return fallo(EstadoImportacion::ArchivoIlegible, QStringLiteral("No se seleccionó ningún archivo."));
    QString error;
    std::optional<QByteArray> datos = leerArchivoInspeccion(ruta, &error);
    if (!datos)
        return fallo(EstadoImportacion::ArchivoIlegible, error);
    return prepararImportacion(*datos, archivo);
}

ResultadoImportacion prepararImportacion(const QByteArray& datos, ArchivoImportacion& archivo) {
    // A first pass over every record, storing nothing: a fault at the last byte must stop the
    // import before the first row is written.
    qsizetype registros = 0;
    const ErrorArchivo error = verificarArchivo(datos, &registros);
    if (error.hayError())
        return fallo(EstadoImportacion::ArchivoNoValido, error.texto());
    CabeceraInspeccion cabecera;
    decodificarCabecera(datos, cabecera);

    archivo.datos = datos;
    archivo.cabecera = std::move(cabecera);
    archivo.registros = registros;
    ResultadoImportacion r;
    r.registros = registros;
    return r;
}

bool archivoConserva(const QString& ruta, const QByteArray& datos) {
    const std::optional<QByteArray> ahora = leerArchivoInspeccion(ruta);
    return ahora && *ahora == datos;
}

ResultadoImportacion escribirImportacion(Database& db, const ArchivoImportacion& archivo,
                                         const DatosImportacion& datos) {
    const auto cambiado = [&] {
        return fallo(EstadoImportacion::ArchivoCambiado,
                     QStringLiteral("El archivo %1 cambió después de leerse.").arg(datos.ruta));
    };
    if (!datos.ruta.isEmpty() && !archivoConserva(datos.ruta, archivo.datos))
        return cambiado();
    ResultadoImportacion r;
    try {
        Transaccion t(db);
        const Consulta actualizar = Sentencias::actualizarClienteImportacion(
            datos.numeroCliente, datos.fecha.toString(QStringLiteral("yyyyMMdd")),
            datos.hora.toString(QStringLiteral("HHmmss")), valoresBandas(archivo.cabecera));
        db.ejecutar(actualizar.sql, actualizar.parametros);
        r.clientesActualizados = db.filasAfectadas();

        Statement insertar(db, Sentencias::insertarInfraccion(QStringList(17, QString())).sql);
        DecodificadorRegistros dec(archivo.datos);
        RegistroInfraccion registro;
        while (dec.siguiente(registro)) {
            insertar.reiniciar();
            const QStringList valores = valoresInfraccion(archivo.cabecera, registro, datos.inspector);
            for (int k = 0; k < valores.size(); ++k)
                insertar.enlazar(k + 1, valores.at(k));
            while (insertar.paso()) {
            }
            ++r.registros;
            if (datos.progreso && r.registros % kFilasEntreEventos == 0)
                datos.progreso(r.registros, archivo.registros);
        }
        // The bytes were checked before; a difference now means they are not what was checked.
        if (!dec.valido() || r.registros != archivo.registros)
            return fallo(EstadoImportacion::ArchivoNoValido, dec.error().texto());
        // The windows repainted while writing; whatever replaced the file meanwhile is not what
        // the user confirmed.
        if (!datos.ruta.isEmpty() && !archivoConserva(datos.ruta, archivo.datos))
            return cambiado();
        t.confirmar();
    } catch (const ErrorBD& e) {
        ResultadoImportacion f = fallo(EstadoImportacion::ErrorBaseDatos, e.descripcion());
        f.causaTecnica = e.detalles();
        return f;
    }
    // Deleted before anyone is told: a program ended at a message must not leave the file to be
    // imported a second time.
    if (datos.borrar && !datos.ruta.isEmpty()) {
        if (!archivoConserva(datos.ruta, archivo.datos))
            r.borrado = EstadoBorrado::Cambiado;
        else
            r.borrado = datos.borrar(datos.ruta) ? EstadoBorrado::Borrado : EstadoBorrado::NoBorrado;
    }
    return r;
}

ResultadoImportacion importarArchivo(Database& db, const QString& ruta, const DatosImportacion& datos) {
    ArchivoImportacion archivo;
    ResultadoImportacion r = leerArchivoImportacion(ruta, archivo);
    if (!r.ok())
        return r;
    return escribirImportacion(db, archivo, datos);
}

bool existeCliente(Database& db, const QString& numeroCliente) {
    const Consulta c = Sentencias::existeCliente(numeroCliente);
    Statement st(db, c.sql);
    st.enlazarTodos(c.parametros);
    return st.paso();
}
