#include "core/actividad/VerificacionRegistro.h"

#include "core/actividad/ComparacionRegistrada.h"
#include "core/actividad/FilasCodificadas.h"
#include "core/import/RegistroImportaciones.h"
#include "core/import/SentenciasImportaciones.h"
#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"

#include <future>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <unordered_set>

namespace {

// Often enough for a progress bar, rare enough to cost nothing.
constexpr qint64 kFilasEntreAvisos = 4096;
// A register rewritten wholesale would list millions; the count of the rest is kept.
constexpr size_t kMaximoListadas = 10000;

const QString kColumnas = QStringLiteral(
    "NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,Microfono,Estado,TensionLinea,"
    "PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,caldb,segpenal,nivelconsola,nivelruido,contadorinf");

// What the other core does for one import while this one reads its stored rows.
struct OriginalLeido {
    bool hay = false;
    QString sha256; // of the decompressed bytes; empty when they do not decompress
    qint64 tamano = 0;
    bool decodificado = false;
    QString errorDecodificacion;
    FilasCodificadas filas;
};

OriginalLeido prepararOriginal(const QString& compresion, const QByteArray& comprimido, bool hay,
                               const QString& inspector, bool decodificar) {
    OriginalLeido o;
    o.hay = hay;
    if (!hay)
        return o;
    const QByteArray datos =
        compresion == QLatin1String("zlib") && !comprimido.isEmpty() ? qUncompress(comprimido) : QByteArray();
    if (datos.isEmpty())
        return o;
    o.tamano = datos.size();
    o.sha256 = HuellaSha256(datos);
    if (decodificar)
        o.decodificado = DecodificarOriginal(datos, inspector, o.filas, &o.errorDecodificacion);
    return o;
}

template <typename F> auto enOtroNucleo(F&& tarea) {
    try {
        return std::async(std::launch::async, std::forward<F>(tarea));
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::forward<F>(tarea));
    }
}

std::string claveSolapada(QByteArrayView fecha, QByteArrayView hora, QByteArrayView estatus,
                          QByteArrayView nivel) {
    std::string clave;
    for (QByteArrayView v : {fecha, hora, estatus, nivel}) {
        clave.append(v.data(), static_cast<size_t>(v.size()));
        clave.push_back('\x1f');
    }
    return clave;
}

// One consistent reading that writes nothing: on the server, other desks' writes meanwhile are not
// seen; on the file a deferred transaction, which a read-only file allows too.
class LecturaConsistente {
public:
    explicit LecturaConsistente(Conexion& db) : db_(db) {
        if (!db.dialecto().variosPuestos()) {
            db.ejecutar(QStringLiteral("BEGIN"));
            return;
        }
        db.comenzar();
        try {
            db.ejecutar(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
        } catch (...) {
            db.deshacer();
            throw;
        }
    }
    ~LecturaConsistente() { db_.deshacer(); }
    LecturaConsistente(const LecturaConsistente&) = delete;
    LecturaConsistente& operator=(const LecturaConsistente&) = delete;

private:
    Conexion& db_;
};

class Verificador {
public:
    Verificador(Conexion& db, const OpcionesVerificacion& opciones) : db_(db), op_(opciones) {}

    InformeVerificacion ejecutar() {
        // Rows per client from the client index alone: the rows older than the log are those not
        // read through an import, counted without a pass over the whole table.
        {
            const auto st = db_.preparar(
                QStringLiteral("SELECT NumeroCliente, count(*) FROM Infracciones GROUP BY NumeroCliente"));
            while (st->paso()) {
                totalPorCliente_[st->texto(0)] = st->entero(1);
                total_ += st->entero(1);
            }
        }
        total_ += contar(QStringLiteral("SELECT count(*) FROM RegistroActividad"));
        try {
            avisar();
            estado_ = LeerEstadoRegistrado(db_, [this] { avanzar(1); });
            informe_.entradas = estado_.entradas;
            if (estado_.rotura) {
                Diferencia d;
                d.clase = ClaseDiferencia::CadenaRota;
                d.entrada = estado_.rotura->secuencia;
                d.detalle =
                    QStringLiteral("el registro de actividad se rompe aquí: %1").arg(estado_.rotura->motivo);
                anotar(d);
            }
            verificarImportaciones();
            verificarFilasSinImportacion();
            std::map<QString, qint64> anteriores;
            for (const auto& [numero, total] : totalPorCliente_) {
                const auto it = importadasPorCliente_.find(numero);
                const qint64 n = total - (it == importadasPorCliente_.end() ? 0 : it->second);
                anteriores[numero] = n;
                if (n > 0)
                    informe_.sinOriginal.push_back({numero, n});
            }
            for (Diferencia& d :
                 CompararAnteriores(db_, estado_, anteriores, [this](qint64 filas) { avanzar(filas); }))
                anotar(std::move(d));
            for (Diferencia& d : CompararClientes(db_, estado_, informe_.clientes))
                anotar(std::move(d));
        } catch (const Cancelada&) {
            informe_.cancelada = true;
        }
        return std::move(informe_);
    }

    const EstadoRegistrado& estado() const { return estado_; }

private:
    struct Cancelada {};

    bool hayColumna(const QString& tabla, const QString& columna) {
        const auto st = db_.preparar(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(tabla));
        for (int i = 0; i < st->columnas(); ++i)
            if (st->nombreColumna(i).compare(columna, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

    qint64 contar(const QString& sql) {
        const auto st = db_.preparar(sql);
        return st->paso() ? st->entero(0) : 0;
    }

    // Counts rows read and tells every few thousand.
    void avanzar(qint64 filas) {
        const qint64 antes = hechos_ / kFilasEntreAvisos;
        hechos_ += filas;
        if (hechos_ / kFilasEntreAvisos != antes)
            avisar();
    }

    // Tells the progress; throws Cancelada when asked to stop.
    void avisar() {
        if (op_.progreso)
            op_.progreso(hechos_, std::max(total_, hechos_));
        if (op_.cancelar && op_.cancelar())
            throw Cancelada{};
    }

    void anotar(Diferencia d) {
        if (informe_.diferencias.size() >= kMaximoListadas) {
            ++informe_.noListadas;
            return;
        }
        informe_.diferencias.push_back(std::move(d));
    }

    Diferencia enFila(ClaseDiferencia clase, const FilasCodificadas& filas, qsizetype i, qint64 importacion,
                      const QString& detalle) {
        Diferencia d;
        d.clase = clase;
        d.cliente = filas.texto(i, 0);
        d.fecha = filas.texto(i, kCampoFecha);
        d.hora = filas.texto(i, kCampoHora);
        d.importacion = importacion;
        d.fila = filas.id(i);
        d.detalle = detalle;
        return d;
    }

    // The stored rows of one import, in the order they were written.
    FilasCodificadas filasDeImportacion(qint64 id, qint64 esperadas = 0) {
        const auto st =
            db_.preparar(QStringLiteral("SELECT id,%1 FROM Infracciones WHERE IdImportacion = ? ORDER BY id")
                             .arg(kColumnas));
        st->enlazar(1, id);
        FilasCodificadas filas;
        // About what a row takes, so the buffers grow once.
        if (esperadas > 0)
            filas.reservar(esperadas, esperadas * 96);
        qint64 leidas = 0;
        while (st->paso()) {
            filas.agregarDe(*st, 1, st->entero(0));
            if (++leidas % kFilasEntreAvisos == 0)
                avanzar(kFilasEntreAvisos);
        }
        avanzar(leidas % kFilasEntreAvisos);
        // Counted per client number in runs: an import's rows nearly always share one.
        for (qsizetype i = 0; i < filas.size();) {
            const QByteArrayView numero = filas.campo(i, 0);
            qsizetype j = i + 1;
            while (j < filas.size() && filas.campo(j, 0) == numero)
                ++j;
            importadasPorCliente_[QString::fromUtf8(numero)] += j - i;
            i = j;
        }
        return filas;
    }

    void verificarImportaciones() {
        std::set<qint64> retiradas;
        if (hayColumna(QStringLiteral("Importaciones"), QStringLiteral("Retirada"))) {
            const auto st = db_.preparar(QStringLiteral("SELECT Id FROM Importaciones WHERE Retirada <> 0"));
            while (st->paso())
                retiradas.insert(st->entero(0));
        }
        std::vector<qint64> ids;
        {
            const auto st = db_.preparar(QStringLiteral("SELECT Id FROM Importaciones ORDER BY Id"));
            while (st->paso())
                ids.push_back(st->entero(0));
        }
        const std::vector<ImportacionRegistrada> importaciones = ImportacionesPorId(db_, ids);
        for (const ImportacionRegistrada& imp : importaciones) {
            importaciones_.insert(imp.id);
            const bool retirada = retiradas.count(imp.id) > 0;
            ++informe_.importaciones;
            informe_.retiradas += retirada ? 1 : 0;
            verificarImportacion(imp, retirada);
            avisar();
        }
        for (const auto& [id, a] : estado_.importaciones) {
            if (importaciones_.count(id))
                continue;
            Diferencia d;
            d.clase = ClaseDiferencia::ImportacionAlterada;
            d.cliente = a.cliente;
            d.importacion = id;
            d.entrada = a.entrada;
            d.detalle =
                QStringLiteral("importación registrada que ya no está en el registro de importaciones");
            anotar(d);
        }
    }

    // What the activity log says of the import wins over the import log's own row, which is
    // not chained: each field that differs is named, and the logged value is checked.
    ImportacionRegistrada segunActividad(const ImportacionRegistrada& tabla, bool& retirada) {
        const auto it = estado_.importaciones.find(tabla.id);
        if (it == estado_.importaciones.end()) {
            Diferencia d;
            d.clase = ClaseDiferencia::ImportacionAlterada;
            d.cliente = tabla.numeroCliente;
            d.importacion = tabla.id;
            d.detalle = QStringLiteral("importación sin entrada en el registro de actividad");
            anotar(d);
            return tabla;
        }
        const ImportacionAnotada& a = it->second;
        ImportacionRegistrada r = tabla;
        const auto comparar = [&](const char* campo, const QString& guardado, const QString& anotado,
                                  QString nuevo, auto aplicar) {
            if (anotado.isEmpty() || anotado == QLatin1String("-1") || guardado == anotado)
                return;
            Diferencia d;
            d.clase = ClaseDiferencia::ImportacionAlterada;
            d.cliente = tabla.numeroCliente;
            d.importacion = tabla.id;
            d.entrada = a.entrada;
            d.campo = QString::fromLatin1(campo);
            d.guardado = guardado;
            d.original = anotado;
            d.detalle = QStringLiteral("el registro de importaciones no dice lo que registró su entrada");
            anotar(d);
            aplicar(nuevo);
        };
        comparar("NumeroCliente", tabla.numeroCliente, a.cliente, a.cliente,
                 [&](const QString& v) { r.numeroCliente = v; });
        comparar("Sha256", tabla.sha256, a.sha256, a.sha256, [&](const QString& v) { r.sha256 = v; });
        comparar("Tamano", QString::number(tabla.tamano), QString::number(a.tamano), QString(),
                 [&](const QString&) { r.tamano = a.tamano; });
        comparar("Registros", QString::number(tabla.registros), QString::number(a.registros), QString(),
                 [&](const QString&) { r.registros = a.registros; });
        comparar("Omitidos", QString::number(tabla.omitidos), QString::number(a.omitidos), QString(),
                 [&](const QString&) { r.omitidos = a.omitidos; });
        comparar("Usuario", tabla.usuario, a.usuario, a.usuario, [&](const QString& v) { r.usuario = v; });
        comparar("Retirada", QString::number(retirada ? 1 : 0), QString::number(a.retirada ? 1 : 0),
                 QString(), [&](const QString&) { retirada = a.retirada; });
        return r;
    }

    void verificarImportacion(const ImportacionRegistrada& tabla, bool retirada) {
        const ImportacionRegistrada imp = segunActividad(tabla, retirada);
        // The original is decompressed, hashed and decoded on another core meanwhile.
        const auto st = db_.preparar(SentenciasImportaciones::leerOriginal());
        st->enlazar(1, imp.id);
        const bool hay = st->paso();
        const QString compresion = hay ? st->texto(0) : QString();
        const QByteArray comprimido = hay ? st->blob(1) : QByteArray();
        std::future<OriginalLeido> futuro = enOtroNucleo(
            [=] { return prepararOriginal(compresion, comprimido, hay, imp.usuario, !retirada); });
        FilasCodificadas guardadas = filasDeImportacion(imp.id, retirada ? 0 : imp.guardados);
        const OriginalLeido o = futuro.get();

        Diferencia base;
        base.cliente = imp.numeroCliente;
        base.importacion = imp.id;
        if (!o.hay) {
            base.clase = ClaseDiferencia::OriginalFalta;
            base.detalle = QStringLiteral("no se conserva el archivo original de la importación %1 (%2)")
                               .arg(imp.id)
                               .arg(imp.nombreArchivo);
            anotar(base);
            return;
        }
        if (o.sha256 != imp.sha256 || o.tamano != imp.tamano) {
            base.clase = ClaseDiferencia::OriginalAlterado;
            base.campo = QStringLiteral("Sha256");
            base.guardado = o.sha256.isEmpty() ? QStringLiteral("(no se puede descomprimir)") : o.sha256;
            base.original = imp.sha256;
            base.detalle = QStringLiteral("el archivo original conservado de la importación %1 (%2) no es el "
                                          "registrado: su SHA-256 no coincide")
                               .arg(imp.id)
                               .arg(imp.nombreArchivo);
            anotar(base);
            return;
        }
        ++informe_.originales;
        if (retirada) {
            for (qsizetype j = 0; j < guardadas.size(); ++j)
                anotar(enFila(ClaseDiferencia::FilaSobrante, guardadas, j, imp.id,
                              QStringLiteral("fila guardada de una importación retirada")));
            return;
        }
        if (!o.decodificado) {
            base.clase = ClaseDiferencia::OriginalAlterado;
            base.detalle =
                QStringLiteral("el archivo original de la importación %1 no se puede decodificar: %2")
                    .arg(imp.id)
                    .arg(o.errorDecodificacion);
            anotar(base);
            return;
        }
        informe_.filas += guardadas.size();
        if (o.filas.size() != imp.registros) {
            Diferencia d = base;
            d.clase = ClaseDiferencia::ImportacionAlterada;
            d.campo = QStringLiteral("Registros");
            d.guardado = QString::number(imp.registros);
            d.original = QString::number(o.filas.size());
            d.detalle =
                QStringLiteral("el registro de importaciones no dice cuántos registros tiene el original");
            anotar(d);
        }
        compararFilas(imp, o.filas, guardadas);
    }

    void compararFilas(const ImportacionRegistrada& imp, const FilasCodificadas& originales,
                       const FilasCodificadas& guardadas) {
        const Alineacion a = Alinear(originales, guardadas);
        for (const auto& [i, j] : a.cambiadas) {
            for (int k = 0; k < kCamposInfraccion; ++k) {
                if (originales.campo(i, k) == guardadas.campo(j, k))
                    continue;
                Diferencia d = enFila(ClaseDiferencia::FilaCambiada, originales, i, imp.id,
                                      QStringLiteral("la fila guardada no es la del original"));
                d.fila = guardadas.id(j);
                d.campo = QString::fromLatin1(NombreCampoInfraccion(k));
                d.guardado = guardadas.texto(j, k);
                d.original = originales.texto(i, k);
                anotar(d);
            }
        }
        for (qsizetype j : a.sobran)
            anotar(enFila(ClaseDiferencia::FilaSobrante, guardadas, j, imp.id,
                          QStringLiteral("fila guardada que no está en el original de su importación")));
        for (qsizetype i : faltantes(imp, originales, a.faltan))
            anotar(enFila(ClaseDiferencia::FilaFalta, originales, i, imp.id,
                          QStringLiteral("registro del original que no está guardado")));
    }

    // Of the records without a stored row, those the import left out as already stored (as many as
    // it logged, those equal to another stored row of the client first) are not missing.
    std::vector<qsizetype> faltantes(const ImportacionRegistrada& imp, const FilasCodificadas& originales,
                                     const std::vector<qsizetype>& sinFila) {
        const qint64 omitidos = imp.omitidos;
        if (static_cast<qint64>(sinFila.size()) < omitidos) {
            Diferencia d;
            d.clase = ClaseDiferencia::ImportacionAlterada;
            d.cliente = imp.numeroCliente;
            d.importacion = imp.id;
            d.campo = QStringLiteral("Omitidos");
            d.guardado = QString::number(omitidos);
            d.original = QString::number(sinFila.size());
            d.detalle =
                QStringLiteral("el registro de importaciones dice más registros omitidos de los que faltan");
            anotar(d);
        }
        if (static_cast<qint64>(sinFila.size()) <= omitidos)
            return {};
        std::unordered_set<std::string> otras;
        const auto st = db_.preparar(QStringLiteral("SELECT FechaInfraccion, HoraInfraccion, Microfono, "
                                                    "NiveldB FROM Infracciones WHERE NumeroCliente = ? "
                                                    "AND (IdImportacion IS NULL OR IdImportacion <> ?)"));
        st->enlazar(1, imp.numeroCliente);
        st->enlazar(2, imp.id);
        while (st->paso()) {
            QByteArrayView v[4];
            for (int k = 0; k < 4; ++k) {
                int largo = 0;
                const char* b = st->bytes(k, largo);
                v[k] = QByteArrayView(b ? b : "", b ? largo : 0);
            }
            otras.insert(claveSolapada(v[0], v[1], v[2], v[3]));
        }
        std::vector<qsizetype> faltan, solapados;
        for (qsizetype i : sinFila) {
            const bool solapado = otras.count(claveSolapada(originales.campo(i, 1), originales.campo(i, 2),
                                                            originales.campo(i, 4), originales.campo(i, 3)));
            (solapado ? solapados : faltan).push_back(i);
        }
        // The surplus, taken from the last of those that could have been left out.
        qint64 sobra = static_cast<qint64>(sinFila.size()) - omitidos - static_cast<qint64>(faltan.size());
        for (auto it = solapados.rbegin(); it != solapados.rend() && sobra > 0; ++it, --sobra)
            faltan.push_back(*it);
        std::sort(faltan.begin(), faltan.end());
        return faltan;
    }

    // Rows pointing at an import that is not in the log.
    void verificarFilasSinImportacion() {
        std::vector<qint64> ajenas;
        {
            const auto st = db_.preparar(QStringLiteral(
                "SELECT DISTINCT IdImportacion FROM Infracciones WHERE IdImportacion IS NOT NULL"));
            while (st->paso())
                if (!importaciones_.count(st->entero(0)))
                    ajenas.push_back(st->entero(0));
        }
        for (qint64 id : ajenas) {
            const FilasCodificadas filas = filasDeImportacion(id);
            for (qsizetype j = 0; j < filas.size(); ++j)
                anotar(enFila(
                    ClaseDiferencia::FilaSobrante, filas, j, id,
                    QStringLiteral("fila de una importación que no está en el registro de importaciones")));
        }
    }

    Conexion& db_;
    const OpcionesVerificacion& op_;
    InformeVerificacion informe_;
    EstadoRegistrado estado_;
    std::set<qint64> importaciones_;
    std::map<QString, qint64> totalPorCliente_;
    std::map<QString, qint64> importadasPorCliente_;
    qint64 total_ = 0;
    qint64 hechos_ = 0;
};

} // namespace

InformeVerificacion VerificarRegistro(Conexion& db, const OpcionesVerificacion& opciones) {
    Verificador v(db, opciones);
    InformeVerificacion informe;
    {
        LecturaConsistente lectura(db);
        informe = v.ejecutar();
    }
    if (opciones.usuario.isEmpty())
        return informe;
    // Its own entry, the only thing it writes. A register that cannot be written is still checked.
    const CabezaCadena& cabeza = v.estado().cabeza;
    try {
        Transaccion t(db);
        AgregarEntrada(db, opciones.usuario, QStringLiteral("verificacion.registro"), QString(),
                       {{QStringLiteral("resultado"), informe.cancelada    ? QStringLiteral("cancelada")
                                                      : informe.correcto() ? QStringLiteral("correcto")
                                                                           : QStringLiteral("diferencias")},
                        {QStringLiteral("diferencias"),
                         static_cast<qint64>(informe.diferencias.size()) + informe.noListadas},
                        {QStringLiteral("entradas"), informe.entradas},
                        {QStringLiteral("importaciones"), informe.importaciones},
                        {QStringLiteral("filas"), informe.filas},
                        {QStringLiteral("cabeza_secuencia"), cabeza.secuencia},
                        {QStringLiteral("cabeza_hash"), cabeza.hash},
                        {QStringLiteral("origen"), opciones.origen}});
        t.confirmar();
        informe.entradaEscrita = true;
    } catch (const ErrorBD& e) {
        informe.avisoEntrada = e.descripcion();
    }
    return informe;
}
