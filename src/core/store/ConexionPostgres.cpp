#include "core/store/ConexionPostgres.h"

#include "core/store/AvisosRegistro.h"
#include "core/store/DialectoPostgres.h"
#include "core/store/Esquema.h"
#include "core/store/LoteCopia.h"
#include "core/store/SeguridadConexion.h"

#include <QRegularExpression>

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr Oid kOidBytea = 17;
QString textoServidor(const char* s) {
    return QString::fromUtf8(s ? s : "").trimmed();
}

const QString kConexionPerdida = QStringLiteral(
    "Se perdió la conexión con el servidor del registro compartido. La operación en curso no se guardó; "
    "vuelva a intentarlo cuando el servidor responda.");

QString mandatoPreparar(const QString& base) {
    return QStringLiteral("Quien administra el servidor debe prepararlo con esta versión del programa:\n\n"
                          "    velmora-kv270 --preparar-servidor \"dbname=%1 ...\"")
        .arg(base);
}

// Tables whose rows carry an identity id, for ultimoId().
bool tablaConId(const QString& tabla) {
    static const QStringList tablas = {QStringLiteral("clientes"), QStringLiteral("infracciones"),
                                       QStringLiteral("passusuarios"), QStringLiteral("importaciones")};
    return tablas.contains(tabla.toLower());
}

class SentenciaPostgres final : public Sentencia {
public:
    SentenciaPostgres(ConexionPostgres& c, const QString& sql);
    ~SentenciaPostgres() override;

    void enlazar(int indice, const QVariant& valor) override;
    void enlazarUtf8(int indice, const QByteArray& utf8) override;
    void enlazarBlob(int indice, const QByteArray& datos) override;
    bool paso() override;
    void reiniciar() override;
    int columnas() override;
    QString nombreColumna(int i) override;
    const char* bytes(int i, int& largo) const override;
    qint64 filasRecibidas() override;
    const char* celda(qint64 fila, int col, int& largo) const override;
    bool esNulo(int i) const override;
    QByteArray blob(int i) const override;
    qint64 entero(int i) const override;

private:
    void ejecutarSiFalta();
    void limpiarResultado();

    ConexionPostgres& c_;
    QByteArray sql_;
    QByteArray nombre_;          // prepared name, once executed a second time
    bool retornoPropio_ = false; // " RETURNING id" added here for ultimoId()
    QString tablaInsercion_;     // a plain INSERT ... VALUES: its table and columns
    QString columnasInsercion_;
    int parametros_ = 0;
    std::vector<QByteArray> valores_;
    std::vector<char> nulos_;
    std::vector<int> formatos_;
    pg_result* res_ = nullptr;
    int fila_ = -1;
    int ejecuciones_ = 0;
};

} // namespace

bool ErrorPideContrasena(const ErrorBD& error) {
    return error.descripcion().endsWith(kPideContrasena) ||
           error.descripcion().endsWith(kContrasenaIncorrecta);
}

// --- Connection ------------------------------------------------------------------------------

ConexionPostgres::ConexionPostgres(const QString& conninfo, const QString& contrasena, AperturaServidor modo)
    : conninfo_(conninfo) {
    conectar(QString(), contrasena, modo);
}

ConexionPostgres::ConexionPostgres(const QString& conninfo, SinSesion) : conninfo_(conninfo) {
    ruta_ = ValorConexion(conninfo, "dbname");
}

std::unique_ptr<ConexionPostgres> ConexionPostgres::sinSesion(const QString& conninfo) {
    return std::unique_ptr<ConexionPostgres>(new ConexionPostgres(conninfo, SinSesion{}));
}

QString ConexionPostgres::usuarioPropuesto() const {
    if (conn_)
        return QString::fromUtf8(PQuser(conn_));
    const QString usuario = ValorConexion(conninfo_, "user");
    if (!usuario.isEmpty())
        return usuario;
    return qEnvironmentVariable("PGUSER", qEnvironmentVariable("USER"));
}

void ConexionPostgres::iniciarSesion(const QString& usuario, const QString& clave) {
    lote_.reset();
    if (avisos_)
        avisos_->soltarSocket();
    PQfinish(conn_);
    conn_ = nullptr;
    conectar(usuario, clave, AperturaServidor::Puesto);
}

void ConexionPostgres::conectar(const QString& usuario, const QString& contrasena, AperturaServidor modo) {
    const QByteArray info = conninfo_.toUtf8();
    const QByteArray nombre = usuario.toUtf8();
    const QByteArray clave = contrasena.toUtf8();
    // TLS with the server's name checked unless the string itself says otherwise (it comes after
    // and wins); libpq does not use TLS on a local socket.
    std::vector<const char*> claves{"sslmode", "dbname", "client_encoding", "application_name",
                                    "connect_timeout"};
    std::vector<const char*> valores{"verify-full", info.constData(), "UTF8", "velmora-kv270", "10"};
    if (!usuario.isEmpty()) {
        claves.push_back("user");
        valores.push_back(nombre.constData());
    }
    if (!contrasena.isEmpty()) {
        claves.push_back("password");
        valores.push_back(clave.constData());
    }
    claves.push_back(nullptr);
    valores.push_back(nullptr);
    // dbname carries the whole string (expand_dbname); what it names wins over the defaults after it.
    conn_ = PQconnectdbParams(claves.data(), valores.data(), 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString detalles = conn_ ? textoServidor(PQerrorMessage(conn_)) : QStringLiteral("sin memoria");
        const QString causa = conn_ ? CausaConexion(detalles, PQconnectionNeedsPassword(conn_) != 0)
                                    : QStringLiteral("No hay memoria suficiente.");
        PQfinish(conn_);
        conn_ = nullptr;
        throw ErrorBD(QStringLiteral("No se puede abrir el registro compartido. ") + causa,
                      QStringLiteral("PostgreSQL: ") + detalles);
    }
    ruta_ = QStringLiteral("%1 en %2")
                .arg(QString::fromUtf8(PQdb(conn_)),
                     QString::fromUtf8(PQhost(conn_) ? PQhost(conn_) : "servidor"));
    prepararSesion();
    if (modo == AperturaServidor::Preparacion)
        return;
    try {
        comprobarPreparacion();
    } catch (...) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw;
    }
}

// A desk never builds or migrates the server's schema: that is the administrator's command.
void ConexionPostgres::comprobarPreparacion() {
    const QString base = QString::fromUtf8(PQdb(conn_));
    const QString usuario = QString::fromUtf8(PQuser(conn_));
    // The one row of a query, its values as text.
    const auto consultar = [this](const char* sql) {
        PGresult* r = PQexec(conn_, sql);
        if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1) {
            const ErrorBD e = error(r);
            PQclear(r);
            throw e;
        }
        QList<QByteArray> valores;
        for (int c = 0; c < PQnfields(r); ++c)
            valores << QByteArray(PQgetvalue(r, 0, c));
        PQclear(r);
        return valores;
    };
    // The preparation and the role in one round trip (a server never prepared has no role to ask
    // about); the version needs its table to exist.
    const QList<QByteArray> preparacion =
        consultar("SELECT to_regclass('versionesquema') IS NOT NULL AND "
                  "to_regprocedure('velmora_preparacion()') IS NOT NULL, "
                  "CASE WHEN EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'velmora_consulta') "
                  "THEN pg_has_role(session_user, 'velmora_consulta', 'MEMBER') ELSE false END");
    if (preparacion.value(0) != "t")
        throw ErrorBD(
            QStringLiteral("El registro compartido \"%1\" no está preparado para el programa. ").arg(base) +
            mandatoPreparar(base));
    if (preparacion.value(1) != "t")
        throw ErrorBD(
            QStringLiteral("El usuario \"%1\" del servidor no tiene ninguno de los roles del registro "
                           "(velmora_consulta, velmora_oficina o velmora_administrador). Pida a quien "
                           "administra el servidor que le dé uno.")
                .arg(usuario));
    const int version = consultar("SELECT coalesce(max(version), 0) FROM VersionEsquema").value(0).toInt();
    if (version > kVersionEsquema)
        throw ErrorBD(
            QStringLiteral("El registro compartido \"%1\" es de una versión más reciente del programa "
                           "(versión de esquema %2); esta versión conoce hasta la %3. Actualice el "
                           "programa en este puesto.")
                .arg(base)
                .arg(version)
                .arg(kVersionEsquema));
    if (version < kVersionEsquema)
        throw ErrorBD(QStringLiteral("El registro compartido \"%1\" está en la versión de esquema %2 y este "
                                     "programa necesita la %3. ")
                          .arg(base)
                          .arg(version)
                          .arg(kVersionEsquema) +
                      mandatoPreparar(base));
}

void ConexionPostgres::prepararEsquema() {
    // One preparation at a time; desks meanwhile wait for nothing (they only read the version).
    bloquearEsquema(true);
    if (EsquemaVacio(*this))
        CrearEsquema(*this);
    else
        ActualizarEsquema(*this);
    bloquearEsquema(false);
}

void ConexionPostgres::asegurarConexion() {
    if (!conn_ || PQstatus(conn_) == CONNECTION_OK)
        return;
    // Inside a transaction the rest of it must not run on a fresh session as if nothing was lost.
    if (transaccion_)
        throw error(nullptr);
    lote_.reset();
    reanudando_ = false;
    if (avisos_)
        avisos_->soltarSocket();
    PQreset(conn_);
    if (PQstatus(conn_) == CONNECTION_OK) {
        prepararSesion();
        // What other desks changed while it was away sent notices this session never heard.
        sesionRenovada_ = true;
    }
}

void ConexionPostgres::prepararSesion() {
    // One round trip: each costs a start on a busy server.
    PQclear(PQexec(conn_, "SET client_min_messages = warning; LISTEN registro"));
}

std::optional<CambiosAjenos> ConexionPostgres::reanudarSesion() {
    if (!reanudando_) {
        if (avisos_)
            avisos_->soltarSocket();
        if (!PQresetStart(conn_))
            return std::nullopt;
        reanudando_ = true;
    }
    switch (PQresetPoll(conn_)) {
    case PGRES_POLLING_OK:
        reanudando_ = false;
        lote_.reset();
        prepararSesion();
        sesionRenovada_ = false;
        return CambiosAjenos::todo();
    case PGRES_POLLING_FAILED:
        reanudando_ = false; // tried again on the next call
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

ConexionPostgres::~ConexionPostgres() {
    avisos_.reset();
    lote_.reset();
    PQfinish(conn_);
}

ErrorBD ConexionPostgres::error(const pg_result* r, const QString& contexto) const {
    const char* estado = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const QString codigo = QString::fromLatin1(estado ? estado : "");
    QString mensaje = textoServidor(r ? PQresultErrorMessage(r) : nullptr);
    if (mensaje.isEmpty())
        mensaje = textoServidor(PQerrorMessage(conn_));
    QString causa;
    if (PQstatus(conn_) == CONNECTION_BAD || codigo.startsWith(QLatin1String("08")) ||
        codigo == QLatin1String("57P01") || codigo == QLatin1String("57P02") ||
        codigo == QLatin1String("57P03"))
        causa = kConexionPerdida;
    else if (codigo == QLatin1String("23505") && mensaje.contains(QLatin1String("numero")))
        causa = QStringLiteral(
            "Ya existe en el registro un cliente con ese número de cliente. Elija otro número.");
    else if (codigo == QLatin1String("23514") && mensaje.contains(QLatin1String("falta el motivo")))
        causa = QStringLiteral("Escriba el motivo: el servidor no acepta una eliminación sin él.");
    else if (codigo.startsWith(QLatin1String("23")))
        causa = QStringLiteral("Los datos no cumplen una regla de la base de datos.");
    else if (codigo == QLatin1String("40001") || codigo == QLatin1String("40P01") ||
             codigo == QLatin1String("55P03"))
        causa = QStringLiteral("Otro puesto estaba modificando los mismos datos. Vuelva a intentarlo.");
    else if (codigo == QLatin1String("42710"))
        causa = QStringLiteral("Ya existe en el servidor un usuario con ese nombre.");
    else if (codigo == QLatin1String("P0002") || codigo == QLatin1String("22023") ||
             codigo == QLatin1String("42704"))
        // The register's own functions explain themselves in Spanish.
        causa = QStringLiteral("El servidor no aceptó la operación: %1.")
                    .arg(textoServidor(r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr));
    else if (codigo == QLatin1String("42501"))
        causa =
            QStringLiteral("El servidor no permite esta operación al usuario \"%1\": su rol no la incluye. "
                           "No se cambió nada.")
                .arg(QString::fromUtf8(conn_ ? PQuser(conn_) : ""));
    else if (codigo == QLatin1String("53100"))
        causa = QStringLiteral("El servidor del registro no tiene espacio libre en el disco.");
    else if (codigo == QLatin1String("42P01") || codigo == QLatin1String("42703"))
        causa =
            QStringLiteral("Al registro compartido le falta una tabla o una columna: está incompleto o no "
                           "es de esta versión del programa.");
    else
        causa = QStringLiteral("El servidor del registro no pudo realizar la operación.");
    return ErrorBD(contexto.isEmpty() ? causa : contexto + QLatin1Char(' ') + causa,
                   QStringLiteral("PostgreSQL: %1 (código %2)").arg(mensaje, codigo));
}

pg_result* ConexionPostgres::exec(const QByteArray& sql, int n, const char* const* valores, const int* largos,
                                  const int* formatos) {
    vaciarLote();
    PGresult* r = PQexecParams(conn_, sql.constData(), n, nullptr, valores, largos, formatos, 0);
    const ExecStatusType e = PQresultStatus(r);
    if (e != PGRES_COMMAND_OK && e != PGRES_TUPLES_OK) {
        const ErrorBD err = error(r);
        PQclear(r);
        throw err;
    }
    return r;
}

void ConexionPostgres::fijarResultado(pg_result* r, qint64 id) {
    filas_ = std::atoi(PQcmdTuples(r));
    if (id > 0)
        ultimoId_ = id;
}

int ConexionPostgres::filasAfectadas() {
    // A batched insert counts its own row, as the statement it stands for would.
    if (lote_ && lote_->filas() > 0) {
        vaciarLote();
        filas_ = 1;
    }
    return filas_;
}

void ConexionPostgres::comenzar() {
    ejecutar(QStringLiteral("BEGIN"));
    transaccion_ = true;
}

void ConexionPostgres::confirmar() {
    transaccion_ = false;
    vaciarLote();
    PGresult* r = exec("COMMIT", 0, nullptr, nullptr, nullptr);
    // A transaction that failed earlier ends rolled back, not committed.
    const bool anulada = std::strcmp(PQcmdStatus(r), "ROLLBACK") == 0;
    PQclear(r);
    if (anulada)
        throw ErrorBD(QStringLiteral("El servidor anuló la operación y no guardó nada."));
}

void ConexionPostgres::deshacer() {
    transaccion_ = false;
    if (lote_)
        lote_->anular();
    lote_.reset();
    if (enTransaccion())
        PQclear(PQexec(conn_, "ROLLBACK"));
}

bool ConexionPostgres::enTransaccion() const {
    const PGTransactionStatusType t = PQtransactionStatus(conn_);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

QString ConexionPostgres::ultimoError() const {
    return textoServidor(PQerrorMessage(conn_));
}

QByteArray ConexionPostgres::nombreSentencia() {
    return "velmora_" + QByteArray::number(++sentencias_);
}

LoteCopia& ConexionPostgres::lote(const QString& tabla, const QString& columnas) {
    if (!lote_ || !lote_->esDe(tabla, columnas)) {
        vaciarLote();
        lote_ = std::make_unique<LoteCopia>(conn_, tabla, columnas,
                                            [this](const pg_result* r) { return error(r); });
    }
    return *lote_;
}

// Sends the rows held so far, starting the COPY on the first call.
void ConexionPostgres::enviarLote() {
    if (!lote_->enCurso()) {
        try {
            lote_->comenzar();
        } catch (...) {
            lote_.reset();
            throw;
        }
    }
    try {
        lote_->enviar();
    } catch (...) {
        deshacer();
        throw;
    }
}

void ConexionPostgres::vaciarLote() {
    if (!lote_)
        return;
    if (lote_->filas() == 0) {
        lote_.reset();
        return;
    }
    enviarLote();
    const std::unique_ptr<LoteCopia> lote = std::move(lote_);
    lote->terminar();
    // The rows' ids are not read back (nothing asks for them); an id asked for now is unknown, not wrong.
    ultimoId_ = 0;
}

void ConexionPostgres::bloquearEsquema(bool bloquear) {
    ejecutar(bloquear ? QStringLiteral("SELECT pg_advisory_lock(727270)")
                      : QStringLiteral("SELECT pg_advisory_unlock(727270)"));
}

void ConexionPostgres::completarEsquemaBase() {
    PGresult* icu = PQexec(conn_, "SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'");
    const bool hayIcu = PQresultStatus(icu) == PGRES_TUPLES_OK && PQntuples(icu) > 0;
    PQclear(icu);
    for (const QString& sql : DialectoPostgres::esquemaBase(hayIcu))
        ejecutar(sql);
}

std::optional<CambiosAjenos> ConexionPostgres::cambiosAjenos() {
    if (!conn_ || enTransaccion() || lote_)
        return std::nullopt;
    if (reanudando_ || PQstatus(conn_) != CONNECTION_OK)
        return reanudarSesion();
    if (!PQconsumeInput(conn_))
        return std::nullopt; // lost: opened again from the next call
    CambiosAjenos cambios;
    if (std::exchange(sesionRenovada_, false))
        cambios = CambiosAjenos::todo();
    const int propio = PQbackendPID(conn_);
    while (PGnotify* n = PQnotifies(conn_)) {
        if (n->be_pid != propio)
            cambios.sumar(QString::fromUtf8(n->extra));
        PQfreemem(n);
    }
    return cambios;
}

const Dialecto& ConexionPostgres::dialecto() const {
    static const DialectoPostgres dialecto;
    return dialecto;
}

ErrorBD ConexionPostgres::error(const QString& contexto) const {
    return error(nullptr, contexto);
}

qint64 ConexionPostgres::ultimoId() {
    vaciarLote();
    return ultimoId_;
}

std::unique_ptr<Sentencia> ConexionPostgres::preparar(const QString& sql) {
    if (!conn_)
        throw ErrorBD(QStringLiteral("La conexión con la base de datos no está abierta."));
    return std::make_unique<SentenciaPostgres>(*this, sql);
}

// There is no file here to close: the change runs as it is.
void ConexionPostgres::conArchivoCerrado(const std::function<void()>& cambio) {
    cambio();
}

void ConexionPostgres::avisarCambiosAjenos(QObject* receptor,
                                           std::function<void(const CambiosAjenos&)> aviso) {
    if (!avisos_)
        avisos_ = std::make_unique<AvisosRegistro>([this] { return cambiosAjenos(); },
                                                   [this] { return conn_ ? PQsocket(conn_) : -1; });
    QObject::connect(avisos_.get(), &AvisosRegistro::registroCambiado, receptor, std::move(aviso));
    avisos_->vigilar();
}

void ConexionPostgres::revisarAvisos() {
    if (avisos_)
        avisos_->revisar();
}

// --- Statement -------------------------------------------------------------------------------

SentenciaPostgres::SentenciaPostgres(ConexionPostgres& c, const QString& sql) : c_(c) {
    c_.asegurarConexion();
    QString traducida = c_.dialecto().traducir(sql);
    static const QRegularExpression insercion(
        QStringLiteral("^INSERT\\s+INTO\\s+(\\w+)\\s*\\(([^)]*)\\)\\s*VALUES\\s*\\(([?,\\s]*)\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = insercion.match(sql.trimmed());
    if (m.hasMatch()) {
        tablaInsercion_ = m.captured(1);
        columnasInsercion_ = m.captured(2);
    }
    if (sql.trimmed().startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive) &&
        !sql.contains(QLatin1String("RETURNING"), Qt::CaseInsensitive)) {
        static const QRegularExpression tabla(QStringLiteral("^INSERT\\s+INTO\\s+(\\w+)"),
                                              QRegularExpression::CaseInsensitiveOption);
        if (tablaConId(tabla.match(sql.trimmed()).captured(1))) {
            traducida += QStringLiteral(" RETURNING id");
            retornoPropio_ = true;
        }
    }
    sql_ = traducida.toUtf8();
    static const QRegularExpression marcas(QStringLiteral("\\$(\\d+)"));
    for (auto it = marcas.globalMatch(traducida); it.hasNext();)
        parametros_ = std::max(parametros_, it.next().captured(1).toInt());
    valores_.resize(static_cast<size_t>(parametros_));
    nulos_.assign(static_cast<size_t>(parametros_), 1);
    formatos_.assign(static_cast<size_t>(parametros_), 0);
}

SentenciaPostgres::~SentenciaPostgres() {
    limpiarResultado();
    if (!nombre_.isEmpty() && c_.handle() && PQstatus(c_.handle()) == CONNECTION_OK && !c_.hayLote())
        PQclear(PQexec(c_.handle(), ("DEALLOCATE " + nombre_).constData()));
}

void SentenciaPostgres::limpiarResultado() {
    PQclear(res_);
    res_ = nullptr;
    fila_ = -1;
}

void SentenciaPostgres::enlazar(int indice, const QVariant& valor) {
    if (indice < 1 || indice > parametros_)
        throw ErrorBD(QStringLiteral("La base de datos no pudo realizar la operación."),
                      QStringLiteral("parámetro %1 fuera de rango").arg(indice));
    const auto i = static_cast<size_t>(indice - 1);
    if (valor.isNull()) {
        nulos_[i] = 1;
        return;
    }
    nulos_[i] = 0;
    formatos_[i] = 0;
    valores_[i] = valor.typeId() == QMetaType::QByteArray ? valor.toByteArray() : valor.toString().toUtf8();
}

void SentenciaPostgres::enlazarUtf8(int indice, const QByteArray& utf8) {
    enlazar(indice, QString());
    const auto i = static_cast<size_t>(indice - 1);
    nulos_[i] = 0;
    formatos_[i] = 0;
    valores_[i] = utf8;
}

void SentenciaPostgres::enlazarBlob(int indice, const QByteArray& datos) {
    enlazarUtf8(indice, datos);
    formatos_[static_cast<size_t>(indice - 1)] = 1;
}

void SentenciaPostgres::ejecutarSiFalta() {
    if (res_)
        return;
    ++ejecuciones_;
    const bool soloTexto = std::all_of(formatos_.begin(), formatos_.end(), [](int f) { return f == 0; });
    // An insert run again inside a transaction: its row joins the batch.
    if (ejecuciones_ > 1 && !tablaInsercion_.isEmpty() && soloTexto && c_.enTransaccion()) {
        if (c_.lote(tablaInsercion_, columnasInsercion_).agregar(valores_, nulos_))
            c_.enviarLote();
        fila_ = 0;
        return;
    }
    std::vector<const char*> punteros(static_cast<size_t>(parametros_));
    std::vector<int> largos(static_cast<size_t>(parametros_));
    for (size_t i = 0; i < punteros.size(); ++i) {
        punteros[i] = nulos_[i] ? nullptr : valores_[i].constData();
        largos[i] = static_cast<int>(valores_[i].size());
    }
    if (ejecuciones_ == 2 && nombre_.isEmpty()) {
        c_.vaciarLote();
        const QByteArray nombre = c_.nombreSentencia();
        PGresult* p = PQprepare(c_.handle(), nombre.constData(), sql_.constData(), parametros_, nullptr);
        if (PQresultStatus(p) != PGRES_COMMAND_OK) {
            const ErrorBD e = c_.error(p);
            PQclear(p);
            throw e;
        }
        PQclear(p);
        nombre_ = nombre;
    }
    if (nombre_.isEmpty()) {
        res_ = c_.exec(sql_, parametros_, punteros.data(), largos.data(), formatos_.data());
    } else {
        c_.vaciarLote();
        res_ = PQexecPrepared(c_.handle(), nombre_.constData(), parametros_, punteros.data(), largos.data(),
                              formatos_.data(), 0);
        const ExecStatusType e = PQresultStatus(res_);
        if (e != PGRES_COMMAND_OK && e != PGRES_TUPLES_OK) {
            const ErrorBD err = c_.error(res_);
            limpiarResultado();
            throw err;
        }
    }
    qint64 id = 0;
    if (retornoPropio_ && PQntuples(res_) > 0)
        id = std::atoll(PQgetvalue(res_, 0, 0));
    c_.fijarResultado(res_, id);
    fila_ = -1;
}

bool SentenciaPostgres::paso() {
    const bool nueva = res_ == nullptr && fila_ < 0;
    if (nueva) {
        ejecutarSiFalta();
        if (!res_) // batched: no rows
            return false;
    }
    if (retornoPropio_)
        return false;
    if (!res_)
        return false;
    ++fila_;
    return fila_ < PQntuples(res_);
}

void SentenciaPostgres::reiniciar() {
    limpiarResultado();
    std::fill(nulos_.begin(), nulos_.end(), 1);
    std::fill(formatos_.begin(), formatos_.end(), 0);
}

int SentenciaPostgres::columnas() {
    if (!res_ && fila_ < 0) {
        ejecutarSiFalta();
        fila_ = -1;
    }
    return res_ && !retornoPropio_ ? PQnfields(res_) : 0;
}

QString SentenciaPostgres::nombreColumna(int i) {
    columnas();
    return res_ ? QString::fromUtf8(PQfname(res_, i)) : QString();
}

const char* SentenciaPostgres::bytes(int i, int& largo) const {
    if (!res_ || fila_ < 0 || fila_ >= PQntuples(res_) || PQgetisnull(res_, fila_, i)) {
        largo = 0;
        return nullptr;
    }
    largo = PQgetlength(res_, fila_, i);
    return PQgetvalue(res_, fila_, i);
}

qint64 SentenciaPostgres::filasRecibidas() {
    columnas();
    return res_ && !retornoPropio_ ? PQntuples(res_) : -1;
}

// A PGresult is only read once made: any thread may read it.
const char* SentenciaPostgres::celda(qint64 fila, int col, int& largo) const {
    if (!res_ || fila < 0 || fila >= PQntuples(res_) || PQgetisnull(res_, static_cast<int>(fila), col)) {
        largo = 0;
        return nullptr;
    }
    largo = PQgetlength(res_, static_cast<int>(fila), col);
    return PQgetvalue(res_, static_cast<int>(fila), col);
}

bool SentenciaPostgres::esNulo(int i) const {
    return !res_ || fila_ < 0 || fila_ >= PQntuples(res_) || PQgetisnull(res_, fila_, i);
}

QByteArray SentenciaPostgres::blob(int i) const {
    int largo = 0;
    const char* p = bytes(i, largo);
    if (!p)
        return QByteArray();
    if (PQftype(res_, i) == kOidBytea && largo >= 2 && p[0] == '\\' && p[1] == 'x')
        return QByteArray::fromHex(QByteArray::fromRawData(p + 2, largo - 2));
    return QByteArray(p, largo);
}

qint64 SentenciaPostgres::entero(int i) const {
    int largo = 0;
    const char* p = bytes(i, largo);
    return p ? QByteArray::fromRawData(p, largo).toLongLong() : 0;
}
