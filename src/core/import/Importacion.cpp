#include "core/import/Importacion.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"

#include "core/import/SentenciasImportaciones.h"
#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"
#include "core/store/ResumenMensual.h"
#include "core/store/Sentencias.h"
#include "core/store/Utf8En.h"

#include <QFileInfo>
#include <QSysInfo>

#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_set>

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

FilaInfraccion valoresInfraccion(const CabeceraInspeccion& c, const RegistroInfraccion& r,
                                 const QString& inspector) {
    FilaInfraccion f;
    // The rows carry the file's own client number, whatever the preview showed.
    f.numeroCliente = c.numeroCliente;
    f.fecha = r.fecha;
    f.hora = r.hora;
    f.nivelDb = r.nivelDb;
    f.microfono = r.estatus;
    f.estado = r.bateria;
    f.tensionLinea = r.red;
    f.porcentajeCompresion = r.compresion;
    f.inspector = inspector;
    f.maxDb = c.maxDb;
    f.dbAten = c.dbAtenuador;
    f.excesos = c.excesos;
    f.calDb = c.calibracion;
    f.segPenal = c.segPenalizar;
    f.nivelConsola = c.nivelConsola;
    f.nivelRuido = c.nivelRuido;
    f.contadorInf = r.contador;
    return f;
}

BandasCliente valoresBandas(const CabeceraInspeccion& c) {
    BandasCliente b;
    b.activacion = c.activacionBandas;
    for (std::size_t i = 0; i < b.bandas.size(); ++i)
        b.bandas[i] = c.bandas[i];
    return b;
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
    // The hash is taken on another core meanwhile.
    std::future<QString> huella;
    try {
        huella = std::async(std::launch::async, HuellaSha256, datos);
    } catch (const std::system_error&) {
        huella = std::async(std::launch::deferred, HuellaSha256, datos);
    }
    qsizetype registros = 0;
    const ErrorArchivo error = verificarArchivo(datos, &registros);
    if (error.hayError())
        return fallo(EstadoImportacion::ArchivoNoValido, error.texto());
    CabeceraInspeccion cabecera;
    decodificarCabecera(datos, cabecera);

    archivo.datos = datos;
    archivo.cabecera = std::move(cabecera);
    archivo.registros = registros;
    archivo.sha256 = huella.get();
    ResultadoImportacion r;
    r.registros = registros;
    return r;
}

bool archivoConserva(const QString& ruta, const QByteArray& datos) {
    const std::optional<QByteArray> ahora = leerArchivoInspeccion(ruta);
    return ahora && *ahora == datos;
}

namespace {

// A record as the overlap check compares it: date, time, status and level, as stored.
using Claves = std::unordered_set<std::string>;

void agregarCampo(std::string& clave, const char* datos, int largo) {
    clave.append(datos, static_cast<size_t>(largo));
    clave.push_back('\x1f');
}

std::string claveRegistro(const RegistroInfraccion& r) {
    std::string clave;
    for (const QString* v : {&r.fecha, &r.hora, &r.estatus, &r.nivelDb}) {
        const QByteArray b = v->toUtf8();
        agregarCampo(clave, b.constData(), static_cast<int>(b.size()));
    }
    return clave;
}

// The earliest and latest record date of a checked file as stored ("20" + yymmdd), read from the
// bytes; none when some date is not all digits (then the whole client is compared).
std::optional<std::pair<QString, QString>> rangoFechas(const QByteArray& datos) {
    QByteArray menor, mayor;
    for (qsizetype p = kLongitudCabecera; p + kLongitudRegistro <= datos.size(); p += kLongitudRegistro) {
        const QByteArray fecha = datos.mid(p, 6);
        for (char c : fecha)
            if (c < '0' || c > '9')
                return std::nullopt;
        if (menor.isEmpty() || fecha < menor)
            menor = fecha;
        if (mayor.isEmpty() || fecha > mayor)
            mayor = fecha;
    }
    if (menor.isEmpty())
        return std::nullopt;
    return std::pair(QStringLiteral("20") + QString::fromLatin1(menor),
                     QStringLiteral("20") + QString::fromLatin1(mayor));
}

// The client's stored rows that may equal a record of the file: only its dates are read, through
// the (client, date) index, so a client with years of rows costs nothing here.
Claves clavesGuardadas(Conexion& db, const QString& numeroCliente, const QByteArray& datos) {
    const std::optional<std::pair<QString, QString>> rango = rangoFechas(datos);
    // The status is stored in the Microfono column.
    const auto st = db.preparar(SentenciasImportaciones::clavesGuardadas(rango.has_value()));
    st->enlazar(1, numeroCliente);
    if (rango) {
        st->enlazar(2, rango->first);
        st->enlazar(3, rango->second);
    }
    Claves claves;
    std::string clave;
    while (st->paso()) {
        clave.clear();
        for (int i = 0; i < 4; ++i) {
            int largo = 0;
            const char* b = st->bytes(i, largo);
            agregarCampo(clave, b ? b : "", b ? largo : 0);
        }
        claves.insert(clave);
    }
    return claves;
}

} // namespace

AnalisisImportacion analizarImportacion(Conexion& db, const ArchivoImportacion& archivo) {
    AnalisisImportacion a;
    a.previas = ImportacionesConHuella(db, archivo.sha256);
    const QString& numero = archivo.cabecera.numeroCliente;
    const Claves guardadas = clavesGuardadas(db, numero, archivo.datos);
    if (!guardadas.empty()) {
        DecodificadorRegistros dec(archivo.datos);
        RegistroInfraccion r;
        while (dec.siguiente(r))
            a.solapados += guardadas.count(claveRegistro(r)) ? 1 : 0;
    }
    if (const std::optional<ConfiguracionEquipo> antes = ConfiguracionAnterior(db, numero))
        a.cambios = CambiosConfiguracion(*antes, ConfiguracionDe(archivo.cabecera));
    return a;
}

ResultadoImportacion escribirImportacion(Conexion& db, const ArchivoImportacion& archivo,
                                         const DatosImportacion& datos) {
    const auto cambiado = [&] {
        return fallo(EstadoImportacion::ArchivoCambiado,
                     QStringLiteral("El archivo %1 cambió después de leerse.").arg(datos.ruta));
    };
    if (!datos.ruta.isEmpty() && !archivoConserva(datos.ruta, archivo.datos))
        return cambiado();
    // The transaction is rolled back on the way out, as on any failure.
    const auto cancelada = [&] {
        return fallo(EstadoImportacion::Cancelada,
                     QStringLiteral("Importación cancelada: no se guardó ningún dato."));
    };
    const auto seguir = [&](qsizetype hechos) {
        if (datos.progreso)
            datos.progreso(hechos, archivo.registros);
        return !(datos.cancelar && datos.cancelar());
    };
    const CabeceraInspeccion& c = archivo.cabecera;
    // The original is compressed on another core while the rows are written; it joins the log
    // before the commit.
    std::future<QByteArray> comprimido;
    try {
        comprimido = std::async(std::launch::async, ComprimirOriginal, archivo.datos);
    } catch (const std::system_error&) {
        comprimido = std::async(std::launch::deferred, ComprimirOriginal, archivo.datos);
    }
    ResultadoImportacion r;
    try {
        Transaccion t(db);
        // The import's own changes to its client belong to its log entry.
        const QJsonObject clienteAntes = DatosClientePorNumero(db, datos.numeroCliente);
        const Consulta actualizar = Sentencias::actualizarClienteImportacion(
            datos.numeroCliente, datos.fecha.toString(QStringLiteral("yyyyMMdd")),
            datos.hora.toString(QStringLiteral("HHmmss")), valoresBandas(c));
        db.ejecutar(actualizar.sql, actualizar.parametros);
        r.clientesActualizados = db.filasAfectadas();
        // On the server that update holds the client row until the end: a deletion at another desk
        // waits for this import, or came first and the client is gone.
        if (db.dialecto().variosPuestos() && r.clientesActualizados == 0)
            return fallo(EstadoImportacion::ErrorBaseDatos,
                         QStringLiteral("El cliente %1 no está en el registro compartido (otro puesto pudo "
                                        "haberlo eliminado). No se importó nada.")
                             .arg(datos.numeroCliente));

        // Read inside the transaction: what is compared is what the rows will join.
        const Claves guardadas =
            datos.omitirSolapados ? clavesGuardadas(db, c.numeroCliente, archivo.datos) : Claves();
        ImportacionRegistrada entrada;
        entrada.numeroCliente = c.numeroCliente;
        entrada.nombreArchivo =
            datos.nombreArchivo.isEmpty() ? QFileInfo(datos.ruta).fileName() : datos.nombreArchivo;
        entrada.tamano = archivo.datos.size();
        entrada.sha256 = archivo.sha256.isEmpty() ? HuellaSha256(archivo.datos) : archivo.sha256;
        entrada.fechaInspeccion = c.fechaVistaPrevia;
        entrada.horaInspeccion = c.horaVistaPrevia;
        entrada.registros = archivo.registros;
        entrada.configuracion = ConfiguracionDe(c);
        if (const std::optional<ConfiguracionEquipo> antes = ConfiguracionAnterior(db, c.numeroCliente))
            entrada.cambios = DescribirCambios(CambiosConfiguracion(*antes, entrada.configuracion));
        entrada.usuario = datos.inspector;
        entrada.equipo = datos.equipo.isEmpty() ? QSysInfo::machineHostName() : datos.equipo;
        entrada.momento = datos.momento;
        const qsizetype previas = ImportacionesConHuella(db, entrada.sha256).size();
        // The log row is written once, with its counts: a first pass over the records finds them
        // (decoding costs little beside writing the rows).
        {
            DecodificadorRegistros cuenta(archivo.datos);
            RegistroInfraccion leido;
            for (bool primero = true; cuenta.siguiente(leido); primero = false) {
                if (primero)
                    entrada.primerRegistro = leido.fecha;
                entrada.ultimoRegistro = leido.fecha;
                if (!guardadas.empty() && guardadas.count(claveRegistro(leido)))
                    ++entrada.omitidos;
                else
                    ++entrada.guardados;
            }
        }
        r.idImportacion = RegistrarEntradaImportacion(db, entrada);

        // Header values and the log id are the same for every row: encoded once.
        const QByteArray fijos[] = {
            c.numeroCliente.toUtf8(), datos.inspector.toUtf8(), c.maxDb.toUtf8(),
            c.dbAtenuador.toUtf8(),   c.excesos.toUtf8(),       c.calibracion.toUtf8(),
            c.segPenalizar.toUtf8(),  c.nivelConsola.toUtf8(),  c.nivelRuido.toUtf8()};
        const auto insertar = db.preparar(Sentencias::insertarInfraccionImportada());
        // The office summary's monthly counts of these rows, kept in the same transaction.
        const std::optional<qint64> hastaAntes = HastaActual(db);
        CuentaMensual cuentaMensual(c.numeroCliente, c.maxDb);
        DecodificadorRegistros dec(archivo.datos);
        RegistroInfraccion registro;
        QByteArray propios[8]; // the record's own values, in buffers reused row after row
        qsizetype leidos = 0;
        while (dec.siguiente(registro)) {
            ++leidos;
            if (leidos % kFilasEntreEventos == 0 && !seguir(leidos))
                return cancelada();
            if (!guardadas.empty() && guardadas.count(claveRegistro(registro))) {
                ++r.omitidos;
                continue;
            }
            const QString* valores[] = {&registro.fecha,      &registro.hora,    &registro.nivelDb,
                                        &registro.estatus,    &registro.bateria, &registro.red,
                                        &registro.compresion, &registro.contador};
            for (int k = 0; k < 8; ++k)
                Utf8En(propios[k], *valores[k]);
            insertar->reiniciar();
            // The columns valoresInfraccion() fills: the status goes in Microfono, the battery in
            // Estado, as stored files have them.
            insertar->enlazarUtf8(1, fijos[0]);
            insertar->enlazarUtf8(2, propios[0]);
            insertar->enlazarUtf8(3, propios[1]);
            insertar->enlazarUtf8(4, propios[2]);
            insertar->enlazarUtf8(5, propios[3]);
            insertar->enlazarUtf8(6, propios[4]);
            insertar->enlazarUtf8(7, propios[5]);
            insertar->enlazarUtf8(8, propios[6]);
            for (int k = 1; k < 9; ++k)
                insertar->enlazarUtf8(8 + k, fijos[k]);
            insertar->enlazarUtf8(17, propios[7]);
            insertar->enlazar(18, r.idImportacion);
            while (insertar->paso()) {
            }
            if (hastaAntes)
                cuentaMensual.agregar(registro.fecha, registro.estatus, registro.nivelDb);
            ++r.registros;
        }
        // The bytes were checked before; a difference now means they are not what was checked.
        if (!dec.valido() || leidos != archivo.registros)
            return fallo(EstadoImportacion::ArchivoNoValido, dec.error().texto());
        cuentaMensual.guardar(db, hastaAntes);
        GuardarOriginal(db, r.idImportacion, comprimido.get());
        AgregarEntrada(db, datos.inspector, QStringLiteral("importacion"), QString::number(r.idImportacion),
                       {{QStringLiteral("importacion"), r.idImportacion},
                        {QStringLiteral("cliente"), datos.numeroCliente},
                        {QStringLiteral("archivo"), entrada.nombreArchivo},
                        {QStringLiteral("sha256"), entrada.sha256},
                        {QStringLiteral("registros"), static_cast<qint64>(archivo.registros)},
                        {QStringLiteral("guardados"), static_cast<qint64>(r.registros)},
                        {QStringLiteral("omitidos"), static_cast<qint64>(r.omitidos)},
                        // The answers to the questions asked before: import bytes imported before again,
                        // and leave out records already stored.
                        {QStringLiteral("importada_antes"), static_cast<qint64>(previas)},
                        {QStringLiteral("reimportar"), previas > 0},
                        {QStringLiteral("omitir_solapados"), datos.omitirSolapados},
                        {QStringLiteral("cambios_cliente"),
                         CambiosDatos(clienteAntes, DatosClientePorNumero(db, datos.numeroCliente))}});
        // The last word before the commit, however short the file.
        if (!seguir(leidos))
            return cancelada();
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

ResultadoImportacion importarArchivo(Conexion& db, const QString& ruta, const DatosImportacion& datos) {
    ArchivoImportacion archivo;
    ResultadoImportacion r = leerArchivoImportacion(ruta, archivo);
    if (!r.ok())
        return r;
    return escribirImportacion(db, archivo, datos);
}

bool existeCliente(Conexion& db, const QString& numeroCliente) {
    const Consulta c = Sentencias::existeCliente(numeroCliente);
    const auto st = db.preparar(c.sql);
    st->enlazarTodos(c.parametros);
    return st->paso();
}
