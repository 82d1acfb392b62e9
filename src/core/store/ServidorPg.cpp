#include "core/store/ServidorPg.h"

#include <QRegularExpression>
#include <QSettings>
#include <QThread>

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr Oid kOidBytea = 17;
// Rows a batched insert holds before they go to the server, which stores them meanwhile.
constexpr qsizetype kBytesLote = 128 << 10;

QString textoServidor(const char* s) {
    return QString::fromUtf8(s ? s : "").trimmed();
}

const QString kPideContrasena = QStringLiteral("El servidor pide una contraseña para este usuario.");
const QString kContrasenaIncorrecta = QStringLiteral("El usuario o la contraseña no son correctos.");
const QString kClaveAjustes = QStringLiteral("registro/conexion");

// Per user (~/.config/velmora/velmora-kv270.conf), the same file whichever program reads it.
QSettings ajustesUsuario() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                     QStringLiteral("velmora-kv270"));
}

const QString kConexionPerdida = QStringLiteral(
    "Se perdió la conexión con el servidor del registro compartido. La operación en curso no se guardó; "
    "vuelva a intentarlo cuando el servidor responda.");

// The cause of a failed connection, in the user's words.
QString causaConexion(pg_conn* c) {
    const QString m = textoServidor(PQerrorMessage(c));
    if (PQconnectionNeedsPassword(c) || m.contains(QLatin1String("no password supplied")))
        return kPideContrasena;
    if (m.contains(QLatin1String("password authentication failed")) ||
        m.contains(QLatin1String("authentication failed")))
        return kContrasenaIncorrecta;
    if (m.contains(QLatin1String("does not exist")) && m.contains(QLatin1String("database")))
        return QStringLiteral("La base de datos indicada no existe en el servidor.");
    if (m.contains(QLatin1String("role")) && m.contains(QLatin1String("does not exist")))
        return QStringLiteral("El usuario indicado no existe en el servidor.");
    if (m.contains(QLatin1String("no pg_hba.conf entry")) || m.contains(QLatin1String("permission denied")))
        return QStringLiteral("El servidor no admite conexiones de este usuario desde este equipo.");
    if (m.contains(QLatin1String("SSL")) || m.contains(QLatin1String("certificate")))
        return QStringLiteral("No se pudo establecer una conexión segura con el servidor (certificado).");
    if (m.contains(QLatin1String("invalid connection option")) ||
        m.contains(QLatin1String("missing \"=\"")) || m.contains(QLatin1String("invalid")))
        return QStringLiteral("La cadena de conexión del registro compartido no es válida.");
    return QStringLiteral("No se puede conectar con el servidor. Compruebe que esté encendido, que la red "
                          "funcione y que la dirección sea la correcta.");
}

QByteArray escaparCopia(const char* p, int largo) {
    QByteArray r;
    r.reserve(largo + 4);
    for (int k = 0; k < largo; ++k) {
        const char ch = p[k];
        switch (ch) {
        case '\\':
            r += "\\\\";
            break;
        case '\t':
            r += "\\t";
            break;
        case '\n':
            r += "\\n";
            break;
        case '\r':
            r += "\\r";
            break;
        default:
            r += ch;
        }
    }
    return r;
}

void agregarEscapado(QByteArray& destino, const char* p, int largo) {
    // Almost every value has nothing to escape.
    bool limpio = true;
    for (int k = 0; k < largo && limpio; ++k)
        limpio = p[k] != '\\' && p[k] != '\t' && p[k] != '\n' && p[k] != '\r';
    if (limpio) {
        destino.append(p, largo);
        return;
    }
    destino += escaparCopia(p, largo);
}

// Tables whose rows carry an identity id, for ultimoId().
bool tablaConId(const QString& tabla) {
    static const QStringList tablas = {QStringLiteral("clientes"), QStringLiteral("infracciones"),
                                       QStringLiteral("passusuarios"), QStringLiteral("importaciones")};
    return tablas.contains(tabla.toLower());
}

} // namespace

// Rows of one reused insert, in COPY's text format, waiting to be sent.
class LoteCopia {
public:
    LoteCopia(QString tabla, QString columnas) : tabla(std::move(tabla)), columnas(std::move(columnas)) {}
    QString tabla;
    QString columnas;
    QByteArray datos;
    int filas = 0;
    bool enCurso = false; // the COPY was started: the connection takes nothing else until its end
};

QString TraducirSqlPg(const QString& sqlOriginal) {
    QString sql = sqlOriginal.trimmed();
    static const QRegularExpression pragmaVersion(
        QStringLiteral("^PRAGMA\\s+user_version\\s*(=\\s*(\\d+))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pragmaVersion.match(sql);
    if (m.hasMatch())
        return m.captured(2).isEmpty()
                   ? QStringLiteral("SELECT coalesce(max(version), 0) FROM VersionEsquema")
                   : QStringLiteral("UPDATE VersionEsquema SET version = %1").arg(m.captured(2));
    if (sql.startsWith(QLatin1String("PRAGMA"), Qt::CaseInsensitive))
        return QStringLiteral("SELECT 0");
    // The catalogue: the tables of the current schema.
    sql.replace(QStringLiteral("FROM sqlite_master WHERE type = 'table' AND name = ?"),
                QStringLiteral("FROM information_schema.tables WHERE table_schema = current_schema() AND "
                               "table_name = lower(?)"));
    sql.replace(QStringLiteral("FROM sqlite_master"),
                QStringLiteral("FROM information_schema.tables WHERE table_schema = current_schema()"));
    if (sql.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive) ||
        sql.startsWith(QLatin1String("ALTER TABLE"), Qt::CaseInsensitive)) {
        sql.replace(QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
                    QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
        sql.replace(QStringLiteral(" INTEGER"), QStringLiteral(" BIGINT"));
        sql.replace(QStringLiteral(" BLOB"), QStringLiteral(" BYTEA"));
    }
    // Placeholders in order, outside quoted text.
    QString r;
    r.reserve(sql.size() + 16);
    int n = 0;
    QChar comilla;
    for (const QChar ch : sql) {
        if (!comilla.isNull()) {
            if (ch == comilla)
                comilla = QChar();
        } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            comilla = ch;
        } else if (ch == QLatin1Char('?')) {
            r += QLatin1Char('$') + QString::number(++n);
            continue;
        }
        r += ch;
    }
    return r;
}

QString ConexionRegistroGuardada() {
    return ajustesUsuario().value(kClaveAjustes).toString();
}

bool GuardarConexionRegistro(const QString& conninfo, QString* error) {
    const QString texto = conninfo.trimmed();
    if (!texto.isEmpty()) {
        char* fallo = nullptr;
        PQconninfoOption* opciones = PQconninfoParse(texto.toUtf8().constData(), &fallo);
        if (!opciones) {
            if (error)
                *error = QStringLiteral("La cadena de conexión no es válida: %1").arg(textoServidor(fallo));
            PQfreemem(fallo);
            return false;
        }
        bool conClave = false;
        for (PQconninfoOption* o = opciones; o->keyword; ++o)
            conClave = conClave || (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val);
        PQconninfoFree(opciones);
        if (conClave) {
            if (error)
                *error =
                    QStringLiteral("La cadena de conexión no puede llevar la contraseña: no se guarda en "
                                   "texto plano. Póngala en el archivo ~/.pgpass o escríbala al iniciar el "
                                   "programa.");
            return false;
        }
    }
    QSettings ajustes(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                      QStringLiteral("velmora-kv270"));
    if (texto.isEmpty())
        ajustes.remove(kClaveAjustes);
    else
        ajustes.setValue(kClaveAjustes, texto);
    ajustes.sync();
    if (ajustes.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("No se pudo guardar la configuración del usuario.");
        return false;
    }
    return true;
}

bool ErrorPideContrasena(const ErrorBD& error) {
    return error.descripcion().endsWith(kPideContrasena) ||
           error.descripcion().endsWith(kContrasenaIncorrecta);
}

// --- Connection ------------------------------------------------------------------------------

ConexionPg::ConexionPg(const QString& conninfo, const QString& contrasena) {
    const QByteArray info = conninfo.toUtf8();
    const QByteArray clave = contrasena.toUtf8();
    std::vector<const char*> claves{"dbname", "client_encoding", "application_name", "connect_timeout"};
    std::vector<const char*> valores{info.constData(), "UTF8", "velmora-kv270", "10"};
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
        const QString causa = conn_ ? causaConexion(conn_) : QStringLiteral("No hay memoria suficiente.");
        PQfinish(conn_);
        conn_ = nullptr;
        throw ErrorBD(QStringLiteral("No se puede abrir el registro compartido. ") + causa,
                      QStringLiteral("PostgreSQL: ") + detalles);
    }
    nombre_ = QStringLiteral("%1 en %2")
                  .arg(QString::fromUtf8(PQdb(conn_)),
                       QString::fromUtf8(PQhost(conn_) ? PQhost(conn_) : "servidor"));
    PQclear(PQexec(conn_, "SET client_min_messages = warning"));
    PQclear(PQexec(conn_, "LISTEN registro"));
    AvisosRegistro::instancia().vigilar(this);
}

void ConexionPg::asegurarConexion() {
    if (!conn_ || PQstatus(conn_) == CONNECTION_OK)
        return;
    // Inside a transaction the rest of it must not run on a fresh session as if nothing was lost.
    if (transaccion_)
        throw error(nullptr);
    lote_.reset();
    PQreset(conn_);
    if (PQstatus(conn_) == CONNECTION_OK) {
        PQclear(PQexec(conn_, "SET client_min_messages = warning"));
        PQclear(PQexec(conn_, "LISTEN registro"));
    }
}

ConexionPg::~ConexionPg() {
    AvisosRegistro::instancia().dejar(this);
    lote_.reset();
    PQfinish(conn_);
}

ErrorBD ConexionPg::error(const pg_result* r, const QString& contexto) const {
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
    else if (codigo.startsWith(QLatin1String("23")))
        causa = QStringLiteral("Los datos no cumplen una regla de la base de datos.");
    else if (codigo == QLatin1String("40001") || codigo == QLatin1String("40P01") ||
             codigo == QLatin1String("55P03"))
        causa = QStringLiteral("Otro puesto estaba modificando los mismos datos. Vuelva a intentarlo.");
    else if (codigo == QLatin1String("42501"))
        causa = QStringLiteral("El usuario del registro compartido no tiene permiso para esta operación.");
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

pg_result* ConexionPg::exec(const QByteArray& sql, int n, const char* const* valores, const int* largos,
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

void ConexionPg::fijarResultado(pg_result* r, qint64 id) {
    filas_ = std::atoi(PQcmdTuples(r));
    if (id > 0)
        ultimoId_ = id;
}

void ConexionPg::ejecutar(const QString& sql, const QVariantList& parametros) {
    SentenciaPg st(*this, sql);
    for (int i = 0; i < parametros.size(); ++i)
        st.enlazar(i + 1, parametros.at(i));
    while (st.paso()) {
    }
}

int ConexionPg::filasAfectadas() {
    // A batched insert counts its own row, as the statement it stands for would.
    if (lote_ && lote_->filas > 0) {
        vaciarLote();
        filas_ = 1;
    }
    return filas_;
}

void ConexionPg::comenzar() {
    ejecutar(QStringLiteral("BEGIN"));
    transaccion_ = true;
}

void ConexionPg::confirmar() {
    transaccion_ = false;
    vaciarLote();
    PGresult* r = exec("COMMIT", 0, nullptr, nullptr, nullptr);
    // A transaction that failed earlier ends rolled back, not committed.
    const bool anulada = std::strcmp(PQcmdStatus(r), "ROLLBACK") == 0;
    PQclear(r);
    if (anulada)
        throw ErrorBD(QStringLiteral("El servidor anuló la operación y no guardó nada."));
}

void ConexionPg::deshacer() {
    transaccion_ = false;
    if (lote_ && lote_->enCurso) {
        PQputCopyEnd(conn_, "anulada");
        while (PGresult* resto = PQgetResult(conn_))
            PQclear(resto);
    }
    lote_.reset();
    if (enTransaccion())
        PQclear(PQexec(conn_, "ROLLBACK"));
}

bool ConexionPg::enTransaccion() const {
    const PGTransactionStatusType t = PQtransactionStatus(conn_);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

QString ConexionPg::ultimoError() const {
    return textoServidor(PQerrorMessage(conn_));
}

QByteArray ConexionPg::nombreSentencia() {
    return "velmora_" + QByteArray::number(++sentencias_);
}

void ConexionPg::tomarLote(std::unique_ptr<LoteCopia> lote) {
    vaciarLote();
    lote_ = std::move(lote);
}

// Sends the rows held so far, starting the COPY on the first call.
void ConexionPg::enviarLote() {
    LoteCopia& lote = *lote_;
    if (!lote.enCurso) {
        const QByteArray sql =
            QStringLiteral("COPY %1 (%2) FROM STDIN").arg(lote.tabla, lote.columnas).toUtf8();
        PGresult* r = PQexec(conn_, sql.constData());
        if (PQresultStatus(r) != PGRES_COPY_IN) {
            const ErrorBD e = error(r);
            PQclear(r);
            lote_.reset();
            throw e;
        }
        PQclear(r);
        lote.enCurso = true;
    }
    if (!lote.datos.isEmpty() &&
        PQputCopyData(conn_, lote.datos.constData(), static_cast<int>(lote.datos.size())) != 1) {
        const ErrorBD e = error(nullptr);
        deshacer();
        throw e;
    }
    lote.datos.clear();
}

void ConexionPg::vaciarLote() {
    if (!lote_)
        return;
    if (lote_->filas == 0) {
        lote_.reset();
        return;
    }
    enviarLote();
    lote_.reset();
    if (PQputCopyEnd(conn_, nullptr) != 1) {
        const ErrorBD e = error(nullptr);
        while (PGresult* resto = PQgetResult(conn_))
            PQclear(resto);
        throw e;
    }
    std::unique_ptr<ErrorBD> fallo;
    while (PGresult* resto = PQgetResult(conn_)) {
        if (PQresultStatus(resto) != PGRES_COMMAND_OK && !fallo)
            fallo = std::make_unique<ErrorBD>(error(resto));
        PQclear(resto);
    }
    if (fallo)
        throw *fallo;
    // The rows' ids are not read back (nothing asks for them); an id asked for now is unknown, not wrong.
    ultimoId_ = 0;
}

void ConexionPg::bloquearEsquema(bool bloquear) {
    ejecutar(bloquear ? QStringLiteral("SELECT pg_advisory_lock(727270)")
                      : QStringLiteral("SELECT pg_advisory_unlock(727270)"));
}

void ConexionPg::completarEsquemaBase() {
    // The schema version, one row (PRAGMA user_version in the file).
    ejecutar(QStringLiteral("CREATE TABLE VersionEsquema (version INTEGER NOT NULL)"));
    ejecutar(QStringLiteral("INSERT INTO VersionEsquema (version) VALUES (1)"));
    // mid(): 1-based characters, NULL as the empty text.
    ejecutar(QStringLiteral(
        "CREATE FUNCTION mid(t text, inicio integer, largo integer) RETURNS text LANGUAGE sql IMMUTABLE "
        "AS $$ SELECT CASE WHEN inicio < 1 OR largo <= 0 THEN '' ELSE coalesce(substr(t, inicio, largo), '') "
        "END $$"));
    // contiene(): literal and in any letter case for every letter; the database's own locale may
    // know only ASCII case, so the case mapping goes through ICU when the server has it.
    PGresult* icu = PQexec(conn_, "SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'");
    const bool hayIcu = PQresultStatus(icu) == PGRES_TUPLES_OK && PQntuples(icu) > 0;
    PQclear(icu);
    const QString cotejo = hayIcu ? QStringLiteral(" COLLATE \"und-x-icu\"") : QString();
    ejecutar(
        QStringLiteral("CREATE FUNCTION contiene(pajar text, aguja text) RETURNS boolean LANGUAGE sql "
                       "IMMUTABLE AS $$ SELECT coalesce(strpos(lower(pajar%1), lower(aguja%1)) > 0, false) "
                       "$$")
            .arg(cotejo));
    // Other desks hear of every change to clients and infractions at commit.
    ejecutar(QStringLiteral("CREATE FUNCTION avisar_registro() RETURNS trigger LANGUAGE plpgsql AS "
                            "$$ BEGIN PERFORM pg_notify('registro', TG_TABLE_NAME); RETURN NULL; END $$"));
    for (const char* tabla : {"Clientes", "Infracciones"})
        ejecutar(QStringLiteral("CREATE TRIGGER aviso_%1 AFTER INSERT OR UPDATE OR DELETE ON %1 "
                                "FOR EACH STATEMENT EXECUTE FUNCTION avisar_registro()")
                     .arg(QLatin1String(tabla)));
}

bool ConexionPg::hayCambiosAjenos() {
    if (!conn_ || enTransaccion() || lote_)
        return false;
    PQconsumeInput(conn_);
    bool ajenos = false;
    const int propio = PQbackendPID(conn_);
    while (PGnotify* n = PQnotifies(conn_)) {
        ajenos = ajenos || n->be_pid != propio;
        PQfreemem(n);
    }
    return ajenos;
}

// --- Statement -------------------------------------------------------------------------------

SentenciaPg::SentenciaPg(ConexionPg& c, const QString& sql) : c_(c) {
    c_.asegurarConexion();
    QString traducida = TraducirSqlPg(sql);
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

SentenciaPg::~SentenciaPg() {
    limpiarResultado();
    if (!nombre_.isEmpty() && c_.handle() && PQstatus(c_.handle()) == CONNECTION_OK && !c_.lote())
        PQclear(PQexec(c_.handle(), ("DEALLOCATE " + nombre_).constData()));
}

void SentenciaPg::limpiarResultado() {
    PQclear(res_);
    res_ = nullptr;
    fila_ = -1;
}

void SentenciaPg::enlazar(int indice, const QVariant& valor) {
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

void SentenciaPg::enlazarTexto(int indice, const QByteArray& utf8) {
    enlazar(indice, QString());
    const auto i = static_cast<size_t>(indice - 1);
    nulos_[i] = 0;
    formatos_[i] = 0;
    valores_[i] = utf8;
}

void SentenciaPg::enlazarBlob(int indice, const QByteArray& datos) {
    enlazarTexto(indice, datos);
    formatos_[static_cast<size_t>(indice - 1)] = 1;
}

void SentenciaPg::ejecutarSiFalta() {
    if (res_)
        return;
    ++ejecuciones_;
    const bool soloTexto = std::all_of(formatos_.begin(), formatos_.end(), [](int f) { return f == 0; });
    // An insert run again inside a transaction: its row joins the batch.
    if (ejecuciones_ > 1 && !tablaInsercion_.isEmpty() && soloTexto && c_.enTransaccion()) {
        LoteCopia* lote = c_.lote();
        if (!lote || lote->tabla != tablaInsercion_ || lote->columnas != columnasInsercion_) {
            c_.tomarLote(std::make_unique<LoteCopia>(tablaInsercion_, columnasInsercion_));
            lote = c_.lote();
        }
        for (int k = 0; k < parametros_; ++k) {
            if (k > 0)
                lote->datos += '\t';
            const auto i = static_cast<size_t>(k);
            if (nulos_[i])
                lote->datos += "\\N";
            else
                agregarEscapado(lote->datos, valores_[i].constData(), static_cast<int>(valores_[i].size()));
        }
        lote->datos += '\n';
        ++lote->filas;
        if (lote->datos.size() > kBytesLote)
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

bool SentenciaPg::paso() {
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

void SentenciaPg::reiniciar() {
    limpiarResultado();
    std::fill(nulos_.begin(), nulos_.end(), 1);
    std::fill(formatos_.begin(), formatos_.end(), 0);
}

int SentenciaPg::columnas() {
    if (!res_ && fila_ < 0) {
        ejecutarSiFalta();
        fila_ = -1;
    }
    return res_ && !retornoPropio_ ? PQnfields(res_) : 0;
}

QString SentenciaPg::nombreColumna(int i) {
    columnas();
    return res_ ? QString::fromUtf8(PQfname(res_, i)) : QString();
}

const char* SentenciaPg::bytes(int i, int& largo) const {
    if (!res_ || fila_ < 0 || fila_ >= PQntuples(res_) || PQgetisnull(res_, fila_, i)) {
        largo = 0;
        return nullptr;
    }
    largo = PQgetlength(res_, fila_, i);
    return PQgetvalue(res_, fila_, i);
}

bool SentenciaPg::esNulo(int i) const {
    return !res_ || fila_ < 0 || fila_ >= PQntuples(res_) || PQgetisnull(res_, fila_, i);
}

QByteArray SentenciaPg::blob(int i) const {
    int largo = 0;
    const char* p = bytes(i, largo);
    if (!p)
        return QByteArray();
    if (PQftype(res_, i) == kOidBytea && largo >= 2 && p[0] == '\\' && p[1] == 'x')
        return QByteArray::fromHex(QByteArray::fromRawData(p + 2, largo - 2));
    return QByteArray(p, largo);
}

// --- Notices ---------------------------------------------------------------------------------

AvisosRegistro& AvisosRegistro::instancia() {
    static AvisosRegistro avisos;
    return avisos;
}

AvisosRegistro::AvisosRegistro() {
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &AvisosRegistro::revisar);
}

// Sessions opened on other threads (a test's second desk) are not watched: the timer is not theirs.
void AvisosRegistro::vigilar(ConexionPg* c) {
    if (QThread::currentThread() != thread())
        return;
    conexiones_.push_back(c);
    if (!timer_.isActive())
        timer_.start();
}

void AvisosRegistro::dejar(ConexionPg* c) {
    if (QThread::currentThread() != thread())
        return;
    std::erase(conexiones_, c);
    if (conexiones_.empty())
        timer_.stop();
}

void AvisosRegistro::revisar() {
    bool cambio = false;
    for (ConexionPg* c : std::vector<ConexionPg*>(conexiones_))
        cambio = c->hayCambiosAjenos() || cambio;
    if (cambio)
        Q_EMIT registroCambiado();
}
