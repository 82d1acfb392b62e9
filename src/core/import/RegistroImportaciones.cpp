#include "core/import/RegistroImportaciones.h"

#include "core/clients/BandasCliente.h"
#include "core/import/SentenciasImportaciones.h"
#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

#include <QLocale>
#include <QSysInfo>
#include <QTimeZone>

namespace {

const QString kFormatoLocal = QStringLiteral("yyyy-MM-dd HH:mm:ss");

ImportacionRegistrada leerFila(const Sentencia& st) {
    ImportacionRegistrada r;
    int i = 0;
    r.id = st.entero(i++);
    r.numeroCliente = st.texto(i++);
    r.nombreArchivo = st.texto(i++);
    r.tamano = st.entero(i++);
    r.sha256 = st.texto(i++);
    r.fechaInspeccion = st.texto(i++);
    r.horaInspeccion = st.texto(i++);
    r.registros = st.entero(i++);
    r.guardados = st.entero(i++);
    r.omitidos = st.entero(i++);
    r.primerRegistro = st.texto(i++);
    r.ultimoRegistro = st.texto(i++);
    ConfiguracionEquipo& c = r.configuracion;
    for (QString* v : {&c.maxDb, &c.dbAtenuador, &c.excesos, &c.calibracion, &c.segPenalizar, &c.nivelConsola,
                       &c.nivelRuido, &c.activacionBandas, &c.bandas[0], &c.bandas[1], &c.bandas[2]})
        *v = st.texto(i++);
    r.usuario = st.texto(i++);
    r.equipo = st.texto(i++);
    ++i; // the local text is for people reading the file; the moment is the UTC one
    r.momento = QDateTime::fromString(st.texto(i++), Qt::ISODate).toLocalTime();
    r.cambios = st.texto(i++);
    r.retirada = st.entero(i++) != 0;
    return r;
}

std::vector<ImportacionRegistrada> leer(Conexion& db, const QString& donde, const QVariantList& parametros) {
    const auto st = db.preparar(SentenciasImportaciones::leerLog(donde));
    st->enlazarTodos(parametros);
    std::vector<ImportacionRegistrada> filas;
    while (st->paso())
        filas.push_back(leerFila(*st));
    return filas;
}

} // namespace

QString TextoBanda(const BandaHoraria& b) {
    if (b.activacion.isEmpty() && b.diaInicio.isEmpty() && b.horaInicio.isEmpty())
        return QString();
    return QStringLiteral("%1; %2 %3:%4 a %5 %6:%7")
        .arg(b.activacion, b.diaInicio, b.horaInicio, b.minutosInicio, b.diaFin, b.horaFin, b.minutosFin);
}

ConfiguracionEquipo ConfiguracionDe(const CabeceraInspeccion& c) {
    return {c.maxDb,
            c.dbAtenuador,
            c.excesos,
            c.calibracion,
            c.segPenalizar,
            c.nivelConsola,
            c.nivelRuido,
            c.activacionBandas,
            {TextoBanda(c.bandas[0]), TextoBanda(c.bandas[1]), TextoBanda(c.bandas[2])}};
}

std::vector<CambioConfiguracion> CambiosConfiguracion(const ConfiguracionEquipo& a,
                                                      const ConfiguracionEquipo& b) {
    const std::pair<const char*, const QString ConfiguracionEquipo::*> valores[] = {
        {"Max. dB", &ConfiguracionEquipo::maxDb},
        {"dB atenuador", &ConfiguracionEquipo::dbAtenuador},
        {"Excesos", &ConfiguracionEquipo::excesos},
        {"Calibración dB", &ConfiguracionEquipo::calibracion},
        {"Seg. antes de penalizar", &ConfiguracionEquipo::segPenalizar},
        {"Nivel de consola", &ConfiguracionEquipo::nivelConsola},
        {"Nivel de ruido", &ConfiguracionEquipo::nivelRuido},
        {"Bandas horarias", &ConfiguracionEquipo::activacionBandas},
    };
    std::vector<CambioConfiguracion> cambios;
    for (const auto& [nombre, campo] : valores)
        if (a.*campo != b.*campo)
            cambios.push_back({QString::fromUtf8(nombre), a.*campo, b.*campo});
    for (size_t i = 0; i < b.bandas.size(); ++i)
        if (a.bandas[i] != b.bandas[i])
            cambios.push_back({QStringLiteral("Banda %1").arg(i + 1), a.bandas[i], b.bandas[i]});
    return cambios;
}

QString DescribirCambios(const std::vector<CambioConfiguracion>& cambios) {
    QStringList lineas;
    const auto mostrar = [](const QString& v) { return v.isEmpty() ? QStringLiteral("(vacío)") : v; };
    for (const CambioConfiguracion& c : cambios)
        lineas << QStringLiteral("%1: %2 → %3").arg(c.valor, mostrar(c.antes), mostrar(c.ahora));
    return lineas.join(QLatin1Char('\n'));
}

QString NumeroConPuntos(qint64 n) {
    QLocale es(QLocale::Spanish, QLocale::Spain);
    es.setNumberOptions(QLocale::DefaultNumberOptions);
    QString t = es.toString(n);
    // Spanish locale data leaves four-digit numbers without a separator; the messages group all.
    if (n >= 1000 && n < 10000)
        t.insert(1, QLatin1Char('.'));
    return t;
}

QString MomentoTexto(const QDateTime& momento) {
    return momento.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

std::vector<ImportacionRegistrada> ImportacionesCliente(Conexion& db, const QString& numeroCliente) {
    return leer(db, SentenciasImportaciones::deCliente(), {numeroCliente});
}

std::vector<ImportacionRegistrada> ImportacionesConHuella(Conexion& db, const QString& sha256) {
    return leer(db, SentenciasImportaciones::conHuella(), {sha256});
}

std::vector<ImportacionRegistrada> ImportacionesPorId(Conexion& db, const std::vector<qint64>& ids) {
    std::vector<ImportacionRegistrada> filas;
    // The log is short next to the rows: reading it whole beats one lookup per id.
    std::vector<qint64> buscados = ids;
    std::sort(buscados.begin(), buscados.end());
    for (ImportacionRegistrada& r : leer(db, SentenciasImportaciones::todas(), {}))
        if (std::binary_search(buscados.begin(), buscados.end(), r.id))
            filas.push_back(std::move(r));
    return filas;
}

std::optional<ConfiguracionEquipo> ConfiguracionAnterior(Conexion& db, const QString& numeroCliente) {
    std::vector<ImportacionRegistrada> ultima =
        leer(db, SentenciasImportaciones::ultimaDeCliente(), {numeroCliente});
    if (!ultima.empty())
        return ultima.front().configuracion;
    // Imported before the log: every row carries the settings of its file, the client row the bands.
    const auto fila = db.preparar(SentenciasImportaciones::configuracionUltimaInfraccion());
    fila->enlazar(1, numeroCliente);
    if (!fila->paso())
        return std::nullopt;
    ConfiguracionEquipo c;
    int i = 0;
    for (QString* v : {&c.maxDb, &c.dbAtenuador, &c.excesos, &c.calibracion, &c.segPenalizar, &c.nivelConsola,
                       &c.nivelRuido})
        *v = fila->texto(i++);
    const Consulta consulta = Sentencias::bandasCliente(numeroCliente);
    const auto bandas = db.preparar(consulta.sql);
    bandas->enlazarTodos(consulta.parametros);
    if (bandas->paso()) {
        QStringList b;
        for (int k = 0; k < bandas->columnas(); ++k)
            b << bandas->texto(k);
        const BandasCliente leidas = BandasCliente::desdeFila(b);
        c.activacionBandas = leidas.activacion;
        for (size_t k = 0; k < 3; ++k)
            c.bandas[k] = TextoBanda(leidas.bandas[k]);
    }
    return c;
}

qint64 RegistrarImportacion(Conexion& db, const ImportacionRegistrada& e, const QByteArray& datos) {
    const qint64 id = RegistrarEntradaImportacion(db, e);
    GuardarOriginal(db, id, ComprimirOriginal(datos));
    return id;
}

QByteArray ComprimirOriginal(const QByteArray& datos) {
    // Fast level: these files are runs of near-identical records, which compress well anyway.
    return qCompress(datos, 1);
}

void GuardarOriginal(Conexion& db, qint64 idImportacion, const QByteArray& comprimido) {
    const auto original = db.preparar(SentenciasImportaciones::insertarOriginal());
    original->enlazar(1, idImportacion);
    original->enlazarBlob(2, comprimido);
    original->paso();
}

qint64 RegistrarEntradaImportacion(Conexion& db, const ImportacionRegistrada& e) {
    const ConfiguracionEquipo& c = e.configuracion;
    const QDateTime momento = e.momento.isValid() ? e.momento : QDateTime::currentDateTime();
    db.ejecutar(SentenciasImportaciones::insertar(), {e.numeroCliente,
                                                      e.nombreArchivo,
                                                      e.tamano,
                                                      e.sha256,
                                                      e.fechaInspeccion,
                                                      e.horaInspeccion,
                                                      e.registros,
                                                      e.guardados,
                                                      e.omitidos,
                                                      e.primerRegistro,
                                                      e.ultimoRegistro,
                                                      c.maxDb,
                                                      c.dbAtenuador,
                                                      c.excesos,
                                                      c.calibracion,
                                                      c.segPenalizar,
                                                      c.nivelConsola,
                                                      c.nivelRuido,
                                                      c.activacionBandas,
                                                      c.bandas[0],
                                                      c.bandas[1],
                                                      c.bandas[2],
                                                      e.usuario,
                                                      e.equipo,
                                                      momento.toLocalTime().toString(kFormatoLocal),
                                                      momento.toUTC().toString(Qt::ISODate),
                                                      e.cambios});
    return db.ultimoId();
}

Original LeerOriginal(Conexion& db, const ImportacionRegistrada& importacion) {
    const auto st = db.preparar(SentenciasImportaciones::leerOriginal());
    st->enlazar(1, importacion.id);
    Original o;
    if (!st->paso())
        return o;
    o.estado = EstadoOriginal::Danado;
    if (st->texto(0) != QLatin1String("zlib"))
        return o;
    const QByteArray datos = qUncompress(st->blob(1));
    if (datos.size() != importacion.tamano || HuellaSha256(datos) != importacion.sha256)
        return o;
    o.estado = EstadoOriginal::Correcto;
    o.datos = datos;
    return o;
}

qint64 RegistrosDeImportacion(Conexion& db, qint64 id) {
    const auto st = db.preparar(SentenciasImportaciones::contarRegistros());
    st->enlazar(1, id);
    return st->paso() ? st->entero(0) : 0;
}
